#include "behavior/look_for_coord.h"
#include "skills/NaoBehavior.h"

bool look_for_coord::transition_from_init_to_coord_cnt_ok_1_test() { return agent->noFixCount() > 0; }

bool look_for_coord::transition_from_coord_cnt_ok_to_init_1_test() { return agent->noFixCount() == 0; }
