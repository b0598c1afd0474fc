#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "kin_test_util.h"
#include "kinematics/nao_geometric_model.h"
#include "kinematics/naoparam.h"

namespace {

using kintest::ScopedChdir;
using kintest::TempDir;

// ---------------------------------------------------------------- walk file

class WalkParamFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.write("walk_inputs/NAO-DE2014-2.txt",
                  "# comment line\n"
                  "height_lift 0.04\n"
                  " height_lift 0.09\n"     // indented: not a key line
                  "xlength_step_max0.07\n"  // no blank needed
                  "eta_torso_incline_lateral 0.1\n"
                  "xToeStrike 0.02 trailing words\n"
                  "ylength_step_max\n"  // key without number
                  "theta_step_max lots\n"
                  "unknown_key 5\n"
                  "height_lift 0.05\n");
    }
    double get(const char* key, double start = -1, int* result = nullptr)
    {
        double v = start;
        const int r = NaoWalkParam::set(2, 0, key, v, dir.path.c_str());
        if (result) *result = r;
        return v;
    }
    TempDir dir;
};

TEST_F(WalkParamFile, LastOccurrenceWinsAndIndentedLinesAreSkipped)
{
    EXPECT_DOUBLE_EQ(get("height_lift"), 0.05);
}

TEST_F(WalkParamFile, NumberMayFollowTheKeyDirectly) { EXPECT_DOUBLE_EQ(get("xlength_step_max"), 0.07); }

TEST_F(WalkParamFile, ALongerKeyIsNotTakenForItsPrefix)
{
    EXPECT_DOUBLE_EQ(get("eta_torso_incline_lateral"), 0.1);
    EXPECT_DOUBLE_EQ(get("eta_torso_incline", -1), -1);
}

TEST_F(WalkParamFile, TextAfterTheNumberIsIgnored) { EXPECT_DOUBLE_EQ(get("xToeStrike"), 0.02); }

TEST_F(WalkParamFile, AbsentOrUnknownKeysKeepTheCallersValue)
{
    struct Case {
        const char* key;
    } cases[] = {{"ylength_step_max"}, {"theta_step_max"}, {"unknown_key"}, {"ratio_flexion"}};
    for (const Case& c : cases) {
        int r = -5;
        EXPECT_EQ(get(c.key, 0.123, &r), 0.123) << c.key;
        EXPECT_EQ(r, 1) << c.key;
    }
}

TEST_F(WalkParamFile, MissingFileKeepsValueWithMessage)
{
    double v = 0.5;
    testing::internal::CaptureStderr();
    const int r = NaoWalkParam::set(1, 0, "height_lift", v, dir.path.c_str());
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(r, 0);
    EXPECT_EQ(v, 0.5);
    EXPECT_EQ(err, "NaoWalkParam::init fopen " + dir.path + "walk_inputs/NAO-DE2014-1.txt FAILED\n");
}

TEST(WalkParamTypes, UnsupportedRobotTypeEndsTheProcess)
{
    double v = 0;
    EXPECT_EXIT(NaoWalkParam::set(4, 0, "height_lift", v, "./"), ::testing::ExitedWithCode(0),
                "NaoWalkParam::set Ptype and Stype not defined");
    EXPECT_EXIT(NaoWalkParam::set(0, 1, "height_lift", v, "./"), ::testing::ExitedWithCode(0),
                "NaoWalkParam::set Ptype and Stype not defined");
    EXPECT_EXIT(NaoWalkParam::set(-1, 0, "height_lift", v, "./"), ::testing::ExitedWithCode(0),
                "Ptype and Stype not defined");
}

// ---------------------------------------------------------------- body files

TEST(BodyRecord, StartsAtZero)
{
    NaoParam p;
    EXPECT_EQ(p.Ptype, 0);
    EXPECT_EQ(p.left_leg.Hip1RelTorso_X, 0);
    EXPECT_EQ(p.left_leg.Foot_Z, 0);
    EXPECT_EQ(p.right_leg.FootMass, 0);
    EXPECT_EQ(p.left_arm.UpperarmRelShoulderX, 0);
    EXPECT_EQ(p.right_arm.LowerArm_Z, 0);
    EXPECT_EQ(p.right_arm.LowerArmMass, 0);
    EXPECT_EQ(p.neck.Head_Mass, 0);
}

TEST(BodyFiles, LegAbsolutePositionsChainFromTheTorso)
{
    TempDir dir;
    dir.write("base.txt", "Torso_X 0\nTorso_Y 0\nTorso_Z 0.385\n");
    dir.write("leg.txt",
              "Hip1RelTorso_X -0.055\nHip1RelTorso_Y -0.01\nHip1RelTorso_Z -0.115\n"
              "ThighRelHip2_Z -0.04\nShankRelThigh_Z -0.125\n");
    NaoBase base;
    NaoLeg leg;
    ASSERT_EQ(base.init((dir.path + "base.txt").c_str()), 1);
    ASSERT_EQ(leg.init((dir.path + "leg.txt").c_str()), 1);
    EXPECT_FLOAT_EQ(leg.Hip1_X, -0.055f);
    EXPECT_FLOAT_EQ(leg.Hip1_Y, -0.01f);
    EXPECT_FLOAT_EQ(leg.Hip1_Z, 0.27f);
    EXPECT_FLOAT_EQ(leg.Hip2_Z, 0.27f);
    EXPECT_FLOAT_EQ(leg.Thigh_Z, 0.23f);
    EXPECT_FLOAT_EQ(leg.Shank_Z, 0.105f);
    EXPECT_FLOAT_EQ(leg.Foot_X, -0.055f);
    NaoBase::reset();
}

TEST(BodyFiles, ArmAbsolutePositionsAndTheUpperArmKeySpelling)
{
    TempDir dir;
    NaoBase::reset();
    dir.write("arm.txt",
              "ShoulderRelTorso_X -0.098\nShoulderRelTorso_Z 0.075\n"
              "UpperarmRelShoulder_Y 0.5\n"  // not a key: the upper-arm keys have no underscore
              "UpperarmRelShoulderY 0.02\nElbowRelUpperArm_Y 0.07\nLowerarmRelElbow_Y 0.05\n");
    NaoArm arm;
    ASSERT_EQ(arm.init((dir.path + "arm.txt").c_str()), 1);
    EXPECT_FLOAT_EQ(arm.UpperarmRelShoulderY, 0.02f);
    EXPECT_FLOAT_EQ(arm.Shoulder_X, -0.098f);
    EXPECT_FLOAT_EQ(arm.Upperarm_Y, 0.02f);
    EXPECT_FLOAT_EQ(arm.LowerArm_Y, 0.14f);
    EXPECT_FLOAT_EQ(arm.LowerArm_Z, 0.075f);
}

TEST(BodyFiles, LineRulesOfTheReaders)
{
    TempDir dir;
    dir.write("neck.txt",
              "Neck_Mass 0.01\n"
              "  Head_Mass 9\n"     // indented: skipped
              "Head_Radius0.065\n"  // number right after the key
              "Neck_Radius 0.015 m (capsule)\n"
              "Head_Mass\n"  // no number
              "# Neck_Length 3\n"
              "Neck_Mass 0.05\n");  // last occurrence wins
    NaoNeck neck;
    neck.Head_Mass = 0.35f;
    ASSERT_EQ(neck.init((dir.path + "neck.txt").c_str()), 1);
    EXPECT_FLOAT_EQ(neck.Neck_Mass, 0.05f);
    EXPECT_FLOAT_EQ(neck.Head_Mass, 0.35f);
    EXPECT_FLOAT_EQ(neck.Head_Radius, 0.065f);
    EXPECT_FLOAT_EQ(neck.Neck_Radius, 0.015f);
    EXPECT_EQ(neck.Neck_Length, 0);
}

// The run-challenge variant marks the end of the body files with a line of
// slashes on standard error, once, before the walk file's lookups.
TEST(BodyFiles, RunVariantPrintsOneSeparatorAfterTheBodyFiles)
{
    const std::string separator = "////////////////////////////\n";
    TempDir empty;
    for (bool run : {false, true}) {
        testing::internal::CaptureStderr();
        Model m(1, 0, 0, empty.path.c_str(), run ? motion_variant_t::run_challenge() : motion_variant_t());
        const std::string err = testing::internal::GetCapturedStderr();
        size_t failures = 0;
        for (size_t at = err.find("FAILED\n"); at != std::string::npos; at = err.find("FAILED\n", at + 1))
            failures++;
        EXPECT_EQ(failures, 6u) << err;
        const size_t sep = err.find(separator);
        if (!run) {
            EXPECT_EQ(sep, std::string::npos) << err;
            continue;
        }
        ASSERT_NE(sep, std::string::npos) << err;
        EXPECT_EQ(err.find(separator, sep + 1), std::string::npos) << err;
        EXPECT_GT(sep, err.rfind("FAILED\n")) << err;
    }
}

TEST(BodyFiles, MissingFilesAreReportedAndTheOthersStillRead)
{
    TempDir dir;
    std::ifstream src("rsg_inputs/naoleg_input_left.txt");
    std::stringstream leg;
    leg << src.rdbuf();
    dir.write("rsg_inputs/naoleg_input_left.txt", leg.str());
    dir.write("rsg_inputs/naoarm_input_right.txt", "ShoulderMass 0.07\n");
    NaoParam p;
    testing::internal::CaptureStderr();
    p.init(dir.path.c_str(), 0, 0);
    const std::string err = testing::internal::GetCapturedStderr();
    for (const char* line : {"NaoBase::init fopen %srsg_inputs/naobase_input.txt FAILED\n",
                             "NaoLeg::init fopen %srsg_inputs/naoleg_input_right.txt FAILED\n",
                             "NaoArm::init fopen %srsg_inputs/naoarm_input_left.txt FAILED\n",
                             "NaoNeck::init fopen %srsg_inputs/naoneck_input.txt FAILED\n"}) {
        std::string want(line);
        want.replace(want.find("%s"), 2, dir.path);
        EXPECT_NE(err.find(want), std::string::npos) << want;
    }
    EXPECT_EQ(err.find("naoleg_input_left.txt FAILED"), std::string::npos);
    EXPECT_FLOAT_EQ(p.left_leg.ShankMass, 0.225f);
    EXPECT_FLOAT_EQ(p.right_arm.ShoulderMass, 0.07f);
    EXPECT_EQ(p.right_leg.ShankMass, 0);  // missing file: still the record's zero
    EXPECT_EQ(p.neck.Head_Mass, 0);
}

// ------------------------------------------------- walk file over body files

// A working directory with its own walk_inputs/ (the replacements always
// read "./walk_inputs/") and a body directory whose limbs are asymmetric.
class BodyAndWalkFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        body.write("rsg_inputs/naoleg_input_left.txt",
                   "Hip1RelTorso_X -0.05\nThighRelHip2_Z -0.041\nAnkleRelShank_Z -0.051\n");
        body.write("rsg_inputs/naoleg_input_right.txt",
                   "Hip1RelTorso_X 0.06\nThighRelHip2_Z -0.042\nAnkleRelShank_Z -0.052\n");
        body.write("rsg_inputs/naoarm_input_left.txt", "ElbowRelUpperArm_Y 0.071\n");
        body.write("rsg_inputs/naoarm_input_right.txt", "ElbowRelUpperArm_Y 0.072\n");
    }
    NaoParam load(int type, std::string* err = nullptr)
    {
        ScopedChdir cd(work.path);
        NaoParam p;
        testing::internal::CaptureStderr();
        p.init(body.path.c_str(), type, 0);
        const std::string e = testing::internal::GetCapturedStderr();
        if (err) *err = e;
        return p;
    }
    TempDir body, work;
};

TEST_F(BodyAndWalkFiles, WalkFileReplacesTheFourDimensions)
{
    work.write("walk_inputs/NAO-DE2014-1.txt",
               "ThighRelHip2_Z -0.05832\nHip1RelTorso_X -0.055\nAnkleRelShank_Z -0.07332\nElbowRelUpperArm_Y "
               "0.10664\n");
    const NaoParam p = load(1);
    EXPECT_EQ(p.Ptype, 1);
    EXPECT_FLOAT_EQ(p.left_leg.Hip1RelTorso_X, -0.055f);
    EXPECT_FLOAT_EQ(p.right_leg.Hip1RelTorso_X, 0.055f);
    EXPECT_FLOAT_EQ(p.left_leg.ThighRelHip2_Z, -0.05832f);
    EXPECT_FLOAT_EQ(p.right_leg.ThighRelHip2_Z, -0.05832f);
    EXPECT_FLOAT_EQ(p.left_leg.AnkleRelShank_Z, -0.07332f);
    EXPECT_FLOAT_EQ(p.right_leg.AnkleRelShank_Z, -0.07332f);
    EXPECT_FLOAT_EQ(p.left_arm.ElbowRelUpperArm_Y, 0.10664f);
    EXPECT_FLOAT_EQ(p.right_arm.ElbowRelUpperArm_Y, 0.10664f);
    // The absolute positions are those of the body files.
    EXPECT_FLOAT_EQ(p.left_leg.Hip1_X, -0.05f);
}

TEST_F(BodyAndWalkFiles, AKeyTheWalkFileLacksKeepsTheBodyFilesValue)
{
    // Only the third key: the first must not become 0 and the others must
    // not inherit the value of the key looked up before them.
    work.write("walk_inputs/NAO-DE2014-0.txt", "AnkleRelShank_Z -0.06\n");
    const NaoParam p = load(0);
    EXPECT_FLOAT_EQ(p.left_leg.ThighRelHip2_Z, -0.041f);
    EXPECT_FLOAT_EQ(p.right_leg.ThighRelHip2_Z, -0.042f);
    EXPECT_FLOAT_EQ(p.left_leg.Hip1RelTorso_X, -0.05f);
    EXPECT_FLOAT_EQ(p.right_leg.Hip1RelTorso_X, 0.06f);
    EXPECT_FLOAT_EQ(p.left_leg.AnkleRelShank_Z, -0.06f);
    EXPECT_FLOAT_EQ(p.right_leg.AnkleRelShank_Z, -0.06f);
    EXPECT_FLOAT_EQ(p.left_arm.ElbowRelUpperArm_Y, 0.071f);
    EXPECT_FLOAT_EQ(p.right_arm.ElbowRelUpperArm_Y, 0.072f);
}

TEST_F(BodyAndWalkFiles, MissingWalkFileKeepsEveryBodyValue)
{
    std::string err;
    const NaoParam p = load(3, &err);
    EXPECT_FLOAT_EQ(p.left_leg.ThighRelHip2_Z, -0.041f);
    EXPECT_FLOAT_EQ(p.right_leg.Hip1RelTorso_X, 0.06f);
    EXPECT_FLOAT_EQ(p.right_leg.AnkleRelShank_Z, -0.052f);
    EXPECT_FLOAT_EQ(p.left_arm.ElbowRelUpperArm_Y, 0.071f);
    // One message per key looked up.
    size_t n = 0;
    for (size_t at = err.find("NaoWalkParam::init fopen ./walk_inputs/NAO-DE2014-3.txt FAILED\n");
         at != std::string::npos; at = err.find("NaoWalkParam::init fopen", at + 1))
        n++;
    EXPECT_EQ(n, 4u);
}

TEST_F(BodyAndWalkFiles, UnsupportedRobotTypeEndsTheProcess)
{
    ScopedChdir cd(work.path);
    NaoParam p;
    EXPECT_EXIT(p.init(body.path.c_str(), 4, 0), ::testing::ExitedWithCode(0),
                "NaoWalkParam::set Ptype and Stype not defined");
}

// ---------------------------------------------------------------- data files

std::vector<std::string> key_lines(const std::string& file)
{
    std::ifstream in(file);
    std::vector<std::string> keys;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || !isalpha(static_cast<unsigned char>(line[0]))) continue;
        std::istringstream ls(line);
        std::string key;
        double value;
        if (ls >> key >> value) keys.push_back(key);
    }
    return keys;
}

void expect_keys(const std::string& file, const std::vector<std::string>& want)
{
    const std::vector<std::string> got = key_lines(file);
    EXPECT_EQ(got, want) << file;
}

TEST(DataFiles, BodyFilesHoldEveryKeyOnce)
{
    const std::vector<std::string> base = {"Torso_X",    "Torso_Y",     "Torso_Z",  "TorsoLength",
                                           "TorsoWidth", "TorsoHeight", "TorsoMass"};
    const std::vector<std::string> leg = {
        "Hip1RelTorso_X",  "Hip1RelTorso_Y",  "Hip1RelTorso_Z",  "Hip2RelHip1_X",   "Hip2RelHip1_Y",
        "Hip2RelHip1_Z",   "ThighRelHip2_X",  "ThighRelHip2_Y",  "ThighRelHip2_Z",  "ShankRelThigh_X",
        "ShankRelThigh_Y", "ShankRelThigh_Z", "AnkleRelShank_X", "AnkleRelShank_Y", "AnkleRelShank_Z",
        "FootRelAnkle_X",  "FootRelAnkle_Y",  "FootRelAnkle_Z",  "Hip1Radius",      "Hip1Mass",
        "Hip2Radius",      "Hip2Mass",        "ThighSizeX",      "ThighSizeY",      "ThighSizeZ",
        "ThighMass",       "ShankSizeX",      "ShankSizeY",      "ShankSizeZ",      "ShankMass",
        "AnkleRadius",     "AnkleMass",       "FootSizeX",       "FootSizeY",       "FootSizeZ",
        "FootMass"};
    const std::vector<std::string> arm = {
        "ShoulderRelTorso_X",   "ShoulderRelTorso_Y",   "ShoulderRelTorso_Z", "UpperarmRelShoulderX",
        "UpperarmRelShoulderY", "UpperarmRelShoulderZ", "ElbowRelUpperArm_X", "ElbowRelUpperArm_Y",
        "ElbowRelUpperArm_Z",   "LowerarmRelElbow_X",   "LowerarmRelElbow_Y", "LowerarmRelElbow_Z",
        "ShoulderRadius",       "ShoulderMass",         "UpperArmSizeX",      "UpperArmSizeY",
        "UpperArmSizeZ",        "UpperArmMass",         "ElbowRadius",        "ElbowMass",
        "LowerArmSizeX",        "LowerArmSizeY",        "LowerArmSizeZ",      "LowerArmMass"};
    const std::vector<std::string> neck = {"Neck_Radius", "Neck_Length", "Neck_Mass", "Head_Radius",
                                           "Head_Mass"};
    expect_keys("rsg_inputs/naobase_input.txt", base);
    expect_keys("rsg_inputs/naoleg_input_left.txt", leg);
    expect_keys("rsg_inputs/naoleg_input_right.txt", leg);
    expect_keys("rsg_inputs/naoarm_input_left.txt", arm);
    expect_keys("rsg_inputs/naoarm_input_right.txt", arm);
    expect_keys("rsg_inputs/naoneck_input.txt", neck);
}

TEST(DataFiles, WalkFilesHoldAll23KeysOnce)
{
    const std::vector<std::string> keys = {"long_offset_MidAnkles_2_Torso_Init",
                                           "xlength_step_max",
                                           "ylength_step_max",
                                           "height_lift",
                                           "ratio_flexion",
                                           "dist_between_feet_p_points",
                                           "theta_step_max",
                                           "eta_torso_incline",
                                           "eta_torso_incline_lateral",
                                           "angTorsoBack",
                                           "angFootSoleBack",
                                           "angTorsoStrike",
                                           "angFootSoleStrike",
                                           "angTorsoFront",
                                           "angFootSoleFront",
                                           "xToeStrike",
                                           "zToeStrike",
                                           "timeStandUpFrontArmsOut",
                                           "timeStandUpFrontOverFeet",
                                           "ThighRelHip2_Z",
                                           "Hip1RelTorso_X",
                                           "AnkleRelShank_Z",
                                           "ElbowRelUpperArm_Y"};
    for (int t = 0; t < 4; t++) {
        const std::string file = "walk_inputs/NAO-DE2014-" + std::to_string(t) + ".txt";
        std::vector<std::string> got = key_lines(file);
        std::sort(got.begin(), got.end());
        std::vector<std::string> want = keys;
        std::sort(want.begin(), want.end());
        EXPECT_EQ(got, want) << file;
    }
}

TEST(DataFiles, BodyValuesOfTheStandardRobot)
{
    NaoParam p;
    testing::internal::CaptureStderr();
    p.init("./", 0, 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    // Total mass of the simulated Nao: 4.6071 kg.
    const NaoLeg& l = p.left_leg;
    const NaoArm& a = p.left_arm;
    const double leg = l.Hip1Mass + l.Hip2Mass + l.ThighMass + l.ShankMass + l.AnkleMass + l.FootMass;
    const double arm = a.ShoulderMass + a.UpperArmMass + a.ElbowMass + a.LowerArmMass;
    EXPECT_NEAR(NaoBase::TorsoMass + p.neck.Neck_Mass + p.neck.Head_Mass + 2 * leg + 2 * arm, 4.6071, 1e-6);
    EXPECT_NEAR(leg, 1.04, 1e-6);
    EXPECT_NEAR(arm, 0.455, 1e-6);
    // Mirror images: lateral offsets of opposite sign, all else equal.
    EXPECT_FLOAT_EQ(p.right_leg.Hip1RelTorso_X, -l.Hip1RelTorso_X);
    EXPECT_FLOAT_EQ(p.right_arm.ShoulderRelTorso_X, -a.ShoulderRelTorso_X);
    EXPECT_FLOAT_EQ(p.right_arm.UpperarmRelShoulderX, -a.UpperarmRelShoulderX);
    EXPECT_FLOAT_EQ(p.right_arm.ElbowRelUpperArm_X, -a.ElbowRelUpperArm_X);
    EXPECT_FLOAT_EQ(p.right_leg.ShankRelThigh_Z, l.ShankRelThigh_Z);
    // The sole of a straight standard robot is 0.385 below the torso centre
    // and the torso stands at that height.
    EXPECT_NEAR(l.Foot_Z - p.left_leg.FootSizeZ / 2, 0, 1e-6);
    EXPECT_NEAR(NaoBase::TorsoHeight, 0.18, 1e-7);
}

// Every key of the shipped body files against the simulator's Nao
// (rcssserver3d's naoleg, naoarm and naoneckhead descriptions, standard
// robot). Values are the right limb's; the left limb has X negated.
TEST(DataFiles, EveryBodyKeyHoldsTheSimulatorsValue)
{
    struct LegKey {
        float NaoLeg::*field;
        double right;
        bool lateral;  // an X offset: sign flips on the left
    } leg_keys[] = {{&NaoLeg::Hip1RelTorso_X, 0.055, true},    {&NaoLeg::Hip1RelTorso_Y, -0.01, false},
                    {&NaoLeg::Hip1RelTorso_Z, -0.115, false},  {&NaoLeg::Hip2RelHip1_X, 0, true},
                    {&NaoLeg::Hip2RelHip1_Y, 0, false},        {&NaoLeg::Hip2RelHip1_Z, 0, false},
                    {&NaoLeg::ThighRelHip2_X, 0, true},        {&NaoLeg::ThighRelHip2_Y, 0.01, false},
                    {&NaoLeg::ThighRelHip2_Z, -0.04, false},   {&NaoLeg::ShankRelThigh_X, 0, true},
                    {&NaoLeg::ShankRelThigh_Y, 0.005, false},  {&NaoLeg::ShankRelThigh_Z, -0.125, false},
                    {&NaoLeg::AnkleRelShank_X, 0, true},       {&NaoLeg::AnkleRelShank_Y, -0.01, false},
                    {&NaoLeg::AnkleRelShank_Z, -0.055, false}, {&NaoLeg::FootRelAnkle_X, 0, true},
                    {&NaoLeg::FootRelAnkle_Y, 0.03, false},    {&NaoLeg::FootRelAnkle_Z, -0.04, false},
                    {&NaoLeg::Hip1Radius, 0.01, false},        {&NaoLeg::Hip1Mass, 0.09, false},
                    {&NaoLeg::Hip2Radius, 0.01, false},        {&NaoLeg::Hip2Mass, 0.125, false},
                    {&NaoLeg::ThighSizeX, 0.07, false},        {&NaoLeg::ThighSizeY, 0.07, false},
                    {&NaoLeg::ThighSizeZ, 0.14, false},        {&NaoLeg::ThighMass, 0.275, false},
                    {&NaoLeg::ShankSizeX, 0.08, false},        {&NaoLeg::ShankSizeY, 0.07, false},
                    {&NaoLeg::ShankSizeZ, 0.11, false},        {&NaoLeg::ShankMass, 0.225, false},
                    {&NaoLeg::AnkleRadius, 0.01, false},       {&NaoLeg::AnkleMass, 0.125, false},
                    {&NaoLeg::FootSizeX, 0.08, false},         {&NaoLeg::FootSizeY, 0.16, false},
                    {&NaoLeg::FootSizeZ, 0.02, false},         {&NaoLeg::FootMass, 0.2, false}};
    struct ArmKey {
        float NaoArm::*field;
        double right;
        bool lateral;
    } arm_keys[] = {{&NaoArm::ShoulderRelTorso_X, 0.098, true},   {&NaoArm::ShoulderRelTorso_Y, 0, false},
                    {&NaoArm::ShoulderRelTorso_Z, 0.075, false},  {&NaoArm::UpperarmRelShoulderX, 0.01, true},
                    {&NaoArm::UpperarmRelShoulderY, 0.02, false}, {&NaoArm::UpperarmRelShoulderZ, 0, false},
                    {&NaoArm::ElbowRelUpperArm_X, -0.01, true},   {&NaoArm::ElbowRelUpperArm_Y, 0.07, false},
                    {&NaoArm::ElbowRelUpperArm_Z, 0.009, false},  {&NaoArm::LowerarmRelElbow_X, 0, true},
                    {&NaoArm::LowerarmRelElbow_Y, 0.05, false},   {&NaoArm::LowerarmRelElbow_Z, 0, false},
                    {&NaoArm::ShoulderRadius, 0.01, false},       {&NaoArm::ShoulderMass, 0.07, false},
                    {&NaoArm::UpperArmSizeX, 0.07, false},        {&NaoArm::UpperArmSizeY, 0.08, false},
                    {&NaoArm::UpperArmSizeZ, 0.06, false},        {&NaoArm::UpperArmMass, 0.15, false},
                    {&NaoArm::ElbowRadius, 0.01, false},          {&NaoArm::ElbowMass, 0.035, false},
                    {&NaoArm::LowerArmSizeX, 0.05, false},        {&NaoArm::LowerArmSizeY, 0.11, false},
                    {&NaoArm::LowerArmSizeZ, 0.05, false},        {&NaoArm::LowerArmMass, 0.2, false}};
    NaoLeg left_leg, right_leg;
    NaoArm left_arm, right_arm;
    NaoNeck neck;
    ASSERT_EQ(left_leg.init("rsg_inputs/naoleg_input_left.txt"), 1);
    ASSERT_EQ(right_leg.init("rsg_inputs/naoleg_input_right.txt"), 1);
    ASSERT_EQ(left_arm.init("rsg_inputs/naoarm_input_left.txt"), 1);
    ASSERT_EQ(right_arm.init("rsg_inputs/naoarm_input_right.txt"), 1);
    ASSERT_EQ(neck.init("rsg_inputs/naoneck_input.txt"), 1);
    for (size_t i = 0; i < sizeof(leg_keys) / sizeof(leg_keys[0]); i++) {
        const LegKey& k = leg_keys[i];
        EXPECT_NEAR(right_leg.*k.field, k.right, 1e-7) << "right leg key " << i;
        EXPECT_NEAR(left_leg.*k.field, k.lateral ? -k.right : k.right, 1e-7) << "left leg key " << i;
    }
    for (size_t i = 0; i < sizeof(arm_keys) / sizeof(arm_keys[0]); i++) {
        const ArmKey& k = arm_keys[i];
        EXPECT_NEAR(right_arm.*k.field, k.right, 1e-7) << "right arm key " << i;
        EXPECT_NEAR(left_arm.*k.field, k.lateral ? -k.right : k.right, 1e-7) << "left arm key " << i;
    }
    EXPECT_NEAR(neck.Neck_Radius, 0.015, 1e-7);
    EXPECT_NEAR(neck.Neck_Length, 0.08, 1e-7);
    EXPECT_NEAR(neck.Neck_Mass, 0.05, 1e-7);
    EXPECT_NEAR(neck.Head_Radius, 0.065, 1e-7);
    EXPECT_NEAR(neck.Head_Mass, 0.35, 1e-7);

    NaoBase base;
    ASSERT_EQ(base.init("rsg_inputs/naobase_input.txt"), 1);
    EXPECT_NEAR(NaoBase::TorsoLength, 0.1, 1e-7);
    EXPECT_NEAR(NaoBase::TorsoWidth, 0.1, 1e-7);
    EXPECT_NEAR(NaoBase::TorsoHeight, 0.18, 1e-7);
    EXPECT_NEAR(NaoBase::TorsoMass, 1.2171, 1e-7);
    // The torso centre of a straight standard robot: 0.385 above its soles.
    EXPECT_NEAR(NaoBase::Torso_Z, 0.385, 1e-7);
}

// The four body keys of each robot type's walk file (naorobottypes: the
// left leg's hip offset, thigh and ankle drops, the elbow's reach).
TEST(DataFiles, WalkFilesHoldEachRobotTypesBody)
{
    struct Row {
        double HX, TZ, AZ, E;
    } rows[4] = {{0.055, -0.04, -0.055, 0.07},
                 {0.055, -0.05832, -0.07332, 0.10664},
                 {0.055, -0.04, -0.055, 0.07},
                 {0.072954143, -0.067868424, -0.082868424, 0.125736848}};
    for (int t = 0; t < 4; t++) {
        NaoParam p;
        testing::internal::CaptureStderr();
        p.init("./", t, 0);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "type " << t;
        EXPECT_FLOAT_EQ(p.left_leg.Hip1RelTorso_X, static_cast<float>(-rows[t].HX)) << "type " << t;
        EXPECT_FLOAT_EQ(p.right_leg.Hip1RelTorso_X, static_cast<float>(rows[t].HX)) << "type " << t;
        for (const NaoLeg* l : {&p.left_leg, &p.right_leg}) {
            EXPECT_FLOAT_EQ(l->ThighRelHip2_Z, static_cast<float>(rows[t].TZ)) << "type " << t;
            EXPECT_FLOAT_EQ(l->AnkleRelShank_Z, static_cast<float>(rows[t].AZ)) << "type " << t;
        }
        for (const NaoArm* a : {&p.left_arm, &p.right_arm})
            EXPECT_FLOAT_EQ(a->ElbowRelUpperArm_Y, static_cast<float>(rows[t].E)) << "type " << t;
    }
}

}  // namespace
