#include "behavior/at_push_point_kick.h"
#include "skills/NaoBehavior.h"

// The test out of init has already started the collection, so this does
// not fire in practice.
void at_push_point_kick::what_to_do_in_state_init()
{
    if (!agent->collectInfosStarted()) agent->startCollectInfos();
}
