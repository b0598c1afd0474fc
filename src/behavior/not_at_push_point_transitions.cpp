#include <cstdlib>

#include "behavior/not_at_push_point.h"
#include "skills/NaoBehavior.h"
#include "world/validity_counts.h"

namespace {
// Facing the own goal where a random step away helps. With the ball near the
// own goal (a goal kick's spot) the directions to the ball and to the goal
// stay within the tolerance whatever the step: the robot stepped away, came
// back to the ball and stepped away again until the server dropped it. It
// walks to the push point beside the ball instead (the walk there keeps off
// the ball, and backs off when the ball is in the way). So it does during an
// own set piece, where the ball stays on its spot and every step away is
// time lost before the server drops it.
bool own_goal_ahead(NaoBehavior* a, int n)
{
    return a->ownGoalAlign(0.5, n) && !a->ballNearOwnGoal() && !a->ownSetPiece();
}
}  // namespace

bool not_at_push_point::transition_from_init_to_remove_own_goal_alignment_1_test()
{
    if (!own_goal_ahead(agent, 10)) return false;
    if (!agent->goalAlignAvoidanceStarted()) {
        // One random step of n/10 m forward and sideways, n in 0..9; the
        // side is drawn after the length. Facing the own goal with the ball
        // ahead, a step forward walks through the ball and pushes it
        // towards the own goal: the step goes backwards then.
        const int n = std::rand() % 10;
        const int s = (std::rand() % 2 == 1) ? 1 : -1;
        const bool ball_ahead =
            agent->ballSeen(validity_counts_t::VALID_BALL_SEEN_CNT) && agent->ballLocalX() > 0;
        // (A step of length 0 is dropped by new_trans.)
        agent->new_trans((ball_ahead ? -n : n) / 10.0, s * n / 10.0);
        agent->startGoalAlignAvoidance();
    }
    return true;
}

bool not_at_push_point::transition_from_init_to_translate_to_push_point_2_test()
{
    return !own_goal_ahead(agent, validity_counts_t::VALID_COORD_CNT);
}

bool not_at_push_point::transition_from_translate_to_push_point_to_init_1_test()
{
    return own_goal_ahead(agent, validity_counts_t::VALID_COORD_CNT);
}

bool not_at_push_point::transition_from_remove_own_goal_alignment_to_init_1_test()
{
    return agent->goalAlignAvoidanceDone(1);
}
