#include "behavior/at_push_point.h"
#include "skills/NaoBehavior.h"
#include "world/validity_counts.h"

void at_push_point::what_to_do_in_state_face_the_ball()
{
    agent->new_rot(0.5 * agent->ballAngle(validity_counts_t::VALID_BALL_SEEN_CNT), -0.01);
}

void at_push_point::what_to_do_in_state_push_the_ball() { agent->apply_push(); }
