#include "behavior/hfsm.h"

#include <cstring>

#include "behavior/at_push_point_kick.h"
#include "behavior/att.h"
#include "behavior/kick.h"
#include "behavior/play_on.h"
#include "behavior/playing.h"

hfsm::hfsm(NaoBehavior* a, bool log_on)
    : state_machine_t(log_on, a), level_count(0), level_depth(0), play_on_fsm(new play_on(a, this, log_on))
{
    for (auto& l : level) std::strcpy(l, "none");
    beam_text[0] = '\0';
    children = {play_on_fsm.get()};
}

hfsm::~hfsm() = default;

bool hfsm::kicking_at_ball() const
{
    const Behavior* at_ball_kick = play_on_fsm->playing_fsm->att_fsm->kick_fsm->at_push_point_kick_fsm.get();
    for (const Behavior* m = this; m != nullptr; m = m->active)
        if (m == at_ball_kick) return true;
    return false;
}

const hfsm::table_t& hfsm::table()
{
    using h = hfsm;
    static const table_t t = {
        ROOT,
        {
            {"play_on", nullptr},
            {"beforekick_off", &h::what_to_do_in_state_beforekick_off},
            {"goal_left_or_right", &h::what_to_do_in_state_goal_left_or_right},
            {"kick_off_left_or_right", nullptr},
            {"goal_kick_left_or_right", nullptr},
            {"root", nullptr},
            {"kick_in_left_or_right", nullptr},
            {"corner_kick_left_or_right", nullptr},
            {"offside_left_or_right", nullptr},
            {"game_over", nullptr},
            {"free_kick_left_or_right", nullptr},
        },
        {
            {ROOT, PLAY_ON, 1, &h::transition_from_root_to_play_on_1_test, nullptr},
            {ROOT, BEFOREKICK_OFF, 2, &h::transition_from_root_to_beforekick_off_2_test, nullptr},
            {ROOT, KICK_OFF_LEFT_OR_RIGHT, 3, &h::transition_from_root_to_kick_off_left_or_right_3_test,
             nullptr},
            {ROOT, GOAL_LEFT_OR_RIGHT, 4, &h::transition_from_root_to_goal_left_or_right_4_test, nullptr},
            {ROOT, GOAL_KICK_LEFT_OR_RIGHT, 5, &h::transition_from_root_to_goal_kick_left_or_right_5_test,
             nullptr},
            {ROOT, KICK_IN_LEFT_OR_RIGHT, 6, &h::transition_from_root_to_kick_in_left_or_right_6_test,
             nullptr},
            {ROOT, CORNER_KICK_LEFT_OR_RIGHT, 7, &h::transition_from_root_to_corner_kick_left_or_right_7_test,
             nullptr},
            {ROOT, OFFSIDE_LEFT_OR_RIGHT, 8, &h::transition_from_root_to_offside_left_or_right_8_test,
             nullptr},
            {ROOT, GAME_OVER, 9, &h::transition_from_root_to_game_over_9_test, nullptr},
            {ROOT, FREE_KICK_LEFT_OR_RIGHT, 10, &h::transition_from_root_to_free_kick_left_or_right_10_test,
             nullptr},
            {PLAY_ON, ROOT, 1, &h::transition_from_play_on_to_root_1_test, nullptr},
            {BEFOREKICK_OFF, ROOT, 1, &h::transition_from_beforekick_off_to_root_1_test, nullptr},
            {GOAL_LEFT_OR_RIGHT, ROOT, 1, &h::transition_from_goal_left_or_right_to_root_1_test, nullptr},
            {KICK_OFF_LEFT_OR_RIGHT, PLAY_ON, 1, &h::transition_from_kick_off_left_or_right_to_play_on_1_test,
             nullptr},
            {KICK_OFF_LEFT_OR_RIGHT, ROOT, 2, &h::transition_from_kick_off_left_or_right_to_root_2_test,
             nullptr},
            {GOAL_KICK_LEFT_OR_RIGHT, ROOT, 1, &h::transition_from_goal_kick_left_or_right_to_root_1_test,
             nullptr},
            {KICK_IN_LEFT_OR_RIGHT, ROOT, 1, &h::transition_from_kick_in_left_or_right_to_root_1_test,
             nullptr},
            {CORNER_KICK_LEFT_OR_RIGHT, ROOT, 1, &h::transition_from_corner_kick_left_or_right_to_root_1_test,
             nullptr},
            {OFFSIDE_LEFT_OR_RIGHT, ROOT, 1, &h::transition_from_offside_left_or_right_to_root_1_test,
             nullptr},
            {GAME_OVER, ROOT, 1, &h::transition_from_game_over_to_root_1_test, nullptr},
            {FREE_KICK_LEFT_OR_RIGHT, ROOT, 1, &h::transition_from_free_kick_left_or_right_to_root_1_test,
             nullptr},
        }};
    return t;
}

void hfsm::append_beam(std::stringstream& out)
{
    if (beam_text[0] == '\0') return;
    out << beam_text;
    beam_text[0] = '\0';
}
