// Reaching the goal kick point: turn towards it until its bearing is within
// a tolerance that grows with its distance, then walk to it by its offset
// in the torso frame.
#ifndef BREVANE_BEHAVIOR_GOTO_GLOBAL_KICK_POINT2_H
#define BREVANE_BEHAVIOR_GOTO_GLOBAL_KICK_POINT2_H

#include "behavior/Behavior_robot.h"

class goto_global_kick_point2 final : public state_machine_t<goto_global_kick_point2> {
public:
    enum state_id { INIT = 1, FACE_GLOBAL_KICK_POINT, GOTO_KICK };

    goto_global_kick_point2(NaoBehavior* agent, hfsm* root, bool log);

    static const table_t& table();

    bool transition_from_init_to_face_global_kick_point_1_test();
    bool transition_from_init_to_goto_kick_2_test();
    bool transition_from_face_global_kick_point_to_init_1_test();
    bool transition_from_goto_kick_to_face_global_kick_point_1_test();
    bool transition_from_goto_kick_to_init_2_test();

    void what_to_do_in_state_init();
    void what_to_do_in_state_face_global_kick_point();
    void what_to_do_in_state_goto_kick();
};

#endif
