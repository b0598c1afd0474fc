// The transition tests that the match agent's machines and the
// run-challenge program's cut-down ones share: entering and leaving play
// (root machine) and the steps of play_on. Agent is either program's agent
// object; both have game_phase, beamed, parse and out.
#ifndef BREVANE_BEHAVIOR_PLAY_RULES_H
#define BREVANE_BEHAVIOR_PLAY_RULES_H

#include "keyframe/naosimplemove.h"
#include "perception/naoparse.h"

namespace play_rules {

// The team of this name never plays: its root machine leaves play_on in
// the step after entering it.
constexpr const char* idle_team_name = "Qorvex-SIe";

// root -> play_on: the game runs; play begins (game phase 2).
template <class Agent>
bool play_begins(Agent& a)
{
    if (a.parse->play_mode != NaoParse::PM_PLAY_ON) return false;
    a.game_phase = 2;
    return true;
}

// play_on -> root: the idle team, or play is over.
template <class Agent>
bool play_is_over(const Agent& a)
{
    return a.parse->team_name == idle_team_name || a.game_phase != 2;
}

// play_on, init -> playing: play has begun; the next beam (after a goal)
// is still to be sent.
template <class Agent>
bool playing_begins(Agent& a)
{
    if (a.game_phase != 2) return false;
    a.beamed = false;
    return true;
}

// play_on, playing -> stand_up.
inline bool fallen() { return NaoParse::fall_down_detected; }

// play_on, playing -> init: a goal (game phase 3), the half-time break
// (game phase 1: before a kick-off again), or play is over. The second half
// starts from BeforeKickOff as the first does; a robot that played on
// through it would take the kick-off from wherever the first half left it,
// unbeamed.
template <class Agent>
bool goal_or_play_over(Agent& a)
{
    const int pm = a.parse->play_mode;
    if (pm == NaoParse::PM_GOAL_LEFT || pm == NaoParse::PM_GOAL_RIGHT) {
        a.game_phase = 3;
        return true;
    }
    if (pm == NaoParse::PM_BEFORE_KICK_OFF) {
        a.game_phase = 1;
        return true;
    }
    return a.game_phase != 2;
}

// play_on, stand_up -> playing: the fall is over; every arm and leg
// effector is cleared.
template <class Agent>
bool stood_up(Agent& a)
{
    if (NaoParse::fall_down_detected) return false;
    naosimplemove_t::clearAllEffector(a.out);
    return true;
}

}  // namespace play_rules

#endif
