#include "behavior/dribble.h"

#include "behavior/at_ball.h"
#include "behavior/not_at_ball.h"

dribble::dribble(NaoBehavior* a, hfsm* r, bool log_on)
    : state_machine_t(log_on, a, r),
      not_at_ball_fsm(new not_at_ball(a, r, log_on)),
      at_ball_fsm(new at_ball(a, r, log_on))
{
    children = {not_at_ball_fsm.get(), at_ball_fsm.get()};
}

dribble::~dribble() = default;

const dribble::table_t& dribble::table()
{
    using m = dribble;
    static const table_t t = {
        INIT,
        {
            {"not_at_ball", nullptr},
            {"at_ball", nullptr},
            {"init", nullptr},
        },
        {
            {INIT, NOT_AT_BALL, 1, &m::transition_from_init_to_not_at_ball_1_test, nullptr},
            {INIT, AT_BALL, 2, &m::transition_from_init_to_at_ball_2_test, nullptr},
            {NOT_AT_BALL, INIT, 1, &m::transition_from_not_at_ball_to_init_1_test, nullptr},
            {AT_BALL, INIT, 1, &m::transition_from_at_ball_to_init_1_test, nullptr},
        }};
    return t;
}
