// Attack: the kick at the own kick-off for the player first at the ball,
// the dribble at any other time; an own set piece's taker dribbles to the
// push point behind the ball and kicks from there. Once chosen, the attack
// goes on until the machine above leaves it.
#ifndef BREVANE_BEHAVIOR_ATT_H
#define BREVANE_BEHAVIOR_ATT_H

#include <memory>

#include "behavior/Behavior_robot.h"

class dribble;
class kick;

class att final : public state_machine_t<att> {
public:
    enum state_id { DRIBBLE = 1, KICK, INIT };

    std::unique_ptr<dribble> dribble_fsm;
    std::unique_ptr<kick> kick_fsm;

    att(NaoBehavior* agent, hfsm* root, bool log);
    ~att();
    att(const att&) = delete;
    att& operator=(const att&) = delete;

    static const table_t& table();

    bool transition_from_init_to_kick_1_test();
    bool transition_from_init_to_dribble_2_test();
    bool transition_from_dribble_to_init_1_test();
    void transition_from_dribble_to_init_1_do();
    bool transition_from_kick_to_init_1_test();
};

#endif
