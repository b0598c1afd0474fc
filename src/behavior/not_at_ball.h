// Going to the ball: face it, walk by its offset in the torso frame, and
// turn to find it again when it drops out of view.
#ifndef BREVANE_BEHAVIOR_NOT_AT_BALL_H
#define BREVANE_BEHAVIOR_NOT_AT_BALL_H

#include "behavior/Behavior_robot.h"

class not_at_ball final : public state_machine_t<not_at_ball> {
public:
    enum state_id { INIT = 1, FACE_THE_BALL, GOTO_BALL, SIMPLY_ROTATE };

    not_at_ball(NaoBehavior* agent, hfsm* root, bool log);

    static const table_t& table();

    bool transition_from_init_to_face_the_ball_1_test();
    bool transition_from_init_to_goto_ball_2_test();
    bool transition_from_face_the_ball_to_init_1_test();
    bool transition_from_face_the_ball_to_simply_rotate_2_test();
    bool transition_from_goto_ball_to_face_the_ball_1_test();
    bool transition_from_goto_ball_to_simply_rotate_1_test();
    bool transition_from_goto_ball_to_init_2_test();
    bool transition_from_simply_rotate_to_face_the_ball_1_test();

    void what_to_do_in_state_face_the_ball();
    void what_to_do_in_state_goto_ball();
    void what_to_do_in_state_simply_rotate();
};

#endif
