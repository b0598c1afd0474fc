// At the ball: push it from the push point 0.3 m behind it, or reach that
// point first. A push once started goes on even if the robot leaves the
// push point.
#ifndef BREVANE_BEHAVIOR_AT_BALL_H
#define BREVANE_BEHAVIOR_AT_BALL_H

#include <memory>

#include "behavior/Behavior_robot.h"

class at_push_point;
class not_at_push_point;

class at_ball final : public state_machine_t<at_ball> {
public:
    enum state_id { AT_PUSH_POINT = 1, NOT_AT_PUSH_POINT, INIT };

    std::unique_ptr<at_push_point> at_push_point_fsm;
    std::unique_ptr<not_at_push_point> not_at_push_point_fsm;

    at_ball(NaoBehavior* agent, hfsm* root, bool log);
    ~at_ball();
    at_ball(const at_ball&) = delete;
    at_ball& operator=(const at_ball&) = delete;

    static const table_t& table();

    bool transition_from_init_to_at_push_point_1_test();
    bool transition_from_init_to_not_at_push_point_2_test();
    bool transition_from_at_push_point_to_init_1_test();
    bool transition_from_not_at_push_point_to_init_1_test();
};

#endif
