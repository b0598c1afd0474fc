// The real agent program against a scripted server.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/agent_process.h"
#include "support/child_process.h"
#include "support/scripted_server.h"
#include "support/test_files.h"

namespace {

const char* const kAgent = BREVANE_BINARY_DIR "/brevane";

class AgentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scratch.ok());
        ASSERT_TRUE(server.listen()) << server.error();
    }
    // Starts the agent against the server, in a private working directory
    // (it writes its stand pose file there), and reads its scene message.
    void start(const std::vector<std::string>& options, std::string* scene = nullptr)
    {
        start_agent(agent, server, kAgent, scratch.path(), options, scene);
    }
    // Sends every message, closes the stream, collects the answers and
    // checks that the agent then ends on its own with status 0.
    void replay(const std::vector<std::string>& lines, std::vector<std::string>& got)
    {
        for (const std::string& l : lines) ASSERT_TRUE(server.send(l));
        server.finish_sending();
        got = server.receive_n(1000, 5000);
        ASSERT_TRUE(agent.wait(5000));
        ASSERT_TRUE(agent.exited()) << "signal " << agent.term_signal();
        EXPECT_EQ(agent.exit_status(), 0) << agent.stderr_text();
    }
    ScratchWorkDir scratch;
    ScriptedServer server;
    ChildProcess agent;
};

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
};

void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }

class Usage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(Usage, PrintsTheUsageTextAndExitsZero) { expect_usage_exit(kAgent, GetParam().args); }

INSTANTIATE_TEST_SUITE_P(
    Table, Usage,
    ::testing::Values(UsageCase{"help", {"--help"}}, UsageCase{"host_without_value", {"--host="}},
                      UsageCase{"team_without_value", {"--team="}}, UsageCase{"num_alone", {"--num"}},
                      UsageCase{"help_after_others", {"--num=3", "--help"}}),
    [](const ::testing::TestParamInfo<UsageCase>& i) { return std::string(i.param.name); });

TEST(AgentStart, NoServerExitsOne)
{
    ScriptedServer server;
    ASSERT_TRUE(server.listen()) << server.error();
    std::string host = server.host();
    server.close_listener();
    ChildProcess p;
    ASSERT_TRUE(p.start({kAgent, "--host=" + host}));
    ASSERT_TRUE(p.wait(5000));
    ASSERT_TRUE(p.exited());
    EXPECT_EQ(p.exit_status(), 1);
    EXPECT_EQ(p.stderr_text().rfind("connection failed with: '", 0), 0u) << p.stderr_text();
}

struct SceneCase {
    int unum;
    int type;
};

void PrintTo(const SceneCase& c, std::ostream* os) { *os << "unum " << c.unum; }

class SceneAndInit : public AgentTest, public ::testing::WithParamInterface<SceneCase> {};

TEST_P(SceneAndInit, AnnouncesTheRobotThenTheNumberAndTeam)
{
    const SceneCase& c = GetParam();
    std::string scene;
    start({"--num=" + std::to_string(c.unum), "--team=Probe", "--teamsize=5"}, &scene);
    EXPECT_EQ(scene, "(scene rsg/agent/nao/nao_hetero.rsg " + std::to_string(c.type) + ")");
    std::vector<std::string> lines = read_data_lines("server_before_kickoff.txt");
    ASSERT_TRUE(server.send(lines[0]));
    std::string init;
    ASSERT_TRUE(server.receive(init, 5000)) << server.error();
    EXPECT_EQ(init, "(init (unum " + std::to_string(c.unum) + ")(teamname Probe))");
    server.close_client();
    ASSERT_TRUE(agent.wait(5000)) << agent.stderr_text();
    ASSERT_TRUE(agent.exited());
    EXPECT_EQ(agent.exit_status(), 0) << agent.stderr_text();
}

INSTANTIATE_TEST_SUITE_P(Table, SceneAndInit,
                         ::testing::Values(SceneCase{1, 0}, SceneCase{4, 1}, SceneCase{8, 2}, SceneCase{9, 1},
                                           SceneCase{10, 2}, SceneCase{11, 0}));

TEST_F(AgentTest, DefaultsArePlayerTwoOfQorvexSim)
{
    std::string scene;
    start({}, &scene);
    EXPECT_EQ(scene, "(scene rsg/agent/nao/nao_hetero.rsg 0)");
    ASSERT_TRUE(server.send("(time (now 0.02))"));
    std::string init;
    ASSERT_TRUE(server.receive(init, 5000));
    EXPECT_EQ(init, "(init (unum 2)(teamname Qorvex-SIM))");
}

TEST_F(AgentTest, ServerClosingEndsTheProgramWithStatusZero)
{
    start({"--num=3"});
    server.close_client();
    ASSERT_TRUE(agent.wait(5000));
    ASSERT_TRUE(agent.exited());
    EXPECT_EQ(agent.exit_status(), 0);
}

TEST_F(AgentTest, BrokenConnectionExitsOne)
{
    start({"--num=3"});
    ASSERT_TRUE(server.send("(time (now 0.02))"));
    std::string init;
    ASSERT_TRUE(server.receive(init, 5000));
    server.reset_client();
    ASSERT_TRUE(agent.wait(5000));
    ASSERT_TRUE(agent.exited()) << "signal " << agent.term_signal();
    EXPECT_EQ(agent.exit_status(), 1);
    EXPECT_NE(agent.stderr_text().find("recv failed"), std::string::npos) << agent.stderr_text();
}

TEST_F(AgentTest, OversizedMessageAborts)
{
    start({"--num=3"});
    ASSERT_TRUE(server.send_raw(std::string("\x00\x00\x80\x00", 4)));  // 32768 bytes announced
    ASSERT_TRUE(agent.wait(5000));
    EXPECT_TRUE(agent.killed_by_signal());
    EXPECT_EQ(agent.term_signal(), SIGABRT);
    EXPECT_NE(agent.stderr_text().find("message too long; aborting"), std::string::npos);
}

TEST_F(AgentTest, InterruptTakesEffectAfterTheNextMessageIsAnswered)
{
    start({"--num=6", "--team=Probe"});
    // Let the agent reach its wait for the first message.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    agent.signal(SIGINT);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(agent.running());
    ASSERT_TRUE(server.send("(time (now 0.02))"));
    std::string init;
    ASSERT_TRUE(server.receive(init, 5000)) << server.error();
    EXPECT_EQ(init, "(init (unum 6)(teamname Probe))");
    // The loop test then ends the program without the server closing.
    ASSERT_TRUE(agent.wait(5000));
    ASSERT_TRUE(agent.exited());
    EXPECT_EQ(agent.exit_status(), 0);
}

TEST_F(AgentTest, ParsesRealPerceptionsAndSurvivesJunk)
{
    start({"--num=1", "--team=Probe"});
    std::vector<std::string> lines = read_data_lines("server_before_kickoff.txt");
    for (const std::string& l : lines) ASSERT_TRUE(server.send(l));
    ASSERT_TRUE(server.send(std::string(32763, '(')));
    ASSERT_TRUE(server.send(")(GS (t nan) (pm 1e999))(HJ (n hj1) (ax inf"));
    ASSERT_TRUE(server.send(lines[0]));
    server.finish_sending();
    ASSERT_TRUE(server.wait_client_closed(5000));
    ASSERT_TRUE(agent.wait(5000));
    ASSERT_TRUE(agent.exited()) << "signal " << agent.term_signal();
    EXPECT_EQ(agent.exit_status(), 0) << agent.stderr_text();
}

// The real start: the first two messages come before the game state tells
// the side (the server has not yet put the player into its team, and would
// drop a beam), so nothing is sent; with the third the beam goes out, and
// from then on the head scan answers on both sub-steps of every message.
// (No say message: with the team size 5 no priority matches.)
TEST_F(AgentTest, RealMessagesAreAnsweredTwiceOnceTheSideIsKnown)
{
    // Player 2: the kick-off taker (player 1) first takes its crouch.
    start({"--num=2", "--team=Probe", "--teamsize=5"});
    std::vector<std::string> lines = read_data_lines("server_before_kickoff.txt");
    ASSERT_EQ(lines.size(), 6u);
    ASSERT_EQ(lines[2].find("(GS (unum 1) (team left)"), lines[2].find("(GS "));
    std::vector<std::string> got;
    ASSERT_NO_FATAL_FAILURE(replay(lines, got));
    ASSERT_EQ(got.size(), 1 + 2 * (lines.size() - 2));
    EXPECT_EQ(got[0], "(init (unum 2)(teamname Probe))");
    EXPECT_NE(got[1].find("(beam -2.2 2.6 0.0)"), std::string::npos) << got[1];
    for (size_t k = 1; k < got.size(); ++k) EXPECT_NE(got[k].find("(he1 "), std::string::npos) << got[k];
    for (size_t k = 2; k < got.size(); ++k) EXPECT_EQ(got[k].find("(beam "), std::string::npos) << got[k];
}

// With the side in the first message every think call writes the neck
// command, so each message gets exactly two answers: after the init message
// (the first call), 2n - 1 of them.
TEST_F(AgentTest, EveryMessageIsAnsweredOncePerSubStep)
{
    start({"--num=2", "--team=Probe", "--teamsize=5"});
    std::vector<std::string> lines = read_data_lines("server_before_kickoff.txt");
    lines[0].replace(lines[0].find("(GS "), 4, "(GS (unum 2) (team right) ");
    std::vector<std::string> got;
    ASSERT_NO_FATAL_FAILURE(replay(lines, got));
    ASSERT_EQ(got.size(), 2 * lines.size());
    EXPECT_EQ(got[0], "(init (unum 2)(teamname Probe))");
    for (size_t k = 1; k < got.size(); ++k) EXPECT_NE(got[k].find("(he1 "), std::string::npos) << got[k];
    // Both sub-steps of the first message see the ball at the same place:
    // the same tracking command.
    auto neck = [](const std::string& a) { return a.substr(a.find("(he1 ")); };
    EXPECT_EQ(neck(got[1]), neck(got[2]));
}

struct ReplayCase {
    const char* file;
    int unum;         // the number the recording was made with
    bool side_known;  // the third message's game state tells the side (and
                      // the recording starts before kick-off)
};

void PrintTo(const ReplayCase& c, std::ostream* os) { *os << c.file; }

class Replay : public AgentTest, public ::testing::WithParamInterface<ReplayCase> {};

// The first 100 messages of each recording: the program keeps answering
// twice per message once it scans with the head, never writes a number
// that is not finite, and exits 0 at the end of the stream. Before kick-off
// nothing is sent before the side is known; the beam goes with the first
// answer after it (the kick-off taker's after its crouch). The play-on
// recording never tells the side: the robot is silent during the kick-off
// (it has not beamed) and plays from PlayOn (message 15), answering at
// least once per message.
TEST_P(Replay, EveryRecordingIsAnsweredWithoutFault)
{
    const ReplayCase& c = GetParam();
    std::vector<std::string> lines = read_data_lines(std::string("capture/") + c.file);
    ASSERT_GE(lines.size(), 100u);
    lines.resize(100);
    start({"--num=" + std::to_string(c.unum), "--team=Probe", "--teamsize=5"});
    std::vector<std::string> got;
    ASSERT_NO_FATAL_FAILURE(replay(lines, got));
    if (c.side_known) {
        EXPECT_EQ(got.size(), 1 + 2 * (lines.size() - 2));
        // Player 1, the kick-off taker, first takes its crouch (15 messages).
        size_t first_beam = 0;
        while (first_beam < got.size() && got[first_beam].find("(beam ") == std::string::npos) ++first_beam;
        if (c.unum == 1)
            EXPECT_LE(first_beam, 40u);
        else
            EXPECT_EQ(first_beam, 1u);
    } else {
        EXPECT_GE(got.size(), 1 + (lines.size() - 14));
    }
    for (const std::string& a : got) {
        EXPECT_EQ(a.find("nan"), std::string::npos) << a;
        EXPECT_EQ(a.find("inf"), std::string::npos) << a;
    }
}

INSTANTIATE_TEST_SUITE_P(Recorded, Replay,
                         ::testing::Values(ReplayCase{"before_kickoff.txt", 1, true},
                                           ReplayCase{"play_on.txt", 1, false},
                                           ReplayCase{"fallen.txt", 1, true},
                                           ReplayCase{"hearing.txt", 2, true},
                                           ReplayCase{"groundtruth_play_on.txt", 1, true}),
                         [](const ::testing::TestParamInfo<ReplayCase>& i) {
                             std::string n = i.param.file;
                             return n.substr(0, n.find('.'));
                         });

}  // namespace
