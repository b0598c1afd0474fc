// The real agent program against a scripted server: a robot lying on its
// back or front stands up, and stops commanding its legs once it is up.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/scripted_server.h"
#include "support/test_files.h"

namespace {

const std::vector<std::string> kStandUpOrder = {"lle1", "rle1", "lle2", "rle2", "lle3", "rle3", "lle4",
                                                "rle4", "lle5", "rle5", "lle6", "rle6", "lae1", "rae1",
                                                "lae2", "rae2", "lae3", "rae3", "lae4", "rae4"};

struct JointCommand {
    std::string name;
    std::string value;
};

// The joint speed commands of one answer (neck, legs and arms), in order.
std::vector<JointCommand> joint_commands(const std::string& answer)
{
    static const std::regex cmd(R"(\(((?:he|lle|rle|lae|rae)[0-9]) ([^()]*)\))");
    std::vector<JointCommand> out;
    for (auto it = std::sregex_iterator(answer.begin(), answer.end(), cmd); it != std::sregex_iterator();
         ++it)
        out.push_back({(*it)[1], (*it)[2]});
    return out;
}

std::vector<std::string> limb_names(const std::vector<JointCommand>& cmds)
{
    std::vector<std::string> names;
    for (const JointCommand& c : cmds)
        if (c.name.compare(0, 2, "he") != 0) names.push_back(c.name);
    return names;
}

bool is_finite_number(const std::string& text)
{
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    return end != text.c_str() && *end == '\0' && std::isfinite(v);
}

// A real message of a robot lying on its back.
std::string lying_on_back_message()
{
    std::vector<std::string> lines = read_data_lines("server_fallen.txt");
    return lines.empty() ? std::string() : lines.back();
}

std::string with_accelerometer(const std::string& msg, const std::string& reading)
{
    static const std::regex acc(R"(\(ACC \(n torso\) \(a [^)]*\)\))");
    return std::regex_replace(msg, acc, "(ACC (n torso) (a " + reading + "))");
}

// The game state of the first message also tells the field side.
std::string with_side(const std::string& msg)
{
    static const std::regex gs(R"(\(GS \()");
    return std::regex_replace(msg, gs, "(GS (unum 2) (team left) (", std::regex_constants::format_first_only);
}

class MotionEndToEnd : public ::testing::Test {
protected:
    ScratchWorkDir scratch;
    ScriptedServer server;
    ChildProcess agent;
    std::vector<std::string> answers;

    void SetUp() override
    {
        ASSERT_TRUE(scratch.ok());
        ASSERT_TRUE(server.listen()) << server.error();
        bool started;
        {
            InWorkDir in_scratch(scratch.path());
            started = agent.start(
                {BREVANE_BINARY_DIR "/brevane", "--host=" + server.host(), "--num=2", "--team=brevane"});
        }
        ASSERT_TRUE(started);
        ASSERT_TRUE(server.accept(5000)) << server.error();
        std::string scene;
        ASSERT_TRUE(server.receive(scene, 10000)) << server.error();
        EXPECT_EQ(scene, "(scene rsg/agent/nao/nao_hetero.rsg 0)");
    }

    void TearDown() override
    {
        server.close_client();
        agent.wait(5000);
    }

    // Lying readings until the fall is latched and the stand-up is under
    // way, then upright readings until the answers carry no limb commands
    // any more; returns how many answers carried a stand-up sample. A few
    // messages are kept in flight, as a server that does not wait for the
    // answers would.
    int stand_up(const std::string& lying)
    {
        const std::string upright = with_accelerometer(lying, "0.00 0.00 9.81");
        const int kLying = 20, kMaxMessages = 400, kInFlight = 3;
        auto message = [&](int i) { return i == 0 ? with_side(lying) : i < kLying ? lying : upright; };
        int sent = 0;
        while (sent < kInFlight) {
            EXPECT_TRUE(server.send(message(sent++)));
        }
        int samples = 0;
        int quiet = 0;
        for (int i = 0; i < kMaxMessages && quiet < 10; ++i) {
            // Two think sub-steps answer every message.
            std::vector<std::string> got = server.receive_n(2, 3000);
            if (got.size() != 2) {
                ADD_FAILURE() << "message " << i << " got " << got.size() << " answers; agent stderr:\n"
                              << agent.stderr_text();
                break;
            }
            if (i == 0) {
                EXPECT_EQ(got[0], "(init (unum 2)(teamname brevane))");
            }
            answers.insert(answers.end(), got.begin(), got.end());
            for (const std::string& a : got) {
                std::vector<std::string> limbs = limb_names(joint_commands(a));
                if (limbs == kStandUpOrder) ++samples;
                // Once the stand-up has played, nothing moves the limbs.
                if (samples > 0 && limbs.empty())
                    ++quiet;
                else if (quiet > 0) {
                    ADD_FAILURE() << "limb commands after the stand-up ended: " << a;
                }
            }
            if (sent < kMaxMessages) {
                EXPECT_TRUE(server.send(message(sent++)));
            }
        }
        EXPECT_GE(quiet, 10) << "the stand-up did not end";
        return samples;
    }

    // The log tells the fall with the side the robot lies on, then the
    // end of its stand-up, each stamped with the game time.
    void expect_logged(const std::string& side)
    {
        const std::string log = agent.stderr_text();
        std::smatch fall, end;
        ASSERT_TRUE(
            std::regex_search(log, fall, std::regex(R"(\n\[(\d+\.\d\d)\] fall detected \(([a-z]+)\)\n)")))
            << log;
        EXPECT_EQ(fall[2], side);
        const std::string after = fall.suffix();
        ASSERT_TRUE(std::regex_search(after, end, std::regex(R"(\[(\d+\.\d\d)\] stand-up ended\n)"))) << log;
        EXPECT_LE(std::stod(fall[1]), std::stod(end[1]));
        EXPECT_EQ(log.find("kick started"), std::string::npos);
    }

    void expect_all_speeds_finite()
    {
        for (const std::string& a : answers) {
            EXPECT_EQ(a.find("nan"), std::string::npos) << a;
            EXPECT_EQ(a.find("inf"), std::string::npos) << a;
            for (const JointCommand& c : joint_commands(a))
                EXPECT_TRUE(is_finite_number(c.value)) << c.name << " " << c.value;
        }
    }
};

TEST_F(MotionEndToEnd, LyingOnTheBackStandsUpThenStopsCommandingTheLimbs)
{
    std::string lying = lying_on_back_message();
    ASSERT_NE(lying.find("(ACC (n torso) (a -0.00 9.65 -1.79))"), std::string::npos);
    int samples = stand_up(lying);
    // The stand-up from the back lasts 2.75 s, one sample per 0.01 s
    // sub-step, after it has waited the longest 0.6 s for the limbs at its
    // first pose (the angles read here never get there).
    EXPECT_GT(samples, 250 + 60);
    EXPECT_LT(samples, 300 + 60);
    expect_all_speeds_finite();
    expect_logged("back");
}

TEST_F(MotionEndToEnd, LyingOnTheFrontStandsUpThenStopsCommandingTheLimbs)
{
    std::string lying = with_accelerometer(lying_on_back_message(), "0.00 -9.65 -1.79");
    int samples = stand_up(lying);
    // The stand-up from the front lasts 2.15 s.
    EXPECT_GT(samples, 190);
    EXPECT_LT(samples, 240);
    expect_all_speeds_finite();
    expect_logged("front");
}

}  // namespace
