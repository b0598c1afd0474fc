#include "behavior/att.h"
#include "skills/NaoBehavior.h"

bool att::transition_from_init_to_kick_1_test() { return agent->kickActive(); }

bool att::transition_from_init_to_dribble_2_test() { return true; }

// The push would touch the ball of an own set piece twice: its taker kicks
// from the push point instead.
bool att::transition_from_dribble_to_init_1_test() { return agent->restartKickDue(); }

// A push under way is over.
void att::transition_from_dribble_to_init_1_do() { agent->push_started = false; }

bool att::transition_from_kick_to_init_1_test() { return false; }
