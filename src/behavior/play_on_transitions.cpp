#include "behavior/play_on.h"
#include "behavior/play_rules.h"
#include "keyframe/naosimplemove.h"
#include "skills/NaoBehavior.h"

bool play_on::transition_from_init_to_playing_1_test() { return play_rules::playing_begins(*agent); }

bool play_on::transition_from_playing_to_stand_up_1_test() { return play_rules::fallen(); }

void play_on::transition_from_playing_to_stand_up_1_do() { naosimplemove_t::clearAllEffector(agent->out); }

bool play_on::transition_from_playing_to_init_2_test() { return play_rules::goal_or_play_over(*agent); }

bool play_on::transition_from_stand_up_to_playing_1_test() { return play_rules::stood_up(*agent); }

bool play_on::transition_from_stand_up_to_init_2_test() { return play_rules::goal_or_play_over(*agent); }
