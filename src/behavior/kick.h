// The kick at the own kick-off: face the ball, reach the goal kick point
// 0.5 m behind it, stop, and kick from there.
#ifndef BREVANE_BEHAVIOR_KICK_H
#define BREVANE_BEHAVIOR_KICK_H

#include <memory>

#include "behavior/Behavior_robot.h"

class goto_global_kick_point2;
class at_push_point_kick;

class kick final : public state_machine_t<kick> {
public:
    enum state_id {
        GOTO_GLOBAL_KICK_POINT2 = 1,
        AT_PUSH_POINT_KICK,
        INIT,
        STOP_WALK,
        ROTATE_TO_FACE_BALL,
        FACE_BALL_AGAIN
    };

    std::unique_ptr<goto_global_kick_point2> goto_global_kick_point2_fsm;
    std::unique_ptr<at_push_point_kick> at_push_point_kick_fsm;

    kick(NaoBehavior* agent, hfsm* root, bool log);
    ~kick();
    kick(const kick&) = delete;
    kick& operator=(const kick&) = delete;

    static const table_t& table();

    bool transition_from_init_to_goto_global_kick_point2_1_test();
    bool transition_from_init_to_rotate_to_face_ball_2_test();
    bool transition_from_goto_global_kick_point2_to_stop_walk_1_test();
    bool transition_from_goto_global_kick_point2_to_face_ball_again_2_test();
    bool transition_from_goto_global_kick_point2_to_rotate_to_face_ball_3_test();
    bool transition_from_at_push_point_kick_to_init_1_test();
    bool transition_from_stop_walk_to_rotate_to_face_ball_1_test();
    bool transition_from_stop_walk_to_at_push_point_kick_2_test();
    bool transition_from_rotate_to_face_ball_to_init_1_test();
    bool transition_from_face_ball_again_to_goto_global_kick_point2_1_test();
    bool transition_from_face_ball_again_to_stop_walk_1_test();
    bool transition_from_face_ball_again_to_rotate_to_face_ball_1_test();

    void what_to_do_in_state_stop_walk();
    void what_to_do_in_state_rotate_to_face_ball();
    void what_to_do_in_state_face_ball_again();
};

#endif
