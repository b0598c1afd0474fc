#include "behavior/at_push_point_kick.h"
#include "motioninterface/naomove.h"
#include "skills/NaoBehavior.h"
#include "world/localize.h"

// Ten sampling cycles (one per server message), then the corrective step:
// the mean of the ball samples shifted twice, which leaves the ball 0.231 m
// ahead of the robot and 0.085 m to its right; without any sample, a step
// of 1 m straight ahead.
bool at_push_point_kick::transition_from_init_to_ball_localized_1_test()
{
    if (!agent->collectInfosStarted()) {
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
    agent->new_trans(kx, ky);
    return true;
}

// The corrective step has finished: kick. A kick started earlier whose end
// was never asked for (the ball flew off and the machine above left this
// one while it kicked) is over by now; it is closed first, or it would
// stand in for this kick and the robot would not kick at all.
bool at_push_point_kick::transition_from_ball_localized_to_kicking_1_test()
{
    const NaoMove* m = agent->move;
    if (m == nullptr || m->trans || !m->stop_trans) return false;
    agent->kickDone();
    agent->startKick();
    return true;
}

bool at_push_point_kick::transition_from_kicking_to_init_1_test()
{
    return !agent->ballSeen(Localize_t::VALID_BALL_SEEN_CNT) || agent->kickDone();
}
