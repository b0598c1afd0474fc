// The state machines of the run-challenge program (brevane-run): the match
// agent's root, play_on and playing machines cut down to
//   hfsm [play_on] (root);  play_on [playing] (init, stand_up);  playing (init)
// on the same framework, acting on the run-challenge agent object. In
// exchange every machine writes one log line per step (the root at level
// 0, play_on 1, playing 2), and the root prints the lines of a step
// whenever they differ from those of the step before (machine_log_t).
// The one other difference: entering play_on from root clears the agent's
// beamed flag, as entering playing from init does, so that the first two
// PlayOn cycles beam again.
#ifndef BREVANE_BEHAVIOR_HFSM_RUN_H
#define BREVANE_BEHAVIOR_HFSM_RUN_H

#include <memory>

#include "behavior/Behavior_robot.h"
#include "behavior/machine_log.h"

namespace run {

class NaoBehavior;
class play_on;
class playing;

class hfsm final : public state_machine_t<hfsm, Behavior_robot> {
public:
    enum state_id { PLAY_ON = 1, ROOT };

    NaoBehavior* run_agent;
    machine_log_t lines;  // the step's lines of all three machines
    std::unique_ptr<play_on> play_on_fsm;

    hfsm(NaoBehavior* agent, bool log);
    ~hfsm();
    hfsm(const hfsm&) = delete;
    hfsm& operator=(const hfsm&) = delete;

    static const table_t& table();
    // One step, logged.
    void Apply_behavior() override;

    bool transition_from_root_to_play_on_1_test();
    void transition_from_root_to_play_on_1_do();
    bool transition_from_play_on_to_root_1_test();
};

class play_on final : public state_machine_t<play_on> {
public:
    enum state_id { PLAYING = 1, INIT, STAND_UP };

    NaoBehavior* run_agent;
    hfsm* run_root;
    std::unique_ptr<playing> playing_fsm;

    play_on(NaoBehavior* agent, hfsm* root, bool log);
    ~play_on();
    play_on(const play_on&) = delete;
    play_on& operator=(const play_on&) = delete;

    static const table_t& table();
    void Apply_behavior() override;

    bool transition_from_init_to_playing_1_test();
    bool transition_from_playing_to_stand_up_1_test();
    void transition_from_playing_to_stand_up_1_do();
    bool transition_from_playing_to_init_2_test();
    bool transition_from_stand_up_to_playing_1_test();
    bool transition_from_stand_up_to_init_2_test();
};

class playing final : public state_machine_t<playing> {
public:
    enum state_id { INIT = 1 };

    hfsm* run_root;

    playing(NaoBehavior* agent, hfsm* root, bool log);

    static const table_t& table();
    void Apply_behavior() override;
};

}  // namespace run

#endif
