#include <cmath>

#include "behavior/goto_global_kick_point2.h"
#include "skills/NaoBehavior.h"

void goto_global_kick_point2::what_to_do_in_state_init() { agent->setGoalKickPoint(100); }

void goto_global_kick_point2::what_to_do_in_state_face_global_kick_point()
{
    agent->setGoalKickPoint(100);
    const double a = agent->goalKickPointAngle();
    if (std::fabs(a) > 0.5)
        agent->new_rot(0.7 * a, -0.01);
    else if (std::fabs(a) > 0.1)
        agent->new_rot(a, -0.01);
}

void goto_global_kick_point2::what_to_do_in_state_goto_kick()
{
    agent->setGoalKickPoint(100);
    agent->new_trans(agent->goalKickPointLocalX(), agent->goalKickPointLocalY());
}
