#include "behavior/not_at_ball.h"

not_at_ball::not_at_ball(NaoBehavior* a, hfsm* r, bool log_on) : state_machine_t(log_on, a, r) {}

const not_at_ball::table_t& not_at_ball::table()
{
    using m = not_at_ball;
    static const table_t t = {
        INIT,
        {
            {"init", nullptr},
            // Its two tests are complementary: every step leaves it, so its
            // action never runs.
            {"face_the_ball", &m::what_to_do_in_state_face_the_ball},
            {"goto_ball", &m::what_to_do_in_state_goto_ball},
            {"simply_rotate", &m::what_to_do_in_state_simply_rotate},
        },
        {
            {INIT, FACE_THE_BALL, 1, &m::transition_from_init_to_face_the_ball_1_test, nullptr},
            {INIT, GOTO_BALL, 2, &m::transition_from_init_to_goto_ball_2_test, nullptr},
            {FACE_THE_BALL, INIT, 1, &m::transition_from_face_the_ball_to_init_1_test, nullptr},
            {FACE_THE_BALL, SIMPLY_ROTATE, 2, &m::transition_from_face_the_ball_to_simply_rotate_2_test,
             nullptr},
            {GOTO_BALL, FACE_THE_BALL, 1, &m::transition_from_goto_ball_to_face_the_ball_1_test, nullptr},
            {GOTO_BALL, SIMPLY_ROTATE, 1, &m::transition_from_goto_ball_to_simply_rotate_1_test, nullptr},
            {GOTO_BALL, INIT, 2, &m::transition_from_goto_ball_to_init_2_test, nullptr},
            {SIMPLY_ROTATE, FACE_THE_BALL, 1, &m::transition_from_simply_rotate_to_face_the_ball_1_test,
             nullptr},
        }};
    return t;
}
