// Play: stands up after a fall and leaves play after a goal; the playing
// itself is the machine playing.
#ifndef BREVANE_BEHAVIOR_PLAY_ON_H
#define BREVANE_BEHAVIOR_PLAY_ON_H

#include <memory>

#include "behavior/Behavior_robot.h"

class playing;

class play_on final : public state_machine_t<play_on> {
public:
    enum state_id { PLAYING = 1, INIT, STAND_UP };

    std::unique_ptr<playing> playing_fsm;

    play_on(NaoBehavior* agent, hfsm* root, bool log);
    ~play_on();
    play_on(const play_on&) = delete;
    play_on& operator=(const play_on&) = delete;

    static const table_t& table();

    bool transition_from_init_to_playing_1_test();
    bool transition_from_playing_to_stand_up_1_test();
    void transition_from_playing_to_stand_up_1_do();
    bool transition_from_playing_to_init_2_test();
    bool transition_from_stand_up_to_playing_1_test();
    bool transition_from_stand_up_to_init_2_test();
};

// The table of a play_on machine M: its states and transitions, the ones
// of the match agent's play_on. The run-challenge program's cut-down
// play_on (hfsm_run.h) has the same.
template <class M>
const machine_table_t<M>& play_on_table()
{
    static const machine_table_t<M> t = {
        M::INIT,
        {
            {"playing", nullptr},
            {"init", nullptr},
            // The motion interface runs the stand-up from the fall flags.
            {"stand_up", nullptr},
        },
        {
            {M::INIT, M::PLAYING, 1, &M::transition_from_init_to_playing_1_test, nullptr},
            {M::PLAYING, M::STAND_UP, 1, &M::transition_from_playing_to_stand_up_1_test,
             &M::transition_from_playing_to_stand_up_1_do},
            {M::PLAYING, M::INIT, 2, &M::transition_from_playing_to_init_2_test, nullptr},
            {M::STAND_UP, M::PLAYING, 1, &M::transition_from_stand_up_to_playing_1_test, nullptr},
            // A goal while the robot stands up: the root machine beams it
            // in the goal's pause, which the stand-up outlasts.
            {M::STAND_UP, M::INIT, 2, &M::transition_from_stand_up_to_init_2_test, nullptr},
        }};
    return t;
}

#endif
