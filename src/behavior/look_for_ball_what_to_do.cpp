#include <cmath>

#include "behavior/look_for_ball.h"
#include "skills/NaoBehavior.h"
#include "world/validity_counts.h"

void look_for_ball::what_to_do_in_state_face_the_ball()
{
    const int n = validity_counts_t::VALID_BALL_SEEN_CNT;
    agent->new_rot(agent->ballSeen(n) ? agent->ballAngle(n) : M_PI / 2, -0.01);
}
