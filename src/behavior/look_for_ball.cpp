#include "behavior/look_for_ball.h"

look_for_ball::look_for_ball(NaoBehavior* a, hfsm* r, bool log_on) : state_machine_t(log_on, a, r) {}

const look_for_ball::table_t& look_for_ball::table()
{
    using m = look_for_ball;
    static const table_t t = {
        INIT,
        {
            {"init", nullptr},
            {"face_the_ball", &m::what_to_do_in_state_face_the_ball},
        },
        {
            {INIT, FACE_THE_BALL, 1, &m::transition_from_init_to_face_the_ball_1_test, nullptr},
            {FACE_THE_BALL, INIT, 1, &m::transition_from_face_the_ball_to_init_1_test, nullptr},
        }};
    return t;
}
