#include "behavior/at_push_point_kick.h"
#include "skills/NaoBehavior.h"
#include "world/validity_counts.h"

// Ten sampling cycles (one per server message), then the corrective step:
// the mean of the ball samples shifted twice, which leaves the ball 0.231 m
// ahead of the robot and 0.085 m to its right; without any sample, a step
// of 1 m straight ahead.
bool at_push_point_kick::transition_from_init_to_ball_localized_1_test()
{
    if (!agent->collectInfosStarted()) {
        // Straight legs (the server placed the robot and it has not moved
        // since) first take the crouch: the samples and the kick start there.
        if (!agent->crouchInPlace()) return false;
        agent->startCollectInfos();
        return false;
    }
    if (!agent->collectInfosDone(10)) {
        agent->applyCollectInfos();
        return false;
    }
    if (agent->collect_ball_samples == 0) {
        agent->new_trans(1, 0);
        return true;
    }
    double fx, fy, kx, ky;
    agent->collectInfoToTrans(fx, fy);
    agent->fromTransToKick(fx, fy, kx, ky);
    // A ball that the samples put within reach already is kicked from
    // here: a step towards it from rest walks in place for a second or more
    // and may nudge the ball before the kick strikes it.
    if (!agent->kickWithoutStep()) agent->new_trans(kx, ky);
    return true;
}

namespace {
// The corrective step has finished, or none was asked for and the robot
// stands.
bool step_ended(NaoBehavior* a) { return a->stopWalkDone() || (a->kickWithoutStep() && a->standing()); }
// The ball in view where the kick cannot reach it.
bool out_of_reach(NaoBehavior* a) { return a->ballSeen(10) && !a->ballInKickReach(10); }
}  // namespace

// The corrective step has finished and the ball lies within reach (or
// unseen, where nothing better is known): kick. A kick started earlier
// whose end was never asked for (the ball flew off and the machine above
// left this one while it kicked) is over by now; it is closed first, or it
// would stand in for this kick and the robot would not kick at all.
bool at_push_point_kick::transition_from_ball_localized_to_kicking_1_test()
{
    if (!step_ended(agent) || out_of_reach(agent)) return false;
    agent->kickDone();
    agent->startKick();
    return true;
}

// The step left the ball out of reach (walks from rest fall short): a kick
// from there misses it, or touches it twice. Sample it again for another
// step.
bool at_push_point_kick::transition_from_ball_localized_to_init_2_test()
{
    return step_ended(agent) && out_of_reach(agent);
}

bool at_push_point_kick::transition_from_kicking_to_init_1_test()
{
    return !agent->ballSeen(validity_counts_t::VALID_BALL_SEEN_CNT) || agent->kickDone();
}
