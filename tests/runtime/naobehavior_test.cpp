#include "skills/NaoBehavior.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "perception/naoparse.h"
#include "support/vision_scene.h"
#include "world/localize.h"
#include "world/teamformation.h"

namespace {

class NaoBehaviorTest : public ::testing::Test {
protected:
    void SetUp() override { NaoParse::reset_static_state(); }
};

TEST_F(NaoBehaviorTest, ConstructionDefaults)
{
    NaoBehavior b(5, 3, "Blue");
    EXPECT_EQ(b.game_phase, 3);
    EXPECT_EQ(b.sub_steps, 2);
    EXPECT_FALSE(b.initialized);
    EXPECT_EQ(b.think_count, 0);
    EXPECT_EQ(b.unum, 5);
    EXPECT_EQ(b.team_size, 3);
    ASSERT_NE(b.parse, nullptr);
    EXPECT_EQ(b.parse->team_name, "Blue");
    EXPECT_FALSE(b.beamed);
    EXPECT_FALSE(b.head_scan_active);
    EXPECT_EQ(b.last_move_target_count, -9999);
    EXPECT_EQ(b.out.str(), "");
}

TEST_F(NaoBehaviorTest, SceneMessageCarriesTheRobotTypeOfTheNumber)
{
    const int type_of[12] = {0, 0, 0, 0, 1, 0, 0, 0, 2, 1, 2, 0};
    for (int unum = 1; unum <= 11; ++unum) {
        NaoBehavior b(unum, 0, "T");
        EXPECT_EQ(b.Init(), "(scene rsg/agent/nao/nao_hetero.rsg " + std::to_string(type_of[unum]) + ")")
            << unum;
    }
}

TEST_F(NaoBehaviorTest, InitPreparesTheParser)
{
    NaoBehavior b(2, 0, "T");
    b.Init();
    EXPECT_EQ(b.parse->mJointIDMap.size(), 22u);
    EXPECT_DOUBLE_EQ(b.parse->game_time, 0.0);
}

TEST_F(NaoBehaviorTest, FirstThinkAnswersWithTheInitMessageOnly)
{
    NaoBehavior b(7, 0, "Qorvex-SIM");
    b.Init();
    EXPECT_EQ(b.Think("(GS (unum 1) (team right) (t 3.0) (pm PlayOn))"),
              "(init (unum 7)(teamname Qorvex-SIM))");
    EXPECT_TRUE(b.initialized);
    EXPECT_TRUE(b.parse->hear_active);
    EXPECT_EQ(b.think_count, 0);
    EXPECT_EQ(b.parse->side, 0);  // the message was not parsed
    EXPECT_EQ(b.parse->play_mode, 17);
}

TEST_F(NaoBehaviorTest, LaterThinksParseAndCount)
{
    NaoBehavior b(7, 0, "Probe");
    b.Init();
    b.Think("");
    b.Think("(GS (t 3.0) (pm PlayOn))");
    EXPECT_EQ(b.parse->play_mode, 3);
    EXPECT_EQ(b.think_count, 1);
    EXPECT_FALSE(b.head_scan_active);
    b.Think("(GS (unum 7) (team left) (t 3.02) (pm PlayOn))");
    EXPECT_EQ(b.parse->side, 1);
    EXPECT_TRUE(b.head_scan_active);
    b.Think("(GS (t 3.04) (pm PlayOn))");
    EXPECT_TRUE(b.head_scan_active);  // never cleared
    EXPECT_EQ(b.think_count, 3);
}

TEST_F(NaoBehaviorTest, EachThinkStartsFromAnEmptyCommandStream)
{
    NaoBehavior b(7, 0, "Probe");
    b.Init();
    b.Think("");
    b.out << "(stale)";
    std::string answer = b.Think("(GS (t 3.0) (pm PlayOn))");
    EXPECT_EQ(answer.find("(stale)"), std::string::npos);
}

TEST_F(NaoBehaviorTest, TheLocaliserStartsOnTheBeamPlaceWithoutItsGrid)
{
    NaoBehavior b(5, 0, "T");
    ASSERT_NE(b.localize, nullptr);
    EXPECT_EQ(b.localize->x, b.form->x);
    EXPECT_EQ(b.localize->y, b.form->y);
    EXPECT_EQ(b.localize->torso_heading, b.form->theta);
    EXPECT_FALSE(b.localize->grid);
    EXPECT_EQ(b.localize->nx, 60);
    EXPECT_EQ(b.localize->ny, 40);
    EXPECT_EQ(b.localize->side, 0);
}

TEST_F(NaoBehaviorTest, ThinkTellsTheLocaliserTheSideOnceAndUpdatesIt)
{
    NaoBehavior b(7, 0, "Probe");
    b.Init();
    b.Think("");  // answered with the init message, not parsed
    EXPECT_EQ(b.localize->no_fix_count, 0);
    vision_scene::Camera cam;
    cam.x = 6;
    cam.y = -2;
    cam.torso_heading = 3.0;
    // The side comes with the uniform number; the same message has vision.
    b.Think(vision_scene::Message(cam).game_state(7, "right").sees("G1L").sees("G2L").str());
    EXPECT_EQ(b.localize->side, -1);
    EXPECT_DOUBLE_EQ(b.localize->own_goal_x, 15.0);
    EXPECT_TRUE(b.localize->fix);
    EXPECT_NEAR(b.localize->x, 6, 1e-4);
    EXPECT_NEAR(b.localize->y, -2, 1e-4);
    EXPECT_NEAR(b.localize->torso_heading, 3.0, 1e-5);
    // Told once: a later game state does not change it.
    b.Think("(GS (unum 7) (team left) (t 3.04) (pm PlayOn))");
    EXPECT_EQ(b.parse->side, 1);
    EXPECT_EQ(b.localize->side, -1);
}

struct SayCase {
    double x, y;
    const char* text;  // nullptr: nothing said
};

void PrintTo(const SayCase& c, std::ostream* os) { *os << c.x << " " << c.y; }

class SayMessage : public NaoBehaviorTest, public ::testing::WithParamInterface<SayCase> {};

TEST_P(SayMessage, FitsTheSayBufferOrIsSkipped)
{
    NaoBehavior b(2, 0, "T");
    const SayCase& c = GetParam();
    b.out << "(x)";
    bool said = b.say_ball_position(c.x, c.y);
    EXPECT_EQ(said, c.text != nullptr);
    EXPECT_EQ(b.out.str(), std::string("(x)") + (c.text ? c.text : ""));
}

const double kNan = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Table, SayMessage,
    ::testing::Values(SayCase{3.54, -2.0, "(say 3.5_-2.0)"}, SayCase{0, 0, "(say 0.0_0.0)"},
                      SayCase{-99.94, -99.94, "(say -99.9_-99.9)"}, SayCase{-99.96, 1.0, "(say -100.0_1.0)"},
                      SayCase{-99.96, -99.96, nullptr}, SayCase{1e300, 0, nullptr}, SayCase{kNan, 0, nullptr},
                      SayCase{0, kInf, nullptr}, SayCase{-kInf, 0, nullptr}));

}  // namespace
