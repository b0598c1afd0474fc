#include "behavior/kick.h"

#include "behavior/at_push_point_kick.h"
#include "behavior/goto_global_kick_point2.h"

kick::kick(NaoBehavior* a, hfsm* r, bool log_on)
    : state_machine_t(log_on, a, r),
      goto_global_kick_point2_fsm(new goto_global_kick_point2(a, r, log_on)),
      at_push_point_kick_fsm(new at_push_point_kick(a, r, log_on))
{
    children = {goto_global_kick_point2_fsm.get(), at_push_point_kick_fsm.get()};
}

kick::~kick() = default;

const kick::table_t& kick::table()
{
    using m = kick;
    static const table_t t = {
        INIT,
        {
            {"goto_global_kick_point2", nullptr},
            {"at_push_point_kick", nullptr},
            {"init", nullptr},
            {"stop_walk", &m::what_to_do_in_state_stop_walk},
            {"rotate_to_face_ball", &m::what_to_do_in_state_rotate_to_face_ball},
            // Its three tests cover every case: every step leaves it, so its
            // action never runs and the way to stop_walk is never taken.
            {"face_ball_again", &m::what_to_do_in_state_face_ball_again},
        },
        {
            {INIT, GOTO_GLOBAL_KICK_POINT2, 1, &m::transition_from_init_to_goto_global_kick_point2_1_test,
             nullptr},
            {INIT, ROTATE_TO_FACE_BALL, 2, &m::transition_from_init_to_rotate_to_face_ball_2_test, nullptr},
            {GOTO_GLOBAL_KICK_POINT2, STOP_WALK, 1,
             &m::transition_from_goto_global_kick_point2_to_stop_walk_1_test, nullptr},
            {GOTO_GLOBAL_KICK_POINT2, FACE_BALL_AGAIN, 2,
             &m::transition_from_goto_global_kick_point2_to_face_ball_again_2_test, nullptr},
            {GOTO_GLOBAL_KICK_POINT2, ROTATE_TO_FACE_BALL, 3,
             &m::transition_from_goto_global_kick_point2_to_rotate_to_face_ball_3_test, nullptr},
            {AT_PUSH_POINT_KICK, INIT, 1, &m::transition_from_at_push_point_kick_to_init_1_test, nullptr},
            {STOP_WALK, ROTATE_TO_FACE_BALL, 1, &m::transition_from_stop_walk_to_rotate_to_face_ball_1_test,
             nullptr},
            {STOP_WALK, AT_PUSH_POINT_KICK, 2, &m::transition_from_stop_walk_to_at_push_point_kick_2_test,
             nullptr},
            {ROTATE_TO_FACE_BALL, INIT, 1, &m::transition_from_rotate_to_face_ball_to_init_1_test, nullptr},
            {FACE_BALL_AGAIN, GOTO_GLOBAL_KICK_POINT2, 1,
             &m::transition_from_face_ball_again_to_goto_global_kick_point2_1_test, nullptr},
            {FACE_BALL_AGAIN, STOP_WALK, 1, &m::transition_from_face_ball_again_to_stop_walk_1_test, nullptr},
            {FACE_BALL_AGAIN, ROTATE_TO_FACE_BALL, 1,
             &m::transition_from_face_ball_again_to_rotate_to_face_ball_1_test, nullptr},
        }};
    return t;
}
