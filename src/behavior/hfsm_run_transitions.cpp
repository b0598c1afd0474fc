#include "behavior/hfsm.h"
#include "behavior/hfsm_run.h"
#include "keyframe/naosimplemove.h"
#include "skills/NaoBehavior_run.h"

namespace run {

bool hfsm::transition_from_root_to_play_on_1_test() {
    if (run_agent->parse->play_mode != NaoParse::PM_PLAY_ON) return false;
    run_agent->game_phase = 2;
    return true;
}

// The run beams again when play starts (the agent's beam branch).
void hfsm::transition_from_root_to_play_on_1_do() { run_agent->beamed = false; }

bool hfsm::transition_from_play_on_to_root_1_test() {
    return run_agent->parse->team_name == ::hfsm::idle_team_name || run_agent->game_phase != 2;
}

bool play_on::transition_from_init_to_playing_1_test() {
    if (run_agent->game_phase != 2) return false;
    run_agent->beamed = false;
    return true;
}

bool play_on::transition_from_playing_to_stand_up_1_test() { return NaoParse::fall_down_detected; }

void play_on::transition_from_playing_to_stand_up_1_do() { naosimplemove_t::clearAllEffector(run_agent->out); }

bool play_on::transition_from_playing_to_init_2_test() {
    const int pm = run_agent->parse->play_mode;
    if (pm == NaoParse::PM_GOAL_LEFT || pm == NaoParse::PM_GOAL_RIGHT) {
        run_agent->game_phase = 3;
        return true;
    }
    return run_agent->game_phase != 2;
}

bool play_on::transition_from_stand_up_to_playing_1_test() {
    if (NaoParse::fall_down_detected) return false;
    naosimplemove_t::clearAllEffector(run_agent->out);
    return true;
}

}  // namespace run
