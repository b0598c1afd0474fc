// The run-challenge state machines: their steps, the beamed flag cleared
// twice when play begins, the fall, and their log lines.
#include "behavior/hfsm_run.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "perception/naoparse.h"
#include "skills/NaoBehavior_run.h"

namespace {

class RunMachinesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        NaoParse::reset_static_state();
        testing::internal::CaptureStderr();
        agent.reset(new run::NaoBehavior(3, 0, 0, "Probe"));
        testing::internal::GetCapturedStderr();
    }
    // One step in play mode pm; the log lines of levels 0..2.
    std::string step(int pm)
    {
        agent->parse->play_mode = pm;
        testing::internal::CaptureStderr();
        agent->fsm->Apply_behavior();
        testing::internal::GetCapturedStderr();
        const machine_log_t& l = agent->fsm->lines;
        return std::string(l.current[0]) + " | " + l.current[1] + " | " + l.current[2];
    }
    std::unique_ptr<run::NaoBehavior> agent;
};

TEST_F(RunMachinesTest, PlayBeginsClearingTheBeamedFlagTwice)
{
    run::hfsm& root = *agent->fsm;
    EXPECT_EQ(root.state, run::hfsm::ROOT);
    EXPECT_EQ(step(NaoParse::PM_BEFORE_KICK_OFF), "L1, S:root/->play_on:0 | none | none");
    agent->beamed = true;
    EXPECT_EQ(step(NaoParse::PM_PLAY_ON), "L1, S:root/->play_on:1 | none | none");
    EXPECT_FALSE(agent->beamed);
    EXPECT_EQ(agent->game_phase, 2);
    EXPECT_EQ(root.state, run::hfsm::PLAY_ON);
    agent->beamed = true;
    EXPECT_EQ(step(NaoParse::PM_PLAY_ON), "L1, MS:play_on/->root:0 | L2, S:init/->playing:1 | none");
    EXPECT_FALSE(agent->beamed);
    agent->beamed = true;
    EXPECT_EQ(step(NaoParse::PM_PLAY_ON),
              "L1, MS:play_on/->root:0 | L2, MS:playing/->stand_up:0/->init:0 | L3, S:init");
    EXPECT_TRUE(agent->beamed);
    // Leaving PlayOn does not leave play.
    EXPECT_EQ(step(NaoParse::PM_KICK_IN_LEFT),
              "L1, MS:play_on/->root:0 | L2, MS:playing/->stand_up:0/->init:0 | L3, S:init");
}

TEST_F(RunMachinesTest, FallDuringPlayGoesToStandUp)
{
    step(NaoParse::PM_PLAY_ON);
    step(NaoParse::PM_PLAY_ON);
    step(NaoParse::PM_PLAY_ON);
    NaoParse::fall_down_detected = true;
    agent->out.str("");
    EXPECT_EQ(step(NaoParse::PM_PLAY_ON),
              "L1, MS:play_on/->root:0 | L2, MS:playing/->stand_up:1/->init:0 | none");
    EXPECT_NE(agent->out.str().find("(lle1 0)"), std::string::npos);  // effectors cleared
    EXPECT_EQ(step(NaoParse::PM_PLAY_ON), "L1, MS:play_on/->root:0 | L2, S:stand_up/->playing:0 | none");
    NaoParse::fall_down_detected = false;
    agent->out.str("");
    EXPECT_EQ(step(NaoParse::PM_PLAY_ON), "L1, MS:play_on/->root:0 | L2, S:stand_up/->playing:1 | none");
    EXPECT_NE(agent->out.str().find("(lle1 0)"), std::string::npos);
    EXPECT_EQ(step(NaoParse::PM_PLAY_ON),
              "L1, MS:play_on/->root:0 | L2, MS:playing/->stand_up:0/->init:0 | L3, S:init");
}

TEST_F(RunMachinesTest, GoalEndsPlay)
{
    for (int i = 0; i < 3; ++i) step(NaoParse::PM_PLAY_ON);
    EXPECT_EQ(step(NaoParse::PM_GOAL_LEFT),
              "L1, MS:play_on/->root:0 | L2, MS:playing/->stand_up:0/->init:1 | none");
    EXPECT_EQ(agent->game_phase, 3);
    EXPECT_EQ(step(NaoParse::PM_GOAL_LEFT), "L1, MS:play_on/->root:1 | none | none");
    EXPECT_EQ(agent->fsm->state, run::hfsm::ROOT);
    EXPECT_EQ(step(NaoParse::PM_GOAL_LEFT), "L1, S:root/->play_on:0 | none | none");
}

TEST_F(RunMachinesTest, IdleTeamNeverPlays)
{
    agent->parse->team_name = "Qorvex-SIe";
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(step(NaoParse::PM_PLAY_ON), "L1, S:root/->play_on:1 | none | none");
        EXPECT_EQ(step(NaoParse::PM_PLAY_ON), "L1, MS:play_on/->root:1 | none | none");
    }
}

TEST_F(RunMachinesTest, UnknownStateReturnsToTheInitialOneWithoutALine)
{
    agent->fsm->state = 7;
    EXPECT_EQ(step(NaoParse::PM_PLAY_ON), "none | none | none");
    EXPECT_EQ(agent->fsm->state, run::hfsm::ROOT);
    EXPECT_EQ(agent->game_phase, 3);
}

TEST(RunMachinesLogOff, NoLineIsWritten)
{
    NaoParse::reset_static_state();
    testing::internal::CaptureStderr();
    run::NaoBehavior agent(3, 0, 0, "Probe");
    testing::internal::GetCapturedStderr();
    run::hfsm quiet(&agent, false);
    testing::internal::CaptureStderr();
    for (int i = 0; i < 400; ++i) {
        agent.parse->play_mode = i < 100 ? NaoParse::PM_BEFORE_KICK_OFF : NaoParse::PM_PLAY_ON;
        quiet.Apply_behavior();
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "INFO:   =====>>>> same state for 200 times\nINFO:   =====>>>> same state for 200 times\n");
    EXPECT_EQ(quiet.state, run::hfsm::PLAY_ON);
}

}  // namespace
