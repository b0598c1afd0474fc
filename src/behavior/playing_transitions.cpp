#include "behavior/playing.h"
#include "skills/NaoBehavior.h"
#include "world/validity_counts.h"

namespace {
const int kBall = validity_counts_t::VALID_BALL_SEEN_CNT;
const int kCoord = validity_counts_t::VALID_COORD_CNT;
}  // namespace

// The ball priority is asked in every step in which these tests run: it
// also sets the localiser's speed filter and may re-arm the move target.

// The kick-off taker at the spot that has not seen the ball since the
// kick-off began (after a goal the server puts it there only then) does
// not turn away to look for it: the kick waits for the head to find it,
// just ahead.
bool playing::transition_from_init_to_look_for_ball_1_test()
{
    return !agent->ballSeen(kBall) && !agent->kickOffBallAhead();
}

bool playing::transition_from_init_to_att_2_test() { return agent->getBallPriority() == 0; }

bool playing::transition_from_init_to_look_for_coord_3_test() { return !agent->globalCoord(kCoord); }

bool playing::transition_from_init_to_assist_4_test() { return true; }

bool playing::transition_from_look_for_ball_to_init_1_test() { return agent->ballSeen(kBall); }

bool playing::transition_from_att_to_init_1_test() { return agent->getBallPriority() != 0; }

bool playing::transition_from_look_for_coord_to_init_1_test() { return agent->globalCoord(kCoord); }

bool playing::transition_from_assist_to_init_1_test()
{
    return !agent->ballSeen(kBall) || agent->getBallPriority() == 0 || !agent->globalCoord(kCoord);
}
