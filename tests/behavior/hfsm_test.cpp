// The root machine: the play mode decides, the beam goes out once before
// kick-off and once after a goal, play starts at PlayOn or at the own
// kick-off once beamed, and a started play outlasts the set pieces.
#include "behavior/hfsm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "behavior/play_on.h"
#include "behavior/playing.h"
#include "machine_world.h"
#include "world/teamformation.h"

namespace {

class Root : public MachineWorld {
protected:
    // The knees bent as in the stand pose: the kick-off taker needs no
    // crouch before its beam.
    void crouch_knees()
    {
        const naosimplemove_t& stand = move().stand_pose;
        for (int j = 0; j < stand.njoints; ++j)
            if (stand.jid[j] == NaoParse::JID_LLEG_4 || stand.jid[j] == NaoParse::JID_RLEG_4)
                NaoParse::mHingeJointSenseMap[static_cast<NaoParse::JointID>(stand.jid[j])].angle =
                    stand.angles[j];
    }
    hfsm& fsm() { return *agent->fsm; }
    play_on& play() { return *fsm().play_on_fsm; }
    // One step of the root machine; the beam it wrote (taken from it).
    std::string step_root()
    {
        step(fsm());
        std::stringstream s;
        fsm().append_beam(s);
        return s.str();
    }
};

TEST_F(Root, BeforeKickOffTheBeamGoesOutOnTheSecondStepOnly)
{
    ASSERT_EQ(fsm().state, hfsm::ROOT);
    EXPECT_EQ(step_root(), "");
    EXPECT_EQ(fsm().state, hfsm::BEFOREKICK_OFF);
    EXPECT_FALSE(agent->beamed);
    // Player 2 of the shipped kick-off formation, by distance from the centre.
    EXPECT_EQ(step_root(), "(beam -2.2 2.6 0.0)");
    EXPECT_TRUE(agent->beamed);
    EXPECT_EQ(step_root(), "");
    EXPECT_EQ(fsm().state, hfsm::BEFOREKICK_OFF);
}

// Until the game state has named the team the server would drop the beam:
// it waits, and goes out on the first step after.
TEST_F(Root, TheBeamWaitsUntilTheSideIsKnown)
{
    const int side = agent->parse->side;
    ASSERT_NE(side, 0);
    agent->parse->side = 0;
    step_root();
    EXPECT_EQ(step_root(), "");
    EXPECT_EQ(step_root(), "");
    EXPECT_FALSE(agent->beamed);
    agent->parse->side = side;
    EXPECT_EQ(step_root(), "(beam -2.2 2.6 0.0)");
    EXPECT_TRUE(agent->beamed);
}

TEST_F(Root, TheBeamIsNotPartOfTheStepsCommandsAndIsSentOnce)
{
    step(fsm());
    EXPECT_EQ(step(fsm()), "");  // the command stream is left to the motion
    std::stringstream out;
    out << "(lle1 0.00)";
    fsm().append_beam(out);
    fsm().append_beam(out);
    EXPECT_EQ(out.str(), "(lle1 0.00)(beam -2.2 2.6 0.0)");
}

TEST_F(Root, TheBeamCarriesTheAngleInDegrees)
{
    agent->form->x = -3.04;
    agent->form->y = 1.96;
    agent->form->theta = -M_PI / 2;
    step(fsm());
    EXPECT_EQ(step_root(), "(beam -3.0 2.0 -90.0)");
}

// A place that cannot be written into the message is never sent, and
// nothing is written past the buffer; the robot counts as beamed so that
// it can still take part in the kick-off.
TEST_F(Root, APlaceThatDoesNotFitTheMessageIsNotSent)
{
    const double bad[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                          1e300, -1e60};
    for (double x : bad) {
        make_agent();
        agent->form->x = x;
        step(fsm());
        testing::internal::CaptureStderr();
        EXPECT_EQ(step_root(), "") << x;
        EXPECT_NE(testing::internal::GetCapturedStderr().find("hfsm::beam place"), std::string::npos) << x;
        EXPECT_TRUE(agent->beamed) << x;
    }
}

TEST_F(Root, BeforeKickOffEndsFiftyThinkCallsAfterTheStartWhenTheModeChanges)
{
    step_root();
    step_root();
    agent->think_count = 50;
    step_root();
    EXPECT_EQ(agent->game_phase, 3);
    play_mode(NaoParse::PM_KICK_OFF_LEFT);
    step_root();
    EXPECT_EQ(fsm().state, hfsm::BEFOREKICK_OFF);  // still waiting: phase 3
    agent->think_count = 51;
    step_root();
    EXPECT_EQ(agent->game_phase, 1);
    EXPECT_EQ(agent->think_count, 0);  // counted again from here
    step_root();
    EXPECT_EQ(fsm().state, hfsm::ROOT);
    step_root();
    EXPECT_EQ(fsm().state, hfsm::KICK_OFF_LEFT_OR_RIGHT);
}

TEST_F(Root, ABeamedRobotPlaysFromItsKickOff)
{
    agent->beamed = true;
    play_mode(NaoParse::PM_KICK_OFF_RIGHT);
    step_root();
    ASSERT_EQ(fsm().state, hfsm::KICK_OFF_LEFT_OR_RIGHT);
    play().state = play_on::STAND_UP;  // left there by an earlier play
    step_root();
    EXPECT_EQ(fsm().state, hfsm::PLAY_ON);
    EXPECT_EQ(agent->game_phase, 2);
    EXPECT_EQ(play().state, play_on::INIT);  // re-entered, not stepped
    step_root();
    EXPECT_EQ(play().state, play_on::PLAYING);
    EXPECT_FALSE(agent->beamed);  // the next beam is still to come
}

TEST_F(Root, ALateJoinerWaitsOutTheKickOffItDidNotBeamFor)
{
    play_mode(NaoParse::PM_KICK_OFF_LEFT);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(step_root(), "");
        EXPECT_EQ(fsm().state, hfsm::KICK_OFF_LEFT_OR_RIGHT) << i;
    }
    EXPECT_EQ(agent->game_phase, 3);
    play_mode(NaoParse::PM_PLAY_ON);
    step_root();
    EXPECT_EQ(fsm().state, hfsm::ROOT);
    play().state = play_on::STAND_UP;
    step_root();
    EXPECT_EQ(fsm().state, hfsm::PLAY_ON);
    EXPECT_EQ(agent->game_phase, 2);
    EXPECT_EQ(play().state, play_on::INIT);
}

TEST_F(Root, TheIdleTeamNeverPlays)
{
    make_agent("Qorvex-SIe");
    play_mode(NaoParse::PM_PLAY_ON);
    agent->beamed = true;
    for (int i = 0; i < 6; ++i) {
        step_root();
        EXPECT_EQ(fsm().state, i % 2 == 0 ? hfsm::PLAY_ON : hfsm::ROOT) << i;
        EXPECT_EQ(play().state, play_on::INIT) << i;
        EXPECT_EQ(play().active, nullptr) << i;
    }
    EXPECT_TRUE(agent->beamed);  // play_on's first transition never ran
}

TEST_F(Root, AnUnknownStateReturnsToRootRunningNothing)
{
    fsm().state = 42;
    fsm().active = &play();
    step_root();
    EXPECT_EQ(fsm().state, hfsm::ROOT);
    EXPECT_EQ(fsm().active, nullptr);
    EXPECT_EQ(agent->game_phase, 3);
}

TEST_F(Root, TheUnknownPlayModeKeepsTheRootWaiting)
{
    play_mode(NaoParse::PM_UNKNOWN);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(step_root(), "");
    EXPECT_EQ(fsm().state, hfsm::ROOT);
}

// The kick-off taker, placed with the ball within its kick's reach, ends
// the walk still under way after a goal before it beams (the walk carried
// it past the ball), at most 1.5 s, and beams from the walk's crouch.
TEST_F(Root, AfterAGoalTheKickOffTakerEndsItsWalkBeforeItBeams)
{
    agent->form->x = -0.2;
    agent->form->y = 0.1;
    crouch_knees();
    play_mode(NaoParse::PM_GOAL_RIGHT);
    step_root();
    ASSERT_EQ(fsm().state, hfsm::GOAL_LEFT_OR_RIGHT);
    move().walking = move().trans = true;
    move().trans_fwd = 0.3;
    EXPECT_EQ(step_root(), "");
    EXPECT_TRUE(move().trans);
    EXPECT_DOUBLE_EQ(move().trans_fwd, NaoBehavior::STOP_FWD);
    EXPECT_EQ(step_root(), "");  // the stop runs
    move().walking = move().trans = false;
    EXPECT_EQ(step_root(), "(beam -0.2 0.1 0.0)");
    // A walk that does not end holds the beam back while the goal's pause
    // (3 s of game time from the goal, however late the robot came to the
    // goal's state) leaves time for the crouch and the beam's way: 0.6 s.
    agent->beamed = false;
    move().walking = move().trans = true;
    agent->kick_off_state.mode_since = 100.0;
    parse().game_time = 101.0;
    std::string beam;
    while ((beam = step_root()).empty() && parse().game_time < 104.0) parse().game_time += 0.01;
    EXPECT_EQ(beam, "(beam -0.2 0.1 0.0)");
    EXPECT_NEAR(parse().game_time, 102.4, 0.015);
}

// Before a kick-off the game clock stands still: the wait is counted on the
// server's clock, as long (3 s, less the crouch and the beam's way).
TEST_F(Root, BeforeTheSecondHalfTheTakersWaitIsCountedOnTheServersClock)
{
    agent->form->x = -0.2;
    agent->form->y = 0.1;
    crouch_knees();
    parse().server_time = 500.0;
    step_root();
    ASSERT_EQ(fsm().state, hfsm::BEFOREKICK_OFF);
    move().walking = move().trans = true;
    while (step_root().empty() && parse().server_time < 510.0) parse().server_time += 0.01;
    EXPECT_NEAR(parse().server_time, 502.4, 0.015);
}

// Each set-piece mode has its waiting state, left for the root as soon as
// the mode ends (here to BeforeKickOff, which then leads on). (The kick-off
// waits only for a robot that has not beamed: see the late joiner.)
struct SetPiece {
    int mode;
    int state;
};

void PrintTo(const SetPiece& c, std::ostream* os) { *os << "mode " << c.mode; }

class SetPieces : public Root, public ::testing::WithParamInterface<SetPiece> {};

TEST_P(SetPieces, WaitWhileTheModeLasts)
{
    const SetPiece& c = GetParam();
    agent->beamed = true;  // no beam in any of them
    play_mode(c.mode);
    step_root();
    ASSERT_EQ(fsm().state, c.state);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(step_root(), "");
        EXPECT_EQ(fsm().state, c.state);
    }
    play_mode(NaoParse::PM_BEFORE_KICK_OFF);
    step_root();
    EXPECT_EQ(fsm().state, hfsm::ROOT);
    step_root();
    EXPECT_EQ(fsm().state, hfsm::BEFOREKICK_OFF);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SetPieces,
    ::testing::Values(SetPiece{NaoParse::PM_KICK_IN_LEFT, hfsm::KICK_IN_LEFT_OR_RIGHT},
                      SetPiece{NaoParse::PM_KICK_IN_RIGHT, hfsm::KICK_IN_LEFT_OR_RIGHT},
                      SetPiece{NaoParse::PM_CORNER_KICK_LEFT, hfsm::CORNER_KICK_LEFT_OR_RIGHT},
                      SetPiece{NaoParse::PM_CORNER_KICK_RIGHT, hfsm::CORNER_KICK_LEFT_OR_RIGHT},
                      SetPiece{NaoParse::PM_GOAL_KICK_LEFT, hfsm::GOAL_KICK_LEFT_OR_RIGHT},
                      SetPiece{NaoParse::PM_GOAL_KICK_RIGHT, hfsm::GOAL_KICK_LEFT_OR_RIGHT},
                      SetPiece{NaoParse::PM_OFFSIDE_LEFT, hfsm::OFFSIDE_LEFT_OR_RIGHT},
                      SetPiece{NaoParse::PM_OFFSIDE_RIGHT, hfsm::OFFSIDE_LEFT_OR_RIGHT},
                      SetPiece{NaoParse::PM_GAME_OVER, hfsm::GAME_OVER},
                      SetPiece{NaoParse::PM_FREE_KICK_LEFT, hfsm::FREE_KICK_LEFT_OR_RIGHT},
                      SetPiece{NaoParse::PM_FREE_KICK_RIGHT, hfsm::FREE_KICK_LEFT_OR_RIGHT},
                      SetPiece{NaoParse::PM_GOAL_LEFT, hfsm::GOAL_LEFT_OR_RIGHT},
                      SetPiece{NaoParse::PM_GOAL_RIGHT, hfsm::GOAL_LEFT_OR_RIGHT}));

class Playing : public Root {
protected:
    // In play from PlayOn, the play machine's child running.
    void start_play()
    {
        agent->beamed = true;
        play_mode(NaoParse::PM_PLAY_ON);
        step_root();
        step_root();
        step_root();
        ASSERT_EQ(fsm().state, hfsm::PLAY_ON);
        ASSERT_EQ(play().state, play_on::PLAYING);
        ASSERT_FALSE(agent->beamed);
    }
};

TEST_F(Playing, PlayGoesOnThroughTheSetPieces)
{
    start_play();
    for (int mode : {NaoParse::PM_KICK_IN_LEFT, NaoParse::PM_CORNER_KICK_RIGHT, NaoParse::PM_GOAL_KICK_LEFT,
                     NaoParse::PM_OFFSIDE_RIGHT, NaoParse::PM_FREE_KICK_LEFT, NaoParse::PM_KICK_OFF_RIGHT,
                     NaoParse::PM_GAME_OVER}) {
        play_mode(mode);
        step_root();
        EXPECT_EQ(fsm().state, hfsm::PLAY_ON) << mode;
        EXPECT_EQ(play().state, play_on::PLAYING) << mode;
    }
}

// Half-time: the server sets BeforeKickOff for the second half; the robot
// goes back to its kick-off place as before the first half, and plays at the
// second half's kick-off.
TEST_F(Playing, HalfTimeEndsPlayAndBeamsTheRobotBack)
{
    start_play();
    play_mode(NaoParse::PM_BEFORE_KICK_OFF);
    step_root();
    EXPECT_EQ(agent->game_phase, 1);
    EXPECT_EQ(play().state, play_on::INIT);
    step_root();
    EXPECT_EQ(fsm().state, hfsm::ROOT);
    step_root();
    EXPECT_EQ(fsm().state, hfsm::BEFOREKICK_OFF);
    EXPECT_EQ(step_root(), "(beam -2.2 2.6 0.0)");
    EXPECT_EQ(step_root(), "");
    play_mode(NaoParse::PM_KICK_OFF_RIGHT);
    for (int k = 0; k < 4 && fsm().state != hfsm::PLAY_ON; ++k) step_root();
    EXPECT_EQ(fsm().state, hfsm::PLAY_ON);
}

// A goal while the robot stands up (which takes longer than the goal's
// pause): play ends all the same, and the beam waits for the stand-up's end,
// or goes out at the last moment (the beam sets the torso upright; missed,
// the robot would not play the kick-off from where it lay).
struct LyingCase {
    const char* name;
    double up_at;    // s after the goal when the stand-up ends
    double beam_at;  // s after the goal when the beam goes out
};

void PrintTo(const LyingCase& c, std::ostream* os) { *os << c.name; }

class LyingAtTheGoal : public Playing, public ::testing::WithParamInterface<LyingCase> {
protected:
    void TearDown() override
    {
        NaoParse::fall_down_detected = false;
        Playing::TearDown();
    }
};

TEST_P(LyingAtTheGoal, TheRobotStillBeams)
{
    const LyingCase& c = GetParam();
    agent->form->x = -0.2;
    agent->form->y = 0.1;
    crouch_knees();
    start_play();
    NaoParse::fall_down_detected = true;
    step_root();
    ASSERT_EQ(play().state, play_on::STAND_UP);
    play_mode(NaoParse::PM_GOAL_RIGHT);
    agent->kick_off_state.mode_since = parse().game_time = 50.0;
    std::string beam;
    while (parse().game_time < 54.0) {
        if (parse().game_time >= 50.0 + c.up_at - 1e-9) NaoParse::fall_down_detected = false;
        beam = step_root();
        if (!beam.empty()) break;
        parse().game_time += 0.01;
    }
    EXPECT_EQ(agent->game_phase, 3);
    EXPECT_EQ(fsm().state, hfsm::GOAL_LEFT_OR_RIGHT);
    EXPECT_EQ(beam, "(beam -0.2 0.1 0.0)");
    EXPECT_NEAR(parse().game_time - 50.0, c.beam_at, 0.025);
}

INSTANTIATE_TEST_SUITE_P(Table, LyingAtTheGoal,
                         ::testing::Values(LyingCase{"up_in_time", 1.5, 1.5},
                                           LyingCase{"still_lying_at_the_last_moment", 9.0, 2.8}));

TEST_F(Playing, AGoalEndsPlayAndBeamsTheRobotBack)
{
    start_play();
    play_mode(NaoParse::PM_GOAL_RIGHT);
    EXPECT_EQ(step_root(), "");
    EXPECT_EQ(agent->game_phase, 3);
    EXPECT_EQ(play().state, play_on::INIT);
    EXPECT_EQ(step_root(), "");
    EXPECT_EQ(fsm().state, hfsm::ROOT);
    EXPECT_EQ(step_root(), "");
    EXPECT_EQ(fsm().state, hfsm::GOAL_LEFT_OR_RIGHT);
    EXPECT_EQ(step_root(), "(beam -2.2 2.6 0.0)");
    EXPECT_EQ(step_root(), "");
    // The kick-off that follows: the beamed robot plays at once.
    play_mode(NaoParse::PM_KICK_OFF_LEFT);
    step_root();
    step_root();
    EXPECT_EQ(fsm().state, hfsm::KICK_OFF_LEFT_OR_RIGHT);
    step_root();
    EXPECT_EQ(fsm().state, hfsm::PLAY_ON);
}

}  // namespace
