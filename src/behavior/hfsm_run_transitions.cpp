#include "behavior/hfsm_run.h"
#include "behavior/play_rules.h"
#include "keyframe/naosimplemove.h"
#include "skills/NaoBehavior_run.h"

namespace run {

bool hfsm::transition_from_root_to_play_on_1_test() { return play_rules::play_begins(*run_agent); }

// The run beams again when play starts (the agent's beam branch).
void hfsm::transition_from_root_to_play_on_1_do() { run_agent->beamed = false; }

bool hfsm::transition_from_play_on_to_root_1_test() { return play_rules::play_is_over(*run_agent); }

bool play_on::transition_from_init_to_playing_1_test() { return play_rules::playing_begins(*run_agent); }

bool play_on::transition_from_playing_to_stand_up_1_test() { return play_rules::fallen(); }

void play_on::transition_from_playing_to_stand_up_1_do()
{
    naosimplemove_t::clearAllEffector(run_agent->out);
}

bool play_on::transition_from_playing_to_init_2_test() { return play_rules::goal_or_play_over(*run_agent); }

bool play_on::transition_from_stand_up_to_playing_1_test() { return play_rules::stood_up(*run_agent); }

bool play_on::transition_from_stand_up_to_init_2_test() { return play_rules::goal_or_play_over(*run_agent); }

}  // namespace run
