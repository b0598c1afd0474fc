#include "behavior/not_at_push_point.h"

not_at_push_point::not_at_push_point(NaoBehavior* a, hfsm* r, bool log_on) : state_machine_t(log_on, a, r) {}

const not_at_push_point::table_t& not_at_push_point::table()
{
    using m = not_at_push_point;
    static const table_t t = {
        INIT,
        {
            {"init", nullptr},
            {"translate_to_push_point", &m::what_to_do_in_state_translate_to_push_point},
            // The random step was asked for by the test that entered it.
            {"remove_own_goal_alignment", nullptr},
        },
        {
            {INIT, REMOVE_OWN_GOAL_ALIGNMENT, 1, &m::transition_from_init_to_remove_own_goal_alignment_1_test,
             nullptr},
            {INIT, TRANSLATE_TO_PUSH_POINT, 2, &m::transition_from_init_to_translate_to_push_point_2_test,
             nullptr},
            {TRANSLATE_TO_PUSH_POINT, INIT, 1, &m::transition_from_translate_to_push_point_to_init_1_test,
             nullptr},
            {REMOVE_OWN_GOAL_ALIGNMENT, INIT, 1, &m::transition_from_remove_own_goal_alignment_to_init_1_test,
             nullptr},
        }};
    return t;
}
