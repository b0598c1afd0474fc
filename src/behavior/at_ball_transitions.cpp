#include "behavior/at_ball.h"
#include "skills/NaoBehavior.h"
#include "world/validity_counts.h"

namespace {
// Within 0.15 m of the push point (where an own set piece's taker kicks).
bool at_the_push_point(NaoBehavior* a)
{
    return a->atPushPoint(validity_counts_t::VALID_BALL_SEEN_CNT, NaoBehavior::AT_PUSH_POINT);
}
// Once there (turning to the ball), the robot counts as at the push point
// up to 0.25 m: on the edge of 0.15 m it went back and forth between
// turning and walking at every flicker of its estimate.
bool still_at_the_push_point(NaoBehavior* a)
{
    return a->atPushPoint(validity_counts_t::VALID_BALL_SEEN_CNT, 0.25);
}
}  // namespace

bool at_ball::transition_from_init_to_at_push_point_1_test() { return at_the_push_point(agent); }

bool at_ball::transition_from_init_to_not_at_push_point_2_test() { return !at_the_push_point(agent); }

bool at_ball::transition_from_at_push_point_to_init_1_test()
{
    return !agent->pushStarted() && !still_at_the_push_point(agent);
}

bool at_ball::transition_from_not_at_push_point_to_init_1_test() { return at_the_push_point(agent); }
