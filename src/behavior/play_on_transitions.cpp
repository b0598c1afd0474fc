#include "behavior/play_on.h"
#include "keyframe/naosimplemove.h"
#include "skills/NaoBehavior.h"

bool play_on::transition_from_init_to_playing_1_test() {
    if (agent->game_phase != 2) return false;
    // The next beam (after a goal) is still to be sent.
    agent->beamed = false;
    return true;
}

bool play_on::transition_from_playing_to_stand_up_1_test() { return NaoParse::fall_down_detected; }

void play_on::transition_from_playing_to_stand_up_1_do() { naosimplemove_t::clearAllEffector(agent->out); }

bool play_on::transition_from_playing_to_init_2_test() {
    const int pm = agent->parse->play_mode;
    if (pm == NaoParse::PM_GOAL_LEFT || pm == NaoParse::PM_GOAL_RIGHT) {
        agent->game_phase = 3;
        return true;
    }
    return agent->game_phase != 2;
}

bool play_on::transition_from_stand_up_to_playing_1_test() {
    if (NaoParse::fall_down_detected) return false;
    naosimplemove_t::clearAllEffector(agent->out);
    return true;
}
