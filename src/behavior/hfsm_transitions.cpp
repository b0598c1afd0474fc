#include "behavior/hfsm.h"
#include "behavior/play_rules.h"
#include "skills/NaoBehavior.h"

namespace {

bool mode_is(const NaoBehavior* a, int m1, int m2)
{
    return a->parse->play_mode == m1 || a->parse->play_mode == m2;
}

}  // namespace

bool hfsm::transition_from_root_to_play_on_1_test() { return play_rules::play_begins(*agent); }

bool hfsm::transition_from_root_to_beforekick_off_2_test()
{
    return agent->parse->play_mode == NaoParse::PM_BEFORE_KICK_OFF;
}

bool hfsm::transition_from_root_to_kick_off_left_or_right_3_test()
{
    return mode_is(agent, NaoParse::PM_KICK_OFF_LEFT, NaoParse::PM_KICK_OFF_RIGHT);
}

bool hfsm::transition_from_root_to_goal_left_or_right_4_test()
{
    return mode_is(agent, NaoParse::PM_GOAL_LEFT, NaoParse::PM_GOAL_RIGHT);
}

bool hfsm::transition_from_root_to_goal_kick_left_or_right_5_test()
{
    return mode_is(agent, NaoParse::PM_GOAL_KICK_LEFT, NaoParse::PM_GOAL_KICK_RIGHT);
}

bool hfsm::transition_from_root_to_kick_in_left_or_right_6_test()
{
    return mode_is(agent, NaoParse::PM_KICK_IN_LEFT, NaoParse::PM_KICK_IN_RIGHT);
}

bool hfsm::transition_from_root_to_corner_kick_left_or_right_7_test()
{
    return mode_is(agent, NaoParse::PM_CORNER_KICK_LEFT, NaoParse::PM_CORNER_KICK_RIGHT);
}

bool hfsm::transition_from_root_to_offside_left_or_right_8_test()
{
    return mode_is(agent, NaoParse::PM_OFFSIDE_LEFT, NaoParse::PM_OFFSIDE_RIGHT);
}

bool hfsm::transition_from_root_to_game_over_9_test()
{
    return agent->parse->play_mode == NaoParse::PM_GAME_OVER;
}

bool hfsm::transition_from_root_to_free_kick_left_or_right_10_test()
{
    return mode_is(agent, NaoParse::PM_FREE_KICK_LEFT, NaoParse::PM_FREE_KICK_RIGHT);
}

bool hfsm::transition_from_play_on_to_root_1_test() { return play_rules::play_is_over(*agent); }

// Leaving a beam window (before kick-off, a goal's pause) ends it, whether
// the beam went out or not.
bool hfsm::transition_from_beforekick_off_to_root_1_test()
{
    if (agent->game_phase != 1 || agent->parse->play_mode == NaoParse::PM_BEFORE_KICK_OFF) return false;
    end_beam_window();
    return true;
}

bool hfsm::transition_from_goal_left_or_right_to_root_1_test()
{
    if (transition_from_root_to_goal_left_or_right_4_test()) return false;
    end_beam_window();
    return true;
}

bool hfsm::transition_from_kick_off_left_or_right_to_play_on_1_test()
{
    if (!agent->beamed || !transition_from_root_to_kick_off_left_or_right_3_test()) return false;
    agent->game_phase = 2;
    return true;
}

bool hfsm::transition_from_kick_off_left_or_right_to_root_2_test()
{
    return !transition_from_root_to_kick_off_left_or_right_3_test();
}

bool hfsm::transition_from_goal_kick_left_or_right_to_root_1_test()
{
    return !transition_from_root_to_goal_kick_left_or_right_5_test();
}

bool hfsm::transition_from_kick_in_left_or_right_to_root_1_test()
{
    return !transition_from_root_to_kick_in_left_or_right_6_test();
}

bool hfsm::transition_from_corner_kick_left_or_right_to_root_1_test()
{
    return !transition_from_root_to_corner_kick_left_or_right_7_test();
}

bool hfsm::transition_from_offside_left_or_right_to_root_1_test()
{
    return !transition_from_root_to_offside_left_or_right_8_test();
}

bool hfsm::transition_from_game_over_to_root_1_test() { return !transition_from_root_to_game_over_9_test(); }

bool hfsm::transition_from_free_kick_left_or_right_to_root_1_test()
{
    return !transition_from_root_to_free_kick_left_or_right_10_test();
}
