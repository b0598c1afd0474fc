#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <string>

#include "kin_test_util.h"
#include "kinematics/get_rotation_matrix_from_rotation_vector.h"
#include "kinematics/nao_geometric_model.h"

typedef Vector_<double> Vec;
typedef Matrix_<double> Mat;
using kintest::max_abs_diff;
using kintest::rot_x;
using kintest::rot_y;
using kintest::rot_z;

namespace {

const Mat kIdentity;

// Models under test: built-in dimensions, and the data files' standard and
// long-legged, wide-hipped robots (working directory: the source root).
struct Models {
    std::unique_ptr<Model> builtin, type0, type3;
    Models()
    {
        testing::internal::CaptureStderr();
        builtin.reset(new Model(0, 0, 0, "./"));
        type0.reset(new Model(1, 0, 0, "./"));
        type3.reset(new Model(1, 3, 0, "./"));
        testing::internal::GetCapturedStderr();
    }
};

const Models& models()
{
    static const Models m;
    return m;
}

// ---------------------------------------------------------------- direct models, by hand

TEST(DirectModels, ZeroPoseOfTheBuiltinDimensions)
{
    const Model& m = *models().builtin;
    const double q[6] = {0, 0, 0, 0, 0, 0};
    struct Case {
        const char* what;
        int (Model::*fn)(const double*, Vec&, Mat&) const;
        Vec want;
    } cases[] = {{"left leg", &Model::nao_direct_geometric_model_left_leg, Vec(0, 0.05, -0.33309)},
                 {"right leg", &Model::nao_direct_geometric_model_right_leg, Vec(0, -0.05, -0.33309)},
                 {"left arm", &Model::nao_direct_geometric_model_left_arm, Vec(0.235, 0.113, 0.1)},
                 {"right arm", &Model::nao_direct_geometric_model_right_arm, Vec(0.235, -0.113, 0.1)}};
    for (const Case& c : cases) {
        Vec pos(9, 9, 9);
        Mat R(rot_z(1));
        EXPECT_EQ((m.*c.fn)(q, pos, R), 1) << c.what;
        EXPECT_LT(max_abs_diff(pos, c.want), 1e-15) << c.what;
        EXPECT_LT(max_abs_diff(R, kIdentity), 1e-15) << c.what;
    }
}

TEST(DirectModels, ZeroPoseOfTheSimulatedRobot)
{
    // From the simulator's body offsets: the sole below the ankle at 0.005
    // behind the torso centre, 0.055 to the side and 0.385 down; the hand
    // point at the front of the lower arm box; the head centre 0.155 up.
    const Model& m = *models().type0;
    const double q[6] = {0, 0, 0, 0, 0, 0};
    for (int side : {-1, 1}) {
        Vec pos(0, 0, 0);
        Mat R;
        m.nao_direct_geometric_model_leg(q, pos, R, side);
        EXPECT_LT(max_abs_diff(pos, Vec(-0.005, -side * 0.055, -0.385)), 1e-7);
        EXPECT_LT(max_abs_diff(R, kIdentity), 1e-15);
        m.nao_direct_geometric_model_arm(q, pos, R, side);
        EXPECT_LT(max_abs_diff(pos, Vec(0.02 + 0.07 + 0.105, -side * 0.098, 0.075 + 0.009)), 1e-7);
        EXPECT_LT(max_abs_diff(R, kIdentity), 1e-15);
    }
    Vec head(0, 0, 0);
    Mat R;
    EXPECT_EQ(m.nao_direct_geometric_model_neckchead_RDHKK(q, head, R, 2, Vec(0, 0, 0)), 1);
    EXPECT_LT(max_abs_diff(head, Vec(0, 0, 0.155)), 1e-7);
}

TEST(DirectModels, SingleJointsMoveTheLimbAboutTheirAxes)
{
    // Built-in left leg: hip H, knee K and ankle A stacked under each other.
    const Model& m = *models().builtin;
    const Vec H(0, 0.05, -0.085), K(0, 0.05, -0.185), A(0, 0.05, -0.2879);
    const Vec down_hip(0, 0, -(0.1 + 0.1029 + 0.04519)), down_knee(0, 0, -(0.1029 + 0.04519)),
        down_ankle(0, 0, -0.04519);
    const double k = std::sqrt(0.5);
    const double a = 0.6;
    struct Case {
        const char* what;
        int joint;
        Vec centre, arm;
        Mat R;
    } cases[] = {
        {"hip yaw-pitch", 0, H, down_hip, get_rotation_matrix_from_rotation_vector(a, Vec(0, k, -k))},
        {"hip roll", 1, H, down_hip, rot_x(a)},
        {"hip pitch", 2, H, down_hip, rot_y(a)},
        {"knee", 3, K, down_knee, rot_y(a)},
        {"ankle pitch", 4, A, down_ankle, rot_y(a)},
        {"ankle roll", 5, A, down_ankle, rot_x(a)},
    };
    for (const Case& c : cases) {
        double q[6] = {0, 0, 0, 0, 0, 0};
        q[c.joint] = a;
        Vec pos(0, 0, 0);
        Mat R;
        m.nao_direct_geometric_model_left_leg(q, pos, R);
        EXPECT_LT(max_abs_diff(pos, c.centre + c.R * c.arm), 1e-15) << c.what;
        EXPECT_LT(max_abs_diff(R, c.R), 1e-15) << c.what;
    }
    // A bent knee by hand: the sole swings back by (Lt + foot) sin(a).
    double q[6] = {0, 0, 0, a, 0, 0};
    Vec pos(0, 0, 0);
    Mat R;
    m.nao_direct_geometric_model_left_leg(q, pos, R);
    EXPECT_NEAR(pos[0], -(0.1029 + 0.04519) * sin(a), 1e-15);
    EXPECT_NEAR(pos[2], -0.185 - (0.1029 + 0.04519) * cos(a), 1e-15);
}

TEST(DirectModels, ArmJointsAboutTheirAxes)
{
    // Built-in right arm: shoulder S, elbow E (offset sideways), hand W.
    const Model& m = *models().builtin;
    const Vec S(0, -0.098, 0.1), E(0.105, -0.113, 0.1), W(0.235, -0.113, 0.1);
    const double a = -0.45;
    struct Case {
        const char* what;
        int joint;
        Vec centre;
        Mat R;
    } cases[] = {{"shoulder pitch", 0, S, rot_y(a)},
                 {"shoulder roll", 1, S, rot_z(a)},
                 {"elbow yaw", 2, E, rot_x(a)},
                 {"elbow roll", 3, E, rot_z(a)}};
    for (const Case& c : cases) {
        double q[4] = {0, 0, 0, 0};
        q[c.joint] = a;
        Vec pos(0, 0, 0);
        Mat R;
        m.nao_direct_geometric_model_right_arm(q, pos, R);
        EXPECT_LT(max_abs_diff(pos, c.centre + c.R * (W - c.centre)), 1e-15) << c.what;
        EXPECT_LT(max_abs_diff(R, c.R), 1e-15) << c.what;
    }
}

TEST(DirectModels, IntermediateFramesAndTheirPoints)
{
    const Model& m = *models().type0;
    const double q[6] = {0.2, -0.1, 0.5, 0.9, -0.4, 0.05};
    for (int side : {-1, 1}) {
        Vec a(0, 0, 0), b(1, 1, 1);
        Mat Ra, Rb;
        m.nao_direct_geometric_model_leg(q, a, Ra, side);
        EXPECT_EQ(m.nao_direct_geometric_model_leg_RDHKK(q, b, Rb, 6, Vec(0, 0, 0), side), 1);
        EXPECT_LT(max_abs_diff(a, b), 1e-15);
        EXPECT_LT(max_abs_diff(Ra, Rb), 1e-15);
        // A point of the sole frame is carried with its orientation.
        const Vec p(0.03, -0.02, 0.01);
        m.nao_direct_geometric_model_leg_RDHKK(q, b, Rb, 6, p, side);
        EXPECT_LT(max_abs_diff(b, a + Ra * p), 1e-15);

        double qa[4] = {0.3, 0.2, -0.5, 0.7};
        m.nao_direct_geometric_model_arm(qa, a, Ra, side);
        EXPECT_EQ(m.nao_direct_geometric_model_arm_RDHKK(qa, b, Rb, 4, Vec(0, 0, 0), side), 1);
        EXPECT_LT(max_abs_diff(a, b), 1e-15);
        EXPECT_LT(max_abs_diff(Ra, Rb), 1e-15);
    }
    // Frame 4's origin is the knee: with hip pitch p and the rest 0 it lies
    // Lthigh from the hip along the tilted thigh, turned by p about y.
    const double p = 0.7;
    const double qp[6] = {0, 0, p, 0, 0, 0};
    Vec knee(0, 0, 0);
    Mat Rk;
    m.nao_direct_geometric_model_leg_RDHKK(qp, knee, Rk, 4, Vec(0, 0, 0), -1);
    const Vec H(-0.01, 0.055, -0.115);
    EXPECT_LT(max_abs_diff(knee, H + rot_y(p) * Vec(0.005, 0, -0.12)), 1e-7);
    // The head frame turns with the neck yaw and the head pitch.
    const double qn[2] = {0.4, -0.3};
    Vec head(0, 0, 0);
    Mat Rh;
    m.nao_direct_geometric_model_neckchead_RDHKK(qn, head, Rh, 2, Vec(0, 0, 0.1));
    EXPECT_LT(max_abs_diff(Rh, rot_z(0.4) * rot_y(-0.3)), 1e-15);
    EXPECT_LT(max_abs_diff(head, Vec(0, 0, 0.15) + Rh * Vec(0, 0, 0.105)), 1e-7);
}

TEST(DirectModels, UnknownFrameIndexIsRefused)
{
    const Model& m = *models().builtin;
    const double q[6] = {0.1, 0.1, 0.1, 0.1, 0.1, 0.1};
    struct Case {
        const char* chain;
        int k;
    } cases[] = {{"leg", 0}, {"leg", 7},      {"leg", -1},    {"arm", 0},
                 {"arm", 5}, {"neckhead", 0}, {"neckhead", 3}};
    for (const Case& c : cases) {
        Vec pos(1, 2, 3);
        Mat R(rot_x(0.5));
        testing::internal::CaptureStderr();
        int r;
        const std::string chain(c.chain);
        if (chain == "leg")
            r = m.nao_direct_geometric_model_leg_RDHKK(q, pos, R, c.k, Vec(0, 0, 0), 1);
        else if (chain == "arm")
            r = m.nao_direct_geometric_model_arm_RDHKK(q, pos, R, c.k, Vec(0, 0, 0), -1);
        else
            r = m.nao_direct_geometric_model_neckchead_RDHKK(q, pos, R, c.k, Vec(0, 0, 0));
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(r, -1) << chain << " " << c.k;
        EXPECT_EQ(err, "nao_direct_geometric_model_" + chain + "_RDHKK::unknown index " +
                           std::to_string(c.k) + " for DHKK coord. frame, returnnig -1\n");
        EXPECT_EQ(max_abs_diff(pos, Vec(1, 2, 3)), 0);
        EXPECT_EQ(max_abs_diff(R, rot_x(0.5)), 0);
    }
}

// ---------------------------------------------------------------- round trips

double wrapped(double a) { return remainder(a, 2 * M_PI); }

TEST(LegInverseModel, DirectThenInverseReturnsTheAngles)
{
    std::mt19937 gen(2024);
    std::uniform_real_distribution<double> yawpitch(-1.2, 0.5), roll(-0.7, 0.7), pitch(-1.4, 1.4),
        knee(0.08, 2.4), apitch(-1.0, 1.0);
    for (const Model* m : {models().builtin.get(), models().type0.get(), models().type3.get()}) {
        for (int side : {-1, 1}) {
            double worst = 0;
            for (int i = 0; i < 2000; i++) {
                const double q[6] = {yawpitch(gen), roll(gen), pitch(gen), knee(gen), apitch(gen), roll(gen)};
                Vec pos(0, 0, 0);
                Mat R;
                m->nao_direct_geometric_model_leg(q, pos, R, side);
                double back[6];
                ASSERT_EQ(m->nao_inverse_geometric_model_leg(pos, R, back, side), 1);
                for (int j = 0; j < 6; j++) worst = std::max(worst, std::fabs(back[j] - q[j]));
            }
            EXPECT_LT(worst, 1e-9) << "version " << m->getVersion() << " side " << side;
        }
    }
}

TEST(LegInverseModel, InverseThenDirectReachesTheFootPose)
{
    std::mt19937 gen(99);
    std::uniform_real_distribution<double> off(-0.04, 0.04), rv(-0.35, 0.35);
    for (const Model* m : {models().builtin.get(), models().type0.get(), models().type3.get()}) {
        const double q0[6] = {0, 0, 0, 0, 0, 0};
        for (int side : {-1, 1}) {
            Vec rest(0, 0, 0);
            Mat Rrest;
            m->nao_direct_geometric_model_leg(q0, rest, Rrest, side);
            // A crouched stance, then displaced and turned feet around it.
            const Vec centre = rest + Vec(0, 0, 0.06);
            double worst = 0;
            for (int i = 0; i < 1000; i++) {
                const Vec target = centre + Vec(off(gen), off(gen), off(gen));
                const Mat R = get_rotation_matrix_from_rotation_vector(Vec(rv(gen), rv(gen), rv(gen)));
                double q[6];
                ASSERT_EQ(m->nao_inverse_geometric_model_leg(target, R, q, side), 1);
                Vec pos(0, 0, 0);
                Mat Rout;
                m->nao_direct_geometric_model_leg(q, pos, Rout, side);
                worst = std::max(worst, std::max(max_abs_diff(pos, target), max_abs_diff(Rout, R)));
                EXPECT_GT(q[3], 0) << i;  // knee bent forward
            }
            EXPECT_LT(worst, 1e-9) << "version " << m->getVersion() << " side " << side;
        }
    }
}

TEST(LegInverseModel, OutOfReachStretchesTheKnee)
{
    for (const Model* m : {models().builtin.get(), models().type0.get()}) {
        double q[6];
        const Vec far(0, 0.05, -0.6);
        EXPECT_EQ(m->nao_inverse_geometric_model_leg(far, kIdentity, q, -1), 1);
        EXPECT_NEAR(q[3], -m->ThighAngle, 1e-12);
        for (double v : q) EXPECT_TRUE(std::isfinite(v));
    }
}

TEST(LegInverseModel, AnkleLevelWithTheHipGivesAQuarterTurnRoll)
{
    // Ankle at hip height, to the right of the left hip: in the ankle frame
    // the hip-to-ankle vector has E.y = 0 and E.x > 0, and of the candidates
    // pi/2 and -pi/2 the second is taken.
    const Model& m = *models().builtin;
    const Vec hip(0, 0.05, -0.085);
    const Vec sole = hip + Vec(0, -0.15, -0.04519);
    double q[6];
    EXPECT_EQ(m.nao_inverse_geometric_model_leg(sole, kIdentity, q, -1), 1);
    EXPECT_NEAR(q[5], -M_PI / 2, 1e-12);
}

TEST(LegInverseModel, DegenerateTargetsAndLegsAreRefused)
{
    double q[6] = {1, 2, 3, 4, 5, 6};
    // Ankle exactly at the hip: nothing to divide by.
    const Model& m = *models().builtin;
    const Vec at_hip(0, 0.05, -0.085 - 0.04519);
    testing::internal::CaptureStderr();
    EXPECT_EQ(m.nao_inverse_geometric_model_leg(at_hip, kIdentity, q, -1), -1);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("nao_inverse_geometric_model_leg"), std::string::npos);
    for (int j = 0; j < 6; j++) EXPECT_EQ(q[j], 0);
    for (int j = 0; j < 6; j++) q[j] = j + 1;

    // A shank of no length.
    Model flat(0, 0, 0, "./");
    flat.Lt = 0;
    testing::internal::CaptureStderr();
    EXPECT_EQ(flat.nao_inverse_geometric_model_leg(Vec(0, 0.05, -0.3), kIdentity, q, 1), -1);
    err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("nao_inverse_geometric_model_leg"), std::string::npos);
    for (int j = 0; j < 6; j++) EXPECT_EQ(q[j], 0);
}

TEST(ArmInverseModel, DirectThenInverseReturnsTheAngles)
{
    std::mt19937 gen(77);
    std::uniform_real_distribution<double> roll(-0.3, 0.3), other(-1.2, 1.2);
    for (const Model* m : {models().builtin.get(), models().type0.get(), models().type3.get()}) {
        for (int side : {-1, 1}) {
            double worst = 0;
            for (int i = 0; i < 2000; i++) {
                const double q[4] = {other(gen), roll(gen), other(gen), other(gen)};
                Vec pos(0, 0, 0);
                Mat R;
                m->nao_direct_geometric_model_arm(q, pos, R, side);
                double back[4] = {0, 0, 0, 0};
                ASSERT_EQ(m->nao_inverse_geometric_model_arm(pos, R, back, side), 2) << i;
                for (int j = 0; j < 4; j++) worst = std::max(worst, std::fabs(wrapped(back[j] - q[j])));
                for (int j = 0; j < 4; j++) EXPECT_LT(std::fabs(back[j]), M_PI + 1e-12);
            }
            EXPECT_LT(worst, 1e-9) << "version " << m->getVersion() << " side " << side;
        }
    }
}

TEST(ArmInverseModel, ElbowOnTheShoulderPitchAxisKeepsThePassedRoll)
{
    // Built-in left arm: the elbow sits 0.105 ahead and 0.015 outside the
    // shoulder, so a roll of atan(0.105 / 0.015) puts it on the
    // shoulder-pitch axis.
    const Model& m = *models().builtin;
    const double q[4] = {0.3, atan2(0.105, 0.015), 0.2, -0.4};
    Vec pos(0, 0, 0);
    Mat R;
    m.nao_direct_geometric_model_left_arm(q, pos, R);
    double back[4] = {9, 0.77, 9, 9};
    EXPECT_EQ(m.nao_inverse_geometric_model_left_arm(pos, R, back), 1);
    EXPECT_EQ(back[1], 0.77);
    for (double v : back) EXPECT_TRUE(std::isfinite(v));
}

TEST(ArmInverseModel, UnsolvableRollIsReportedWithZeroRoll)
{
    // A hand so far to the side that the elbow would have to be farther
    // from the shoulder than the upper arm is long.
    const Model& m = *models().builtin;
    const Vec pos(0.05, 0.5, 0.1);
    double q[4] = {9, 9, 9, 9};
    EXPECT_EQ(m.nao_inverse_geometric_model_left_arm(pos, kIdentity, q), -1);
    EXPECT_EQ(q[1], 0);
    for (double v : q) EXPECT_TRUE(std::isfinite(v));
}

// ---------------------------------------------------------------- equation solver

TEST(TrigSolver, DocumentedCases)
{
    const Model& m = *models().builtin;
    const double k = std::sqrt(0.5);
    struct Case {
        double A, B, C;
        int result;
        double s1, c1, s2, c2;
    } cases[] = {{1, 1, 0, 2, -k, k, k, -k},
                 {1, 0, 0, 1, 0, 1, 999, 999},
                 {0, 1, 1, 1, 0, -1, 999, 999},
                 {0, 0, 0, -2, 999, 999, 999, 999},
                 {1, 0, 2, -1, 999, 999, 999, 999}};
    for (const Case& c : cases) {
        double s1, c1, s2, c2;
        EXPECT_EQ(m.solve_for_eq_Asin_plus_Bcos_plusC_equals_0(c.A, c.B, c.C, s1, c1, s2, c2), c.result)
            << c.A << " " << c.B << " " << c.C;
        EXPECT_NEAR(s1, c.s1, 1e-12);
        EXPECT_NEAR(c1, c.c1, 1e-12);
        EXPECT_NEAR(s2, c.s2, 1e-12);
        EXPECT_NEAR(c2, c.c2, 1e-12);
    }
}

TEST(TrigSolver, SolutionsSolveTheEquationAndTheFirstIsNearestZero)
{
    const Model& m = *models().builtin;
    std::mt19937 gen(5);
    std::uniform_real_distribution<double> u(-2, 2);
    for (int i = 0; i < 500; i++) {
        const double A = u(gen), B = u(gen), C = u(gen);
        double s1, c1, s2, c2;
        const int r = m.solve_for_eq_Asin_plus_Bcos_plusC_equals_0(A, B, C, s1, c1, s2, c2);
        if (A * A + B * B - C * C < -1e-6) {
            EXPECT_EQ(r, -1);
            continue;
        }
        if (std::fabs(B - C) <= 1e-6) continue;
        ASSERT_EQ(r, 2);
        EXPECT_NEAR(A * s1 + B * c1 + C, 0, 1e-9);
        EXPECT_NEAR(A * s2 + B * c2 + C, 0, 1e-9);
        EXPECT_NEAR(s1 * s1 + c1 * c1, 1, 1e-12);
        EXPECT_LE(std::fabs(atan2(s1, c1)), std::fabs(atan2(s2, c2)) + 1e-12);
    }
}

// ---------------------------------------------------------------- torso yaw

TEST(TorsoYaw, BothLegsThenShareTheHipYawPitch)
{
    std::mt19937 gen(31);
    std::uniform_real_distribution<double> off(-0.03, 0.03), step(-0.4, 0.4), tilt(-0.15, 0.15);
    for (const Model* m : {models().builtin.get(), models().type0.get(), models().type3.get()}) {
        const double q0[6] = {0, 0, 0, 0, 0, 0};
        Vec restL(0, 0, 0), restR(0, 0, 0);
        Mat I;
        m->nao_direct_geometric_model_left_leg(q0, restL, I);
        m->nao_direct_geometric_model_right_leg(q0, restR, I);
        int checked = 0;
        for (int i = 0; i < 300; i++) {
            const Vec DO_R = restR + Vec(off(gen), off(gen), 0.05 + off(gen));
            const Vec DO_L = restL + Vec(off(gen), off(gen), 0.05 + off(gen));
            const double theta = step(gen);
            const Mat R = get_rotation_matrix_from_rotation_vector(Vec(tilt(gen), tilt(gen), tilt(gen)));
            testing::internal::CaptureStderr();
            const double psi = m->get_yaw_angle_torso_right_foot(DO_R, DO_L, theta, R);
            testing::internal::GetCapturedStderr();
            if (psi == -9999) continue;
            double qR[6], qL[6];
            ASSERT_EQ(m->nao_inverse_geometric_model_right_leg(DO_R, R * rot_z(psi), qR), 1);
            ASSERT_EQ(m->nao_inverse_geometric_model_left_leg(DO_L, R * rot_z(psi + theta), qL), 1);
            EXPECT_NEAR(qR[0], qL[0], 1e-9) << i;
            EXPECT_LT(std::fabs(psi), M_PI / 2);
            checked++;
        }
        EXPECT_GT(checked, 250);
    }
}

TEST(TorsoYaw, SymmetricStances)
{
    const Model& m = *models().type0;
    const Vec R0(-0.0108, -0.055, -0.31), L0(-0.0108, 0.055, -0.31);
    // Level torso, no step angle: no yaw, wherever the feet are.
    EXPECT_NEAR(m.get_yaw_angle_torso_right_foot(R0, L0, 0, kIdentity), 0, 1e-12);
    EXPECT_NEAR(
        m.get_yaw_angle_torso_right_foot(Vec(0.03, -0.07, -0.29), Vec(-0.02, 0.04, -0.3), 0, kIdentity), 0,
        1e-12);
    // Mirror-image feet: the step angle is split evenly.
    EXPECT_NEAR(m.get_yaw_angle_torso_right_foot(R0, L0, 0.3, kIdentity), -0.15, 1e-9);
    const Vec R1(0.02, -0.08, -0.3), L1(0.02, 0.08, -0.3);
    EXPECT_NEAR(m.get_yaw_angle_torso_right_foot(R1, L1, -0.5, kIdentity), 0.25, 1e-9);
}

TEST(TorsoYaw, NoSolutionIsReportedWithTheSentinel)
{
    const Model& m = *models().builtin;
    const Vec DO_R(-0.1386646063942539, -0.10523822017605833, -0.32864703614672269);
    const Vec DO_L(0.11278338507818937, 0.21656394927246048, -0.12512386961641314);
    const Mat R = get_rotation_matrix_from_rotation_vector(
        Vec(-0.74046077438976798, 0.30864754345254841, -0.92800112827076164));
    testing::internal::CaptureStderr();
    const double psi = m.get_yaw_angle_torso_right_foot(DO_R, DO_L, 0.34898682862453356, R);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(psi, -9999);
    EXPECT_NE(err.find("error, there is no solution, delta is too much negative = "), std::string::npos);
    EXPECT_NE(
        err.find(
            "error(next debug), DO_R=(-0.138665,-0.105238,-0.328647), DO_L=(0.112783,0.216564,-0.125124), "
            "theta_step=0.348987\n"),
        std::string::npos)
        << err;
}

// The run-challenge variant's torso yaw: 0 and one message where the match
// agent's gives the sentinel, the same value everywhere else.
TEST(TorsoYaw, RunVariantGivesZeroWithoutSolution)
{
    Model run(*models().builtin);
    run.variant = motion_variant_t::run_challenge();
    const Vec DO_R(-0.1386646063942539, -0.10523822017605833, -0.32864703614672269);
    const Vec DO_L(0.11278338507818937, 0.21656394927246048, -0.12512386961641314);
    const Mat R = get_rotation_matrix_from_rotation_vector(
        Vec(-0.74046077438976798, 0.30864754345254841, -0.92800112827076164));
    testing::internal::CaptureStderr();
    const double psi = run.get_yaw_angle_torso_right_foot(DO_R, DO_L, 0.34898682862453356, R);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(psi, 0);
    ASSERT_EQ(err.rfind("error, there is no solution, delta is too much negative = ", 0), 0u) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;

    std::mt19937 gen(7);
    std::uniform_real_distribution<double> pos(-0.05, 0.05), step(-0.6, 0.6), tilt(-0.3, 0.3);
    const Model& match = *models().builtin;
    int compared = 0;
    for (int i = 0; i < 300; i++) {
        const Vec R0(pos(gen), -0.05 + pos(gen), -0.3 + pos(gen)),
            L0(pos(gen), 0.05 + pos(gen), -0.3 + pos(gen));
        const double theta = step(gen);
        const Mat Ri = get_rotation_matrix_from_rotation_vector(Vec(tilt(gen), tilt(gen), tilt(gen)));
        testing::internal::CaptureStderr();
        const double a = match.get_yaw_angle_torso_right_foot(R0, L0, theta, Ri);
        const double b = run.get_yaw_angle_torso_right_foot(R0, L0, theta, Ri);
        testing::internal::GetCapturedStderr();
        if (a == -9999) {
            EXPECT_EQ(b, 0);
            continue;
        }
        EXPECT_EQ(a, b) << i;
        compared++;
    }
    EXPECT_GT(compared, 250);
}

TEST(TorsoYaw, DegenerateEquationIsReportedWithZero)
{
    // Both soles at their hip yaw-pitch centres, a level torso and no foot
    // height: every coefficient vanishes, so no yaw can be read.
    Model m(*models().builtin);
    m.FootHeight = 0;
    const double q0[6] = {0, 0, 0, 0, 0, 0};
    Vec DO_R(0, 0, 0), DO_L(0, 0, 0);
    Mat R;
    m.nao_direct_geometric_model_leg_RDHKK(q0, DO_R, R, 1, Vec(0, 0, 0), 1);
    m.nao_direct_geometric_model_leg_RDHKK(q0, DO_L, R, 1, Vec(0, 0, 0), -1);
    testing::internal::CaptureStderr();
    const double psi = m.get_yaw_angle_torso_right_foot(DO_R, DO_L, 0.2, kIdentity);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(psi, 0);
    EXPECT_EQ(err, "error, there is no solution (A,Bp)=(0,0)=(0.000000,0.000000)\n");
}

}  // namespace
