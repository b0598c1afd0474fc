// Dribble: go to the ball, then play it from the push point behind it.
#ifndef BREVANE_BEHAVIOR_DRIBBLE_H
#define BREVANE_BEHAVIOR_DRIBBLE_H

#include <memory>

#include "behavior/Behavior_robot.h"

class not_at_ball;
class at_ball;

class dribble final : public state_machine_t<dribble> {
public:
    enum state_id { NOT_AT_BALL = 1, AT_BALL, INIT };

    std::unique_ptr<not_at_ball> not_at_ball_fsm;
    std::unique_ptr<at_ball> at_ball_fsm;

    dribble(NaoBehavior* agent, hfsm* root, bool log);
    ~dribble();
    dribble(const dribble&) = delete;
    dribble& operator=(const dribble&) = delete;

    static const table_t& table();

    bool transition_from_init_to_not_at_ball_1_test();
    bool transition_from_init_to_at_ball_2_test();
    bool transition_from_not_at_ball_to_init_1_test();
    bool transition_from_at_ball_to_init_1_test();
};

#endif
