#include "behavior/not_at_ball.h"
#include "skills/NaoBehavior.h"
#include "world/validity_counts.h"

namespace {
const int kBall = validity_counts_t::VALID_BALL_SEEN_CNT;
bool aligned(NaoBehavior* a) { return a->ballAlign(0.4, kBall, validity_counts_t::VALID_COORD_CNT); }
bool at_the_ball(NaoBehavior* a) { return a->atBall(kBall, 1); }
}  // namespace

bool not_at_ball::transition_from_init_to_face_the_ball_1_test() { return !aligned(agent); }

bool not_at_ball::transition_from_init_to_goto_ball_2_test() { return !at_the_ball(agent); }

bool not_at_ball::transition_from_face_the_ball_to_init_1_test() { return aligned(agent); }

bool not_at_ball::transition_from_face_the_ball_to_simply_rotate_2_test() { return !aligned(agent); }

bool not_at_ball::transition_from_goto_ball_to_face_the_ball_1_test()
{
    return !at_the_ball(agent) && !aligned(agent);
}

bool not_at_ball::transition_from_goto_ball_to_simply_rotate_1_test() { return !agent->ballSeen(10); }

bool not_at_ball::transition_from_goto_ball_to_init_2_test() { return at_the_ball(agent); }

bool not_at_ball::transition_from_simply_rotate_to_face_the_ball_1_test()
{
    return agent->localBallAlign(10, 0.2);
}
