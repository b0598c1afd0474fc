#include "behavior/goto_global_kick_point2.h"

goto_global_kick_point2::goto_global_kick_point2(NaoBehavior* a, hfsm* r, bool log_on)
    : state_machine_t(log_on, a, r)
{
}

// Every test and action first brings the goal kick point up to date (once
// per think call).
const goto_global_kick_point2::table_t& goto_global_kick_point2::table()
{
    using m = goto_global_kick_point2;
    static const table_t t = {INIT,
                              {
                                  {"init", &m::what_to_do_in_state_init},
                                  {"face_global_kick_point", &m::what_to_do_in_state_face_global_kick_point},
                                  {"goto_kick", &m::what_to_do_in_state_goto_kick},
                              },
                              {
                                  {INIT, FACE_GLOBAL_KICK_POINT, 1,
                                   &m::transition_from_init_to_face_global_kick_point_1_test, nullptr},
                                  {INIT, GOTO_KICK, 2, &m::transition_from_init_to_goto_kick_2_test, nullptr},
                                  {FACE_GLOBAL_KICK_POINT, INIT, 1,
                                   &m::transition_from_face_global_kick_point_to_init_1_test, nullptr},
                                  {GOTO_KICK, FACE_GLOBAL_KICK_POINT, 1,
                                   &m::transition_from_goto_kick_to_face_global_kick_point_1_test, nullptr},
                                  {GOTO_KICK, INIT, 2, &m::transition_from_goto_kick_to_init_2_test, nullptr},
                              }};
    return t;
}
