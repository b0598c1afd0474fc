// At the kick point: collect ten ball observations, make one corrective
// step to the kicking position, then kick with the foot on the side to
// which the head is turned; a ball that the step left out of the kick's
// reach is sampled again for another step.
#ifndef BREVANE_BEHAVIOR_AT_PUSH_POINT_KICK_H
#define BREVANE_BEHAVIOR_AT_PUSH_POINT_KICK_H

#include "behavior/Behavior_robot.h"

class at_push_point_kick final : public state_machine_t<at_push_point_kick> {
public:
    enum state_id { INIT = 1, BALL_LOCALIZED, KICKING };

    at_push_point_kick(NaoBehavior* agent, hfsm* root, bool log);

    static const table_t& table();

    bool transition_from_init_to_ball_localized_1_test();
    bool transition_from_ball_localized_to_kicking_1_test();
    bool transition_from_ball_localized_to_init_2_test();
    bool transition_from_kicking_to_init_1_test();

    void what_to_do_in_state_init();
};

#endif
