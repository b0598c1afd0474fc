// The agent object's think cycle with its motion interface and head
// scanner: what Init builds, and in which order one Think call writes the
// motion's joint commands and the neck command.
#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "headscan/naoscan.h"
#include "keyframe/naosimplemove.h"
#include "motioninterface/naomove.h"
#include "skills/NaoBehavior.h"
#include "support/test_files.h"
#include "walk/walk.h"

namespace {

const std::vector<std::string> kLegOrder = {"lle1", "rle1", "lle2", "rle2", "lle3", "rle3",
                                            "lle4", "rle4", "lle5", "rle5", "lle6", "rle6"};

// Names of the commands of one answer, in order ("he1", "lle1", "beam", ...).
std::vector<std::string> command_names(const std::string& answer)
{
    static const std::regex cmd(R"(\(([a-z]+[0-9]?) )");
    std::vector<std::string> names;
    for (auto it = std::sregex_iterator(answer.begin(), answer.end(), cmd); it != std::sregex_iterator();
         ++it)
        names.push_back((*it)[1]);
    return names;
}

// A real message of a robot standing before kick-off, with the game state
// telling the field side.
std::string standing_message()
{
    std::string msg;
    for (const std::string& line : read_data_lines("server_fallen.txt"))
        if (line.find("(a 0.00 -0.00 9.81)") != std::string::npos) {
            msg = line;
            break;
        }
    return std::regex_replace(msg, std::regex(R"(\(GS \()"), "(GS (unum 2) (team left) (",
                              std::regex_constants::format_first_only);
}

class AgentThink : public ::testing::Test {
protected:
    // The agent rewrites "dataWalk/stand3.dat" at start-up: each test works
    // in a private directory.
    ScratchWorkDir scratch;
    std::unique_ptr<InWorkDir> in_scratch;
    std::string msg = standing_message();
    NaoBehavior* agent = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(scratch.ok());
        in_scratch.reset(new InWorkDir(scratch.path()));
        ASSERT_FALSE(msg.empty());
        NaoParse::reset_static_state();
        NaoMove::reset_motion_state();
        naosimplemove_t::reset_interpolation();
        head_scan_t::reset_pattern_state();
        testing::internal::CaptureStderr();
        agent = new NaoBehavior(2, 0, "brevane");
        agent->Init();
        testing::internal::GetCapturedStderr();
    }

    void TearDown() override { delete agent; }
};

TEST_F(AgentThink, InitBuildsTheMotionInterfaceForTheSubStep)
{
    ASSERT_NE(agent->move, nullptr);
    EXPECT_DOUBLE_EQ(agent->move->walk_engine->dt, 0.02 / agent->sub_steps);
    EXPECT_EQ(agent->move->stand_pose.nlines, 1);
    EXPECT_EQ(agent->head_scan, nullptr);
}

TEST_F(AgentThink, FirstThinkCreatesTheFiveLegHeadScanner)
{
    EXPECT_EQ(agent->Think(msg), "(init (unum 2)(teamname brevane))");
    ASSERT_NE(agent->head_scan, nullptr);
    EXPECT_EQ(agent->head_scan->seq, head_scan_t::SEQ_FIVE_LEGS);
    EXPECT_DOUBLE_EQ(agent->head_scan->yaw_amplitude, 40.0);
    EXPECT_DOUBLE_EQ(agent->head_scan->pitch_amplitude, 20.0);
}

TEST_F(AgentThink, MotionCommandsComeFirstAndTheNeckCommandLast)
{
    agent->Think(msg);
    // Standing: no limb commands, the head scans once the side is known.
    std::string idle = agent->Think(msg);
    std::vector<std::string> names = command_names(idle);
    ASSERT_GE(names.size(), 2u) << idle;
    EXPECT_EQ(std::vector<std::string>(names.end() - 2, names.end()),
              (std::vector<std::string>{"he1", "he2"}));
    for (const std::string& n : names)
        EXPECT_TRUE(n == "he1" || n == "he2" || n == "beam" || n == "say") << idle;

    agent->move->new_trans2013(0.3, 0.0);
    bool walked = false;
    int beams = 0;
    for (int i = 0; i < 60 && !walked; ++i) {
        std::string s = agent->Think(msg);
        names = command_names(s);
        ASSERT_GE(names.size(), 2u) << s;
        EXPECT_EQ(std::vector<std::string>(names.end() - 2, names.end()),
                  (std::vector<std::string>{"he1", "he2"}))
            << s;
        names.resize(names.size() - 2);
        // The beam of the state machine's step survives the motion, which
        // empties the stream before its joint commands: it follows them.
        if (!names.empty() && names.back() == "beam") {
            ++beams;
            names.pop_back();
        }
        for (const std::string& n : names) EXPECT_NE(n, "beam") << s;
        if (agent->move->walking) {
            EXPECT_EQ(names, kLegOrder) << s;
            walked = true;
        }
    }
    EXPECT_TRUE(walked);
    EXPECT_EQ(beams, 1);
}

TEST_F(AgentThink, FallLatchedByThePerceptionStartsTheStandUp)
{
    agent->Think(msg);
    std::string lying =
        std::regex_replace(msg, std::regex(R"(\(a 0\.00 -0\.00 9\.81\))"), "(a 0.00 9.65 -1.79)");
    // Four readings fill the accelerometer history: two messages, each
    // thought twice.
    for (int i = 0; i < 4; ++i) agent->Think(lying);
    EXPECT_TRUE(NaoParse::fall_down_detected);
    EXPECT_TRUE(NaoParse::back_fall_down_detected);
    std::string s = agent->Think(lying);
    std::vector<std::string> names = command_names(s);
    ASSERT_EQ(names.size(), 22u) << s;
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 12), kLegOrder) << s;
    EXPECT_EQ(names[12], "lae1");
}

}  // namespace
