// Looking for the ball: turn towards where it was last known, or a quarter
// turn at a time while it is not known.
#ifndef BREVANE_BEHAVIOR_LOOK_FOR_BALL_H
#define BREVANE_BEHAVIOR_LOOK_FOR_BALL_H

#include "behavior/Behavior_robot.h"

class look_for_ball final : public state_machine_t<look_for_ball> {
public:
    enum state_id { INIT = 1, FACE_THE_BALL };

    look_for_ball(NaoBehavior* agent, hfsm* root, bool log);

    static const table_t& table();

    bool transition_from_init_to_face_the_ball_1_test();
    bool transition_from_face_the_ball_to_init_1_test();

    void what_to_do_in_state_face_the_ball();
};

#endif
