// Reaching the push point: walk straight to it in the torso frame, step
// back when the ball is in the way, and make one random step away when the
// robot faces its own goal.
#ifndef BREVANE_BEHAVIOR_NOT_AT_PUSH_POINT_H
#define BREVANE_BEHAVIOR_NOT_AT_PUSH_POINT_H

#include "behavior/Behavior_robot.h"

class not_at_push_point final : public state_machine_t<not_at_push_point> {
public:
    enum state_id { INIT = 1, TRANSLATE_TO_PUSH_POINT, REMOVE_OWN_GOAL_ALIGNMENT };

    not_at_push_point(NaoBehavior* agent, hfsm* root, bool log);

    static const table_t& table();

    bool transition_from_init_to_remove_own_goal_alignment_1_test();
    bool transition_from_init_to_translate_to_push_point_2_test();
    bool transition_from_translate_to_push_point_to_init_1_test();
    bool transition_from_remove_own_goal_alignment_to_init_1_test();

    void what_to_do_in_state_translate_to_push_point();
};

#endif
