#include "runtime/server_link.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "perception/SimBehavior.h"
#include "runtime/cycle_loop.h"
#include "support/scripted_server.h"

namespace {

// ------------------------------------------------------------ command line

void reset_options()
{
    gHost = "127.0.0.1";
    player_number = 2;
    team_size = 0;
    team_name = "Qorvex-SIM";
}

void read_options(std::vector<std::string> args)
{
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    ReadOptions(static_cast<int>(argv.size()), argv.data());
}

struct OptionCase {
    const char* name;
    std::vector<std::string> args;
    std::string host;
    int num;
    int size;
    std::string team;
};

void PrintTo(const OptionCase& c, std::ostream* os) { *os << c.name; }

class Options : public ::testing::TestWithParam<OptionCase> {};

TEST_P(Options, SetTheGlobals)
{
    reset_options();
    const OptionCase& c = GetParam();
    read_options(c.args);
    EXPECT_EQ(gHost, c.host);
    EXPECT_EQ(player_number, c.num);
    EXPECT_EQ(team_size, c.size);
    EXPECT_EQ(team_name, c.team);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Options,
    ::testing::Values(
        OptionCase{"defaults", {"brevane"}, "127.0.0.1", 2, 0, "Qorvex-SIM"},
        OptionCase{"all",
                   {"brevane", "--host=10.0.0.5", "--num=7", "--team=Blue", "--teamsize=5"},
                   "10.0.0.5",
                   7,
                   5,
                   "Blue"},
        OptionCase{"teamsize_keeps_team", {"b", "--teamsize=5"}, "127.0.0.1", 2, 5, "Qorvex-SIM"},
        OptionCase{"teamsize_without_digits", {"b", "--teamsize=x"}, "127.0.0.1", 2, 0, "Qorvex-SIM"},
        OptionCase{"num_empty_is_zero", {"b", "--num="}, "127.0.0.1", 0, 0, "Qorvex-SIM"},
        OptionCase{"any_separator", {"b", "--host:server", "--team+Red"}, "server", 2, 0, "Red"},
        OptionCase{"ignored", {"b", "--port=3200", "-v", "x"}, "127.0.0.1", 2, 0, "Qorvex-SIM"},
        OptionCase{"last_wins", {"b", "--num=3", "--num=11"}, "127.0.0.1", 11, 0, "Qorvex-SIM"}),
    [](const ::testing::TestParamInfo<OptionCase>& i) { return std::string(i.param.name); });

TEST(OptionsDeathTest, UsageEndsTheProgramWithStatusZero)
{
    const std::vector<std::vector<std::string>> cases = {
        {"b", "--help"}, {"b", "--host="}, {"b", "--host"}, {"b", "--team="}, {"b", "--num"}};
    for (const auto& c : cases) EXPECT_EXIT(read_options(c), ::testing::ExitedWithCode(0), "") << c[1];
}

// ----------------------------------------------------------------- framing

std::string header(uint32_t n)
{
    std::string h(4, '\0');
    h[0] = static_cast<char>(n >> 24);
    h[1] = static_cast<char>(n >> 16);
    h[2] = static_cast<char>(n >> 8);
    h[3] = static_cast<char>(n);
    return h;
}

// Death-test children abort: no core file in the source tree.
void no_core_file()
{
    rlimit none = {0, 0};
    setrlimit(RLIMIT_CORE, &none);
}

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.listen()) << server.error();
        gHost = server.host();
        gLoop = true;
        gLinkStatus = LINK_OK;
        ASSERT_TRUE(Init());
        ASSERT_TRUE(server.accept(2000)) << server.error();
    }
    void TearDown() override
    {
        Done();
        gLoop = true;
        gLinkStatus = LINK_OK;
    }
    ScriptedServer server;
};

TEST_F(LinkTest, PutMessagePrefixesTheBigEndianLength)
{
    std::string body(300, 'x');
    ASSERT_TRUE(PutMessage(body));
    ASSERT_TRUE(PutMessage("(syn)"));
    std::string got;
    ASSERT_TRUE(server.receive(got, 2000));
    EXPECT_EQ(got, body);  // 300 needs two length bytes: order matters
    ASSERT_TRUE(server.receive(got, 2000));
    EXPECT_EQ(got, "(syn)");
}

TEST_F(LinkTest, EmptyMessageSendsNoBytes)
{
    ASSERT_TRUE(PutMessage(""));
    ASSERT_TRUE(PutMessage("(a)"));
    std::string got;
    ASSERT_TRUE(server.receive(got, 2000));
    EXPECT_EQ(got, "(a)");  // nothing, not even a length, came before it
}

TEST_F(LinkTest, GetMessageReadsFramesInPieces)
{
    std::string msg;
    ASSERT_TRUE(server.send_raw(header(5).substr(0, 1)));
    ASSERT_TRUE(server.send_raw(header(5).substr(1) + "he"));
    ASSERT_TRUE(server.send_raw("llo"));
    ASSERT_TRUE(GetMessage(msg));
    EXPECT_EQ(msg, "hello");
}

TEST_F(LinkTest, GetMessageEdgeLengths)
{
    std::string msg = "old";
    ASSERT_TRUE(server.send(""));
    ASSERT_TRUE(GetMessage(msg));
    EXPECT_EQ(msg, "");

    ASSERT_TRUE(server.send(std::string("ab\0cd", 5)));
    ASSERT_TRUE(server.send("(next)"));
    ASSERT_TRUE(GetMessage(msg));
    EXPECT_EQ(msg, "ab");
    ASSERT_TRUE(GetMessage(msg));  // the bytes after the NUL were consumed
    EXPECT_EQ(msg, "(next)");

    std::string longest(kMaxMessageLength, 'y');
    ASSERT_EQ(kMaxMessageLength, 32763);
    ASSERT_TRUE(server.send(longest));
    ASSERT_TRUE(GetMessage(msg));
    EXPECT_EQ(msg, longest);
}

TEST_F(LinkTest, GetMessageAbortsOnALengthThatDoesNotFit)
{
    ASSERT_TRUE(server.send_raw(header(32764)));
    std::string msg;
    EXPECT_DEATH((no_core_file(), GetMessage(msg)), "message too long; aborting");
}

TEST_F(LinkTest, GetMessageAbortsOnANegativeLength)
{
    ASSERT_TRUE(server.send_raw(header(0x80000000u)));
    std::string msg;
    EXPECT_DEATH((no_core_file(), GetMessage(msg)), "message too long; aborting");
}

TEST_F(LinkTest, EndOfStreamEndsReceiving)
{
    std::string msg;
    ASSERT_TRUE(server.send_raw(header(10) + "abc"));  // cut inside the body
    server.close_client();
    EXPECT_FALSE(GetMessage(msg));
    EXPECT_EQ(gLinkStatus, LINK_CLOSED);
}

TEST_F(LinkTest, EndOfStreamInTheHeader)
{
    std::string msg;
    server.close_client();
    EXPECT_FALSE(GetMessage(msg));
    EXPECT_EQ(gLinkStatus, LINK_CLOSED);
}

TEST_F(LinkTest, ReceiveErrorIsReported)
{
    std::string msg;
    server.reset_client();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(GetMessage(msg));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(gLinkStatus, LINK_ERROR);
    EXPECT_NE(err.find("recv failed"), std::string::npos) << err;
}

TEST_F(LinkTest, SendToAClosedPeerEndsTheLinkWithoutSigpipe)
{
    server.reset_client();
    testing::internal::CaptureStderr();
    bool ok = true;
    // The first send may still be accepted by the kernel; a later one fails.
    for (int i = 0; i < 50 && ok; ++i) ok = PutMessage(std::string(1000, 'z'));
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(ok);
    EXPECT_EQ(gLinkStatus, LINK_CLOSED);
}

// -------------------------------------------------------------- cycle loop

struct FakeAgent : public SimBehavior {
    int sub_steps = 2;
    std::vector<std::string> seen;
    bool quiet_second = false;  // the second sub-step answers nothing
    std::string Init() override { return "(scene fake)"; }
    std::string Think(const std::string& msg) override
    {
        seen.push_back(msg);
        if (quiet_second && seen.size() % 2 == 0) return "";
        return "(answer " + std::to_string(seen.size()) + " to " + msg + ")";
    }
};

std::vector<std::string> expected_answers(int sub_steps, bool quiet_second)
{
    std::vector<std::string> e = {"(scene fake)"};
    int n = 0;
    for (int m = 1; m <= 3; ++m) {
        for (int s = 0; s < sub_steps; ++s) {
            ++n;
            if (quiet_second && n % 2 == 0) continue;
            e.push_back("(answer " + std::to_string(n) + " to (m" + std::to_string(m) + "))");
        }
    }
    return e;
}

struct LoopCase {
    int sub_steps;
    bool quiet_second;
    bool timer;
};

void PrintTo(const LoopCase& c, std::ostream* os)
{
    *os << (c.timer ? "timer" : "sleeping") << " sub_steps=" << c.sub_steps
        << (c.quiet_second ? " quiet_second" : "");
}

class LoopTest : public LinkTest, public ::testing::WithParamInterface<LoopCase> {};

TEST_P(LoopTest, AnswersEverySubStepOfEveryMessage)
{
    const LoopCase& c = GetParam();
    ASSERT_TRUE(server.send("(m1)") && server.send("(m2)") && server.send("(m3)"));
    server.finish_sending();  // end of stream after the third message
    FakeAgent agent;
    agent.sub_steps = c.sub_steps;
    agent.quiet_second = c.quiet_second;
    if (c.timer) {
        reset_timer_loop();
        run_timer_loop(agent);
    } else {
        run_sleeping_loop(agent);
    }
    std::vector<std::string> want = expected_answers(c.sub_steps, c.quiet_second);
    std::vector<std::string> got = server.receive_n(static_cast<int>(want.size()), 2000);
    EXPECT_EQ(got, want);
    std::string extra;
    EXPECT_FALSE(server.receive(extra, 50));  // an empty answer sends nothing
    ASSERT_EQ(agent.seen.size(), static_cast<size_t>(3 * c.sub_steps));
    for (int i = 0; i < 3 * c.sub_steps; ++i)
        EXPECT_EQ(agent.seen[i], "(m" + std::to_string(i / c.sub_steps + 1) + ")");
    EXPECT_EQ(gLinkStatus, LINK_CLOSED);
}

INSTANTIATE_TEST_SUITE_P(Table, LoopTest,
                         ::testing::Values(LoopCase{1, false, false}, LoopCase{2, false, false},
                                           LoopCase{2, true, false}, LoopCase{3, false, false},
                                           LoopCase{1, false, true}, LoopCase{2, false, true},
                                           LoopCase{2, true, true}));

// The interval-measuring loop answers every message once, whatever the
// agent's own sub-steps.
TEST_F(LinkTest, IntervalLoopAnswersEachMessageOnce)
{
    ASSERT_TRUE(server.send("(m1)") && server.send("(m2)") && server.send("(m3)"));
    server.finish_sending();
    FakeAgent agent;
    agent.sub_steps = 2;
    run_interval_loop(agent);
    std::vector<std::string> got = server.receive_n(4, 2000);
    EXPECT_EQ(got, (std::vector<std::string>{"(scene fake)", "(answer 1 to (m1))", "(answer 2 to (m2))",
                                             "(answer 3 to (m3))"}));
    EXPECT_EQ(agent.seen, (std::vector<std::string>{"(m1)", "(m2)", "(m3)"}));
    EXPECT_EQ(gLinkStatus, LINK_CLOSED);
}

TEST_F(LinkTest, ClearedLoopFlagSendsTheSceneAndReadsNothing)
{
    ASSERT_TRUE(server.send("(m1)"));
    FakeAgent agent;
    gLoop = false;
    run_sleeping_loop(agent);
    std::string got;
    ASSERT_TRUE(server.receive(got, 2000));
    EXPECT_EQ(got, "(scene fake)");
    EXPECT_TRUE(agent.seen.empty());
}

TEST_F(LinkTest, LostLinkEndsTheLoop)
{
    ASSERT_TRUE(server.send("(m1)"));
    server.reset_client();
    FakeAgent agent;
    testing::internal::CaptureStderr();
    run_sleeping_loop(agent);
    testing::internal::GetCapturedStderr();
    EXPECT_NE(gLinkStatus, LINK_OK);
    EXPECT_LE(agent.seen.size(), 2u);
}

}  // namespace

namespace {

// Timer expiries that arrive after the last sub-step are still pending when
// the loop ends; unblocking the timer signal must not deliver them (their
// default action would end the process).
struct SlowLastAgent : public SimBehavior {
    int sub_steps = 2;
    int calls = 0;
    std::string Init() override { return "(scene slow)"; }
    std::string Think(const std::string&) override
    {
        if (++calls == 2 * sub_steps) usleep(50000);  // five timer periods
        return "(a)";
    }
};

TEST_F(LinkTest, TimerLoopEndsCleanlyWithExpiriesPending)
{
    ASSERT_TRUE(server.send("(m1)") && server.send("(m2)"));
    server.finish_sending();
    // In a child process: a fault ends that process, not the test program.
    EXPECT_EXIT(
        {
            SlowLastAgent agent;
            reset_timer_loop();
            run_timer_loop(agent);
            std::exit(agent.calls == 4 ? 0 : 3);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(server.receive_n(5, 2000).size(), 5u);
}

}  // namespace

namespace {

bool timer_signal_pending()
{
    sigset_t pending;
    sigpending(&pending);
    return sigismember(&pending, SIGRTMIN) == 1;
}

// The wait of a sub-step counts from the message's arrival: expiries that
// queued up while the loop waited for the message are dropped at re-arming.
TEST(TimerLoop, RearmingDropsExpiriesQueuedWhileWaiting)
{
    EXPECT_EXIT(
        {
            reset_timer_loop();
            if (!timer_loop_set_up(1000)) std::exit(3);
            timer_loop_rearm();
            usleep(5000);  // five periods without a wait
            const bool queued = timer_signal_pending();
            timer_loop_rearm();
            const bool after = timer_signal_pending();
            timer_loop_tear_down();
            std::exit(queued && !after && !timer_signal_pending() ? 0 : 4);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
