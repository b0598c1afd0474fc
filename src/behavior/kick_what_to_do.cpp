#include <cmath>

#include "behavior/kick.h"
#include "skills/NaoBehavior.h"

// One stop, while the robot still walks: a stop asked again and again is
// taken over again and again, and a stop asked standing is a walk.
void kick::what_to_do_in_state_stop_walk()
{
    if (!agent->standing() && !agent->stopUnderWay()) agent->stop_walk();
}

void kick::what_to_do_in_state_rotate_to_face_ball()
{
    const double bearing = agent->ballBearing();
    if (agent->ballSeen(10))
        agent->new_rot(0.7 * bearing, -0.01);
    else
        agent->new_rot(std::fabs(bearing) > 0.01 ? 1.0 : -1.0, -0.01);
}

void kick::what_to_do_in_state_face_ball_again() { agent->new_rot(0.5 * agent->ballBearing(), -0.01); }
