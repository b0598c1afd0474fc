#include "behavior/look_for_ball.h"
#include "skills/NaoBehavior.h"
#include "world/validity_counts.h"

bool look_for_ball::transition_from_init_to_face_the_ball_1_test()
{
    return !agent->ballAlign(0.4, validity_counts_t::VALID_BALL_SEEN_CNT, validity_counts_t::VALID_COORD_CNT);
}

bool look_for_ball::transition_from_face_the_ball_to_init_1_test()
{
    return agent->ballAlign(0.4, validity_counts_t::VALID_BALL_SEEN_CNT, validity_counts_t::VALID_COORD_CNT);
}
