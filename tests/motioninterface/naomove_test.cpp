#include "motioninterface/naomove.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <memory>
#include <new>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "motions/motion_type.h"
#include "support/test_files.h"
#include "walk/walk.h"

namespace {

const char* const kClear =
    "(lae1 0)(rae1 0)(lae2 0)(rae2 0)"
    "(lae3 0)(rae3 0)(lae4 0)(rae4 0)"
    "(lle1 0)(rle1 0)(lle2 0)(rle2 0)"
    "(lle3 0)(rle3 0)(lle4 0)(rle4 0)"
    "(lle5 0)(rle5 0)(lle6 0)(rle6 0)";

const std::vector<std::string> kLegOrder = {"lle1", "rle1", "lle2", "rle2", "lle3", "rle3",
                                            "lle4", "rle4", "lle5", "rle5", "lle6", "rle6"};
const std::vector<std::string> kArmOrder = {"lae1", "rae1", "lae2", "rae2", "lae3", "rae3", "lae4", "rae4"};
// The stand-pose file's columns without the head, in file order.
const std::vector<std::string> kStandPoseOrder = {"lae1", "lae2", "lae3", "lae4", "lle1", "lle2", "lle3",
                                                  "lle4", "lle5", "lle6", "rle1", "rle2", "rle3", "rle4",
                                                  "rle5", "rle6", "rae1", "rae2", "rae3", "rae4"};

struct Command {
    std::string name;
    double speed;
};

// Splits a stream of joint speed commands "(name value)" written back to
// back; fails the test on anything else, and on a value that is not written
// with exactly two decimals.
std::vector<Command> speed_commands(const std::string& text)
{
    static const std::regex one(R"(\(([a-z]+[0-9]) (-?[0-9]+\.[0-9]{2})\))");
    std::vector<Command> cmds;
    auto begin = std::sregex_iterator(text.begin(), text.end(), one);
    size_t covered = 0;
    for (auto it = begin; it != std::sregex_iterator(); ++it) {
        EXPECT_EQ(static_cast<size_t>(it->position()), covered) << "unexpected text in: " << text;
        covered = it->position() + it->length();
        cmds.push_back({(*it)[1], std::atof((*it)[2].str().c_str())});
    }
    EXPECT_EQ(covered, text.size()) << "unexpected text in: " << text;
    return cmds;
}

std::vector<std::string> names_of(const std::vector<Command>& cmds)
{
    std::vector<std::string> names;
    for (const Command& c : cmds) names.push_back(c.name);
    return names;
}

std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class NaoMoveTest : public ::testing::Test {
protected:
    static const int kSubSteps = 2;
    // 15 n cycles of interpolation and the cycle that commands the target.
    static const int kStandPoseCycles = 15 * kSubSteps + 1;

    // Constructing the motion interface rewrites "dataWalk/stand3.dat", and
    // tests may run in parallel: each works in a private directory.
    ScratchWorkDir scratch;
    std::unique_ptr<InWorkDir> in_scratch;
    NaoParse parse{"brevane"};
    NaoMove* move = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(scratch.ok());
        in_scratch.reset(new InWorkDir(scratch.path()));
        NaoParse::reset_static_state();
        NaoMove::reset_motion_state();
        naosimplemove_t::reset_interpolation();
        parse.SetupJointIDMap();
        testing::internal::CaptureStderr();  // the engine's start-up report
        move = new NaoMove(&parse.mJointIDMap, 0.02 / kSubSteps, 0, 0);
        testing::internal::GetCapturedStderr();
    }

    void TearDown() override
    {
        delete move;
        in_scratch.reset();
    }

    // One cycle; the stream starts with a command of the state machine that
    // an active motion must discard.
    std::string cycle(const char* before = "(beam 1.0 2.0 0.0)")
    {
        std::stringstream out;
        out << before;
        EXPECT_EQ(move->update(out, kSubSteps), 0);
        return out.str();
    }

    static void set_angle(NaoParse::JointID j, double deg)
    {
        NaoParse::mHingeJointSenseMap[j] = {static_cast<float>(deg), 0.0f};
    }

    // Drives a translation request from standing until the walk engine is
    // stepped; returns the first driving cycle's output.
    std::string start_walking(double fwd, double side)
    {
        move->new_trans2013(fwd, side);
        std::string s;
        for (int i = 0; i < kStandPoseCycles + 2 && !move->walking; ++i) s = cycle();
        EXPECT_TRUE(move->walking);
        return s;
    }

    // The stand-pose values of the file, turned into the simulator's sense,
    // by effector name.
    static std::vector<std::pair<std::string, double>> stand_pose_targets()
    {
        std::ifstream f("dataWalk/stand3.dat");
        std::string header, values;
        std::getline(f, header);
        std::getline(f, values);
        std::istringstream hs(header), vs(values);
        std::vector<std::pair<std::string, double>> out;
        std::string name;
        double v;
        while (hs >> name && vs >> v) out.push_back({name, v});
        return out;
    }
};

// Effector name of a perceptor name ("llj3" -> "lle3").
std::string effector_of(const std::string& perceptor)
{
    std::string e = perceptor;
    e[2] = 'e';
    return e;
}

TEST_F(NaoMoveTest, ConstructorSetsEveryFlagAndDefault)
{
    // Build into storage full of garbage: every member must be set by the
    // constructor itself.
    void* raw = ::operator new(sizeof(NaoMove));
    std::memset(raw, 0xA5, sizeof(NaoMove));
    testing::internal::CaptureStderr();
    NaoMove* m = new (raw) NaoMove(&parse.mJointIDMap, 0.01, 0, 0);
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(m->debug);
    EXPECT_EQ(m->cycle_count, 0);
    EXPECT_FALSE(m->walking);
    EXPECT_FALSE(m->trans);
    EXPECT_FALSE(m->rot);
    EXPECT_FALSE(m->kick);
    EXPECT_EQ(m->motion_cycles, 0);
    EXPECT_FALSE(m->stop_trans);
    EXPECT_FALSE(m->stop_rot);
    EXPECT_FALSE(m->kick_done);
    EXPECT_DOUBLE_EQ(m->trans_fwd, 0.6);
    EXPECT_DOUBLE_EQ(m->trans_side, 0.3);
    EXPECT_DOUBLE_EQ(m->rot_angle, M_PI / 4);
    EXPECT_DOUBLE_EQ(m->rot_xc, -0.01);
    EXPECT_EQ(m->kick_type, NaoMove::KICK_LEFT);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(m->q_left_leg[i], 0.0);
        EXPECT_EQ(m->q_right_leg[i], 0.0);
    }
    EXPECT_EQ(m->stand_pose.njoints, 22);
    EXPECT_EQ(m->stand_pose.nlines, 1);
    m->~NaoMove();
    ::operator delete(raw);
}

TEST_F(NaoMoveTest, NoMotionLeavesTheStreamAlone)
{
    EXPECT_EQ(cycle("(beam 1.0 2.0 0.0)"), "(beam 1.0 2.0 0.0)");
    EXPECT_EQ(move->cycle_count, 1);
}

// A translation from standing: the stand pose is interpolated, the effectors
// are cleared once, the walk's leg speeds follow until the walk ends, one
// clearing cycle reports the end and one empty cycle closes the motion.
TEST_F(NaoMoveTest, TranslationFromStandingRunsItsStages)
{
    move->new_trans2013(0.3, 0);
    EXPECT_TRUE(move->trans);
    EXPECT_EQ(move->walk_engine->stopped, 0);
    const long planned_cycles = move->walk_engine->nbp[4];
    ASSERT_GT(planned_cycles, 0);

    std::vector<Command> last_interpolation;
    for (int c = 1; c <= kStandPoseCycles; ++c) {
        std::vector<Command> cmds = speed_commands(cycle());
        ASSERT_EQ(names_of(cmds), kStandPoseOrder) << "cycle " << c;
        EXPECT_FALSE(move->walking);
        last_interpolation = cmds;
    }
    // The last interpolation cycle commands the file's pose itself; the
    // joints read 0, so each speed is the target over the gain of 4.
    for (const auto& [perceptor, value] : stand_pose_targets()) {
        if (perceptor == "hj1" || perceptor == "hj2") continue;
        NaoParse::JointID j = parse.mJointIDMap.at(perceptor);
        double target = NaoParse::inverted_joint[j] ? -value : value;
        bool found = false;
        for (const Command& cmd : last_interpolation) {
            if (cmd.name == effector_of(perceptor)) {
                EXPECT_NEAR(cmd.speed, target / 4.0, 0.006) << perceptor;
                found = true;
            }
        }
        EXPECT_TRUE(found) << perceptor;
    }

    EXPECT_EQ(cycle(), kClear);
    EXPECT_FALSE(move->walking);

    long driving = 0;
    std::string s;
    while ((s = cycle()) != kClear && driving < 10000) {
        ASSERT_EQ(names_of(speed_commands(s)), kLegOrder) << "driving cycle " << driving;
        EXPECT_TRUE(move->walking);
        ++driving;
    }
    // The engine is stepped once per driving cycle and reports the end in
    // its last planned cycle.
    EXPECT_EQ(driving, planned_cycles - 1);
    EXPECT_TRUE(move->trans);
    EXPECT_TRUE(move->stop_trans);

    EXPECT_EQ(cycle(), "");
    EXPECT_FALSE(move->trans);
    EXPECT_FALSE(move->walking);
    EXPECT_EQ(cycle("(beam 1.0 2.0 0.0)"), "(beam 1.0 2.0 0.0)");
}

// A robot whose joints already hold the stand pose starts walking with
// small speeds: the walk's angles and the simulator's joint senses agree.
TEST_F(NaoMoveTest, WalkStartsFromTheStandPoseWithoutJerk)
{
    for (const auto& [perceptor, value] : stand_pose_targets()) {
        NaoParse::JointID j = parse.mJointIDMap.at(perceptor);
        set_angle(j, NaoParse::inverted_joint[j] ? -value : value);
    }
    std::string first = start_walking(0.3, 0);
    std::vector<Command> cmds = speed_commands(first);
    ASSERT_EQ(names_of(cmds), kLegOrder);
    for (const Command& c : cmds) EXPECT_LT(std::fabs(c.speed), 1.0) << c.name;
}

TEST_F(NaoMoveTest, RequestsWhileStandingHoldUntilTheMotionRuns)
{
    move->new_trans2013(0.3, 0);
    cycle();
    move->new_trans2013(0.5, 0.1);
    move->new_rot2013(1.0, -0.01);
    EXPECT_DOUBLE_EQ(move->trans_fwd, 0.3);
    EXPECT_DOUBLE_EQ(move->trans_side, 0.0);
    EXPECT_FALSE(move->rot);
    EXPECT_DOUBLE_EQ(move->walk_engine->x_total, 0.3);
    EXPECT_EQ(move->walk_engine->pending, 0);
    EXPECT_EQ(move->walk_engine->reentrant, 0);
}

TEST_F(NaoMoveTest, TranslationWhileWalkingIsPassedToTheEngine)
{
    start_walking(0.6, 0);
    move->new_trans2013(0.4, 0.1);
    EXPECT_DOUBLE_EQ(move->trans_fwd, 0.4);
    EXPECT_DOUBLE_EQ(move->trans_side, 0.1);
    EXPECT_EQ(move->motion_cycles, 0);
    EXPECT_DOUBLE_EQ(move->walk_engine->pending_x, 0.4);
    EXPECT_DOUBLE_EQ(move->walk_engine->pending_y, 0.1);
    EXPECT_EQ(names_of(speed_commands(cycle())), kLegOrder);
    EXPECT_EQ(move->motion_cycles, 1);
}

TEST_F(NaoMoveTest, KickIsRefusedWhileAnotherMotionIsActive)
{
    move->new_trans2013(0.3, 0);
    move->new_kick2012(NaoMove::KICK_RIGHT);
    EXPECT_FALSE(move->kick);  // translation waiting for the stand pose
    start_walking(0.3, 0);
    move->new_kick2012(NaoMove::KICK_RIGHT);
    EXPECT_FALSE(move->kick);  // walking
}

TEST_F(NaoMoveTest, KickFromStandingPlaysAndResetsTheWalk)
{
    move->new_kick2012(NaoMove::KICK_RIGHT);
    ASSERT_TRUE(move->kick);
    EXPECT_FALSE(move->kick_done);
    move->new_kick2012(NaoMove::KICK_LEFT);
    EXPECT_EQ(move->kick_type, NaoMove::KICK_RIGHT);  // a running kick is kept
    move->new_trans2013(0.3, 0);
    move->new_rot2013(0.5, -0.01);
    EXPECT_FALSE(move->trans);
    EXPECT_FALSE(move->rot);

    for (int c = 1; c <= kStandPoseCycles; ++c)
        ASSERT_EQ(names_of(speed_commands(cycle())), kStandPoseOrder) << "cycle " << c;
    EXPECT_EQ(cycle(), kClear);
    int kick_cycles = 0;
    std::string s;
    while ((s = cycle()) != kClear && kick_cycles < 5000) {
        std::vector<Command> cmds = speed_commands(s);
        ASSERT_EQ(names_of(cmds), kLegOrder) << "kick cycle " << kick_cycles;
        for (const Command& c : cmds) EXPECT_TRUE(std::isfinite(c.speed));
        ++kick_cycles;
    }
    // The generic kick lasts about 2.8 s: 280 samples at 0.01 s.
    EXPECT_GT(kick_cycles, 200);
    EXPECT_LT(kick_cycles, 400);
    EXPECT_TRUE(move->kick_done);
    EXPECT_TRUE(move->kick);
    EXPECT_EQ(move->walk_engine->stopped, 1);
    EXPECT_EQ(cycle(), "");
    EXPECT_FALSE(move->kick);

    move->new_trans2013(0.3, 0);
    EXPECT_TRUE(move->trans);
}

TEST_F(NaoMoveTest, UnknownKickTypeEndsAtItsFirstDrivingCycle)
{
    move->new_kick2012(static_cast<NaoMove::eKick>(5));
    for (int c = 1; c <= kStandPoseCycles; ++c) cycle();
    EXPECT_EQ(cycle(), kClear);  // the clearing stage
    EXPECT_EQ(cycle(), kClear);  // first driving cycle: nothing to play
    EXPECT_TRUE(move->kick_done);
    EXPECT_EQ(cycle(), "");
    EXPECT_FALSE(move->kick);
}

TEST_F(NaoMoveTest, TinyRotationsAlternateInSign)
{
    start_walking(0.6, 0);
    const double expected[] = {-0.01, 0.01, -0.01};
    for (double e : expected) {
        move->new_rot2013(0.0, -0.05);
        EXPECT_DOUBLE_EQ(move->rot_angle, e);
        EXPECT_DOUBLE_EQ(move->walk_engine->pending_theta, e);
    }
    move->new_rot2013(0.3, -0.05);
    EXPECT_DOUBLE_EQ(move->rot_angle, 0.3);
    move->new_rot2013(-0.005, -0.05);
    EXPECT_DOUBLE_EQ(move->rot_angle, 0.01);
}

TEST_F(NaoMoveTest, RotationWhileWalkingClosesTheTranslation)
{
    start_walking(0.6, 0);
    move->new_rot2013(0.5, -0.01);
    EXPECT_FALSE(move->trans);
    EXPECT_TRUE(move->stop_trans);
    EXPECT_TRUE(move->rot);
    // A motion taking over at stage 0 spends two silent cycles.
    EXPECT_EQ(cycle(), "");
    EXPECT_EQ(cycle(), "");
    EXPECT_EQ(names_of(speed_commands(cycle())), kLegOrder);
    // The translation, switched back on, drives the walk at once.
    move->new_trans2013(0.2, 0);
    EXPECT_FALSE(move->rot);
    EXPECT_EQ(names_of(speed_commands(cycle())), kLegOrder);
}

TEST_F(NaoMoveTest, RotationFromStandingInterpolatesThenTurns)
{
    move->new_rot2013(0.8, -0.01);
    EXPECT_DOUBLE_EQ(move->walk_engine->theta_total, 0.8);
    for (int c = 1; c <= kStandPoseCycles; ++c)
        ASSERT_EQ(names_of(speed_commands(cycle())), kStandPoseOrder) << "cycle " << c;
    EXPECT_EQ(cycle(), kClear);
    int driving = 0;
    std::string s;
    while ((s = cycle()) != kClear && driving < 5000) {
        ASSERT_EQ(names_of(speed_commands(s)), kLegOrder);
        ++driving;
    }
    EXPECT_EQ(driving, move->walk_engine->nbp[4] - 1);
    EXPECT_EQ(cycle(), "");
    EXPECT_FALSE(move->rot);
    EXPECT_FALSE(move->walking);
}

TEST_F(NaoMoveTest, DebugReportsTheRotationRequestAndEachDrivingCycle)
{
    move->debug = true;
    start_walking(0.6, 0);
    testing::internal::CaptureStderr();
    move->new_rot2013(0.5, -0.02);
    cycle();
    cycle();
    cycle();  // the first driving cycle of the rotation
    std::string err = testing::internal::GetCapturedStderr();
    const int c = move->cycle_count;
    char expected[128];
    std::snprintf(expected, sizeof expected,
                  "%d naowalk_init_walk_rotate 0.500000 -0.020000\n%d checkwalk 0.000000 0.000000\n", c - 3,
                  c);
    EXPECT_EQ(err, expected);
}

TEST_F(NaoMoveTest, ZeroTranslationIsReportedAndClosesAtOnce)
{
    testing::internal::CaptureStderr();
    move->new_trans2013(0, 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "init_walk_translate 0.000000 0.000000 ERROR\n");
    EXPECT_TRUE(move->trans);
    EXPECT_EQ(move->walk_engine->stopped, 1);
    for (int c = 1; c <= kStandPoseCycles; ++c) cycle();
    EXPECT_EQ(cycle(), kClear);
    EXPECT_EQ(cycle(), kClear);  // the engine has no walk
    EXPECT_EQ(cycle(), "");
    EXPECT_FALSE(move->trans);
}

TEST_F(NaoMoveTest, FallOnTheBackOverridesTheTranslation)
{
    start_walking(0.6, 0);
    NaoParse::fall_down_detected = true;
    NaoParse::back_fall_down_detected = true;
    EXPECT_EQ(cycle(), kClear);  // first call of a stand-up
    int standing_up = 0;
    std::string s;
    while ((s = cycle()) != kClear && standing_up < 5000) {
        std::vector<Command> cmds = speed_commands(s);
        ASSERT_EQ(names_of(cmds), concat(kLegOrder, kArmOrder)) << "stand-up cycle " << standing_up;
        ++standing_up;
    }
    // 2.75 s of key poses at 0.01 s, after the longest wait for the limbs
    // at the first pose: the angles read here never get there.
    EXPECT_GT(standing_up, 250 + NaoMove::first_pose_hold_cycles);
    EXPECT_LT(standing_up, 300 + NaoMove::first_pose_hold_cycles);
    EXPECT_FALSE(NaoParse::fall_down_detected);
    EXPECT_FALSE(NaoParse::back_fall_down_detected);
    EXPECT_EQ(move->walk_engine->stopped, 1);
    // The translation finds no walk any more and closes.
    EXPECT_TRUE(move->trans);
    EXPECT_EQ(cycle(), kClear);
    EXPECT_TRUE(move->stop_trans);
    EXPECT_EQ(cycle(), "");
    EXPECT_FALSE(move->trans);
    EXPECT_FALSE(move->walking);
}

TEST_F(NaoMoveTest, FallOnTheFrontPlaysTheFrontStandUp)
{
    NaoParse::fall_down_detected = true;
    NaoParse::front_fall_down_detected = true;
    EXPECT_EQ(cycle(), kClear);
    int standing_up = 0;
    std::string s;
    while ((s = cycle()) != kClear && standing_up < 5000) {
        ASSERT_EQ(names_of(speed_commands(s)), concat(kLegOrder, kArmOrder));
        ++standing_up;
    }
    // 2.15 s of key poses at 0.01 s.
    EXPECT_GT(standing_up, 190);
    EXPECT_LT(standing_up, 240);
    EXPECT_FALSE(NaoParse::fall_down_detected);
    EXPECT_FALSE(NaoParse::front_fall_down_detected);
    EXPECT_EQ(cycle("(beam 1.0 2.0 0.0)"), "(beam 1.0 2.0 0.0)");
}

// Joints of a simulated Nao: each call moves every limb joint at its
// commanded speed (rad/s, capped at the joints' top speed of 351.77 deg/s)
// for one think sub-step of 0.01 s.
void follow_commands(const std::vector<Command>& cmds)
{
    const double top_speed = 351.77 * M_PI / 180.0;
    for (const Command& c : cmds) {
        for (int id = 2; id < NaoParse::NB_JOINTS; ++id) {
            if (c.name != NaoParse::joint_to_str[id]) continue;
            NaoParse::JointID j = static_cast<NaoParse::JointID>(id);
            double speed = std::max(-top_speed, std::min(top_speed, c.speed));
            double deg = NaoParse::GetJointAngleDeg(j) + speed * 0.01 * 180.0 / M_PI;
            NaoParse::mHingeJointSenseMap[j] = {static_cast<float>(deg), 0.0f};
        }
    }
}

// The commanded angles (degrees) of one stand-up call, from its speeds and
// the angles read before it.
std::vector<double> commanded_angles(const std::vector<Command>& cmds, const std::vector<double>& read,
                                     double divisor)
{
    std::vector<double> q;
    for (size_t i = 0; i < cmds.size(); ++i) q.push_back(read[i] + cmds[i].speed * divisor);
    return q;
}

// The angles read of the stand-up's joints, in its command order.
std::vector<double> stand_up_joint_angles(const NaoParse& parse)
{
    std::vector<double> read;
    for (const std::string& name : concat(kLegOrder, kArmOrder)) {
        std::string perceptor = name;
        perceptor[2] = 'j';
        read.push_back(NaoParse::GetJointAngleDeg(parse.mJointIDMap.at(perceptor)));
    }
    return read;
}

// A robot thrown on its back in the server lies with its arms along the
// body, far from the raised arms the stand-up from the back begins with.
// Replayed through the parser (which latches the fall) and then moved by
// its own commands, it holds the first sample until every limb joint is
// there, and only then plays the key poses.
TEST_F(NaoMoveTest, BackStandUpWaitsAtItsFirstPoseForTheLimbs)
{
    parse.Init();
    std::vector<std::string> lines = read_data_lines("server_fallen.txt");
    ASSERT_EQ(lines.size(), 100u);
    size_t m = 0;
    for (; m < lines.size() && !NaoParse::fall_down_detected; ++m) {
        for (int sub = 0; sub < kSubSteps; ++sub) {
            parse.Parse(lines[m], static_cast<int>(2 * m) + sub);
            cycle();
        }
    }
    ASSERT_TRUE(NaoParse::fall_down_detected) << "after " << m << " messages";
    ASSERT_TRUE(NaoParse::back_fall_down_detected);
    EXPECT_GT(m, 30u);  // the legs are thrown from message 30 on

    const double d = NaoMove::back_stand_up_gain;
    std::string s = cycle();
    if (s == kClear)  // the stand-up's first call, when not done above
        s = cycle();
    ASSERT_EQ(move->standup_back->current_sample, 2);
    std::vector<double> read = stand_up_joint_angles(parse);
    std::vector<Command> cmds = speed_commands(s);
    ASSERT_EQ(names_of(cmds), concat(kLegOrder, kArmOrder));
    const std::vector<double> first = commanded_angles(cmds, read, d);
    // Shoulder pitch: read near 0, the first pose has the arms raised.
    EXPECT_GT(std::fabs(first[12] - read[12]), 90.0);
    EXPECT_GT(std::fabs(first[13] - read[13]), 90.0);

    int held = 0;
    while (move->standup_back->current_sample == 2 && held <= NaoMove::first_pose_hold_cycles) {
        follow_commands(cmds);
        read = stand_up_joint_angles(parse);
        cmds = speed_commands(cycle());
        ASSERT_EQ(names_of(cmds), concat(kLegOrder, kArmOrder));
        if (move->standup_back->current_sample == 2) {
            ++held;
            std::vector<double> q = commanded_angles(cmds, read, d);
            for (size_t i = 0; i < q.size(); ++i)
                ASSERT_NEAR(q[i], first[i], 0.1) << cmds[i].name << " at hold call " << held;
        }
    }
    // The motion went on only with every joint at its first pose, and the
    // joints got there before the longest wait was over.
    EXPECT_GT(held, 20);
    EXPECT_LT(held, NaoMove::first_pose_hold_cycles);
    for (size_t i = 0; i < read.size(); ++i)
        EXPECT_LE(std::fabs(read[i] - first[i]), NaoMove::first_pose_tolerance + 0.1) << cmds[i].name;

    // Then all its samples (the first two are played above; the last one
    // ends the motion and clears the effectors), and the fall flags are
    // cleared.
    int samples = 2;
    std::string t;
    while ((t = cycle()) != kClear && samples < 1000) {
        follow_commands(cmds);
        cmds = speed_commands(t);
        ++samples;
    }
    EXPECT_EQ(samples, move->standup_back->total_samples - 1);
    EXPECT_FALSE(NaoParse::fall_down_detected);
    EXPECT_FALSE(NaoParse::back_fall_down_detected);
}

// Through the held last key pose of each stand-up the commanded angles stay
// put, so a change of the angles read changes each speed by that change
// over the stand-up's divisor.
TEST_F(NaoMoveTest, StandUpSpeedsUseTheirDivisors)
{
    struct Case {
        const char* name;
        bool* flag;
        const int* sample;  // the motion's next sample
        int total;          // and its sample count
        double divisor;
    };
    const Case cases[] = {{"back", &NaoParse::back_fall_down_detected, &move->standup_back->current_sample,
                           move->standup_back->total_samples, NaoMove::back_stand_up_gain},
                          {"front", &NaoParse::front_fall_down_detected, &move->standup_front->current_sample,
                           move->standup_front->total_samples, NaoMove::joint_gain}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NaoParse::fall_down_detected = true;
        *c.flag = true;
        auto sample = [&] { return *c.sample; };
        const int total = c.total;
        for (int i = 0; i < 2000 && sample() < total - 4; ++i) cycle();
        ASSERT_EQ(sample(), total - 4);
        std::vector<Command> before = speed_commands(cycle());
        for (int id = 2; id < NaoParse::NB_JOINTS; ++id) {
            NaoParse::JointID j = static_cast<NaoParse::JointID>(id);
            set_angle(j, NaoParse::GetJointAngleDeg(j) + 3.0);
        }
        std::vector<Command> after = speed_commands(cycle());
        ASSERT_EQ(names_of(before), concat(kLegOrder, kArmOrder));
        ASSERT_EQ(names_of(after), names_of(before));
        for (size_t i = 0; i < before.size(); ++i)
            EXPECT_NEAR(after[i].speed - before[i].speed, -3.0 / c.divisor, 0.0101) << before[i].name;
        while (NaoParse::fall_down_detected) cycle();
    }
}

// A fall cuts the stand-pose interpolation of a translation short; after
// the stand-up the translation interpolates again from the angles it then
// reads, over the whole 15 n + 1 cycles.
TEST_F(NaoMoveTest, FallDuringTheStandPoseInterpolationRestartsIt)
{
    move->new_trans2013(0.3, 0);
    for (int c = 0; c < 10; ++c) cycle();
    NaoParse::fall_down_detected = true;
    NaoParse::back_fall_down_detected = true;
    for (int c = 0; c < 5000 && NaoParse::fall_down_detected; ++c) cycle();
    ASSERT_FALSE(NaoParse::fall_down_detected);
    ASSERT_TRUE(move->trans);
    ASSERT_FALSE(move->walking);

    // Standing up left every joint somewhere else: a restarted interpolation
    // sets its first set-point at the angles read, so it commands no speed.
    for (int id = 2; id < NaoParse::NB_JOINTS; ++id) set_angle(static_cast<NaoParse::JointID>(id), 7.5);
    std::vector<Command> first = speed_commands(cycle());
    ASSERT_EQ(names_of(first), kStandPoseOrder);
    for (const Command& c : first) EXPECT_EQ(c.speed, 0.0) << c.name;
    for (int c = 2; c <= kStandPoseCycles; ++c)
        ASSERT_EQ(names_of(speed_commands(cycle())), kStandPoseOrder) << "cycle " << c;
    EXPECT_EQ(cycle(), kClear);
}

// With the joints already in the stand pose, the first kick sample and the
// last stand-up sample are close to it: every commanded angle reaches the
// simulator in its own sense (hip pitch, knee, ankle pitch and shoulder
// pitch inverted), so no speed comes out large.
TEST_F(NaoMoveTest, KickAndStandUpCommandsMatchTheSimulatorSenses)
{
    for (const auto& [perceptor, value] : stand_pose_targets()) {
        NaoParse::JointID j = parse.mJointIDMap.at(perceptor);
        set_angle(j, NaoParse::inverted_joint[j] ? -value : value);
    }
    for (NaoMove::eKick k : {NaoMove::KICK_LEFT, NaoMove::KICK_RIGHT}) {
        SCOPED_TRACE(k);
        move->new_kick2012(k);
        for (int c = 1; c <= kStandPoseCycles; ++c) cycle();
        ASSERT_EQ(cycle(), kClear);
        std::vector<Command> first = speed_commands(cycle());
        ASSERT_EQ(names_of(first), kLegOrder);
        for (const Command& c : first) EXPECT_LT(std::fabs(c.speed), 1.0) << c.name;
        while (move->kick) cycle();
    }

    NaoParse::fall_down_detected = true;
    NaoParse::front_fall_down_detected = true;
    std::string last, s;
    for (int c = 0; c < 5000 && ((s = cycle()) != kClear || last.empty()); ++c) {
        if (s != kClear) last = s;
    }
    std::vector<Command> end = speed_commands(last);
    ASSERT_EQ(names_of(end), concat(kLegOrder, kArmOrder));
    for (const Command& c : end) EXPECT_LT(std::fabs(c.speed), 0.05) << c.name;
}

TEST_F(NaoMoveTest, FallWithoutDirectionFallsThrough)
{
    NaoParse::fall_down_detected = true;
    EXPECT_EQ(cycle("(beam 1.0 2.0 0.0)"), "(beam 1.0 2.0 0.0)");
    move->new_trans2013(0.3, 0);
    EXPECT_EQ(names_of(speed_commands(cycle())), kStandPoseOrder);
}

TEST_F(NaoMoveTest, NonFiniteJointAngleLeavesOnlyThatJointOut)
{
    start_walking(0.6, 0);
    set_angle(NaoParse::JID_LLEG_3, std::numeric_limits<double>::quiet_NaN());
    set_angle(NaoParse::JID_RLEG_5, std::numeric_limits<double>::infinity());
    testing::internal::CaptureStderr();
    std::string s = cycle();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(s.find("nan"), std::string::npos) << s;
    EXPECT_EQ(s.find("inf"), std::string::npos) << s;
    std::vector<std::string> expected = kLegOrder;
    expected.erase(std::find(expected.begin(), expected.end(), "rle5"));
    expected.erase(std::find(expected.begin(), expected.end(), "lle3"));
    EXPECT_EQ(names_of(speed_commands(s)), expected);

    // The same for the arms of a stand-up.
    NaoParse::fall_down_detected = true;
    NaoParse::back_fall_down_detected = true;
    set_angle(NaoParse::JID_LLEG_3, 0);
    set_angle(NaoParse::JID_RLEG_5, 0);
    set_angle(NaoParse::JID_RARM_2, std::numeric_limits<double>::quiet_NaN());
    cycle();
    testing::internal::CaptureStderr();
    s = cycle();
    testing::internal::GetCapturedStderr();
    expected = concat(kLegOrder, kArmOrder);
    expected.erase(std::find(expected.begin(), expected.end(), "rae2"));
    EXPECT_EQ(names_of(speed_commands(s)), expected);
}

TEST_F(NaoMoveTest, OdometryAnchoredAtAPoseAdvancesAlongItsHeading)
{
    move->set_odo_global(1.0, 2.0, M_PI / 2);
    EXPECT_DOUBLE_EQ(move->odo_x, 1.0);
    EXPECT_DOUBLE_EQ(move->odo_y, 2.0);
    EXPECT_DOUBLE_EQ(move->odo_theta, M_PI / 2);
    double x, y, th;
    move->get_odo_global(x, y, th);
    EXPECT_NEAR(x, 1.0, 1e-12);
    EXPECT_NEAR(y, 2.0, 1e-12);
    EXPECT_NEAR(th, M_PI / 2, 1e-12);

    start_walking(0.5, 0);
    while (move->trans) cycle();
    // Where the feet stand now, in the frame of the walk start (they started
    // at x = 0, side by side about y = 0).
    walk* w = move->walk_engine;
    double feet_x = w->fp_sup[0];
    double feet_y = (w->fp_sup[1] + w->fp_prev[1]) / 2;
    EXPECT_GT(feet_x, 0.4);
    move->get_odo_global(x, y, th);
    // Facing +y on the field, the walk forward moves the robot along +y.
    EXPECT_NEAR(x, 1.0 - feet_y, 0.005);
    EXPECT_NEAR(y, 2.0 + feet_x, 0.005);
    EXPECT_NEAR(th, M_PI / 2, 1e-9);
}

TEST_F(NaoMoveTest, OdometryTurnsTheWalkedDisplacementIntoTheAnchorFrame)
{
    struct Case {
        double anchor_x, anchor_y, anchor_theta;  // global pose at the anchoring
        double walked_x, walked_y, walked_theta;  // walk odometry since then
        double x, y, theta;                       // expected global pose
    };
    const Case cases[] = {
        {1, 2, M_PI / 2, 0.5, 0, 0, 1, 2.5, M_PI / 2},
        {0, 0, 0, 0.3, -0.2, 0.1, 0.3, -0.2, 0.1},
        {-2, 1, M_PI, 0.4, 0.1, -0.3, -2.4, 0.9, M_PI - 0.3},
        {3, -1, -M_PI / 2, 0, 1, 0, 4, -1, -M_PI / 2},
    };
    for (const Case& c : cases) {
        walk* w = move->walk_engine;
        w->ResetWalk();
        move->set_odo_global(c.anchor_x, c.anchor_y, c.anchor_theta);
        w->odo_walk_x += c.walked_x;
        w->odo_walk_y += c.walked_y;
        w->odo_walk_theta += c.walked_theta;
        double x, y, th;
        move->get_odo_global(x, y, th);
        EXPECT_NEAR(x, c.x, 1e-12) << "anchor theta " << c.anchor_theta;
        EXPECT_NEAR(y, c.y, 1e-12) << "anchor theta " << c.anchor_theta;
        EXPECT_NEAR(th, c.theta, 1e-12) << "anchor theta " << c.anchor_theta;
    }
}

TEST_F(NaoMoveTest, OdometryFollowsATurn)
{
    move->set_odo_global(0.0, 0.0, 0.3);
    move->new_rot2013(M_PI / 2, -0.01);
    for (int i = 0; i < 5000 && move->rot; ++i) cycle();
    double x, y, th;
    move->get_odo_global(x, y, th);
    EXPECT_NEAR(th, 0.3 + M_PI / 2, 0.05);
    EXPECT_NEAR(x, 0.0, 0.05);
    EXPECT_NEAR(y, 0.0, 0.05);
}

TEST_F(NaoMoveTest, AnchoringTwiceKeepsTheLastAnchor)
{
    start_walking(0.3, 0);
    for (int i = 0; i < 40; ++i) cycle();
    move->set_odo_global(4.0, -1.0, -0.5);
    move->set_odo_global(-3.0, 2.5, 1.25);
    double x, y, th;
    move->get_odo_global(x, y, th);
    EXPECT_NEAR(x, -3.0, 1e-12);
    EXPECT_NEAR(y, 2.5, 1e-12);
    EXPECT_NEAR(th, 1.25, 1e-12);
}

TEST_F(NaoMoveTest, KickClearsTheAnchor)
{
    move->set_odo_global(4.0, -1.0, -0.5);
    move->new_kick2012(NaoMove::KICK_LEFT);
    while (move->kick) cycle();
    double x, y, th;
    move->get_odo_global(x, y, th);
    EXPECT_NEAR(x, 0.0, 1e-12);
    EXPECT_NEAR(y, 0.0, 1e-12);
    EXPECT_NEAR(th, 0.0, 1e-12);
}

}  // namespace

TEST_F(NaoMoveTest, TranslationTakenOverIsReportedFinishedOnlyOnceWalked)
{
    // The kick approach sends its step to the kick position once, while the
    // walk to the kick point is still under way, and starts the kick when
    // the translation is reported finished. Here the step asks for less to
    // the side than the walk's current step carries: its forward part must
    // still be walked before the end is reported.
    const walk& w = *move->walk_engine;
    start_walking(0.14, 0.067);
    for (int i = 0; i < 500 && !(w.k > w.nbp[1] + 3); ++i) cycle();
    ASSERT_TRUE(move->walking);
    const double x0 = w.odo_walk_x;
    ASSERT_TRUE(move->new_trans2013(0.371, 0.027));
    for (int i = 0; i < 2000 && !(!move->trans && move->stop_trans); ++i) cycle();
    ASSERT_FALSE(move->trans);
    EXPECT_GT(w.odo_walk_x - x0, 0.3);
}

// Robots of several types are started in one directory at the same moment,
// each rewriting the shared stand-pose file: a robot plays the pose of its
// own type whatever another type wrote meanwhile. Here a second process
// keeps starting type 1 walks while type 0 motion interfaces are built.
TEST(NaoMoveStandPose, EachTypePlaysItsOwnPoseWhileAnotherTypeStarts)
{
    ScratchWorkDir scratch;
    ASSERT_TRUE(scratch.ok());
    InWorkDir in(scratch.path());
    NaoParse parse{"brevane"};
    parse.SetupJointIDMap();
    testing::internal::CaptureStderr();  // the engines' start-up reports
    // The knee (llj4, column 9 of the file) of each type's stance.
    double knee[2];
    for (int type = 0; type < 2; type++) {
        walk w(0.01, 1, type, 0, "./");
        double qL[6], qR[6];
        w.getLegAnglesForCommand(qL, qR);
        knee[type] = qL[3] * 180.0 / M_PI;
    }
    testing::internal::GetCapturedStderr();
    ASSERT_GT(std::fabs(knee[0] - knee[1]), 0.5);

    const pid_t other = fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        if (!std::freopen("/dev/null", "w", stderr)) _exit(1);
        for (int i = 0; i < 100000; i++) walk(0.01, 1, 1, 0, "./");
        _exit(0);
    }
    testing::internal::CaptureStderr();
    for (int i = 0; i < 8; i++) {
        NaoMove m(&parse.mJointIDMap, 0.01, 0, 0);
        ASSERT_GE(m.stand_pose.nlines, 1);
        EXPECT_NEAR(m.stand_pose.angles[9], knee[0], 0.006) << "start " << i;
    }
    testing::internal::GetCapturedStderr();
    kill(other, SIGKILL);
    waitpid(other, nullptr, 0);
}
