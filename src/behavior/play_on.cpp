#include "behavior/play_on.h"

#include "behavior/playing.h"

play_on::play_on(NaoBehavior* a, hfsm* r, bool log_on)
    : state_machine_t(log_on, a, r), playing_fsm(new playing(a, r, log_on))
{
    children = {playing_fsm.get()};
}

play_on::~play_on() = default;

const play_on::table_t& play_on::table() { return play_on_table<play_on>(); }
