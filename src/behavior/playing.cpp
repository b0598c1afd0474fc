#include "behavior/playing.h"

#include "behavior/att.h"
#include "behavior/look_for_ball.h"
#include "behavior/look_for_coord.h"
#include "qorvexlib/formation.h"

playing::playing(NaoBehavior* a, hfsm* r, bool log_on)
    : state_machine_t(log_on, a, r),
      look_for_ball_fsm(new look_for_ball(a, r, log_on)),
      att_fsm(new att(a, r, log_on)),
      look_for_coord_fsm(new look_for_coord(a, r, log_on)),
      places(new qorvexlib::formation_t)
{
    children = {look_for_ball_fsm.get(), att_fsm.get(), look_for_coord_fsm.get()};
}

playing::~playing() = default;

const playing::table_t& playing::table()
{
    using m = playing;
    static const table_t t = {
        INIT,
        {
            {"look_for_ball", nullptr},
            {"att", nullptr},
            {"look_for_coord", nullptr},
            {"init", nullptr},
            {"assist", &m::what_to_do_in_state_assist},
        },
        {
            {INIT, LOOK_FOR_BALL, 1, &m::transition_from_init_to_look_for_ball_1_test, nullptr},
            {INIT, ATT, 2, &m::transition_from_init_to_att_2_test, nullptr},
            {INIT, LOOK_FOR_COORD, 3, &m::transition_from_init_to_look_for_coord_3_test, nullptr},
            {INIT, ASSIST, 4, &m::transition_from_init_to_assist_4_test, nullptr},
            {LOOK_FOR_BALL, INIT, 1, &m::transition_from_look_for_ball_to_init_1_test, nullptr},
            {ATT, INIT, 1, &m::transition_from_att_to_init_1_test, nullptr},
            {LOOK_FOR_COORD, INIT, 1, &m::transition_from_look_for_coord_to_init_1_test, nullptr},
            {ASSIST, INIT, 1, &m::transition_from_assist_to_init_1_test, nullptr},
        }};
    return t;
}
