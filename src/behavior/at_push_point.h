// At the push point: face the ball closely, then walk through it towards
// the opponent goal for a timed push (at once when the ball is within 3 m
// of the goal).
#ifndef BREVANE_BEHAVIOR_AT_PUSH_POINT_H
#define BREVANE_BEHAVIOR_AT_PUSH_POINT_H

#include "behavior/Behavior_robot.h"

class at_push_point final : public state_machine_t<at_push_point> {
public:
    enum state_id { INIT = 1, FACE_THE_BALL, PUSH_THE_BALL };

    at_push_point(NaoBehavior* agent, hfsm* root, bool log);

    static const table_t& table();

    bool transition_from_init_to_push_the_ball_1_test();
    bool transition_from_init_to_face_the_ball_2_test();
    bool transition_from_face_the_ball_to_init_1_test();
    bool transition_from_push_the_ball_to_init_1_test();

    void what_to_do_in_state_face_the_ball();
    void what_to_do_in_state_push_the_ball();
};

#endif
