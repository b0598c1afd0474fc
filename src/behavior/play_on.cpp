#include "behavior/play_on.h"

#include "behavior/playing.h"

play_on::play_on(NaoBehavior* a, hfsm* r, bool log_on)
    : state_machine_t(log_on, a, r), playing_fsm(new playing(a, r, log_on)) {
    children = {playing_fsm.get()};
}

play_on::~play_on() = default;

const play_on::table_t& play_on::table() {
    using m = play_on;
    static const table_t t = {
        INIT,
        {
            {"playing", nullptr},
            {"init", nullptr},
            // The motion interface runs the stand-up from the fall flags.
            {"stand_up", nullptr},
        },
        {
            {INIT, PLAYING, 1, &m::transition_from_init_to_playing_1_test, nullptr},
            {PLAYING, STAND_UP, 1, &m::transition_from_playing_to_stand_up_1_test,
             &m::transition_from_playing_to_stand_up_1_do},
            {PLAYING, INIT, 2, &m::transition_from_playing_to_init_2_test, nullptr},
            {STAND_UP, PLAYING, 1, &m::transition_from_stand_up_to_playing_1_test, nullptr},
        }};
    return t;
}
