#include "behavior/kick.h"
#include "skills/NaoBehavior.h"
#include "world/validity_counts.h"

namespace {
// The ball known and straight ahead in the torso frame (within 0.1 rad).
bool aligned(NaoBehavior* a) { return a->localBallAlign(validity_counts_t::VALID_BALL_SEEN_CNT, 0.1); }
// Once stopping at the kick point, the ball counts as ahead up to 0.15 rad:
// a bearing on the edge of 0.1 rad would send the robot turning and back
// at every flicker of its estimate.
bool still_aligned(NaoBehavior* a) { return a->localBallAlign(validity_counts_t::VALID_BALL_SEEN_CNT, 0.15); }
// Ball and pose known within 100 cycles and the goal kick point nearer than
// 0.15 m.
bool at_the_kick_point(NaoBehavior* a)
{
    a->setGoalKickPoint(100);
    return a->atGoalKickPoint(0.15, 100);
}
// A robot already between the kick point and the ball, near the kicking
// position (the kick-off taker beams there), needs neither the turn to the
// ball nor the walk to the kick point: the samples and the corrective step
// take it there, or it kicks at once when the ball lies within reach.
// Turning to the kick point behind it, walking there from rest and back
// takes many seconds, and the server drops an untouched kick-off ball after
// 15 s.
bool near_kick_position(NaoBehavior* a) { return a->ballNearKickPosition(100); }
}  // namespace

bool kick::transition_from_init_to_goto_global_kick_point2_1_test()
{
    return aligned(agent) || near_kick_position(agent);
}

// The kick-off taker at the spot that has not seen the ball since the
// kick-off began waits for the head to find it, just ahead.
bool kick::transition_from_init_to_rotate_to_face_ball_2_test()
{
    return !aligned(agent) && !near_kick_position(agent) && !agent->kickOffBallAhead();
}

bool kick::transition_from_goto_global_kick_point2_to_stop_walk_1_test()
{
    return (at_the_kick_point(agent) && aligned(agent)) || near_kick_position(agent);
}

bool kick::transition_from_goto_global_kick_point2_to_face_ball_again_2_test()
{
    return at_the_kick_point(agent) && !aligned(agent) && !near_kick_position(agent);
}

bool kick::transition_from_goto_global_kick_point2_to_rotate_to_face_ball_3_test()
{
    return !agent->ballSeen(10);
}

// The kick is given up when the ball is lost, off more than 0.8 m, or has
// gone behind the robot (pushed there, or kicked back): the robot would
// kick at where it last saw the ball. A short loss (10 cycles) counts: at
// the kick point the head keeps the ball in view.
bool kick::transition_from_at_push_point_kick_to_init_1_test()
{
    return !agent->ballSeen(validity_counts_t::VALID_BALL_SEEN_CNT) || !agent->ballSeen(10) ||
           agent->ballGroundDistance() > 0.8 || agent->ballLocalX() < 0.0 || agent->kickSequenceDone();
}

bool kick::transition_from_stop_walk_to_rotate_to_face_ball_1_test()
{
    return !still_aligned(agent) && !near_kick_position(agent);
}

// The ball samples are taken standing: the walk must have stopped.
bool kick::transition_from_stop_walk_to_at_push_point_kick_2_test()
{
    return (still_aligned(agent) || near_kick_position(agent)) && agent->standing();
}

bool kick::transition_from_rotate_to_face_ball_to_init_1_test() { return aligned(agent); }

bool kick::transition_from_face_ball_again_to_goto_global_kick_point2_1_test() { return aligned(agent); }

bool kick::transition_from_face_ball_again_to_stop_walk_1_test() { return aligned(agent); }

bool kick::transition_from_face_ball_again_to_rotate_to_face_ball_1_test() { return !aligned(agent); }
