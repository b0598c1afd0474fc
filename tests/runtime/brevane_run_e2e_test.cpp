// The real run-challenge program against a scripted server: its command
// line, its answers from the init message to the run, its state-machine
// log and its echo of its own hear messages.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/agent_process.h"
#include "support/child_process.h"
#include "support/scripted_server.h"
#include "support/test_files.h"

namespace {

const char* const kAgent = BREVANE_BINARY_DIR "/brevane-run";
const char* const kBeam = "(beam -10.0 0.0 0.0)";

// Recorded messages with another play mode.
std::string with_play_mode(std::string msg, const std::string& pm)
{
    const std::string from = "(pm BeforeKickOff)";
    const size_t at = msg.find(from);
    if (at != std::string::npos) msg.replace(at, from.size(), "(pm " + pm + ")");
    return msg;
}

bool has(const std::string& s, const char* what) { return s.find(what) != std::string::npos; }

class RunAgentE2E : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scratch.ok());
        lines = read_data_lines("server_before_kickoff.txt");
        ASSERT_EQ(lines.size(), 6u);
    }
    void start(const std::vector<std::string>& options, int port = ScriptedServer::kPort)
    {
        ASSERT_TRUE(server.listen_on_port(port)) << server.error();
        start_agent(agent, server, kAgent, scratch.path(), options, &scene);
    }
    // Sends the messages, ends the stream and collects every answer; the
    // program then ends by itself with status 0.
    std::vector<std::string> replay(const std::vector<std::string>& msgs)
    {
        for (const std::string& m : msgs) EXPECT_TRUE(server.send(m));
        server.finish_sending();
        std::vector<std::string> got = server.receive_n(100000, 10000);
        EXPECT_TRUE(agent.wait(5000));
        EXPECT_TRUE(agent.exited()) << "signal " << agent.term_signal();
        EXPECT_EQ(agent.exit_status(), 0) << agent.stderr_text();
        return got;
    }
    // The first message tells the side; n messages in all.
    std::vector<std::string> messages(int n, const std::string& pm) const
    {
        std::vector<std::string> r;
        for (int i = 0; i < n; ++i) r.push_back(with_play_mode(lines[i == 0 ? 2 : i % 6], pm));
        return r;
    }
    ScratchWorkDir scratch;
    ScriptedServer server;
    ChildProcess agent;
    std::vector<std::string> lines;
    std::string scene;
};

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
};

void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }

class RunUsage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(RunUsage, PrintsTheUsageTextAndExitsZero) { expect_usage_exit(kAgent, GetParam().args); }

INSTANTIATE_TEST_SUITE_P(
    Table, RunUsage,
    ::testing::Values(UsageCase{"help", {"--help"}}, UsageCase{"host_without_value", {"--host="}},
                      UsageCase{"host_alone", {"--host"}}, UsageCase{"port_without_value", {"--port="}},
                      UsageCase{"port_zero", {"--port=0"}}, UsageCase{"port_too_large", {"--port=65536"}},
                      UsageCase{"port_negative", {"--port=-3100"}}, UsageCase{"port_word", {"--port=abc"}},
                      UsageCase{"team_without_value", {"--team="}}, UsageCase{"num_alone", {"--num"}},
                      UsageCase{"pen_alone", {"--pen"}}, UsageCase{"llc_alone", {"--llc"}},
                      UsageCase{"side_alone", {"--side"}}, UsageCase{"ite_alone", {"--ite"}},
                      UsageCase{"calibrate_alone", {"--calibrate"}},
                      UsageCase{"calibrate_without_value", {"--calibrate=", "1", "2", "3"}},
                      UsageCase{"calibrate_two_numbers", {"--calibrate=3", "1.5", "2"}},
                      UsageCase{"help_after_others", {"--num=3", "--port=3200", "--help"}}),
    [](const ::testing::TestParamInfo<UsageCase>& i) { return std::string(i.param.name); });

struct OptionCase {
    const char* name;
    std::vector<std::string> args;
    std::string init;  // the answer to the first message
};

void PrintTo(const OptionCase& c, std::ostream* os) { *os << c.name; }

class RunOptions : public RunAgentE2E, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(RunOptions, SetTheInitMessage)
{
    start(GetParam().args);
    EXPECT_EQ(scene, "(scene rsg/agent/nao/nao_hetero.rsg 0)");
    ASSERT_TRUE(server.send(lines[0]));
    std::string init;
    ASSERT_TRUE(server.receive(init, 5000)) << server.error();
    EXPECT_EQ(init, GetParam().init);
    server.close_client();
    ASSERT_TRUE(agent.wait(5000));
    EXPECT_EQ(agent.exit_status(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RunOptions,
    ::testing::Values(
        OptionCase{"defaults", {}, "(init (unum 2)(teamname Qorvex-SIM))"},
        OptionCase{"num_and_team", {"--num=7", "--team=Probe"}, "(init (unum 7)(teamname Probe))"},
        // Options are matched by their whole name.
        OptionCase{"teamsize_is_not_team", {"--teamsize=5"}, "(init (unum 2)(teamname Qorvex-SIM))"},
        OptionCase{"numx_is_not_num",
                   {"--numx=5", "--team=Probe", "--teamx=Other"},
                   "(init (unum 2)(teamname Probe))"},
        OptionCase{"num_with_empty_value", {"--num="}, "(init (unum 0)(teamname Qorvex-SIM))"},
        OptionCase{"run_settings",
                   {"--pen=1", "--llc=4", "--side=-1", "--ite=12", "--num=3"},
                   "(init (unum 3)(teamname Qorvex-SIM))"},
        // The three numbers stay arguments of their own, matching nothing.
        OptionCase{"calibrate",
                   {"--calibrate=3", "0.5", "-1", "2", "--num=9"},
                   "(init (unum 9)(teamname Qorvex-SIM))"},
        OptionCase{"single_dash_and_words", {"-num=4", "num", "--"}, "(init (unum 2)(teamname Qorvex-SIM))"}),
    [](const ::testing::TestParamInfo<OptionCase>& i) { return std::string(i.param.name); });

TEST_F(RunAgentE2E, PortOptionChoosesTheServerPort)
{
    start({"--port=23115", "--num=5"}, 23115);
    ASSERT_TRUE(server.send(lines[0]));
    std::string init;
    ASSERT_TRUE(server.receive(init, 5000)) << server.error();
    EXPECT_EQ(init, "(init (unum 5)(teamname Qorvex-SIM))");
}

TEST_F(RunAgentE2E, BeamsPlaysTheStandPoseAndRunsFromTheThirdPlayOnCycle)
{
    start({"--num=1"});
    std::vector<std::string> msgs = messages(40, "BeforeKickOff");
    const std::vector<std::string> play = messages(30, "PlayOn");
    msgs.insert(msgs.end(), play.begin() + 1, play.end());
    const std::vector<std::string> got = replay(msgs);
    // Every Think call answers (the neck commands at least), two per message.
    ASSERT_EQ(got.size(), 2u * msgs.size()) << agent.stderr_text();
    EXPECT_EQ(got[0], "(init (unum 1)(teamname Qorvex-SIM))");
    EXPECT_EQ(got[1], kBeam);
    // Stand pose (arms and legs), one clearing cycle, then the neck alone.
    EXPECT_TRUE(has(got[2], "(lae1 ") && has(got[2], "(lle1 ")) << got[2];
    size_t cleared = 0;
    for (size_t i = 2; i < got.size() && !cleared; ++i)
        if (has(got[i], "(lle1 0)")) cleared = i;
    ASSERT_GT(cleared, 2u);
    for (size_t i = cleared + 1; i < 80; ++i) {
        EXPECT_FALSE(has(got[i], "(lle")) << i << " " << got[i];
        EXPECT_TRUE(has(got[i], "(he1 ")) << i << " " << got[i];
    }
    // PlayOn: two beams, the cycle that asks for the walk, then its stand pose and steps.
    EXPECT_EQ(got[80], kBeam);
    EXPECT_EQ(got[81], kBeam);
    EXPECT_FALSE(has(got[82], "(lle")) << got[82];
    for (size_t i = 83; i < got.size(); ++i) EXPECT_TRUE(has(got[i], "(lle1 ")) << i << " " << got[i];
    for (size_t i = 2; i < got.size(); ++i) {
        if (i == 80 || i == 81) continue;
        EXPECT_FALSE(has(got[i], "(beam")) << i;
    }
}

TEST_F(RunAgentE2E, LogsItsStateMachineOnStandardError)
{
    start({});
    std::vector<std::string> msgs = messages(101, "BeforeKickOff");
    const std::vector<std::string> play = messages(3, "PlayOn");
    msgs.insert(msgs.end(), play.begin() + 1, play.end());
    replay(msgs);
    std::vector<std::string> info;
    std::istringstream err(agent.stderr_text());
    for (std::string l; std::getline(err, l);)
        if (l.rfind("INFO:", 0) == 0) info.push_back(l);
    // 101 messages: 201 steps (the first Think call answers with the init).
    const std::vector<std::string> want = {
        "INFO:  ---------------------",
        "INFO:  1 - L1, S:root/->play_on:0",
        "INFO:   =====>>>> same state for 200 times",
        "INFO:  ---------------------",
        "INFO:  202 - L1, S:root/->play_on:1",
        "INFO:  ---------------------",
        "INFO:  203 - L1, MS:play_on/->root:0",
        "INFO:  203 - L2, S:init/->playing:1",
        "INFO:  ---------------------",
        "INFO:  204 - L1, MS:play_on/->root:0",
        "INFO:  204 - L2, MS:playing/->stand_up:0/->init:0",
        "INFO:  204 - L3, S:init",
    };
    EXPECT_EQ(info, want);
    EXPECT_NE(agent.stderr_text().find(" --- --- myN 2\n"), std::string::npos);
    EXPECT_NE(agent.stderr_text().find("////////////////////////////\n"), std::string::npos);
}

TEST_F(RunAgentE2E, EchoesItsOwnHearMessages)
{
    start({});
    std::vector<std::string> msgs = messages(3, "BeforeKickOff");
    msgs[1] += "(hear 12.5 self abc)";
    msgs[2] += "(hear 13.0 -20.5 xyz)";
    replay(msgs);
    // Two Think calls per message parse it twice.
    EXPECT_EQ(agent.stdout_text(), "I said abc at 12.5\nI said abc at 12.5\n");
}

// The real server's own form, labelled with the team: its recording holds
// unum 2's own "hi2" and a team-mate's "hello".
TEST_F(RunAgentE2E, EchoesItsOwnMessagesAsTheRealServerSendsThem)
{
    start({"--team=Probe"});
    const std::vector<std::string> heard = read_data_lines("server_hearing.txt");
    ASSERT_EQ(heard.size(), 6u);
    replay(heard);
    EXPECT_EQ(agent.stdout_text(), "I said hi2 at 0\nI said hi2 at 0\n");
}

TEST_F(RunAgentE2E, WritesNoTournamentLog)
{
    start({"--ite=4"});
    replay(messages(5, "PlayOn"));
    EXPECT_FALSE(std::ifstream((scratch.path() / "log_tournament_4.txt").string()).good());
}

}  // namespace
