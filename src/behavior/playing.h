// Playing: look for the ball, attack it when first at it, recover the own
// position, or take the strategy's place for the ball (assist); decided
// again from init whenever the condition of the current choice lapses.
#ifndef BREVANE_BEHAVIOR_PLAYING_H
#define BREVANE_BEHAVIOR_PLAYING_H

#include <memory>

#include "behavior/Behavior_robot.h"

class look_for_ball;
class att;
class look_for_coord;
namespace qorvexlib {
class formation_t;
}

class playing final : public state_machine_t<playing> {
public:
    enum state_id { LOOK_FOR_BALL = 1, ATT, LOOK_FOR_COORD, INIT, ASSIST };

    std::unique_ptr<look_for_ball> look_for_ball_fsm;
    std::unique_ptr<att> att_fsm;
    std::unique_ptr<look_for_coord> look_for_coord_fsm;
    // The formation the assist state asks the strategy for, kept from one
    // query to the next: making one (with its Lua state) at every think
    // cost more than the query. Each query overwrites all of it.
    std::unique_ptr<qorvexlib::formation_t> places;

    playing(NaoBehavior* agent, hfsm* root, bool log);
    ~playing();
    playing(const playing&) = delete;
    playing& operator=(const playing&) = delete;

    static const table_t& table();

    bool transition_from_init_to_look_for_ball_1_test();
    bool transition_from_init_to_att_2_test();
    bool transition_from_init_to_look_for_coord_3_test();
    bool transition_from_init_to_assist_4_test();
    bool transition_from_look_for_ball_to_init_1_test();
    bool transition_from_att_to_init_1_test();
    bool transition_from_look_for_coord_to_init_1_test();
    bool transition_from_assist_to_init_1_test();

    void what_to_do_in_state_assist();
};

#endif
