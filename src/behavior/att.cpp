#include "behavior/att.h"

#include "behavior/dribble.h"
#include "behavior/kick.h"

att::att(NaoBehavior* a, hfsm* r, bool log_on)
    : state_machine_t(log_on, a, r), dribble_fsm(new dribble(a, r, log_on)), kick_fsm(new kick(a, r, log_on))
{
    children = {dribble_fsm.get(), kick_fsm.get()};
}

att::~att() = default;

const att::table_t& att::table()
{
    using m = att;
    static const table_t t = {INIT,
                              {
                                  {"dribble", nullptr},
                                  {"kick", nullptr},
                                  {"init", nullptr},
                              },
                              {
                                  {INIT, KICK, 1, &m::transition_from_init_to_kick_1_test, nullptr},
                                  {INIT, DRIBBLE, 2, &m::transition_from_init_to_dribble_2_test, nullptr},
                                  {DRIBBLE, INIT, 1, &m::transition_from_dribble_to_init_1_test,
                                   &m::transition_from_dribble_to_init_1_do},
                                  {KICK, INIT, 1, &m::transition_from_kick_to_init_1_test, nullptr},
                              }};
    return t;
}
