#include "perception/naoparse.h"

#include <gtest/gtest.h>

#include "support/test_files.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

class NaoParseTest : public ::testing::Test {
protected:
    NaoParseTest() : p("Probe")
    {
        NaoParse::reset_static_state();
        p.Init();
    }
    NaoParse p;
};

// ---------------------------------------------------------------- tables

TEST_F(NaoParseTest, JointTablesFollowEffectorOrder)
{
    const char* perceptors[22] = {"hj1",  "hj2",  "llj1", "rlj1", "llj2", "rlj2", "llj3", "rlj3",
                                  "llj4", "rlj4", "llj5", "rlj5", "llj6", "rlj6", "laj1", "raj1",
                                  "laj2", "raj2", "laj3", "raj3", "laj4", "raj4"};
    ASSERT_EQ(p.mJointIDMap.size(), 22u);
    for (int id = 0; id < 22; ++id) {
        std::string per = perceptors[id];
        EXPECT_EQ(p.mJointIDMap.at(per), id) << per;
        // The effector name is the perceptor name with 'j' turned into 'e'.
        std::string eff = per;
        eff[eff.find('j')] = 'e';
        EXPECT_EQ(NaoParse::joint_to_str[id], eff) << id;
        bool inverted = (id >= 6 && id <= 11) || id == 14 || id == 15;
        EXPECT_EQ(NaoParse::inverted_joint[id], inverted) << id;
    }
    EXPECT_EQ(NaoParse::JID_HEAD_1, 0);
    EXPECT_EQ(NaoParse::JID_RLEG_6, 13);
    EXPECT_EQ(NaoParse::JID_RARM_4, 21);
}

TEST_F(NaoParseTest, LandmarksSitOnTheFieldBorder)
{
    EXPECT_DOUBLE_EQ(NaoParse::DIM_FIELD_LENGTH, 30.0);
    EXPECT_DOUBLE_EQ(NaoParse::DIM_FIELD_WIDTH, 20.0);
    const double x[9] = {0, -15, -15, 15, 15, -15, -15, 15, 15};
    // The server's posts: its goals are 2.1 m wide.
    const double y[9] = {0, 10, -10, 10, -10, 1.05, -1.05, 1.05, -1.05};
    for (int i = 0; i < 9; ++i) {
        EXPECT_DOUBLE_EQ(NaoParse::vo_x_coord[i], x[i]) << i;
        EXPECT_DOUBLE_EQ(NaoParse::vo_y_coord[i], y[i]) << i;
    }
    const char* names[] = {"B", "F1L", "F2L", "F1R", "F2R", "G1L", "G2L", "G1R", "G2R"};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(p.mVisionObjectMap.at(names[i]), i);
    EXPECT_EQ(p.mVisionObjectMap.at("L"), 10);
    EXPECT_EQ(p.mVisionObjectMap.at("P"), 11);
    EXPECT_EQ(p.mVisionObjectMap.size(), 11u);
}

TEST_F(NaoParseTest, StartsInADefinedState)
{
    NaoParse fresh("X");
    EXPECT_EQ(fresh.play_mode, 17);
    EXPECT_EQ(fresh.unum, -1);
    EXPECT_EQ(fresh.side, 0);
    EXPECT_DOUBLE_EQ(fresh.game_time, -1.0);
    EXPECT_FALSE(fresh.hear_active);
    for (int i = 0; i < 9; ++i) EXPECT_FALSE(fresh.nv.seen[i]);
    EXPECT_EQ(fresh.nv.nb_player, 0);
    EXPECT_EQ(fresh.nv.nb_line, 0);
    EXPECT_TRUE(NaoParse::fall_down_detection_active);
    fresh.Init();
    EXPECT_DOUBLE_EQ(fresh.game_time, 0.0);
    EXPECT_TRUE(fresh.parser != nullptr);
}

// ---------------------------------------------------------------- joints

TEST_F(NaoParseTest, StoresHingeJointAnglesInDegrees)
{
    p.Parse("(HJ (n llj3) (ax -12.5))(HJ (n raj4) (ax 180))", 0);
    EXPECT_FLOAT_EQ(NaoParse::GetJointAngleDeg(NaoParse::JID_LLEG_3), -12.5f);
    EXPECT_DOUBLE_EQ(NaoParse::GetJointAngleRad(NaoParse::JID_RARM_4), 3.1415926);
    EXPECT_DOUBLE_EQ(NaoParse::GetJointAngleDeg(NaoParse::JID_HEAD_1), 0.0);  // never perceived
}

TEST_F(NaoParseTest, SkipsUnknownJointsAndUnreadableAngles)
{
    p.Parse("(HJ (n hj1) (ax 10))", 0);
    testing::internal::CaptureStderr();
    p.Parse("(HJ (n xyz) (ax 5))(HJ (n hj1) (ax nan))(HJ (n hj1) (ax inf))(HJ (n hj1))(HJ (ax 7))", 0);
    std::string err = testing::internal::GetCapturedStderr();
    // The unknown name and the missing one, each without a newline.
    EXPECT_EQ(err, "(NaoBehavior) unknown joint id!(NaoBehavior) unknown joint id!");
    EXPECT_DOUBLE_EQ(NaoParse::GetJointAngleDeg(NaoParse::JID_HEAD_1), 10.0);
}

TEST_F(NaoParseTest, ReadsUniversalJointsWhenBothAnglesArePresent)
{
    testing::internal::CaptureStderr();
    p.Parse("(UJ (n llj1) (ax1 1.5) (ax2 -2.5))(UJ (n rlj1) (ax1 3))(UJ (n foo) (ax1 1) (ax2 2))", 0);
    std::string err = testing::internal::GetCapturedStderr();
    ASSERT_EQ(p.mUniversalJointSenseMap.count(NaoParse::JID_LLEG_1), 1u);
    EXPECT_FLOAT_EQ(p.mUniversalJointSenseMap[NaoParse::JID_LLEG_1].angle1, 1.5f);
    EXPECT_FLOAT_EQ(p.mUniversalJointSenseMap[NaoParse::JID_LLEG_1].angle2, -2.5f);
    EXPECT_EQ(p.mUniversalJointSenseMap.count(NaoParse::JID_RLEG_1), 0u);
    EXPECT_NE(err.find("(NaoBehavior) could not parse universal joint angle2!\n"), std::string::npos);
    EXPECT_NE(err.find("(NaoBehavior) unknown joint id!\n"), std::string::npos);
}

// ------------------------------------------------------------ game state

TEST_F(NaoParseTest, GameStateWithoutUnumKeepsUnumAndSide)
{
    p.Parse("(GS (unum 7) (team right) (t 1.00) (pm BeforeKickOff))", 0);
    p.Parse("(GS (t 5.00) (pm PlayOn))", 0);
    EXPECT_EQ(p.unum, 7);
    EXPECT_EQ(p.side, -1);
    EXPECT_DOUBLE_EQ(p.game_time, 5.0);
    EXPECT_EQ(p.play_mode, 3);
}

TEST_F(NaoParseTest, GameStateWithoutTimeKeepsThePlayMode)
{
    p.Parse("(GS (unum 3) (team left) (pm PlayOn))", 0);
    EXPECT_EQ(p.unum, 3);
    EXPECT_EQ(p.side, 1);
    EXPECT_EQ(p.play_mode, 17);
}

TEST_F(NaoParseTest, TeamIsReadOnlyWithUnum)
{
    p.Parse("(GS (team left) (t 1) (pm PlayOn))", 0);
    EXPECT_EQ(p.side, 0);
    p.Parse("(GS (unum 2) (team middle) (t 1) (pm PlayOn))", 0);
    EXPECT_EQ(p.side, 0);
}

TEST_F(NaoParseTest, PlayModeTable)
{
    const char* modes[] = {"BeforeKickOff",  "KickOff_Left",    "KickOff_Right",    "PlayOn",
                           "KickIn_Left",    "KickIn_Right",    "corner_kick_left", "corner_kick_right",
                           "goal_kick_left", "goal_kick_right", "offside_left",     "offside_right",
                           "GameOver",       "Goal_Left",       "Goal_Right",       "free_kick_left",
                           "free_kick_right"};
    for (int code = 0; code < 17; ++code) {
        p.Parse(std::string("(GS (t 1.0) (pm ") + modes[code] + "))", 0);
        EXPECT_EQ(p.play_mode, code) << modes[code];
    }
}

TEST_F(NaoParseTest, UnknownPlayModeTexts)
{
    p.Parse("(GS (t 1.0) (pm PlayOn))", 0);
    testing::internal::CaptureStderr();
    p.Parse("(GS (t 1.0) (pm playon))(GS (t 1.0) (pm KICKOFF_LEFT))", 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(p.play_mode, 3);
    testing::internal::CaptureStderr();
    p.Parse("(GS (t 1.0) (pm unknown))", 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "unknown gamestate ?\n");
    EXPECT_EQ(p.play_mode, 17);
}

TEST_F(NaoParseTest, RealServerGameStateKeepsUnumAndTeamFromTheThirdMessage)
{
    std::vector<std::string> lines = read_data_lines("server_before_kickoff.txt");
    ASSERT_GE(lines.size(), 6u);
    for (int i = 0; i < 2; ++i) p.Parse(lines[i], i);
    EXPECT_EQ(p.unum, -1);
    EXPECT_EQ(p.side, 0);
    EXPECT_EQ(p.play_mode, 0);
    for (size_t i = 2; i < lines.size(); ++i) p.Parse(lines[i], static_cast<int>(i));
    EXPECT_EQ(p.unum, 1);
    EXPECT_EQ(p.side, 1);
    EXPECT_EQ(p.play_mode, 0);
}

TEST_F(NaoParseTest, RealServerKickOffThenPlayOn)
{
    std::vector<std::string> lines = read_data_lines("server_play_on.txt");
    ASSERT_GE(lines.size(), 20u);
    p.Parse(lines[0], 0);
    EXPECT_EQ(p.play_mode, 1);
    EXPECT_NEAR(p.game_time, 0.02, 1e-9);
    for (const std::string& l : lines) p.Parse(l, 0);
    EXPECT_EQ(p.play_mode, 3);
    EXPECT_GT(p.game_time, 0.5);
}

// ------------------------------------------------------- fall detection

std::string acc(double x, double y, double z)
{
    return "(ACC (n torso) (a " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(z) +
           "))";
}

struct FallCase {
    const char* name;
    double x, y, z;
    bool fallen, back, front;
};

void PrintTo(const FallCase& c, std::ostream* os) { *os << c.name; }

class FallDetection : public NaoParseTest, public ::testing::WithParamInterface<FallCase> {};

TEST_P(FallDetection, FourIdenticalReadings)
{
    const FallCase& c = GetParam();
    for (int i = 0; i < 4; ++i) p.Parse(acc(c.x, c.y, c.z), i);
    EXPECT_EQ(NaoParse::fall_down_detected, c.fallen);
    EXPECT_EQ(NaoParse::back_fall_down_detected, c.back);
    EXPECT_EQ(NaoParse::front_fall_down_detected, c.front);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FallDetection,
    ::testing::Values(FallCase{"back", 0, 9.8, 0, true, true, false},
                      FallCase{"front", 0, -9.8, 0, true, false, true},
                      FallCase{"left_side", 9.8, 0, 0, true, true, false},
                      FallCase{"right_side", -9.8, 0, 0, true, true, false},
                      FallCase{"standing", 0, 0, 9.8, false, false, false},
                      FallCase{"tilted_back", 0, 9.0, 3.9, true, true, false},
                      FallCase{"too_upright", 0, 9.0, 4.1, false, false, false},
                      // Turned over: only once it lasts (below).
                      FallCase{"front_head_below_hips", 2.0, -5.3, -8.1, false, false, false},
                      FallCase{"too_weak", 0, 8.9, 0, false, false, false},
                      // 12 is clamped to 10: a magnitude of exactly 10 counts.
                      FallCase{"clamped", 0, 12.0, 0, true, true, false},
                      FallCase{"weightless", 0, 0, 0, false, false, false}),
    [](const ::testing::TestParamInfo<FallCase>& i) { return std::string(i.param.name); });

// A torso turned over, its up axis pointing down, lies once it has stayed
// so for half a second (50 readings); a landing's impact, a few such
// readings, does not decide the direction of the fall.
struct InvertedCase {
    const char* name;
    double x, y, z;
    bool back, front;
};

class InvertedTorso : public NaoParseTest, public ::testing::WithParamInterface<InvertedCase> {};

TEST_P(InvertedTorso, LiesOnceItLasts)
{
    const InvertedCase& c = GetParam();
    // The first three readings are averaged with the empty history's zeros.
    for (int i = 0; i < 3 + 49; ++i) p.Parse(acc(c.x, c.y, c.z), i);
    EXPECT_FALSE(NaoParse::fall_down_detected);
    p.Parse(acc(c.x, c.y, c.z), 52);
    EXPECT_TRUE(NaoParse::fall_down_detected);
    EXPECT_EQ(NaoParse::back_fall_down_detected, c.back);
    EXPECT_EQ(NaoParse::front_fall_down_detected, c.front);
}

INSTANTIATE_TEST_SUITE_P(
    Table, InvertedTorso,
    ::testing::Values(InvertedCase{"front_head_below_hips", 2.0, -5.3, -8.1, false, true},
                      InvertedCase{"back_head_below_hips", 1.0, 5.0, -8.4, true, false},
                      InvertedCase{"upside_down", 0, 0, -9.8, true, false}),
    [](const ::testing::TestParamInfo<InvertedCase>& i) { return std::string(i.param.name); });

TEST_F(NaoParseTest, ImpactOfALandingOnTheBackIsNotAFrontFall)
{
    // The impact reads turned over and towards the front for a moment...
    for (int i = 0; i < 6; ++i) p.Parse(acc(0.4, -10, -10), i);
    EXPECT_FALSE(NaoParse::fall_down_detected);
    // ... then the robot lies on its back.
    for (int i = 0; i < 4; ++i) p.Parse(acc(0, 9.8, 0.5), i);
    EXPECT_TRUE(NaoParse::back_fall_down_detected);
    EXPECT_FALSE(NaoParse::front_fall_down_detected);
}

TEST_F(NaoParseTest, FirstReadingsAreAveragedWithZeros)
{
    for (int i = 0; i < 3; ++i) {
        p.Parse(acc(0, -9.8, 0), i);
        EXPECT_FALSE(NaoParse::fall_down_detected) << i;
    }
    p.Parse(acc(0, -9.8, 0), 3);
    EXPECT_TRUE(NaoParse::front_fall_down_detected);
}

TEST_F(NaoParseTest, ClampingDecidesAtTheLimit)
{
    // Unclamped, 40 in one sample would lift the mean of (0, 7.6, 0) to
    // 15.7; clamped to 10 the mean is 8.2 and the robot is not lying.
    for (int i = 0; i < 3; ++i) p.Parse(acc(0, 7.6, 0), i);
    p.Parse(acc(0, 40, 0), 3);
    EXPECT_FALSE(NaoParse::fall_down_detected);
    // Clamped to -10 each, a mean of (0, -10, 0): on the front.
    for (int i = 0; i < 4; ++i) p.Parse(acc(0, -50, 0), i);
    EXPECT_TRUE(NaoParse::front_fall_down_detected);
}

TEST_F(NaoParseTest, FallFlagsLatchUntilCleared)
{
    for (int i = 0; i < 4; ++i) p.Parse(acc(0, 9.8, 0), i);
    ASSERT_TRUE(NaoParse::back_fall_down_detected);
    for (int i = 0; i < 8; ++i) p.Parse(acc(0, -9.8, 0), i);  // front now
    for (int i = 0; i < 8; ++i) p.Parse(acc(0, 0, 9.8), i);   // standing
    EXPECT_TRUE(NaoParse::fall_down_detected);
    EXPECT_TRUE(NaoParse::back_fall_down_detected);
    EXPECT_FALSE(NaoParse::front_fall_down_detected);

    // The stand-up clears them; the next readings decide again.
    NaoParse::fall_down_detected = false;
    NaoParse::back_fall_down_detected = false;
    p.Parse(acc(0, 0, 9.8), 0);
    EXPECT_FALSE(NaoParse::fall_down_detected);
}

TEST_F(NaoParseTest, NoDetectionWhenSwitchedOff)
{
    NaoParse::fall_down_detection_active = false;
    for (int i = 0; i < 4; ++i) p.Parse(acc(0, 9.8, 0), i);
    EXPECT_FALSE(NaoParse::fall_down_detected);
}

TEST_F(NaoParseTest, NonFiniteAccelerationIsIgnored)
{
    for (int i = 0; i < 3; ++i) p.Parse(acc(0, 9.8, 0), i);
    p.Parse("(ACC (n torso) (a 0 nan 0))(ACC (n torso) (a 0 inf 0))(ACC (n torso) (a 0 1e999 0))", 0);
    EXPECT_FALSE(NaoParse::fall_down_detected);  // still 3 samples of 4
    p.Parse(acc(0, 9.8, 0), 3);
    EXPECT_TRUE(NaoParse::back_fall_down_detected);
}

TEST_F(NaoParseTest, RealServerFallOnTheBack)
{
    std::vector<std::string> lines = read_data_lines("server_fallen.txt");
    ASSERT_EQ(lines.size(), 100u);
    // Standing until the leg commands start (message 30); the agent parses
    // every message twice (two sub-steps).
    for (int i = 0; i < 32; ++i) {
        p.Parse(lines[i], 2 * i);
        p.Parse(lines[i], 2 * i + 1);
        EXPECT_FALSE(NaoParse::fall_down_detected) << "message " << i + 1;
    }
    for (size_t i = 32; i < lines.size(); ++i) {
        p.Parse(lines[i], 0);
        p.Parse(lines[i], 1);
    }
    EXPECT_TRUE(NaoParse::fall_down_detected);
    EXPECT_TRUE(NaoParse::back_fall_down_detected);
    EXPECT_FALSE(NaoParse::front_fall_down_detected);
}

// ------------------------------------------------------------------ vision

TEST_F(NaoParseTest, VisionWithOnlyTheBall)
{
    p.Parse(
        "(See (G1L (pol 12.5 -30.2 -2.1)) (P (team Probe) (id 3) (rlowerarm (pol 1 2 3)) "
        "(llowerarm (pol 1 2 3))) (L (pol 1 2 3) (pol 4 5 6)))",
        0);
    ASSERT_TRUE(p.nv.seen[5]);
    p.Parse("(See (B (pol 3.1 5.0 -20.4)))", 0);
    EXPECT_TRUE(p.nv.seen[0]);
    for (int i = 1; i < 9; ++i) EXPECT_FALSE(p.nv.seen[i]) << i;
    EXPECT_EQ(p.nv.nb_player, 0);
    EXPECT_EQ(p.nv.nb_line, 0);
    EXPECT_NEAR(p.nv.pol[0][0], 3.1, 1e-6);
    EXPECT_NEAR(p.nv.pol[0][1], 5.0, 1e-6);
    EXPECT_NEAR(p.nv.pol[0][2], -20.4, 1e-5);
}

TEST_F(NaoParseTest, VisionRecordStaysInCyclesWithoutSee)
{
    p.Parse("(See (B (pol 3.1 5.0 -20.4)))", 0);
    p.Parse("(GS (t 1.0) (pm PlayOn))", 0);
    EXPECT_TRUE(p.nv.seen[0]);
}

TEST_F(NaoParseTest, PlayersNeedBothLowerArms)
{
    p.Parse(
        "(See (P (team Probe) (id 4) (rlowerarm (pol 6.1 10.2 -3.0)) (llowerarm (pol 6.2 9.1 -3.1)))"
        " (P (team Other) (id 5) (rlowerarm (pol 1 2 3)) (llowerarm (pol 4 5 6)))"
        " (P (team Probe) (id 6) (rlowerarm (pol 1 2 3)))"
        " (P (team Probe) (id 7) (head (pol 1 2 3)) (rfoot (pol 1 2 3)))"
        " (P (team Probe) (rlowerarm (pol 1 2 3)) (llowerarm (pol 4 5 6)))"
        " (P (team Probe) (id 8) (rlowerarm (pol 1 nan 3)) (llowerarm (pol 4 5 6))))",
        0);
    ASSERT_EQ(p.nv.nb_player, 2);
    EXPECT_EQ(p.nv.nb_teammate, 1);
    EXPECT_EQ(p.nv.nb_opponent, 1);
    const NaoParse::vis_player_t& a = p.nv.player[0];
    EXPECT_TRUE(a.teammate);
    EXPECT_EQ(a.id, 4);
    EXPECT_NEAR(a.dist[0], 6.1, 1e-6);  // right lower arm first
    EXPECT_NEAR(a.dist[1], 6.2, 1e-6);
    EXPECT_NEAR(a.azimuth[0], 10.2, 1e-5);
    EXPECT_NEAR(a.azimuth[1], 9.1, 1e-5);
    EXPECT_NEAR(a.elevation[0], -3.0, 1e-6);
    EXPECT_NEAR(a.elevation[1], -3.1, 1e-6);
    EXPECT_FALSE(p.nv.player[1].teammate);
    EXPECT_EQ(p.nv.player[1].id, 5);
}

TEST_F(NaoParseTest, LinesKeepTheirEndPointsInOrder)
{
    p.Parse("(See (L (pol 4.0 -40.0 -8.0) (pol 7.5 20.0 -5.0)) (L (pol 1 2 3)) (L (pol 1 2 3) (x 1 2)))", 0);
    ASSERT_EQ(p.nv.nb_line, 1);
    const NaoParse::vis_line_t& l = p.nv.line[0];
    EXPECT_DOUBLE_EQ(l.dist[0], 4.0);
    EXPECT_DOUBLE_EQ(l.dist[1], 7.5);
    EXPECT_DOUBLE_EQ(l.azimuth[0], -40.0);
    EXPECT_DOUBLE_EQ(l.azimuth[1], 20.0);
    EXPECT_DOUBLE_EQ(l.elevation[0], -8.0);
    EXPECT_DOUBLE_EQ(l.elevation[1], -5.0);
}

TEST_F(NaoParseTest, FullTablesStopAt32)
{
    std::string see = "(See";
    for (int i = 0; i < 33; ++i) {
        see += " (P (team T) (id 1) (rlowerarm (pol 1 2 3)) (llowerarm (pol 1 2 3)))";
        see += " (L (pol 1 2 3) (pol 4 5 6))";
    }
    see += ")";
    testing::internal::CaptureStderr();
    p.Parse(see, 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(p.nv.nb_player, 32);
    EXPECT_EQ(p.nv.nb_opponent, 32);
    EXPECT_EQ(p.nv.nb_line, 32);
    EXPECT_NE(err.find("nv.nb_player >= MAX_PLAYER_SEEN \n"), std::string::npos);
    EXPECT_NE(err.find("nv.nb_line >= MAX_LINE_SEEN \n"), std::string::npos);
}

TEST_F(NaoParseTest, IncompleteOrNonFiniteObjectsAreNotSeen)
{
    p.Parse(
        "(See (B (pol 3.1 5.0)) (F1L (pol nan 1 2)) (F2L (pol 1 2 inf)) (G1R) (XYZ (pol 1 2 3))"
        " (G2R (pol 1 2 3)))",
        0);
    for (int i = 0; i < 8; ++i) EXPECT_FALSE(p.nv.seen[i]) << i;
    EXPECT_TRUE(p.nv.seen[8]);
}

TEST_F(NaoParseTest, RealServerVision)
{
    std::vector<std::string> lines = read_data_lines("server_before_kickoff.txt");
    p.Parse(lines[0], 0);  // from the spawn point
    EXPECT_TRUE(p.nv.seen[0]);
    EXPECT_TRUE(p.nv.seen[1]);  // F1L
    EXPECT_TRUE(p.nv.seen[3]);  // F1R
    EXPECT_FALSE(p.nv.seen[5]);
    EXPECT_EQ(p.nv.nb_line, 9);
    EXPECT_NEAR(p.nv.pol[0][0], 1.89, 1e-6);  // read as a float
    EXPECT_NEAR(p.nv.line[0].dist[1], 11.12, 1e-5);

    std::vector<std::string> hearing = read_data_lines("server_hearing.txt");
    p.Parse(hearing[0], 0);
    // A teammate with head and feet, and the own lower arms as player 2.
    ASSERT_EQ(p.nv.nb_player, 2);
    EXPECT_EQ(p.nv.nb_teammate, 2);
    EXPECT_EQ(p.nv.player[0].id, 1);
    EXPECT_EQ(p.nv.player[1].id, 2);
    EXPECT_TRUE(p.nv.seen[5] && p.nv.seen[6] && p.nv.seen[1] && p.nv.seen[2]);
}

TEST_F(NaoParseTest, SideCopyFollowsEverySideRead)
{
    EXPECT_FALSE(p.side_received);
    EXPECT_EQ(p.side_copy, 0);
    const struct {
        const char* msg;
        bool received;
        int side;
    } steps[] = {{"(GS (team left) (t 1) (pm PlayOn))", false, 0},
                 {"(GS (unum 2) (team middle) (t 1) (pm PlayOn))", false, 0},
                 {"(GS (unum 2) (team right) (t 1) (pm PlayOn))", true, -1},
                 {"(GS (t 2) (pm PlayOn))", true, -1},
                 {"(GS (unum 2) (team left) (t 3) (pm PlayOn))", true, 1}};
    for (const auto& s : steps) {
        p.Parse(s.msg, 0);
        EXPECT_EQ(p.side_received, s.received) << s.msg;
        EXPECT_EQ(p.side_copy, s.side) << s.msg;
        EXPECT_EQ(p.side, s.side) << s.msg;
    }
}

// ----------------------------------------------------------------- hearing

TEST_F(NaoParseTest, HearsTheTeamsBallMessages)
{
    p.hear_active = true;
    p.Parse("(hear Probe 12.50 -30.5 3.5_-2.0)", 0);
    EXPECT_DOUBLE_EQ(p.hear_time, 12.5);
    EXPECT_DOUBLE_EQ(p.hear_x, 3.5);
    EXPECT_DOUBLE_EQ(p.hear_y, -2.0);
    EXPECT_DOUBLE_EQ(p.hear_dir, -30.5);
    EXPECT_EQ(p.hear_count, 1);
    // A direction that is no number: the position is kept all the same.
    p.Parse("(hear Probe 13.00 left 1.0_2.0)", 0);
    EXPECT_DOUBLE_EQ(p.hear_x, 1.0);
    EXPECT_TRUE(std::isnan(p.hear_dir));
    EXPECT_EQ(p.hear_count, 2);
}

struct HearCase {
    const char* name;
    bool active;
    const char* msg;
};

void PrintTo(const HearCase& c, std::ostream* os) { *os << c.name; }

class HearIgnored : public NaoParseTest, public ::testing::WithParamInterface<HearCase> {};

TEST_P(HearIgnored, LeavesTheLastBallMessage)
{
    p.hear_active = true;
    p.Parse("(hear Probe 1.0 10 1.5_2.5)", 0);
    p.hear_active = GetParam().active;
    testing::internal::CaptureStderr();
    p.Parse(GetParam().msg, 0);
    testing::internal::GetCapturedStderr();
    EXPECT_DOUBLE_EQ(p.hear_time, 1.0);
    EXPECT_DOUBLE_EQ(p.hear_x, 1.5);
    EXPECT_DOUBLE_EQ(p.hear_y, 2.5);
    EXPECT_DOUBLE_EQ(p.hear_dir, 10.0);
    EXPECT_EQ(p.hear_count, 1);
}

INSTANTIATE_TEST_SUITE_P(Table, HearIgnored,
                         ::testing::Values(HearCase{"self", true, "(hear Probe 2.0 self 3.5_-2.0)"},
                                           HearCase{"other_team", true, "(hear Other 2.0 10 3.5_-2.0)"},
                                           HearCase{"one_number", true, "(hear Probe 2.0 10 3.5)"},
                                           HearCase{"word", true, "(hear Probe 2.0 10 hello)"},
                                           HearCase{"bad_time", true, "(hear Probe x 10 3.5_-2.0)"},
                                           HearCase{"nan", true, "(hear Probe 2.0 10 nan_1)"},
                                           HearCase{"inf", true, "(hear Probe 2.0 10 1_inf)"},
                                           HearCase{"huge", true, "(hear Probe 2.0 10 1e999_1)"},
                                           HearCase{"missing_message", true, "(hear Probe 2.0 10)"},
                                           HearCase{"not_active", false, "(hear Probe 2.0 10 3.5_-2.0)"}),
                         [](const ::testing::TestParamInfo<HearCase>& i) {
                             return std::string(i.param.name);
                         });

TEST_F(NaoParseTest, ReportsTheFirstMissingHearValue)
{
    p.hear_active = true;
    const char* cases[][2] = {{"(hear)", "could not get hear_team \n"},
                              {"(hear Probe)", "could not get hear_time \n"},
                              {"(hear Probe 1.0)", "could not get hear_angle \n"},
                              {"(hear Probe 1.0 10)", "could not get hear_message \n"}};
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        p.Parse(c[0], 0);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c[1]) << c[0];
    }
}

// The run-challenge program's hear form: (hear time sender message), or
// with the speaker's team in front as the server labels it; its own
// messages are echoed, nothing is stored.
TEST_F(NaoParseTest, EchoFormPrintsOnlyTheOwnMessages)
{
    p.hear_form = NaoParse::HEAR_ECHO;
    p.hear_active = true;
    const struct {
        const char* msg;
        const char* out;
        const char* err;
    } cases[] = {
        {"(hear 12.5 self abc)", "I said abc at 12.5\n", ""},
        {"(hear 12.5 -30.5 abc)", "", ""},
        {"(hear 3 self 3.5_-2.0)", "I said 3.5_-2.0 at 3\n", ""},
        {"(hear)", "", "could not get hear time \n"},
        {"(hear 1.0)", "", "could not get sender \n"},
        {"(hear 1.0 self)", "", "could not get message \n"},
        // Labelled by the server with the speaker's team.
        {"(hear Probe 1.5 self hi)", "I said hi at 1.5\n", ""},
        {"(hear Other 1.5 self hi)", "I said hi at 1.5\n", ""},
        {"(hear Probe 1.5 -30.5 hi)", "", ""},
        {"(hear Probe 1.5 self 3.5_-2.0)", "I said 3.5_-2.0 at 1.5\n", ""},
        // A label with a value missing reads as the unlabelled form.
        {"(hear Probe 1.0 self)", "", "could not get hear time \n"},
        {"(hear Probe x self hi)", "", "could not get hear time \n"},
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        p.Parse(c.msg, 0);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.err) << c.msg;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out) << c.msg;
    }
    EXPECT_EQ(p.hear_time, 0);
    EXPECT_EQ(p.hear_x, 0);
    EXPECT_EQ(p.hear_y, 0);
}

// What the real server sent unum 2 of team Probe: its own "hi2" back and
// unum 1's "hello".
TEST_F(NaoParseTest, EchoFormReadsTheRealServersHearing)
{
    std::vector<std::string> lines = read_data_lines("server_hearing.txt");
    ASSERT_EQ(lines.size(), 6u);
    p.hear_form = NaoParse::HEAR_ECHO;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    for (const std::string& l : lines) p.Parse(l, 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "I said hi2 at 0\n");
}

TEST_F(NaoParseTest, RealServerHearing)
{
    std::vector<std::string> lines = read_data_lines("server_hearing.txt");
    ASSERT_EQ(lines.size(), 6u);
    p.hear_active = true;
    // "hello" and "hi2" are not ball messages; nothing is stored, nothing
    // else in the record breaks.
    p.hear_time = -7;
    for (const std::string& l : lines) p.Parse(l, 0);
    EXPECT_DOUBLE_EQ(p.hear_time, -7);
    std::string with_ball = lines[5];
    std::string::size_type at = with_ball.find("hello");
    ASSERT_NE(at, std::string::npos);
    with_ball.replace(at, 5, "-4.0_1.5");
    p.Parse(with_ball, 0);
    EXPECT_DOUBLE_EQ(p.hear_time, 0.0);
    EXPECT_DOUBLE_EQ(p.hear_x, -4.0);
    EXPECT_DOUBLE_EQ(p.hear_y, 1.5);
}

// A real team-mate's ball message and its own echo, as the server sent
// them to two players of team Probe: unum 2 heard unum 3's "-0.3_0.2"
// from -80.83 degrees, unum 3 heard itself.
TEST_F(NaoParseTest, RealServerBallMessageOfATeamMate)
{
    std::vector<std::string> lines = read_data_lines("server_hearing_ball.txt");
    ASSERT_EQ(lines.size(), 2u);
    p.hear_active = true;
    p.Parse(lines[1], 0);  // its own: not taken
    EXPECT_DOUBLE_EQ(p.hear_time, 0.0);
    EXPECT_DOUBLE_EQ(p.hear_x, 0.0);
    p.Parse(lines[0], 0);
    EXPECT_DOUBLE_EQ(p.hear_time, 6.06);
    EXPECT_DOUBLE_EQ(p.hear_x, -0.3);
    EXPECT_DOUBLE_EQ(p.hear_y, 0.2);

    NaoParse other("Other");
    other.Init();
    other.hear_active = true;
    other.Parse(lines[0], 0);  // another team's players hear it too
    EXPECT_DOUBLE_EQ(other.hear_time, 0.0);
}

// ------------------------------------------------------------ broken input

TEST_F(NaoParseTest, BrokenPartsChangeNothingElse)
{
    std::vector<std::string> lines = read_data_lines("server_play_on.txt");
    p.Parse(lines.back(), 0);
    const int mode = p.play_mode;
    const double t = p.game_time;
    const double hj2 = NaoParse::GetJointAngleDeg(NaoParse::JID_HEAD_2);
    const bool ball = p.nv.seen[0];
    const double ball_d = p.nv.pol[0][0];

    // A truncated copy of the message: the predicates before the cut are
    // read again, the cut one is dropped.
    std::string cut = lines.back().substr(0, lines.back().find("(HJ (n hj2)") + 8);
    p.Parse(cut, 0);
    // Junk, unbalanced parentheses and empty lists.
    p.Parse(std::string(32768, '('), 0);
    p.Parse(")))((()))(()", 0);
    p.Parse("(GS)(HJ)(See)(ACC)(hear)(UJ)(GYR)(FRP)", 0);
    p.Parse("(GS (t nan) (pm GameOver))(GS (unum 99999999999) (team right))", 0);
    std::string junk;
    for (int i = 0; i < 32768; ++i) junk += static_cast<char>("(a)1 .e-"[(i * 7919) % 8]);
    p.Parse(junk, 0);

    EXPECT_EQ(p.play_mode, mode);
    EXPECT_DOUBLE_EQ(p.game_time, t);
    EXPECT_EQ(p.side, 0);
    EXPECT_DOUBLE_EQ(NaoParse::GetJointAngleDeg(NaoParse::JID_HEAD_2), hj2);
    // "(See)" is a vision predicate without objects: nothing seen.
    EXPECT_FALSE(p.nv.seen[0]);
    EXPECT_TRUE(ball);
    EXPECT_DOUBLE_EQ(p.nv.pol[0][0], ball_d);
}

TEST_F(NaoParseTest, NothingHappensBeforeInit)
{
    NaoParse raw("Probe");
    raw.Parse("(GS (t 1.0) (pm PlayOn))", 0);
    EXPECT_EQ(raw.play_mode, 17);
}

}  // namespace
