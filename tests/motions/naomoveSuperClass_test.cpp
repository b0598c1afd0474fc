#include "motions/naomoveSuperClass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "keyframe/naosimplemove.h"
#include "kinematics/get_rotation_matrix_from_rotation_vector.h"
#include "kinematics/nao_geometric_model.h"
#include "kinematics/naoparam.h"
#include "motions/effector.h"
#include "motions/motion_env.h"
#include "motions/motion_type.h"
#include "perception/naoparse.h"
#include "walk/walk.h"

namespace {

typedef Vector_<double> V;
typedef Matrix_<double> M;
const double kPi = 3.14159265358979323846;
const double kDeg = kPi / 180.0;

// Joint angles of one control cycle.
struct Sample {
    double leg[2][6];  // left, right
    double arm[2][4];
};

Sample take(const NaoMoveSuperClass& m)
{
    Sample s;
    for (int i = 0; i < 6; i++) {
        s.leg[0][i] = m.q_left_leg[i];
        s.leg[1][i] = m.q_right_leg[i];
    }
    for (int i = 0; i < 4; i++) {
        s.arm[0][i] = m.q_left_arm[i];
        s.arm[1][i] = m.q_right_arm[i];
    }
    return s;
}

// Calls step until it reports the end; every call's angles, the last one
// included.
std::vector<Sample> play(NaoMoveSuperClass& m, const std::function<bool()>& step)
{
    std::vector<Sample> r;
    for (int i = 0; i < 5000; i++) {
        const bool more = step();
        r.push_back(take(m));
        if (!more) break;
    }
    return r;
}

// Simulator limits (degrees) of each joint, in the simulator's sense: the
// model angle with hip pitch, knee, ankle pitch and shoulder pitch negated.
struct Limit {
    double lo, hi;
};
const Limit kLegLimits[2][6] = {{{-90, 1}, {-25, 45}, {-25, 100}, {-130, 1}, {-45, 75}, {-45, 25}},   // left
                                {{-90, 1}, {-45, 25}, {-25, 100}, {-130, 1}, {-45, 75}, {-25, 45}}};  // right
const Limit kArmLimits[2][4] = {{{-120, 120}, {-1, 95}, {-120, 120}, {-90, 1}},
                                {{-120, 120}, {-95, 1}, {-120, 120}, {-1, 90}}};
const bool kLegInverted[6] = {false, false, true, true, true, false};
const bool kArmInverted[4] = {true, false, false, false};

// Durations of the key poses, and their sample counts at 0.01 s worked out
// by hand (a duration over the period, truncated, plus one).
struct MotionFacts {
    const char* name;
    std::vector<double> durations;
    std::vector<int> samples;
};
const MotionFacts kLittle = {"little", {0.4, 0.75, 0.15, 0.08, 0.2, 0.6}, {41, 76, 16, 9, 21, 61}};
const MotionFacts kHipSway = {"hipsway",
                              {0.22, 0.1, 0.1, 0.1, 0.7, 0.4, 0.4, 0.2, 0.1, 0.06, 0.1, 0.3, 0.1},
                              {23, 11, 11, 11, 71, 41, 41, 21, 11, 7, 11, 31, 11}};
const MotionFacts kGeneric = {"generic",
                              {0.22, 0.1, 0.1, 0.1, 0.6, 0.4, 0.3, 0.11, 0.11, 0.2, 0.3, 0.1, 0.2},
                              {23, 11, 11, 11, 61, 41, 31, 12, 12, 21, 31, 11, 21}};
const MotionFacts kStandUpBack = {
    "standup_back", {0.1, 0.1, 0.6, 0.5, 0.5, 0.3, 0.5, 0.15}, {11, 11, 61, 51, 51, 31, 51, 16}};
const MotionFacts kStandUpFront = {
    "standup_front", {0.1, 0.1, 0.2, 0.5, 0.3, 0.5, 0.44999999999999996}, {11, 11, 21, 51, 31, 51, 45}};
const MotionFacts kFrontBack = {"front_back", {0.3, 0.6}, {31, 61}};

class MotionObjectTest : public ::testing::Test {
protected:
    void SetUp() override { m_ = build(); }

    static std::unique_ptr<NaoMoveSuperClass> build()
    {
        ::testing::internal::CaptureStderr();
        std::unique_ptr<NaoMoveSuperClass> m(new NaoMoveSuperClass(0.01, 1, 0, 0, "./"));
        ::testing::internal::GetCapturedStderr();
        return m;
    }

    Model& model() { return *m_->walk_engine->model; }

    V foot_point(const Sample& s, int limb)
    {
        V p(0, 0, 0);
        M R;
        model().nao_direct_geometric_model_leg(s.leg[limb], p, R, limb == 0 ? -1 : 1);
        return p;
    }
    V toe_point(const Sample& s, int limb)
    {
        V p(0, 0, 0);
        M R;
        model().nao_direct_geometric_model_leg(s.leg[limb], p, R, limb == 0 ? -1 : 1);
        return p + R * V(model().Length_Ankle_Toe_Tip, 0, 0);
    }
    V hand_point(const Sample& s, int limb, M* R_out = nullptr)
    {
        V p(0, 0, 0);
        M R;
        model().nao_direct_geometric_model_arm(s.arm[limb], p, R, limb == 0 ? -1 : 1);
        if (R_out) *R_out = R;
        return p;
    }

    static void expect_near(const V& a, const V& b, double tol, const std::string& what)
    {
        for (int j = 0; j < 3; j++) EXPECT_NEAR(a[j], b[j], tol) << what << " coordinate " << j;
    }

    // Each kind of motion with how it is played.
    struct Played {
        const MotionFacts* facts;
        std::function<bool()> step;
        bool arms_commanded;
    };
    std::vector<Played> every_motion()
    {
        NaoMoveSuperClass* m = m_.get();
        std::vector<Played> r;
        for (int type : {0, 1, 2}) {
            const MotionFacts* f = type == 0 ? &kLittle : (type == 1 ? &kGeneric : &kHipSway);
            r.push_back({f,
                         [m, type] {
                             double g = 1;
                             return m->check_leftKick(g, type);
                         },
                         false});
            r.push_back({f,
                         [m, type] {
                             double g = 1;
                             return m->check_rightKick(g, type);
                         },
                         false});
        }
        r.push_back({&kStandUpBack, [m] { return m->check_standUpFromBackLyingPos(); }, true});
        r.push_back({&kStandUpFront, [m] { return m->check_standUpFromFrontLyingPos(); }, true});
        r.push_back({&kFrontBack, [m] { return m->check_FrontBackMove(); }, true});
        return r;
    }

    MotionScratchDir dir_;
    std::unique_ptr<NaoMoveSuperClass> m_;
};

template <int N>
void expect_counts(const motionType<double, N>* mo, const MotionFacts& f)
{
    ASSERT_NE(mo, nullptr) << f.name;
    EXPECT_EQ(mo->index_pos, static_cast<int>(f.samples.size())) << f.name;
    int total = 0;
    for (size_t i = 0; i < f.samples.size(); i++) {
        EXPECT_EQ(mo->duration[i], f.durations[i]) << f.name << " pose " << i + 1;
        EXPECT_EQ(mo->nb_samples[i], f.samples[i]) << f.name << " pose " << i + 1;
        total += f.samples[i];
    }
    EXPECT_EQ(mo->total_samples, total) << f.name;
    EXPECT_EQ(mo->current_sample, 1) << f.name;
    EXPECT_FALSE(mo->is_active) << f.name;
}

TEST_F(MotionObjectTest, EveryMotionIsPreparedWithThePartsDurations)
{
    expect_counts(m_->kick_little_left, kLittle);
    expect_counts(m_->kick_little_right, kLittle);
    expect_counts(m_->kick_hipsway_left, kHipSway);
    expect_counts(m_->kick_hipsway_right, kHipSway);
    expect_counts(m_->kick_generic_left, kGeneric);
    expect_counts(m_->kick_generic_right, kGeneric);
    expect_counts(m_->standup_back, kStandUpBack);
    expect_counts(m_->standup_front, kStandUpFront);
    expect_counts(m_->front_back_move, kFrontBack);
    EXPECT_EQ(m_->kick_in_preparation, m_->kick_generic_right);
    EXPECT_EQ(m_->kick_generic_left->toe_tip_mode, 1);
    EXPECT_EQ(m_->kick_little_left->toe_tip_mode, 0);
}

TEST_F(MotionObjectTest, AfterConstructionTheArraysHoldTheInitialPoses)
{
    const Sample s = take(*m_);
    expect_near(foot_point(s, 0), m_->init_pos_foot_left, 1e-6, "left foot");
    expect_near(foot_point(s, 1), m_->init_pos_foot_right, 1e-6, "right foot");
    expect_near(hand_point(s, 0), m_->init_pos_hand_left, 1e-6, "left hand");
    expect_near(hand_point(s, 1), m_->init_pos_hand_right, 1e-6, "right hand");
}

// Whether a cycle's commanded angles lie within the simulator's limits; the
// arms count only where the motion interface commands them.
::testing::AssertionResult within_limits(const Sample& s, bool arms)
{
    for (int limb = 0; limb < 2; limb++) {
        for (int j = 0; j < 6; j++) {
            const double a = s.leg[limb][j] / kDeg * (kLegInverted[j] ? -1 : 1);
            if (!(a >= kLegLimits[limb][j].lo - 0.5 && a <= kLegLimits[limb][j].hi + 0.5))
                return ::testing::AssertionFailure()
                       << "leg " << limb << " joint " << j << " at " << a << " deg";
        }
        if (!arms) continue;
        for (int j = 0; j < 4; j++) {
            const double a = s.arm[limb][j] / kDeg * (kArmInverted[j] ? -1 : 1);
            if (!(a >= kArmLimits[limb][j].lo - 0.5 && a <= kArmLimits[limb][j].hi + 0.5))
                return ::testing::AssertionFailure()
                       << "arm " << limb << " joint " << j << " at " << a << " deg";
        }
    }
    return ::testing::AssertionSuccess();
}

// Every sample is a usable command; the motions start and end in the stand
// pose within the joint limits, and start from it without a jump. (In
// between, the kicks and stand-ups swing some joints past the simulator's
// limits, where the server holds them at the limit: the key poses themselves
// ask for it (the little kick's 45 degree back swing of the hip, the hands
// behind the back when standing up), the straight hand path from behind the
// back to the front passes close to the shoulder, and the strike of the
// generic kick puts the leg where a few millimetres sideways cost tens of
// degrees of hip yaw-pitch. The key poses are reached exactly, see below;
// the front-back move stays within the limits throughout.)
TEST_F(MotionObjectTest, EveryMotionPlaysFiniteAnglesFromAndToTheStandPose)
{
    const Sample initial = take(*m_);
    for (const Played& p : every_motion()) {
        SCOPED_TRACE(p.facts->name);
        const std::vector<Sample> samples = play(*m_, p.step);
        int total = 0;
        for (int n : p.facts->samples) total += n;
        ASSERT_EQ(static_cast<int>(samples.size()), total);
        for (size_t k = 0; k < samples.size(); k++) {
            const Sample& s = samples[k];
            for (int limb = 0; limb < 2; limb++) {
                for (int j = 0; j < 6; j++) {
                    ASSERT_TRUE(std::isfinite(s.leg[limb][j]));
                    ASSERT_LE(std::fabs(s.leg[limb][j]), kPi + 1e-9);
                }
                for (int j = 0; j < 4; j++) {
                    ASSERT_TRUE(std::isfinite(s.arm[limb][j]));
                    ASSERT_LE(std::fabs(s.arm[limb][j]), kPi + 1e-9);
                }
            }
            if (p.facts == &kFrontBack) {
                EXPECT_TRUE(within_limits(s, true)) << "sample " << k + 1;
            }
        }
        EXPECT_TRUE(within_limits(samples.front(), p.arms_commanded));
        EXPECT_TRUE(within_limits(samples.back(), p.arms_commanded));
        // No jump: the first cycle moves each limb end by less than a centimetre.
        for (int limb = 0; limb < 2; limb++) {
            expect_near(foot_point(samples.front(), limb), foot_point(initial, limb), 0.01,
                        "first foot step");
            expect_near(hand_point(samples.front(), limb), hand_point(initial, limb), 0.01,
                        "first hand step");
        }
    }
}

TEST_F(MotionObjectTest, KicksEndBackInTheStandPose)
{
    const Sample initial = take(*m_);
    for (const Played& p : every_motion()) {
        if (p.arms_commanded) continue;
        SCOPED_TRACE(p.facts->name);
        const Sample last = play(*m_, p.step).back();
        for (int limb = 0; limb < 2; limb++) {
            for (int j = 0; j < 6; j++) EXPECT_NEAR(last.leg[limb][j], initial.leg[limb][j], 1e-6);
            for (int j = 0; j < 4; j++) EXPECT_NEAR(last.arm[limb][j], initial.arm[limb][j], 1e-6);
        }
    }
}

TEST_F(MotionObjectTest, StandUpsEndInTheWalkingStandPose)
{
    double qL[6], qR[6];
    m_->walk_engine->getLegAnglesForCommand(qL, qR);
    const Sample initial = take(*m_);
    const std::function<bool()> steps[2] = {[this] { return m_->check_standUpFromBackLyingPos(); },
                                            [this] { return m_->check_standUpFromFrontLyingPos(); }};
    for (const auto& step : steps) {
        const Sample last = play(*m_, step).back();
        for (int j = 0; j < 6; j++) {
            EXPECT_NEAR(last.leg[0][j], qL[j], 1e-6);
            EXPECT_NEAR(last.leg[1][j], qR[j], 1e-6);
        }
        for (int limb = 0; limb < 2; limb++)
            for (int j = 0; j < 4; j++) EXPECT_NEAR(last.arm[limb][j], initial.arm[limb][j], 1e-6);
    }
}

TEST_F(MotionObjectTest, LeftAndRightKicksMirrorEachOther)
{
    // Mirroring through the sagittal plane keeps the pitch joints and the hip
    // yaw-pitch, and negates the rolls and the elbow yaw.
    const double leg_sign[6] = {1, -1, 1, 1, 1, -1};
    const double arm_sign[4] = {1, -1, -1, -1};
    for (int type : {0, 1, 2}) {
        SCOPED_TRACE(type);
        const std::vector<Sample> left = play(*m_, [this, type] {
            double g = 1;
            return m_->check_leftKick(g, type);
        });
        const std::vector<Sample> right = play(*m_, [this, type] {
            double g = 1;
            return m_->check_rightKick(g, type);
        });
        ASSERT_EQ(left.size(), right.size());
        for (size_t k = 0; k < left.size(); k++) {
            for (int limb = 0; limb < 2; limb++) {
                for (int j = 0; j < 6; j++)
                    ASSERT_NEAR(left[k].leg[limb][j], leg_sign[j] * right[k].leg[1 - limb][j], 1e-9)
                        << "sample " << k + 1 << " leg " << limb << " joint " << j;
                for (int j = 0; j < 4; j++)
                    ASSERT_NEAR(left[k].arm[limb][j], arm_sign[j] * right[k].arm[1 - limb][j], 1e-9)
                        << "sample " << k + 1 << " arm " << limb << " joint " << j;
            }
        }
    }
}

// Angles after the last sample of key pose `pose` (1-based).
template <int N>
Sample at_pose(NaoMoveSuperClass& m, motionType<double, N>* mo, int pose, const std::function<bool()>& step)
{
    const int k = mo->cumul_samples[pose - 1];
    for (int i = 0; i < k; i++) step();
    return take(m);
}

TEST_F(MotionObjectTest, LittleKickReachesItsFirstKeyPoses)
{
    for (int s : {-1, 1}) {
        SCOPED_TRACE(s);
        auto step = [this, s] {
            double g = 1;
            return s == -1 ? m_->check_leftKick(g, 0) : m_->check_rightKick(g, 0);
        };
        motionType<double, 9>* mo = s == -1 ? m_->kick_little_left : m_->kick_little_right;
        const V down(-0.055, -0.03 * s, -0.064);
        const Sample p1 = at_pose(*m_, mo, 1, step);
        expect_near(foot_point(p1, 0), m_->init_pos_foot_left + down, 1e-3, "pose 1 left foot");
        expect_near(foot_point(p1, 1), m_->init_pos_foot_right + down, 1e-3, "pose 1 right foot");
        // Pose 2: the kicking leg's hip pitch is 45 degrees and its ankle pitch 0.
        for (int i = mo->cumul_samples[0]; i < mo->cumul_samples[1]; i++) step();
        const Sample p2 = take(*m_);
        const int kick = s == -1 ? 0 : 1;
        EXPECT_NEAR(p2.leg[kick][2], 45 * kDeg, 1e-3);
        EXPECT_NEAR(p2.leg[kick][4], 0, 1e-3);
        expect_near(foot_point(p2, 1 - kick),
                    (s == -1 ? m_->init_pos_foot_right : m_->init_pos_foot_left) + down, 1e-3,
                    "pose 2 support foot");
        m_->reset_all_kicks();
    }
}

TEST_F(MotionObjectTest, HipSwayKickStepsTheSupportFoot)
{
    const int s = 1;  // right foot kicks, left foot supports
    auto step = [this] {
        double g = 1;
        return m_->check_rightKick(g, 2);
    };
    const Sample p4 = at_pose(*m_, m_->kick_hipsway_right, 4, step);
    expect_near(foot_point(p4, 0), m_->init_pos_foot_left + V(0.12, 0.05 * s, 0), 1e-3, "support foot");
    expect_near(foot_point(p4, 1), m_->init_pos_foot_right + V(0, 0.05 * s, 0), 1e-3, "kicking foot");
    expect_near(hand_point(p4, 0), m_->init_pos_hand_left, 1e-3, "left hand");
}

TEST_F(MotionObjectTest, GenericKickTracksTheToeTips)
{
    for (int s : {-1, 1}) {
        SCOPED_TRACE(s);
        auto step = [this, s] {
            double g = 1;
            return s == -1 ? m_->check_leftKick(g, 1) : m_->check_rightKick(g, 1);
        };
        motionType<double, 15>* mo = s == -1 ? m_->kick_generic_left : m_->kick_generic_right;
        const double L = model().Length_Ankle_Toe_Tip;
        const V TL0 = m_->init_pos_foot_left + m_->init_rotM_foot_left * V(L, 0, 0);
        const V TR0 = m_->init_pos_foot_right + m_->init_rotM_foot_right * V(L, 0, 0);
        const V sway(m_->ref_point[0] - m_->init_pos_foot_right[0], 0.05 * s,
                     m_->ref_point[2] - m_->init_pos_foot_right[2]);
        const Sample p1 = at_pose(*m_, mo, 1, step);
        expect_near(toe_point(p1, 0), TL0 + sway, 1e-3, "pose 1 left toe");
        expect_near(toe_point(p1, 1), TR0 + sway, 1e-3, "pose 1 right toe");
        for (int i = mo->cumul_samples[0]; i < mo->cumul_samples[2]; i++) step();
        const Sample p3 = take(*m_);
        const V support_step(0.12, 0, 0.02);
        if (s == -1) {
            expect_near(toe_point(p3, 1), TR0 + sway + support_step, 1e-3, "pose 3 support toe");
            expect_near(toe_point(p3, 0), TL0 + sway, 1e-3, "pose 3 kicking toe");
        } else {
            expect_near(toe_point(p3, 0), TL0 + sway + support_step, 1e-3, "pose 3 support toe");
            expect_near(toe_point(p3, 1), TR0 + sway, 1e-3, "pose 3 kicking toe");
        }
        m_->reset_all_kicks();
    }
}

void expect_near_v(const V& a, const V& b, double tol, const std::string& what)
{
    for (int j = 0; j < 3; j++) EXPECT_NEAR(a[j], b[j], tol) << what << " coordinate " << j;
}

// The simulator turns a joint at most 6.1395 rad/s (351.77 deg/s).
const double kMaxJointSpeed = 6.1395;

// Fastest leg joint between two consecutive samples 0.01 s apart (rad/s).
double fastest_leg_joint(const Sample& a, const Sample& b)
{
    double v = 0;
    for (int limb = 0; limb < 2; limb++)
        for (int j = 0; j < 6; j++) v = std::max(v, std::fabs(b.leg[limb][j] - a.leg[limb][j]) / 0.01);
    return v;
}

// The generic kick's return from the follow-through to the stance (pose
// 11) sets off and arrives at rest: its first two and last two samples ask
// no leg joint to turn faster than the simulator can. On a law that starts
// at full speed, the first sample alone bent the nearly stretched kicking
// knee by some 28 degrees (2800 deg/s); the joints fell far behind, and the
// robot came down on its heels and tipped over backwards after the kick.
// The return still reaches its key pose: the kicking toe 3 cm above where
// it started, the support toe where it started.
TEST_F(MotionObjectTest, GenericKickLeavesTheFollowThroughAndReachesTheStanceAtRest)
{
    const double toe = model().Length_Ankle_Toe_Tip;
    const V T0[2] = {m_->init_pos_foot_left + m_->init_rotM_foot_left * V(toe, 0, 0),
                     m_->init_pos_foot_right + m_->init_rotM_foot_right * V(toe, 0, 0)};
    for (int s : {-1, 1}) {
        SCOPED_TRACE(s);
        motionType<double, 15>* mo = s == -1 ? m_->kick_generic_left : m_->kick_generic_right;
        const std::vector<Sample> samples = play(*m_, [this, s] {
            double g = 1;
            return s == -1 ? m_->check_leftKick(g, 1) : m_->check_rightKick(g, 1);
        });
        // samples[i] is sample i + 1; pose 11 runs from sample cumul[9] + 1.
        const int first = mo->cumul_samples[9];
        const int last = mo->cumul_samples[10] - 1;
        for (int i : {first, first + 1, last - 1, last})
            EXPECT_LE(fastest_leg_joint(samples[i - 1], samples[i]), kMaxJointSpeed) << "sample " << i + 1;
        const int k = s == -1 ? 0 : 1;
        expect_near(toe_point(samples[last], k), T0[k] + V(0, 0, 0.03), 1e-3, "kicking toe");
        expect_near(toe_point(samples[last], 1 - k), T0[1 - k], 1e-3, "support toe");
    }
}

// Foot targets of later key poses, worked out here from the key-pose
// recipes (sway, step, shift and roll about the support hip; the strike
// offset in the rolled frame; the drawn-up feet of the stand-ups), reached
// by the played angles through the direct model.
TEST_F(MotionObjectTest, LaterKeyPosesPutTheFeetWhereTheRecipesSay)
{
    const double L = model().Lf + model().Lt + model().FootHeight;
    const double toe = model().Length_Ankle_Toe_Tip;
    auto Rx = [](double a) { return get_rotation_matrix_from_rotation_vector(a, V(1, 0, 0)); };
    auto Ry = [](double a) { return get_rotation_matrix_from_rotation_vector(a, V(0, 1, 0)); };
    auto Rz = [](double a) { return get_rotation_matrix_from_rotation_vector(a, V(0, 0, 1)); };
    struct Expected {
        std::string what;
        std::function<bool()> step;
        int samples;    // played before the check
        bool toe_tips;  // the targets are toe tips
        V pos[2];       // left, right
        M rot[2];
    };
    std::vector<Expected> cases;
    for (int s : {-1, 1}) {
        // Generic kick, kicking foot K, support foot S.
        const V T[2] = {m_->init_pos_foot_left + m_->init_rotM_foot_left * V(toe, 0, 0),
                        m_->init_pos_foot_right + m_->init_rotM_foot_right * V(toe, 0, 0)};
        const int k = s == -1 ? 0 : 1;
        const V sway(m_->ref_point[0] - m_->init_pos_foot_right[0], 0.05 * s,
                     m_->ref_point[2] - m_->init_pos_foot_right[2]);
        // After the step and the shift back the support foot stands where it
        // started, the kicking foot one step length behind.
        V after_shift[2] = {V(0, 0, 0), V(0, 0, 0)};
        after_shift[k] = T[k] + sway + V(-0.12, -0.05 * s, 0);
        after_shift[1 - k] = T[1 - k] + sway + V(0, -0.05 * s, 0);
        const V hipS = s == -1 ? m_->right_hip : m_->left_hip;
        const M R = Rx(17 * kDeg * s);
        V rolled[2] = {V(0, 0, 0), V(0, 0, 0)};
        rolled[1 - k] = hipS + R * (after_shift[1 - k] - hipS);
        rolled[k] = rolled[1 - k] + R * (after_shift[k] - after_shift[1 - k]);
        motionType<double, 15>* mo = s == -1 ? m_->kick_generic_left : m_->kick_generic_right;
        auto step = [this, s] {
            double g = 1;
            return s == -1 ? m_->check_leftKick(g, 1) : m_->check_rightKick(g, 1);
        };
        cases.push_back({"generic kick pose 5, side " + std::to_string(s),
                         step,
                         mo->cumul_samples[4],
                         true,
                         {rolled[0], rolled[1]},
                         {R, R}});
        const ParamKick& F = m_->param_kick;
        Expected strike{"generic kick pose 8 (kicking foot), side " + std::to_string(s),
                        step,
                        mo->cumul_samples[7],
                        true,
                        {V(0, 0, 0), V(0, 0, 0)},
                        {M(), M()}};
        strike.pos[k] = rolled[k] + R * V(F.xToeStrike, 0, F.zToeStrike);
        strike.rot[k] = R * Ry(F.angFootSoleStrike);
        // The support foot's arcs about its own hip (checked by the test of
        // the template) are left out: only the kicking foot is compared.
        strike.pos[1 - k] = V(NAN, NAN, NAN);
        cases.push_back(strike);
    }
    const V drawn_up[2] = {
        V(m_->init_pos_foot_left[0] + 0.55 * L, m_->init_pos_foot_left[1] + 0.1, m_->left_hip[2] + 0.15 * L),
        V(m_->init_pos_foot_right[0] + 0.55 * L, m_->init_pos_foot_right[1] - 0.1,
          m_->right_hip[2] + 0.15 * L)};
    const M drawn_up_rot[2] = {Ry(-60 * kDeg) * Rz(20 * kDeg), Ry(-60 * kDeg) * Rz(-20 * kDeg)};
    cases.push_back({"stand-up from the back pose 5",
                     [this] { return m_->check_standUpFromBackLyingPos(); },
                     m_->standup_back->cumul_samples[4],
                     false,
                     {drawn_up[0], drawn_up[1]},
                     {drawn_up_rot[0], drawn_up_rot[1]}});
    cases.push_back({"stand-up from the front pose 4",
                     [this] { return m_->check_standUpFromFrontLyingPos(); },
                     m_->standup_front->cumul_samples[3],
                     false,
                     {drawn_up[0], drawn_up[1]},
                     {drawn_up_rot[0], drawn_up_rot[1]}});
    cases.push_back({"stand-up from the front pose 1",
                     [this] { return m_->check_standUpFromFrontLyingPos(); },
                     m_->standup_front->cumul_samples[0],
                     false,
                     {V(m_->init_pos_foot_left[0], m_->init_pos_foot_left[1], m_->left_hip[2] - L),
                      V(m_->init_pos_foot_right[0], m_->init_pos_foot_right[1], m_->right_hip[2] - L)},
                     {Rz(90 * kDeg), Rz(-90 * kDeg)}});

    for (Expected& c : cases) {
        SCOPED_TRACE(c.what);
        for (int i = 0; i < c.samples; i++) c.step();
        const Sample played = take(*m_);
        for (int limb = 0; limb < 2; limb++) {
            if (std::isnan(c.pos[limb][0])) continue;
            V p(0, 0, 0);
            M R;
            model().nao_direct_geometric_model_leg(played.leg[limb], p, R, limb == 0 ? -1 : 1);
            if (c.toe_tips) p = p + R * V(toe, 0, 0);
            expect_near(p, c.pos[limb], 1e-3, limb == 0 ? "left foot" : "right foot");
            for (int a = 0; a < 3; a++)
                for (int b = 0; b < 3; b++) EXPECT_NEAR(R[a][b], c.rot[limb][a][b], 1e-3) << "limb " << limb;
        }
        // Rewind whatever was played for the next case.
        m_->reset_all_kicks();
        m_->standup_back->reset();
        m_->standup_front->reset();
    }
}

TEST_F(MotionObjectTest, StandUpFromTheBackHasAbsoluteHandsInItsFourthPose)
{
    // The same pose whatever the initial hand poses.
    const Effector<double>& l = m_->standup_back->left_hand[4];
    const Effector<double>& r = m_->standup_back->right_hand[4];
    expect_near(l.target_pos, V(0.184852, 0.0998533, 0.0122912), 0, "left hand");
    expect_near(r.target_pos, V(0.184852, -0.0998533, 0.0122912), 0, "right hand");
    EXPECT_EQ(l.rotM[1][2], 0.842243);
    EXPECT_EQ(r.rotM[1][2], -0.842243);
    EXPECT_EQ(l.endpoint_angle, 0.0);
    // Played, the hands come within the arm's reach of it (a few millimetres).
    auto step = [this] { return m_->check_standUpFromBackLyingPos(); };
    const Sample p4 = at_pose(*m_, m_->standup_back, 4, step);
    expect_near(hand_point(p4, 0), l.target_pos, 0.01, "left hand played");
    expect_near(hand_point(p4, 1), r.target_pos, 0.01, "right hand played");
}

TEST_F(MotionObjectTest, StandUpsStartWithTheLegsStretchedBelowTheHips)
{
    const double L = model().Lf + model().Lt + model().FootHeight;
    EXPECT_NEAR(m_->standup_back->left_foot[1].target_pos[2], m_->left_hip[2] - L, 1e-12);
    EXPECT_NEAR(m_->standup_back->right_foot[1].target_pos[2], m_->right_hip[2] - L, 1e-12);
    EXPECT_NEAR(m_->standup_front->left_foot[1].target_pos[2], m_->left_hip[2] - L, 1e-12);
    EXPECT_EQ(m_->standup_front->left_foot[1].target_pos[0], m_->init_pos_foot_left[0]);
}

TEST_F(MotionObjectTest, StandUpFromTheFrontFirstPutsTheArmsAtTheirKeyAngles)
{
    auto step = [this] { return m_->check_standUpFromFrontLyingPos(); };
    const Sample p1 = at_pose(*m_, m_->standup_front, 1, step);
    const double ql[4] = {90 * kDeg, 0, -90 * kDeg, 0};
    const double qr[4] = {90 * kDeg, 0, 90 * kDeg, 0};
    V pl(0, 0, 0), pr(0, 0, 0);
    M R;
    model().nao_direct_geometric_model_arm(ql, pl, R, -1);
    model().nao_direct_geometric_model_arm(qr, pr, R, 1);
    expect_near(hand_point(p1, 0), pl, 1e-3, "left hand");
    expect_near(hand_point(p1, 1), pr, 1e-3, "right hand");
}

TEST_F(MotionObjectTest, KickIsRefusedWhileAStandUpRuns)
{
    double g = 1;
    for (int i = 0; i < 3; i++) m_->check_leftKick(g, 1);
    ASSERT_TRUE(m_->kick_generic_left->IsActive());
    EXPECT_TRUE(m_->check_standUpFromBackLyingPos());
    EXPECT_EQ(m_->kick_generic_left->current_sample, 1);
    EXPECT_TRUE(m_->check_if_standup_active());
    double gain = 7;
    EXPECT_FALSE(m_->check_rightKick(gain, 1));
    EXPECT_EQ(gain, 7);
    EXPECT_FALSE(m_->kick_generic_left->IsActive());
    EXPECT_EQ(m_->kick_generic_right->current_sample, 1);
    // The stand-up's last sample resets the walk and ends it.
    while (m_->check_standUpFromBackLyingPos()) {
    }
    EXPECT_FALSE(m_->check_if_standup_active());
    EXPECT_TRUE(m_->check_leftKick(gain, 1));
    EXPECT_EQ(gain, 0.25);
}

TEST_F(MotionObjectTest, KickTypesSelectTheMotion)
{
    const struct {
        char type;
        const MotionFacts* facts;
    } cases[] = {{0, &kLittle}, {1, &kGeneric}, {2, &kHipSway}, {3, &kLittle}, {-5, &kLittle}};
    for (const auto& c : cases) {
        int total = 0;
        for (int n : c.facts->samples) total += n;
        int calls = 0;
        double g = 1;
        while (m_->check_rightKick(g, c.type) && calls < 5000) calls++;
        EXPECT_EQ(calls + 1, total) << static_cast<int>(c.type);
        // The following call starts the same kick anew.
        EXPECT_TRUE(m_->check_rightKick(g, c.type));
        m_->reset_all_kicks();
    }
}

TEST_F(MotionObjectTest, KickEndResetsTheWalk)
{
    m_->walk_engine->init_walk_translate(0.3, 0, 0.18);
    for (int i = 0; i < 20; i++) m_->check_walk();
    ASSERT_EQ(m_->walk_engine->stopped, 0);
    double g = 1;
    while (m_->check_leftKick(g, 0)) {
    }
    EXPECT_EQ(m_->walk_engine->stopped, 1);
}

TEST_F(MotionObjectTest, StandPoseFileWrittenAtConstructionLoadsAsTheWalkStandPose)
{
    NaoParse parse("test");
    parse.SetupJointIDMap();
    naosimplemove_t stand;
    ASSERT_TRUE(stand.load("dataWalk/stand3.dat", &parse.mJointIDMap));
    ASSERT_EQ(stand.njoints, 22);
    ASSERT_EQ(stand.nlines, 1);
    double qL[6], qR[6];
    m_->walk_engine->getLegAnglesForCommand(qL, qR);
    for (int p = 0; p < 22; p++) {
        const int id = stand.jid[p];
        if (id < 2 || id > 13) continue;
        const int joint = (id - 2) / 2;
        const double expected = (id % 2 == 0 ? qL[joint] : qR[joint]) / kDeg;
        EXPECT_NEAR(stand.angles[p], expected, 0.006) << "joint id " << id;
    }
}

TEST_F(MotionObjectTest, ModelSelfTestRecomputesItsTargets)
{
    ::testing::internal::CaptureStdout();
    EXPECT_TRUE(m_->check_model());
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("LEFT LEG :: check=1\n"), std::string::npos) << out;
    EXPECT_NE(out.find("RIGHT LEG :: check=1\n"), std::string::npos) << out;
    EXPECT_NE(out.find("theta6 = "), std::string::npos) << out;
    for (const char* side : {"left", "right"}) {
        double t[3], r[3];
        const size_t at = out.find(std::string(side) + "_TM=(");
        const size_t rat = out.find(std::string(side) + "_M_recalc=(");
        ASSERT_NE(at, std::string::npos);
        ASSERT_NE(rat, std::string::npos);
        ASSERT_EQ(std::sscanf(out.c_str() + out.find('(', at), "(%lf,%lf,%lf)", &t[0], &t[1], &t[2]), 3);
        ASSERT_EQ(std::sscanf(out.c_str() + out.find('(', rat), "(%lf,%lf,%lf)", &r[0], &r[1], &r[2]), 3);
        EXPECT_NEAR(t[0], 0.02, 1e-6);
        EXPECT_NEAR(t[1], (side[0] == 'l' ? 0.5 : -0.5) * model().HipOffsetY, 1e-6);
        for (int j = 0; j < 3; j++) EXPECT_NEAR(r[j], t[j], 2e-6) << side << " " << j;
    }
}

// The run-challenge variant: the same motions, except the stand-up from the
// back's final hold, and neither kicks nor stand-ups touch the walk.
class RunVariantMotionObjectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::testing::internal::CaptureStderr();
        m_.reset(new NaoMoveSuperClass(0.01, 1, 0, 0, "./", motion_variant_t::run_challenge()));
        ::testing::internal::GetCapturedStderr();
    }
    MotionScratchDir dir_;
    std::unique_ptr<NaoMoveSuperClass> m_;
};

TEST_F(RunVariantMotionObjectTest, StandUpFromTheBackHoldsItsFinalPoseThreePeriods)
{
    MotionFacts back = kStandUpBack;
    back.durations.back() = 3 * 0.15;  // 0.44999999999999996, as the front's final hold
    back.samples.back() = 45;
    EXPECT_EQ(back.durations.back(), 0.44999999999999996);
    expect_counts(m_->standup_back, back);
    expect_counts(m_->standup_front, kStandUpFront);
    expect_counts(m_->kick_little_left, kLittle);
    expect_counts(m_->kick_hipsway_right, kHipSway);
    expect_counts(m_->kick_generic_left, kGeneric);
    expect_counts(m_->front_back_move, kFrontBack);
}

TEST_F(RunVariantMotionObjectTest, KicksAndStandUpsLeaveTheWalkAsItWas)
{
    const struct {
        const char* name;
        std::function<bool()> step;
    } motions[] = {
        {"left kick",
         [this] {
             double g = 1;
             return m_->check_leftKick(g, 1);
         }},
        {"right little kick",
         [this] {
             double g = 1;
             return m_->check_rightKick(g, 0);
         }},
        {"stand-up from the back", [this] { return m_->check_standUpFromBackLyingPos(); }},
        {"stand-up from the front", [this] { return m_->check_standUpFromFrontLyingPos(); }},
    };
    walk& w = *m_->walk_engine;
    ASSERT_TRUE(w.init_walk_translate(0.3, 0, 0.18));
    for (int i = 0; i < 20; i++) m_->check_walk();
    ASSERT_EQ(w.stopped, 0);
    for (const auto& mo : motions) {
        const long k = w.k;
        const double xG = w.xG, foot = w.foot_left[0];
        std::vector<Sample> played = play(*m_, mo.step);
        EXPECT_GT(played.size(), 10u) << mo.name;
        EXPECT_EQ(w.stopped, 0) << mo.name;
        EXPECT_EQ(w.k, k) << mo.name;
        EXPECT_EQ(w.xG, xG) << mo.name;
        EXPECT_EQ(w.foot_left[0], foot) << mo.name;
    }
    // The walk goes on from where it was.
    EXPECT_TRUE(m_->check_walk());
    EXPECT_EQ(w.k, 21);
}

// The stand-up from the back of a longer-legged robot type runs faster by
// the square root of the leg ratio: every key pose of type 1 (hip to sole
// 0.13832 + 0.11832 + 0.05 m) lasts sqrt(0.27 / 0.30664) = 0.93836 of the
// listed time, with its sample count from that duration. The stand-up from
// the front and the kicks keep their times, and so do types 0 and 2.
TEST(MotionObjectStandUpTiming, BackStandUpOfTheLongLegsRunsFaster)
{
    for (int type : {0, 1, 2}) {
        MotionScratchDir dir;
        ::testing::internal::CaptureStderr();
        NaoMoveSuperClass m(0.01, 1, type, 0, "./");
        ::testing::internal::GetCapturedStderr();
        const double f = type == 1 ? std::sqrt(0.27 / (0.13832 + 0.11832 + 0.05)) : 1.0;
        if (type == 1) {
            EXPECT_NEAR(f, 0.93836, 1e-5);
        }
        MotionFacts back = kStandUpBack;
        for (size_t i = 0; i < back.durations.size(); i++) {
            SCOPED_TRACE("type " + std::to_string(type) + " pose " + std::to_string(i + 1));
            EXPECT_NEAR(m.standup_back->duration[i], back.durations[i] * f, 1e-6);
            EXPECT_EQ(m.standup_back->nb_samples[i],
                      static_cast<int>(m.standup_back->duration[i] / 0.01) + 1);
        }
        if (type != 1) {
            expect_counts(m.standup_back, back);
        }
        expect_counts(m.standup_front, kStandUpFront);
        expect_counts(m.kick_generic_left, kGeneric);
    }
}

// Both stand-ups draw the feet up 0.55 * 0.27 = 0.1485 m in front of where
// they stand, whatever the leg length, and 0.15 of the leg above the hips
// (hip to sole from the simulator's type table). The played leg angles, put
// through the forward leg model, must reach there: the folded longer leg of
// type 1 too.
TEST(MotionObjectStandUpPoses, FeetAreDrawnUpAsFarForwardForEveryLegLength)
{
    const struct {
        int type;
        double leg;
    } types[] = {{0, 0.12 + 0.10 + 0.05}, {1, 0.13832 + 0.11832 + 0.05}, {2, 0.12 + 0.10 + 0.05}};
    for (const auto& t : types) {
        MotionScratchDir dir;
        ::testing::internal::CaptureStderr();
        NaoMoveSuperClass m(0.01, 1, t.type, 0, "./");
        ::testing::internal::GetCapturedStderr();
        Model& model = *m.walk_engine->model;
        const struct {
            const char* what;
            int pose;
            int samples;
            std::function<bool()> step;
        } motions[] = {{"from the back", 5, m.standup_back->cumul_samples[4],
                        [&m] { return m.check_standUpFromBackLyingPos(); }},
                       {"from the front", 4, m.standup_front->cumul_samples[3],
                        [&m] { return m.check_standUpFromFrontLyingPos(); }}};
        for (const auto& mo : motions) {
            SCOPED_TRACE("type " + std::to_string(t.type) + ", stand-up " + mo.what);
            for (int i = 0; i < mo.samples; i++) mo.step();
            const Sample played = take(m);
            const V start[2] = {m.init_pos_foot_left, m.init_pos_foot_right};
            const V hip[2] = {m.left_hip, m.right_hip};
            for (int limb = 0; limb < 2; limb++) {
                V p(0, 0, 0);
                M R;
                model.nao_direct_geometric_model_leg(played.leg[limb], p, R, limb == 0 ? -1 : 1);
                EXPECT_NEAR(p[0] - start[limb][0], 0.1485, 1e-3) << "limb " << limb;
                EXPECT_NEAR(p[2] - hip[limb][2], 0.15 * t.leg, 1e-3) << "limb " << limb;
            }
            m.standup_back->reset();
            m.standup_front->reset();
        }
    }
}

// The stand-up from the front takes the durations of its arms swinging out
// (second key pose) and of the roll over the feet (fifth) from the robot
// type's walk file, each played in as many samples of the cycle as start
// within it. Every other key pose, and the stand-up from the back of the
// standard legs, keep their times.
TEST(MotionObjectStandUpTiming, FrontStandUpTakesTwoDurationsFromTheTypesFile)
{
    ScratchWorkDir shipped(true);
    ASSERT_TRUE(shipped.ok());
    InWorkDir in_shipped(shipped.path());
    const double cycle = 0.01;
    for (int type : {0, 1, 2}) {
        SCOPED_TRACE("type " + std::to_string(type));
        // The two keys as the type's walk file gives them (the file's own
        // reader), the standard times where it has none.
        MotionFacts front = kStandUpFront;
        NaoWalkParam::set(type, 0, "timeStandUpFrontArmsOut", front.durations[1], "./");
        NaoWalkParam::set(type, 0, "timeStandUpFrontOverFeet", front.durations[4], "./");
        for (int pose : {1, 4}) {
            // Samples at 0, cycle, 2 cycle ... up to the pose's duration.
            const double d = front.durations[pose];
            int n = 0;
            while (n * cycle <= d * (1 + 1e-9)) n++;
            front.samples[pose] = n;
        }
        ::testing::internal::CaptureStderr();
        NaoMoveSuperClass m(cycle, 1, type, 0, "./");
        ::testing::internal::GetCapturedStderr();
        expect_counts(m.standup_front, front);
        if (type != 1) expect_counts(m.standup_back, kStandUpBack);
    }
}

// The two keys are read like any other: values written into a type's file
// reach the key poses.
TEST(MotionObjectStandUpTiming, FrontStandUpDurationsComeFromTheKeys)
{
    MotionScratchDir dir("timeStandUpFrontArmsOut 0.13\ntimeStandUpFrontOverFeet 0.37", 2);
    ::testing::internal::CaptureStderr();
    NaoMoveSuperClass m(0.01, 1, 2, 0, "./");
    ::testing::internal::GetCapturedStderr();
    EXPECT_DOUBLE_EQ(m.standup_front->duration[1], 0.13);
    EXPECT_DOUBLE_EQ(m.standup_front->duration[4], 0.37);
    EXPECT_EQ(m.standup_front->nb_samples[1], 14);
    EXPECT_EQ(m.standup_front->nb_samples[4], 38);
    EXPECT_EQ(m.standup_front->duration[0], 0.1);
    EXPECT_EQ(m.standup_front->duration[3], 0.5);
}

// The stance the generic kick is made for: each robot type's own legs at the
// built-in crouch 0.727726, with the leg lengths of the simulator's type
// table (hip to knee, knee to ankle, ankle to sole 0.05 m; hip 0.115 m below
// the torso centre, 0.055 m aside), the ankles 0.0108 m behind the torso.
// A flat-footed leg pose put there by the inverse model stands the torso
// at that height by the direct model, knee bent; with the built-in crouch
// the walk stands there too.
TEST(MotionObjectKickEnd, KickReferenceIsEachTypesOwnLegsAtTheBuiltInCrouch)
{
    const struct {
        int type;
        double thigh, shank;
    } types[] = {{0, 0.12, 0.10}, {1, 0.13832, 0.11832}, {2, 0.12, 0.10}};
    for (const auto& t : types) {
        SCOPED_TRACE("type " + std::to_string(t.type));
        MotionScratchDir dir;
        ::testing::internal::CaptureStderr();
        NaoMoveSuperClass m(0.01, 1, t.type, 0, "./");
        ::testing::internal::GetCapturedStderr();
        const double height = 0.115 + (t.thigh + t.shank + 0.05) * 0.727726;
        const V stance(-0.0108, -0.055, -height);
        const M flat;
        double q[6];
        const Model& model = *m.walk_engine->model;
        ASSERT_EQ(model.nao_inverse_geometric_model_right_leg(stance, flat, q), 1);
        V p(0, 0, 0);
        M R;
        model.nao_direct_geometric_model_right_leg(q, p, R);
        for (int i = 0; i < 3; i++) {
            EXPECT_NEAR(p[i], stance[i], 1e-9) << "sole by the direct model, axis " << i;
            EXPECT_NEAR(m.ref_point[i], p[i], 1e-6) << "kick reference, axis " << i;
        }
        EXPECT_NEAR(R[2][2], 1, 1e-9) << "the sole is flat";
        EXPECT_GT(std::fabs(q[3]), 0.5) << "the knee is bent";
        EXPECT_NEAR(m.init_pos_foot_right[2], -height, 1e-6);
    }
}

// The generic kick lowers the feet to the reference height in its first
// pose and ends there: its return lands the toes where the first pose put
// them (without the sway), not back at a walk stance of another height.
// Worked out from the recipes and reached by the played angles through the
// direct model, at the built-in crouch (no difference) and at a crouch tuned
// up to 0.8 (the stance 2 cm above the reference), for each fielded type.
TEST(MotionObjectKickEnd, GenericKickEndsAtTheHeightOfItsFirstPose)
{
    const struct {
        int type;
        const char* walk_lines;
    } cases[] = {{0, ""},
                 {1, ""},
                 {2, ""},
                 {0, "ratio_flexion 0.8"},
                 {1, "ratio_flexion 0.8"},
                 {2, "ratio_flexion 0.8"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " " + c.walk_lines);
        MotionScratchDir dir(c.walk_lines, c.type);
        ::testing::internal::CaptureStderr();
        NaoMoveSuperClass m(0.01, 1, c.type, 0, "./");
        ::testing::internal::GetCapturedStderr();
        const Model& model = *m.walk_engine->model;
        const double toe = model.Length_Ankle_Toe_Tip;
        const V T0[2] = {m.init_pos_foot_left + m.init_rotM_foot_left * V(toe, 0, 0),
                         m.init_pos_foot_right + m.init_rotM_foot_right * V(toe, 0, 0)};
        const V to_reference(m.ref_point[0] - m.init_pos_foot_right[0], 0,
                             m.ref_point[2] - m.init_pos_foot_right[2]);
        const double stance_gap = std::fabs(to_reference[2]);
        if (c.walk_lines[0] != '\0')
            EXPECT_GT(stance_gap, 0.015);
        else
            EXPECT_LT(stance_gap, 1e-6);
        for (int s : {-1, 1}) {
            const std::vector<Sample> samples = play(m, [&m, s] {
                double g = 1;
                return s == -1 ? m.check_leftKick(g, 1) : m.check_rightKick(g, 1);
            });
            for (int limb = 0; limb < 2; limb++) {
                V p(0, 0, 0);
                M R;
                model.nao_direct_geometric_model_leg(samples.back().leg[limb], p, R, limb == 0 ? -1 : 1);
                expect_near_v(p + R * V(toe, 0, 0), T0[limb] + to_reference, 1e-3,
                              s == -1 ? "left kick, toe" : "right kick, toe");
            }
            // The return sets off and arrives at rest whatever the gap.
            motionType<double, 15>* mo = s == -1 ? m.kick_generic_left : m.kick_generic_right;
            const int first = mo->cumul_samples[9], last = mo->cumul_samples[11] - 1;
            for (int i : {first, first + 1, last - 1, last})
                EXPECT_LE(fastest_leg_joint(samples[i - 1], samples[i]), kMaxJointSpeed)
                    << "sample " << i + 1;
        }
    }
}

// The shipped kick keys of every fielded robot type keep the kicking leg on
// one branch of the leg model through the swing back, the strike and the
// follow-through: no leg joint is asked to turn by more than 40 degrees
// between two samples 0.01 s apart. With a sole pitched 40 degrees at the
// strike, the target passed a configuration that the leg model solves on
// both sides of: within four samples the hip yaw-pitch was asked to swing
// by some 150 degrees and back, right when the toe met the ball, and the
// ball left 20 degrees off the robot's heading.
TEST(MotionObjectKickKeys, ShippedKicksStayOnOneBranchOfTheLegModel)
{
    ScratchWorkDir shipped(true);
    ASSERT_TRUE(shipped.ok());
    InWorkDir in_shipped(shipped.path());
    for (int type : {0, 1, 2}) {
        ::testing::internal::CaptureStderr();
        NaoMoveSuperClass m(0.01, 1, type, 0, "./");
        ::testing::internal::GetCapturedStderr();
        for (int s : {-1, 1}) {
            SCOPED_TRACE("type " + std::to_string(type) + (s == -1 ? " left" : " right"));
            motionType<double, 15>* mo = s == -1 ? m.kick_generic_left : m.kick_generic_right;
            const std::vector<Sample> samples = play(m, [&m, s] {
                double g = 1;
                return s == -1 ? m.check_leftKick(g, 1) : m.check_rightKick(g, 1);
            });
            // Poses 7 (swing back) to 9 (follow-through): samples[i] is sample i + 1.
            double fastest = 0;
            int at = 0;
            for (int i = mo->cumul_samples[5]; i < mo->cumul_samples[8]; i++) {
                const double v = fastest_leg_joint(samples[i - 1], samples[i]);
                if (v > fastest) {
                    fastest = v;
                    at = i + 1;
                }
            }
            EXPECT_LT(fastest * 0.01, 40 * kDeg) << "at sample " << at;
        }
    }
}

TEST(ParamStepBeforeKick, TimeFactorScalesTheSixDurationsOnly)
{
    const ParamStepBeforeKick p(0.22, 0.1, 0.1, 0.1, 0.4, 0.6, 0.02, 0.12, 0.3, 0.05, 2.0);
    EXPECT_DOUBLE_EQ(p.timeSway, 0.44);
    EXPECT_DOUBLE_EQ(p.timeLift, 0.2);
    EXPECT_DOUBLE_EQ(p.timeStep, 0.2);
    EXPECT_DOUBLE_EQ(p.timePutDown, 0.2);
    EXPECT_DOUBLE_EQ(p.timeShift, 0.8);
    EXPECT_DOUBLE_EQ(p.timeRoll, 1.2);
    EXPECT_EQ(p.heightLift, 0.02);
    EXPECT_EQ(p.lengthStep, 0.12);
    EXPECT_EQ(p.angRoll, 0.3);
    EXPECT_EQ(p.ySway, 0.05);
}

TEST(MotionObjectKickKeys, OnlyTheGenericKicksUseTheKickKeys)
{
    std::vector<Sample> base[3], changed[3];
    for (int variant = 0; variant < 2; variant++) {
        MotionScratchDir dir(variant == 0 ? "" : "angTorsoFront 0.5");
        ::testing::internal::CaptureStderr();
        NaoMoveSuperClass m(0.01, 1, 0, 0, "./");
        ::testing::internal::GetCapturedStderr();
        if (variant == 1) {
            EXPECT_EQ(m.param_kick.angTorsoFront, 0.5);
        }
        for (int type = 0; type < 3; type++) {
            std::vector<Sample>& out = variant == 0 ? base[type] : changed[type];
            out = play(m, [&m, type] {
                double g = 1;
                return m.check_leftKick(g, type);
            });
        }
    }
    for (int type = 0; type < 3; type++) {
        ASSERT_EQ(base[type].size(), changed[type].size());
        double diff = 0;
        for (size_t k = 0; k < base[type].size(); k++)
            for (int limb = 0; limb < 2; limb++)
                for (int j = 0; j < 6; j++)
                    diff =
                        std::max(diff, std::fabs(base[type][k].leg[limb][j] - changed[type][k].leg[limb][j]));
        if (type == 1) {
            EXPECT_GT(diff, 1e-3);
        } else {
            EXPECT_EQ(diff, 0.0) << type;
        }
    }
}

}  // namespace
