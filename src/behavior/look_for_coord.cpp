#include "behavior/look_for_coord.h"

look_for_coord::look_for_coord(NaoBehavior* a, hfsm* r, bool log_on) : state_machine_t(log_on, a, r) {}

const look_for_coord::table_t& look_for_coord::table()
{
    using m = look_for_coord;
    static const table_t t = {
        INIT,
        {
            {"init", nullptr},
            {"coord_cnt_ok", &m::what_to_do_in_state_coord_cnt_ok},
        },
        {
            {INIT, COORD_CNT_OK, 1, &m::transition_from_init_to_coord_cnt_ok_1_test, nullptr},
            {COORD_CNT_OK, INIT, 1, &m::transition_from_coord_cnt_ok_to_init_1_test, nullptr},
        }};
    return t;
}
