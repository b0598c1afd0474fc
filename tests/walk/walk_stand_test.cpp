// Walking engine set-up: parameters, stand pose, stand-pose file, reset and
// the refusals of unusable set-ups.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>

#include "kinematics/naobase_param.h"
#include "walk/walk.h"
#include "walk_fixtures.h"

using namespace walk_test;

namespace {

// Standard robot (type 0) of the shipped data files, period of the agent.
walk* make_walk(double dt = 0.01) { return new walk(dt, 1, 0, 0, "./"); }

// Sagittal-plane angles (model sense) that put the sole flat at x_sole,
// z_sole below a hip at x_hip, z_hip, from the thigh and shank geometry:
// returns hip pitch, knee, ankle pitch.
void planar_leg(const Model& m, double x_sole, double z_sole, double& hip, double& knee, double& ankle)
{
    double ax = x_sole - (-m.HipOffsetX), az = (z_sole + m.FootHeight) - (-m.HipOffsetZ);
    double L1 = std::hypot(m.HipOffsetX - m.KneeAnkleOffsetX, m.Lf), L2 = m.Lt;
    double thigh0 = std::atan2(m.HipOffsetX - m.KneeAnkleOffsetX, m.Lf);  // thigh lean at the zero pose
    double D2 = ax * ax + az * az;
    double beta = std::acos((D2 - L1 * L1 - L2 * L2) / (2 * L1 * L2));  // thigh minus shank direction
    double gamma = std::atan2(ax, -az);                                 // hip-to-ankle from the vertical
    double delta = std::atan2(L1 * std::sin(beta), L2 + L1 * std::cos(beta));
    double shank = gamma - delta, thigh = shank + beta;  // directions from the vertical, forward positive
    double hip_fwd = thigh - thigh0;                     // simulator sense: forward swing positive
    double knee_fwd = shank - hip_fwd;
    hip = -hip_fwd;
    knee = -knee_fwd;
    ankle = shank;  // keeps the sole level
}

std::string fmt2(double v)
{
    char b[32];
    snprintf(b, sizeof b, "%4.2f ", v);
    return b;
}

}  // namespace

TEST(WalkSetUp, CyclesPerStepFollowTheTimeStep)
{
    struct Case {
        double dt;
        long N, N_prepare;
    } cases[] = {{0.02, 12, 10}, {0.01, 24, 20}};
    for (const auto& c : cases) {
        walk* w = make_walk(c.dt);
        EXPECT_EQ(w->N, c.N) << c.dt;
        EXPECT_EQ(w->N_prepare, c.N_prepare) << c.dt;
        EXPECT_NEAR(w->step_period, 0.24, 1e-12) << c.dt;
        delete w;
    }
}

TEST(WalkSetUp, RestStanceFromTheShippedLegLengths)
{
    walk* w = make_walk();
    const Model& m = *w->model;
    // Type 0: thigh 0.12, shank 0.10, ankle to sole 0.05, hip 0.115 below the torso centre.
    double expected = (0.12 + 0.10 + 0.05) * 0.727726 + 0.115;
    EXPECT_NEAR(w->torso_center_height, expected, 1e-6);
    EXPECT_NEAR(w->torso_center_height, 0.311486, 1e-6);
    EXPECT_NEAR(w->length_stretched_leg, m.Lf + m.Lt + m.FootHeight, 1e-12);
    // Total mass of the simulated Nao (type 0).
    EXPECT_NEAR(w->total_mass, 4.6071, 1e-4);
    EXPECT_NEAR(w->zC, w->torso_center_height + w->zCOM_RT, 1e-12);
    EXPECT_NEAR(w->x_pApZMP_Init, w->xCOM_RT + 0.0108, 1e-12);

    const double left[3] = {-0.0108, 0.055, -w->torso_center_height};
    for (int i = 0; i < 3; i++) {
        EXPECT_NEAR(w->getFootLeft()[i], left[i], 1e-12);
        EXPECT_NEAR(w->getFootRight()[i], i == 1 ? -left[i] : left[i], 1e-12);
    }
    EXPECT_DOUBLE_EQ(w->yaw_left, 0.0);
    EXPECT_DOUBLE_EQ(w->yaw_right, 0.0);
    EXPECT_TRUE(w->stopped);
    EXPECT_FALSE(w->update_walk());
    delete w;
}

TEST(WalkSetUp, StandPosePutsBothSolesFlatAtTheRestTargets)
{
    walk* w = make_walk();
    double qL[6] = {0}, qR[6] = {0};
    w->getLegAnglesForCommand(qL, qR);
    struct {
        const double* q;
        int side;
        Vector_<double> target;
    } legs[] = {{qL, -1, w->getFootLeft()}, {qR, +1, w->getFootRight()}};
    for (auto& leg : legs) {
        Vector_<double> p(0, 0, 0);
        Matrix_<double> R;
        w->model->nao_direct_geometric_model_leg(leg.q, p, R, leg.side);
        for (int i = 0; i < 3; i++) {
            EXPECT_NEAR(p[i], leg.target[i], 1e-9) << "side " << leg.side << " axis " << i;
            for (int j = 0; j < 3; j++) EXPECT_NEAR(R[i][j], i == j ? 1.0 : 0.0, 1e-9);
        }
    }
    // The stance is straight: only the sagittal joints bend, the same on both legs.
    double hip, knee, ankle;
    planar_leg(*w->model, -0.0108, -w->torso_center_height, hip, knee, ankle);
    // The body files hold single-precision lengths: 1e-6 rad covers them.
    const double* qs[2] = {qL, qR};
    for (const double* q : qs) {
        EXPECT_NEAR(q[0], 0.0, 1e-6);
        EXPECT_NEAR(q[1], 0.0, 1e-6);
        EXPECT_NEAR(q[2], hip, 1e-6);
        EXPECT_NEAR(q[3], knee, 1e-6);
        EXPECT_NEAR(q[4], ankle, 1e-6);
        EXPECT_NEAR(q[5], 0.0, 1e-6);
    }
    delete w;
}

TEST(WalkSetUp, StandPoseFileText)
{
    ScopedWorkDir dir;
    walk* w = make_walk();
    double hip, knee, ankle;
    planar_leg(*w->model, -0.0108, -w->torso_center_height, hip, knee, ankle);
    delete w;

    std::string text =
        " hj1 hj2 laj1 laj2 laj3 laj4 llj1 llj2 llj3 llj4 llj5 llj6 "
        "rlj1 rlj2 rlj3 rlj4 rlj5 rlj6 raj1 raj2 raj3 raj4 \n ";
    text += fmt2(0.09) + fmt2(12.21);
    // The arms stand at fixed angles (the arm models give them back).
    const double arm[4] = {103.97, 11.51, -84.55, -30.85};
    for (double a : arm) text += fmt2(a);
    const double leg[6] = {0.0, 0.0, hip * kDeg, knee * kDeg, ankle * kDeg, 0.0};
    for (int side = 0; side < 2; side++)
        for (double a : leg) text += fmt2(a);
    text += fmt2(arm[0]);
    for (int i = 1; i < 4; i++) text += fmt2(-arm[i]);
    text += "\n";
    // "-0.00" and "0.00" print alike only if the angles are exactly zero.
    std::string got = read_file("dataWalk/stand3.dat");
    for (std::string* s : {&text, &got}) {
        size_t pos;
        while ((pos = s->find("-0.00 ")) != std::string::npos) s->replace(pos, 6, "0.00 ");
    }
    EXPECT_EQ(got, text);

    // Only the finished file is left behind, no temporary one.
    std::string listing;
    FILE* ls = popen("ls -A dataWalk", "r");
    char buf[256];
    while (fgets(buf, sizeof buf, ls)) listing += buf;
    pclose(ls);
    EXPECT_EQ(listing, "stand3-0.dat\nstand3.dat\n");
    EXPECT_EQ(read_file("dataWalk/stand3-0.dat"), read_file("dataWalk/stand3.dat"));
}

// Agents of several robot types start in one directory: the shared file
// holds whichever type wrote last, each type's own file its own stance
// (the knee bend that puts the sole at that type's rest height).
TEST(WalkSetUp, EachRobotTypeKeepsItsOwnStandPoseFile)
{
    ScopedWorkDir dir;
    double knee[2];
    for (int type = 0; type < 2; type++) {
        walk* w = new walk(0.01, 1, type, 0, "./");
        double hip, ankle;
        planar_leg(*w->model, -0.0108, -w->torso_center_height, hip, knee[type], ankle);
        delete w;
    }
    // Type 1's longer legs bend more at the same crouch ratio.
    ASSERT_GT(std::fabs(knee[0] - knee[1]) * kDeg, 0.5);
    for (int type = 0; type < 2; type++) {
        const std::string text = read_file(walk::stand_pose_file(type));
        std::istringstream lines(text);
        std::string header, values;
        std::getline(lines, header);
        std::getline(lines, values);
        std::istringstream vs(values);
        double v[22];
        for (double& x : v) ASSERT_TRUE(static_cast<bool>(vs >> x)) << type;
        // llj4 and rlj4: columns 9 and 15.
        EXPECT_NEAR(v[9], knee[type] * kDeg, 0.006) << type;
        EXPECT_NEAR(v[15], knee[type] * kDeg, 0.006) << type;
    }
    EXPECT_EQ(read_file("dataWalk/stand3.dat"), read_file(walk::stand_pose_file(1)));
}

TEST(WalkSetUp, StandPoseFileIsReplacedWhole)
{
    // A reader that opened the file before another agent starts keeps the
    // whole file it opened: the new one takes its place instead of being
    // written into it.
    ScopedWorkDir dir;
    const std::string old_text = " hj1 \n 1.00 \n";
    write_file("dataWalk/stand3.dat", old_text);
    FILE* reader = fopen("dataWalk/stand3.dat", "r");
    ASSERT_NE(reader, nullptr);
    walk* w = make_walk();
    delete w;
    std::string seen;
    char buf[256];
    while (fgets(buf, sizeof buf, reader)) seen += buf;
    fclose(reader);
    EXPECT_EQ(seen, old_text);
    std::string now = read_file("dataWalk/stand3.dat");
    EXPECT_EQ(now.compare(0, 5, " hj1 "), 0);
    EXPECT_EQ(now.back(), '\n');
    EXPECT_NE(now, old_text);
}

TEST(WalkSetUp, UnwritableStandPoseFileIsReported)
{
    ScopedWorkDir dir(true, false);  // no dataWalk directory
    testing::internal::CaptureStderr();
    walk* w = make_walk();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("error, cannot open file...\n"), std::string::npos);
    EXPECT_TRUE(w->can_walk());
    delete w;
}

TEST(WalkSetUp, ParameterFileOverridesTheDefaults)
{
    ScopedWorkDir dir;
    dir.append_walk_params("dist_between_feet_p_points 0.1\nxlength_step_max 0.05\n");
    walk* w = make_walk();
    EXPECT_NEAR(w->getFootLeft()[1], 0.05, 1e-12);
    EXPECT_NEAR(w->getFootRight()[1], -0.05, 1e-12);
    EXPECT_DOUBLE_EQ(w->xlength_step_max, 0.05);
    ASSERT_TRUE(w->init_walk_translate(0.1, 0.0, 0.24));
    EXPECT_NEAR(w->p1[1] - w->p2[1], 0.1, 1e-12);
    EXPECT_EQ(w->n, 2);
    delete w;
}

TEST(WalkSetUp, NonPositiveStepMaximaKeepTheDefaults)
{
    ScopedWorkDir dir;
    dir.append_walk_params("xlength_step_max 0\nylength_step_max -0.02\ntheta_step_max 0\n");
    testing::internal::CaptureStderr();
    walk* w = make_walk();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_DOUBLE_EQ(w->xlength_step_max, 0.08);
    EXPECT_DOUBLE_EQ(w->ylength_step_max, 0.06);
    EXPECT_DOUBLE_EQ(w->theta_step_max, 1.0471975511965976);
    for (const char* key : {"xlength_step_max", "ylength_step_max", "theta_step_max"})
        EXPECT_NE(err.find(key), std::string::npos) << key;
    ASSERT_TRUE(w->init_walk_translate(0.2, 0.1, 0.24));
    EXPECT_TRUE(std::isfinite(w->step_x) && std::isfinite(w->step_y));
    delete w;
}

TEST(WalkSetUp, ResetReturnsToTheStandingState)
{
    walk* w = make_walk();
    double left0[3], right0[3];
    for (int i = 0; i < 3; i++) {
        left0[i] = w->foot_left[i];
        right0[i] = w->foot_right[i];
    }
    double xG0 = w->xG, yaw0 = w->Yaw_FootRight_Init;
    ASSERT_TRUE(w->init_walk_translate(0.2, 0.05, 0.18));
    for (int i = 0; i < 60; i++) w->update_walk();
    ASSERT_FALSE(w->stopped);
    w->ResetWalk();
    EXPECT_TRUE(w->stopped);
    for (int i = 0; i < 3; i++) {
        EXPECT_DOUBLE_EQ(w->foot_left[i], left0[i]);
        EXPECT_DOUBLE_EQ(w->foot_right[i], right0[i]);
    }
    EXPECT_DOUBLE_EQ(w->xG, xG0);
    EXPECT_DOUBLE_EQ(w->yG, 0.0);
    EXPECT_DOUBLE_EQ(w->Yaw_FootRight_Init, yaw0);
    double x, y, t;
    w->getOdo(x, y, t);
    EXPECT_DOUBLE_EQ(x, 0.0);
    EXPECT_DOUBLE_EQ(y, 0.0);
    EXPECT_DOUBLE_EQ(t, 0.0);
    EXPECT_FALSE(w->update_walk());
    // The period of the last request survives, re-rounded to whole cycles.
    EXPECT_NEAR(w->step_period, 0.18, 1e-12);
    EXPECT_EQ(w->N, 18);
    delete w;
}

TEST(WalkSetUp, BodyWithoutMassRefusesToWalk)
{
    ScopedWorkDir dir(false, true);  // no parameter files at all
    NaoBase::reset();
    testing::internal::CaptureStderr();
    walk* w = make_walk();
    EXPECT_FALSE(w->can_walk());
    EXPECT_FALSE(w->init_walk_translate(0.1, 0.0, 0.18));
    EXPECT_FALSE(w->init_walk_rotate(0.5, 0.0, 0.18));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("total body mass"), std::string::npos);
    EXPECT_NE(err.find("refused"), std::string::npos);
    EXPECT_FALSE(w->update_walk());
    for (int i = 0; i < 3; i++)
        EXPECT_TRUE(std::isfinite(w->foot_left[i]) && std::isfinite(w->foot_right[i]));
    delete w;
}

TEST(WalkSetUp, TimeStepTooLargeForAWalkIsRefused)
{
    testing::internal::CaptureStderr();
    walk* w = make_walk(0.1);  // 2 cycles for the preparation phase
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(w->can_walk());
    EXPECT_FALSE(w->init_walk_translate(0.1, 0.0, 0.18));
    EXPECT_FALSE(w->update_walk());
    EXPECT_NE(err.find("too large"), std::string::npos);
    delete w;

    // A request whose period is shorter than one cycle is refused too.
    w = make_walk(0.01);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(w->init_walk_translate(0.1, 0.0, 0.001));
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(w->stopped);
    delete w;
}

TEST(WalkSetUp, InclinationMatrixTurnsTheInclinedNormalUpright)
{
    // A proper rotation that carries the torso normal of the given forward
    // and lateral inclination onto the vertical; none without inclination.
    struct Case {
        double fwd, lat;
    } cases[] = {{0.0, 0.0}, {0.1, 0.0}, {0.0, 0.08}, {0.12, -0.05}, {-0.2, 0.1}};
    walk* w = make_walk();
    for (const auto& c : cases) {
        w->eta_torso_incline = c.fwd;
        w->eta_torso_incline_lateral = c.lat;
        Matrix_<double> R;
        w->getMatrixForInclinationFwdLat(R);
        Vector_<double> n(std::tan(c.fwd), std::tan(-c.lat), 1.0);
        n = n * (1.0 / n.norm());
        Vector_<double> up = R * n;
        double tiny = std::tan(c.fwd) * std::tan(c.fwd) + std::tan(c.lat) * std::tan(c.lat);
        // Below the matrix's own threshold the identity stands in.
        double tol_up = tiny < 1e-4 ? 1e-2 : 1e-12;
        EXPECT_NEAR(up[0], 0.0, tol_up) << c.fwd << " " << c.lat;
        EXPECT_NEAR(up[1], 0.0, tol_up) << c.fwd << " " << c.lat;
        EXPECT_NEAR(up[2], 1.0, tol_up) << c.fwd << " " << c.lat;
        Matrix_<double> RtR = transpose(R) * R;
        for (int i = 0; i < 3; i++)
            for (int j = 0; j < 3; j++) EXPECT_NEAR(RtR[i][j], i == j ? 1.0 : 0.0, 1e-12);
        double fwd, lat;
        w->getTorsoInclineFwdLateral(fwd, lat);
        EXPECT_DOUBLE_EQ(fwd, c.fwd);
        EXPECT_DOUBLE_EQ(lat, c.lat);
    }
    delete w;
}
