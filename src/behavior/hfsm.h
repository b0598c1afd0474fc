// The root machine: follows the play mode. It beams the robot to its
// kick-off place before kick-off and after a goal, waits in the set-piece
// modes and plays (machine play_on) from PlayOn, or from the own kick-off
// once beamed, until play_on reports a goal.
#ifndef BREVANE_BEHAVIOR_HFSM_H
#define BREVANE_BEHAVIOR_HFSM_H

#include <memory>
#include <sstream>

#include "behavior/Behavior_robot.h"

class play_on;

class hfsm final : public state_machine_t<hfsm, Behavior_robot> {
public:
    enum state_id {
        PLAY_ON = 1,
        BEFOREKICK_OFF,
        GOAL_LEFT_OR_RIGHT,
        KICK_OFF_LEFT_OR_RIGHT,
        GOAL_KICK_LEFT_OR_RIGHT,
        ROOT,
        KICK_IN_LEFT_OR_RIGHT,
        CORNER_KICK_LEFT_OR_RIGHT,
        OFFSIDE_LEFT_OR_RIGHT,
        GAME_OVER,
        FREE_KICK_LEFT_OR_RIGHT
    };

    // Names of the active path by level, for a log; "none" until written.
    char level[10][1024];
    int level_count;
    int level_depth;

    std::unique_ptr<play_on> play_on_fsm;

    // The beam message of this step. It is not written into the command
    // stream by the state machine's step, because an active motion empties
    // that stream in the motion interface's step and the beam would be
    // lost: the agent appends it after the motion's commands.
    char beam_text[64];
    // s, the server's clock when the beam of this window began to wait (for
    // a walk, a kick or a stand-up to end, for the crouch); negative: no
    // wait begun.
    double beam_wait_since = -1.0;
    // s: the server takes beams for the 3 s of a goal's pause (its
    // RuleGoalPauseTime); before a kick-off the robots are given as long
    // (the match script's kick-off at half time comes 3 s after it).
    static constexpr double BEAM_WINDOW = 3.0;
    // s before the window closes that the beam goes out at the latest: the
    // play mode is seen a message late, the beam lands a cycle later.
    static constexpr double BEAM_LEAD = 0.2;
    static constexpr double CROUCH_TIME = 0.4;  // s: the kick-off taker's crouch before its beam

    hfsm(NaoBehavior* agent, bool log);
    ~hfsm();
    hfsm(const hfsm&) = delete;
    hfsm& operator=(const hfsm&) = delete;

    // The kick machine plays the ball from next to it (its ball samples,
    // the corrective step and the kick): the last step's active machines
    // reach it.
    bool kicking_at_ball() const;

    static const table_t& table();

    // Appends the beam message of this step to out (once) and forgets it.
    void append_beam(std::stringstream& out);

    // Formats the beam to the agent's kick-off place and marks it sent
    // (the agent appends it in this think call); nothing when already
    // beamed or the place cannot be written.
    void beam();
    // s of the beam window left: in a goal's pause, from the goal's game
    // time; before a kick-off, where the game clock stands still, from the
    // server's clock since the beam began to wait.
    double beam_time_left() const;
    // The window is over, beamed or not: the next one's beam waits afresh.
    void end_beam_window();

    bool transition_from_root_to_play_on_1_test();
    bool transition_from_root_to_beforekick_off_2_test();
    bool transition_from_root_to_kick_off_left_or_right_3_test();
    bool transition_from_root_to_goal_left_or_right_4_test();
    bool transition_from_root_to_goal_kick_left_or_right_5_test();
    bool transition_from_root_to_kick_in_left_or_right_6_test();
    bool transition_from_root_to_corner_kick_left_or_right_7_test();
    bool transition_from_root_to_offside_left_or_right_8_test();
    bool transition_from_root_to_game_over_9_test();
    bool transition_from_root_to_free_kick_left_or_right_10_test();
    bool transition_from_play_on_to_root_1_test();
    bool transition_from_beforekick_off_to_root_1_test();
    bool transition_from_goal_left_or_right_to_root_1_test();
    bool transition_from_kick_off_left_or_right_to_play_on_1_test();
    bool transition_from_kick_off_left_or_right_to_root_2_test();
    bool transition_from_goal_kick_left_or_right_to_root_1_test();
    bool transition_from_kick_in_left_or_right_to_root_1_test();
    bool transition_from_corner_kick_left_or_right_to_root_1_test();
    bool transition_from_offside_left_or_right_to_root_1_test();
    bool transition_from_game_over_to_root_1_test();
    bool transition_from_free_kick_left_or_right_to_root_1_test();

    void what_to_do_in_state_beforekick_off();
    void what_to_do_in_state_goal_left_or_right();
};

#endif
