#include "behavior/goto_global_kick_point2.h"
#include "skills/NaoBehavior.h"

namespace {
// Ball and pose known within 100 cycles, and the kick point nearer than
// 0.2 m or within the bearing tolerance of its distance.
bool kick_point_aligned(NaoBehavior* a)
{
    a->setGoalKickPoint(100);
    return a->goalKickPointAlign(0.2, 100);
}
bool at_the_kick_point(NaoBehavior* a)
{
    a->setGoalKickPoint(100);
    return a->atGoalKickPoint(0.15, 100);
}
}  // namespace

bool goto_global_kick_point2::transition_from_init_to_face_global_kick_point_1_test()
{
    return !kick_point_aligned(agent);
}

bool goto_global_kick_point2::transition_from_init_to_goto_kick_2_test()
{
    return kick_point_aligned(agent) && !at_the_kick_point(agent);
}

bool goto_global_kick_point2::transition_from_face_global_kick_point_to_init_1_test()
{
    if (!kick_point_aligned(agent)) return false;
    agent->stop_walk();
    return true;
}

// Walking to the kick point, the robot turns to it again only once it lies
// 0.1 rad beyond the tolerance: a bearing on the edge of the tolerance sent
// it turning, stopping and walking again at every flicker of its estimate.
bool goto_global_kick_point2::transition_from_goto_kick_to_face_global_kick_point_1_test()
{
    agent->setGoalKickPoint(100);
    return agent->globalCoord(100) && !agent->goalKickPointAlign(0.2, 100, 0.1);
}

bool goto_global_kick_point2::transition_from_goto_kick_to_init_2_test() { return at_the_kick_point(agent); }
