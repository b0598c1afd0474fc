// Recovering the own position: turn on the spot to bring landmarks into
// view while the last update had no landmark fix.
#ifndef BREVANE_BEHAVIOR_LOOK_FOR_COORD_H
#define BREVANE_BEHAVIOR_LOOK_FOR_COORD_H

#include "behavior/Behavior_robot.h"

class look_for_coord final : public state_machine_t<look_for_coord> {
public:
    enum state_id { INIT = 1, COORD_CNT_OK };

    look_for_coord(NaoBehavior* agent, hfsm* root, bool log);

    static const table_t& table();

    bool transition_from_init_to_coord_cnt_ok_1_test();
    bool transition_from_coord_cnt_ok_to_init_1_test();

    void what_to_do_in_state_coord_cnt_ok();
};

#endif
