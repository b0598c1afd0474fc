#include "behavior/dribble.h"
#include "skills/NaoBehavior.h"
#include "world/validity_counts.h"

namespace {
// At the ball: known, and nearer than 1 m.
bool at_the_ball(NaoBehavior* a) { return a->atBall(validity_counts_t::VALID_BALL_SEEN_CNT, 1); }
}  // namespace

bool dribble::transition_from_init_to_not_at_ball_1_test() { return !at_the_ball(agent); }

bool dribble::transition_from_init_to_at_ball_2_test() { return at_the_ball(agent); }

bool dribble::transition_from_not_at_ball_to_init_1_test() { return at_the_ball(agent); }

bool dribble::transition_from_at_ball_to_init_1_test() { return !at_the_ball(agent); }
