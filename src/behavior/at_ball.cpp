#include "behavior/at_ball.h"

#include "behavior/at_push_point.h"
#include "behavior/not_at_push_point.h"

at_ball::at_ball(NaoBehavior* a, hfsm* r, bool log_on)
    : state_machine_t(log_on, a, r),
      at_push_point_fsm(new at_push_point(a, r, log_on)),
      not_at_push_point_fsm(new not_at_push_point(a, r, log_on))
{
    children = {at_push_point_fsm.get(), not_at_push_point_fsm.get()};
}

at_ball::~at_ball() = default;

const at_ball::table_t& at_ball::table()
{
    using m = at_ball;
    static const table_t t = {
        INIT,
        {
            {"at_push_point", nullptr},
            {"not_at_push_point", nullptr},
            {"init", nullptr},
        },
        {
            {INIT, AT_PUSH_POINT, 1, &m::transition_from_init_to_at_push_point_1_test, nullptr},
            {INIT, NOT_AT_PUSH_POINT, 2, &m::transition_from_init_to_not_at_push_point_2_test, nullptr},
            {AT_PUSH_POINT, INIT, 1, &m::transition_from_at_push_point_to_init_1_test, nullptr},
            {NOT_AT_PUSH_POINT, INIT, 1, &m::transition_from_not_at_push_point_to_init_1_test, nullptr},
        }};
    return t;
}
