#include "behavior/at_push_point.h"
#include "skills/NaoBehavior.h"
#include "world/validity_counts.h"

namespace {
bool closely_aligned(NaoBehavior* a)
{
    return a->ballAlign(0.1, validity_counts_t::VALID_BALL_SEEN_CNT, validity_counts_t::VALID_COORD_CNT);
}
}  // namespace

bool at_push_point::transition_from_init_to_push_the_ball_1_test()
{
    if (!(agent->ballOppGoalDistance() < 3 || closely_aligned(agent))) return false;
    agent->startPush();
    return true;
}

bool at_push_point::transition_from_init_to_face_the_ball_2_test() { return !closely_aligned(agent); }

bool at_push_point::transition_from_face_the_ball_to_init_1_test() { return closely_aligned(agent); }

bool at_push_point::transition_from_push_the_ball_to_init_1_test() { return agent->pushDone(6); }
