#include <cmath>

#include "behavior/not_at_ball.h"
#include "skills/NaoBehavior.h"
#include "world/validity_counts.h"

void not_at_ball::what_to_do_in_state_face_the_ball()
{
    agent->new_rot(0.5 * agent->ballAngle(validity_counts_t::VALID_BALL_SEEN_CNT), -0.01);
}

void not_at_ball::what_to_do_in_state_goto_ball()
{
    if (agent->ballSeen(10)) agent->new_trans(agent->ballLocalX(), agent->ballLocalY());
}

void not_at_ball::what_to_do_in_state_simply_rotate()
{
    if (agent->ballSeen(10)) {
        const double bearing = agent->ballBearing();
        if (std::fabs(bearing) >= 0.05) agent->new_rot(0.5 * bearing, -0.01);
    } else {
        agent->new_rot(-0.3, -0.01);  // turn right to search
    }
}
