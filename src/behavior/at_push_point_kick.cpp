#include "behavior/at_push_point_kick.h"

at_push_point_kick::at_push_point_kick(NaoBehavior* a, hfsm* r, bool log_on) : state_machine_t(log_on, a, r)
{
}

const at_push_point_kick::table_t& at_push_point_kick::table()
{
    using m = at_push_point_kick;
    static const table_t t = {
        INIT,
        {
            {"init", &m::what_to_do_in_state_init},
            {"ball_localized", nullptr},
            {"kicking", nullptr},
        },
        {
            {INIT, BALL_LOCALIZED, 1, &m::transition_from_init_to_ball_localized_1_test, nullptr},
            {BALL_LOCALIZED, KICKING, 1, &m::transition_from_ball_localized_to_kicking_1_test, nullptr},
            {BALL_LOCALIZED, INIT, 2, &m::transition_from_ball_localized_to_init_2_test, nullptr},
            {KICKING, INIT, 1, &m::transition_from_kicking_to_init_1_test, nullptr},
        }};
    return t;
}
