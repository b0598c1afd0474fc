// The run-challenge agent object: its phases (init, beam, stand pose,
// clearing, ordinary cycles), when the run's walk is asked for, and its
// state machine's log.
#include "skills/NaoBehavior_run.h"

#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "behavior/hfsm_run.h"
#include "headscan/naoscan.h"
#include "motioninterface/naomove_run.h"
#include "perception/naoparse.h"
#include "support/test_files.h"
#include "walk/walk.h"
#include "world/localize_run.h"
#include "world/teamformation_run.h"

namespace {

const char* const kBeam = "(beam -10.0 0.0 0.0)";

std::string message(const char* play_mode, bool with_side = true)
{
    return std::string("(time (now 1.00))(GS ") + (with_side ? "(unum 4) (team left) " : "") +
           "(t 1.00) (pm " + play_mode + "))(HJ (n hj1) (ax 0.00))(HJ (n llj3) (ax 5.00))";
}

bool has_leg_commands(const std::string& s) { return s.find("(lle") != std::string::npos; }
bool has_neck_commands(const std::string& s) { return s.find("(he1") != std::string::npos; }

class RunAgentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scratch.ok());
        in_scratch.reset(new InWorkDir(scratch.path()));
        NaoParse::reset_static_state();
        ::NaoMove::reset_motion_state();
        naosimplemove_t::reset_interpolation();
        head_scan_t::reset_pattern_state();
        run::NaoBehavior::reset_think_state();
        testing::internal::CaptureStderr();
        agent.reset(new run::NaoBehavior(4, 1, 2, "Probe"));
        scene = agent->Init();
        init = agent->Think("(GS (unum 9) (team right) (t 0.00) (pm PlayOn))");
        log = testing::internal::GetCapturedStderr();
    }
    void TearDown() override
    {
        agent.reset();
        in_scratch.reset();
    }
    // Think calls on one message; their answers.
    std::vector<std::string> think(const std::string& msg, int calls)
    {
        std::vector<std::string> r;
        testing::internal::CaptureStderr();
        for (int i = 0; i < calls; ++i) r.push_back(agent->Think(msg));
        log += testing::internal::GetCapturedStderr();
        return r;
    }
    // Think calls until the stand pose was played and the effectors cleared.
    int until_ordinary(const std::string& msg)
    {
        int n = 0;
        std::string a;
        do {
            a = think(msg, 1)[0];
            ++n;
        } while (a.find("(lle1 0)") == std::string::npos && n < 200);
        return n;
    }

    ScratchWorkDir scratch;
    std::unique_ptr<InWorkDir> in_scratch;
    std::unique_ptr<run::NaoBehavior> agent;
    std::string scene, init, log;
};

TEST_F(RunAgentTest, ConstructionInitAndFirstThink)
{
    EXPECT_EQ(scene, "(scene rsg/agent/nao/nao_hetero.rsg 0)");
    EXPECT_EQ(log.rfind(" --- --- myN 2\n", 0), 0u) << log;
    EXPECT_EQ(init, "(init (unum 4)(teamname Probe))");
    EXPECT_EQ(agent->parse->side, 0);  // not parsed
    EXPECT_EQ(agent->think_count, 0);
    EXPECT_EQ(agent->game_phase, 3);
    EXPECT_EQ(agent->penalty_player, 1);
    EXPECT_EQ(agent->llc_player, 2);
    EXPECT_EQ(agent->form->x, -10.0);
    EXPECT_EQ(agent->form->role, ATT_0);
    EXPECT_EQ(agent->localize->x, -10.0);
    EXPECT_EQ(agent->localize->ball_unseen_count, 100);
    EXPECT_EQ(agent->parse->hear_form, NaoParse::HEAR_ECHO);
    EXPECT_TRUE(agent->fsm->log);
    EXPECT_TRUE(agent->fsm->play_on_fsm->playing_fsm->log);
    EXPECT_EQ(agent->getName(), "");
    EXPECT_DOUBLE_EQ(agent->move->dt, 0.01);
}

TEST_F(RunAgentTest, BeamsThenPlaysTheStandPoseThenClearsOnce)
{
    const std::string before = message("BeforeKickOff");
    std::vector<std::string> a = think(before, 1);
    EXPECT_EQ(a[0], kBeam);
    EXPECT_EQ(agent->think_count, 1);
    const int calls = until_ordinary(before);
    // 15 n interpolation steps, the last one commanding the target, then
    // the clearing cycle.
    EXPECT_EQ(calls, 15 * agent->sub_steps + 2);
    EXPECT_EQ(agent->think_count, 1);
    a = think(before, 50);
    for (const std::string& s : a) {
        EXPECT_FALSE(has_leg_commands(s)) << s;
        EXPECT_TRUE(has_neck_commands(s)) << s;
    }
    EXPECT_EQ(agent->think_count, 51);
    EXPECT_FALSE(agent->move->trans);
    EXPECT_EQ(agent->localize->side, 1);
}

TEST_F(RunAgentTest, HeadScanWaitsForTheSide)
{
    const std::string no_side = message("BeforeKickOff", false);
    think(no_side, 1);
    until_ordinary(no_side);
    EXPECT_FALSE(has_neck_commands(think(no_side, 1)[0]));
    EXPECT_FALSE(agent->head_scan_active);
    EXPECT_TRUE(has_neck_commands(think(message("BeforeKickOff"), 1)[0]));
    EXPECT_TRUE(agent->head_scan_active);
}

TEST_F(RunAgentTest, RunStartsInTheThirdPlayOnCycle)
{
    const std::string before = message("BeforeKickOff"), play = message("PlayOn");
    think(before, 1);
    until_ordinary(before);
    think(before, 10);
    EXPECT_FALSE(agent->move->trans);
    std::vector<std::string> a = think(play, 4);
    EXPECT_EQ(a[0], kBeam);
    EXPECT_EQ(a[1], kBeam);
    EXPECT_FALSE(has_leg_commands(a[2]));  // the request is made after the motion's cycle
    EXPECT_TRUE(agent->move->trans);
    EXPECT_EQ(agent->move->trans_fwd, 200.0);
    EXPECT_EQ(agent->move->trans_side, 0.0);
    EXPECT_EQ(agent->move->walk_engine->x_total, 200.0);
    EXPECT_TRUE(has_leg_commands(a[3]));  // the stand pose of the walk's start
    // Asked for once: a second request would store its values again.
    agent->move->trans_fwd = -1;
    think(play, 100);
    EXPECT_EQ(agent->move->trans_fwd, -1);
    EXPECT_TRUE(agent->move->walking);
    EXPECT_EQ(agent->game_phase, 2);
}

TEST_F(RunAgentTest, PlayOnFromTheStartBeamsTwiceThenPlaysTheStandPose)
{
    const std::string play = message("PlayOn");
    std::vector<std::string> a = think(play, 2);
    EXPECT_EQ(a[0], kBeam);
    EXPECT_EQ(a[1], kBeam);
    const int calls = until_ordinary(play);
    EXPECT_EQ(calls, 15 * agent->sub_steps + 2);
    EXPECT_FALSE(agent->move->trans);
    think(play, 1);
    EXPECT_TRUE(agent->move->trans);
    EXPECT_EQ(agent->move->trans_fwd, 200.0);
}

TEST_F(RunAgentTest, AfterAGoalBeamsTwiceAgainButRunsOnlyOnce)
{
    const std::string play = message("PlayOn");
    think(play, 2);
    until_ordinary(play);
    think(play, 3);
    ASSERT_TRUE(agent->move->trans);
    agent->move->trans_fwd = -1;
    std::vector<std::string> a = think(message("Goal_Left"), 3);
    EXPECT_EQ(agent->game_phase, 3);
    a = think(play, 4);
    int beams = 0;
    for (const std::string& s : a) beams += s == kBeam;
    // While the walk runs, its commands replace nothing of the beams: the
    // beam branch comes before the motion's.
    EXPECT_EQ(beams, 2);
    think(play, 20);
    EXPECT_EQ(agent->move->trans_fwd, -1);
}

TEST_F(RunAgentTest, RefusedRunRequestIsAskedAgain)
{
    const std::string play = message("PlayOn");
    think(play, 2);
    until_ordinary(play);
    // A kick holds the motion interface: the request is refused.
    agent->move->kick = true;
    agent->move->kick_done = false;
    think(play, 1);
    EXPECT_FALSE(agent->move->trans);
    agent->move->kick = false;
    think(play, 1);
    EXPECT_TRUE(agent->move->trans);
    EXPECT_EQ(agent->move->trans_fwd, 200.0);
}

// The log lines of the state machine, by step.
std::vector<std::string> info_lines(const std::string& err)
{
    std::vector<std::string> r;
    static const std::regex line("INFO:  (.*)");
    std::istringstream in(err);
    for (std::string l; std::getline(in, l);) {
        std::smatch m;
        if (std::regex_match(l, m, line)) r.push_back(m[1]);
    }
    return r;
}

TEST_F(RunAgentTest, StateMachineLogsItsChangesAndEvery200EqualSteps)
{
    log.clear();
    think(message("BeforeKickOff"), 401);
    think(message("PlayOn"), 4);
    const std::vector<std::string> want = {
        "---------------------",
        "1 - L1, S:root/->play_on:0",
        " =====>>>> same state for 200 times",
        " =====>>>> same state for 200 times",
        "---------------------",
        "402 - L1, S:root/->play_on:1",
        "---------------------",
        "403 - L1, MS:play_on/->root:0",
        "403 - L2, S:init/->playing:1",
        "---------------------",
        "404 - L1, MS:play_on/->root:0",
        "404 - L2, MS:playing/->stand_up:0/->init:0",
        "404 - L3, S:init",
    };
    EXPECT_EQ(info_lines(log), want);
}

}  // namespace
