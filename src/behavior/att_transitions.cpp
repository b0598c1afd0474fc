#include "behavior/att.h"
#include "skills/NaoBehavior.h"

bool att::transition_from_init_to_kick_1_test() { return agent->kickActive(); }

bool att::transition_from_init_to_dribble_2_test() { return true; }

bool att::transition_from_dribble_to_init_1_test() { return false; }

bool att::transition_from_kick_to_init_1_test() { return false; }
