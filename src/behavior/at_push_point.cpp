#include "behavior/at_push_point.h"

at_push_point::at_push_point(NaoBehavior* a, hfsm* r, bool log_on) : state_machine_t(log_on, a, r) {}

const at_push_point::table_t& at_push_point::table()
{
    using m = at_push_point;
    static const table_t t = {
        INIT,
        {
            {"init", nullptr},
            {"face_the_ball", &m::what_to_do_in_state_face_the_ball},
            {"push_the_ball", &m::what_to_do_in_state_push_the_ball},
        },
        {
            {INIT, PUSH_THE_BALL, 1, &m::transition_from_init_to_push_the_ball_1_test, nullptr},
            {INIT, FACE_THE_BALL, 2, &m::transition_from_init_to_face_the_ball_2_test, nullptr},
            {FACE_THE_BALL, INIT, 1, &m::transition_from_face_the_ball_to_init_1_test, nullptr},
            {PUSH_THE_BALL, INIT, 1, &m::transition_from_push_the_ball_to_init_1_test, nullptr},
        }};
    return t;
}
