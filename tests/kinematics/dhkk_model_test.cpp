#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "kin_test_util.h"
#include "kinematics/nao_geometric_model.h"

namespace {

const double kDeg = M_PI / 180;

struct FrameRow {
    double d, r, alpha_deg, theta_deg;
};

template <int N>
void expect_table(const DHKKTable<N>& T, const FrameRow (&want)[N], const char* what)
{
    for (int j = 0; j < N; j++) {
        EXPECT_NEAR(T.d[j], want[j].d, 1e-7) << what << " frame " << j;
        EXPECT_NEAR(T.r[j], want[j].r, 1e-7) << what << " frame " << j;
        EXPECT_NEAR(T.alpha[j], want[j].alpha_deg * kDeg, 1e-9) << what << " frame " << j;
        // 180 and -180 degrees are the same frame.
        const double dt = remainder(T.theta[j] - want[j].theta_deg * kDeg, 2 * M_PI);
        EXPECT_NEAR(dt, 0, 1e-9) << what << " frame " << j;
    }
}

const FrameRow kBuiltinLegLeft[8] = {{0, -0.035, 0, 180}, {0, 0.0707107, 135, -90}, {0, 0, 90, -135},
                                     {0, 0, 90, 180},     {0.1, 0, 0, 0},           {0.1029, 0, 0, 0},
                                     {0, 0, 90, -90},     {0, -0.04519, 90, 90}};
const FrameRow kBuiltinLegRight[8] = {{0, -0.035, 0, 180}, {0, -0.0707107, 45, -90}, {0, 0, 90, 135},
                                      {0, 0, 90, 180},     {0.1, 0, 0, 0},           {0.1029, 0, 0, 0},
                                      {0, 0, 90, -90},     {0, -0.04519, 90, 90}};
const FrameRow kBuiltinArmLeft[6] = {{0, 0.1, 0, 180},        {0, 0.098, 90, 180}, {0, 0, 90, 90},
                                     {0.015, 0.105, 90, 180}, {0, 0, 90, 90},      {0.13, 0, 0, 0}};
const FrameRow kBuiltinArmRight[6] = {{0, 0.1, 0, 180},         {0, -0.098, 90, 180}, {0, 0, 90, 90},
                                      {-0.015, 0.105, 90, 180}, {0, 0, 90, 90},       {0.13, 0, 0, 0}};
const FrameRow kBuiltinNeck[4] = {{0, 0, 0, 0}, {0, 0, 0, 180}, {0, 0, 90, 180}, {0, 0, 90, 0}};

TEST(BuiltinModel, TablesOfAllFiveChains)
{
    const Model m(0, 0, 0, "./");
    EXPECT_EQ(m.getVersion(), 0);
    EXPECT_EQ(m.eps, 1e-6);
    expect_table(m.LegLeftDHKK, kBuiltinLegLeft, "left leg");
    expect_table(m.LegRightDHKK, kBuiltinLegRight, "right leg");
    expect_table(m.ArmLeftDHKK, kBuiltinArmLeft, "left arm");
    expect_table(m.ArmRightDHKK, kBuiltinArmRight, "right arm");
    expect_table(m.NeckheadDHKK, kBuiltinNeck, "neck-head");
    EXPECT_EQ(m.ShankCenter2KneeZ, 0);
    EXPECT_EQ(m.ShankCenter2KneeY, 0);
    EXPECT_EQ(m.NeckPitchCenter2HeadCenterZ, 0);
    EXPECT_EQ(m.Lthigh, 0.1);
    EXPECT_EQ(m.ThighAngle, 0);
}

// The standard robot from the data files (working directory: the source
// root).
class DataFileModel : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        testing::internal::CaptureStderr();
        for (int t = 0; t < 4; t++) models[t] = new Model(1, t, 0, "./");
        messages = new std::string(testing::internal::GetCapturedStderr());
    }
    static void TearDownTestSuite()
    {
        for (Model*& m : models) {
            delete m;
            m = nullptr;
        }
        delete messages;
    }
    static Model* models[4];
    static std::string* messages;
};
Model* DataFileModel::models[4];
std::string* DataFileModel::messages;

TEST_F(DataFileModel, FilesAreFoundAndTheTypeIsKept)
{
    EXPECT_EQ(*messages, "");
    for (int t = 0; t < 4; t++) {
        EXPECT_EQ(models[t]->getVersion(), 1);
        EXPECT_EQ(models[t]->param.Ptype, t);
    }
}

// Reference numbers of the simulated robot types: hip to knee, knee to
// ankle, torso centre to sole, shoulder to elbow, hip to the side.
TEST_F(DataFileModel, SegmentLengthsOfEveryRobotTypeMatchTheSimulator)
{
    struct Row {
        double hip_knee, knee_ankle, torso_sole, shoulder_elbow, hip_side;
    } rows[4] = {{0.12, 0.10, 0.385, 0.09, 0.055},
                 {0.13832, 0.11832, 0.42164, 0.12664, 0.055},
                 {0.12, 0.10, 0.385, 0.09, 0.055},
                 {0.147868424, 0.127868424, 0.440736848, 0.145736848, 0.072954143}};
    for (int t = 0; t < 4; t++) {
        const Model& m = *models[t];
        EXPECT_NEAR(m.Lf, rows[t].hip_knee, 1e-7) << "type " << t;
        EXPECT_NEAR(m.Lt, rows[t].knee_ankle, 1e-7) << "type " << t;
        EXPECT_NEAR(m.HipOffsetZ + m.Lf + m.Lt + m.FootHeight, rows[t].torso_sole, 1e-7) << "type " << t;
        EXPECT_NEAR(m.Larm, rows[t].shoulder_elbow, 1e-7) << "type " << t;
        EXPECT_NEAR(m.HipOffsetY, rows[t].hip_side, 1e-7) << "type " << t;
        // Same for all types.
        EXPECT_NEAR(m.HipOffsetZ, 0.115, 1e-7);
        EXPECT_NEAR(m.FootHeight, 0.05, 1e-7);
        EXPECT_NEAR(m.HipOffsetX, 0.01, 1e-7);         // hip 0.01 behind the torso centre
        EXPECT_NEAR(m.KneeAnkleOffsetX, 0.005, 1e-7);  // knee and ankle 0.005 behind it
        EXPECT_NEAR(m.ShoulderOffsetY, 0.098, 1e-7);
        EXPECT_NEAR(m.ShoulderOffsetZ, 0.075, 1e-7);
        EXPECT_NEAR(m.ElbowOffsetZ, 0.009, 1e-7);
        EXPECT_EQ(m.ElbowOffsetY, 0);
        EXPECT_NEAR(m.Lforearm, 0.105, 1e-7);  // lower arm box ends 0.105 before the elbow
        EXPECT_NEAR(m.Length_Heel_Ankle, 0.05, 1e-7);
        EXPECT_NEAR(m.Length_Ankle_Toe_Tip, 0.11, 1e-7);
        EXPECT_NEAR(m.Length_Ankle_IntBorderSole, 0.04, 1e-7);
        EXPECT_NEAR(m.Length_Ankle_ExtBorderSole, 0.04, 1e-7);
        EXPECT_NEAR(m.Torso2NeckYawCenterZ, 0.09, 1e-7);
        EXPECT_NEAR(m.Torso2NeckYawCenterZ + m.NeckYawCenter2NeckPitchCenterZ + m.NeckPitchCenter2HeadCenterZ,
                    0.155,
                    1e-7);  // head centre above the torso centre
        EXPECT_EQ(m.ShankCenter2KneeZ, 0.045);
        EXPECT_EQ(m.ShankCenter2KneeY, -0.01);
    }
}

TEST_F(DataFileModel, ShankLengthOfTheStandardTypesIsTheBoxFormulasValue)
{
    // For types 0 and 2 the knee-to-ankle length equals what the shank box
    // gives: (-ShankRelThigh_Z - ThighRelHip2_Z) + ShankSizeZ / 2 - Lf.
    for (int t : {0, 2}) {
        const Model& m = *models[t];
        const NaoLeg& l = m.param.left_leg;
        const double box =
            static_cast<float>(-l.ShankRelThigh_Z - l.ThighRelHip2_Z) + l.ShankSizeZ / 2 - m.Lf;
        EXPECT_NEAR(m.Lt, box, 1e-8) << "type " << t;
        EXPECT_NEAR(m.Lt, 0.1, 1e-8) << "type " << t;
    }
}

// The legs of types 0 and 2 at the walking engine's built-in crouch
// (0.727726) stand the torso centre at the height the kicks are made for,
// 0.311486 m above the soles.
TEST_F(DataFileModel, StandHeightOfTheWalkingEngine)
{
    for (int t : {0, 2}) {
        const Model& m = *models[t];
        const double torso_center_height = (m.Lf + m.Lt + m.FootHeight) * 0.727726 + m.HipOffsetZ;
        EXPECT_NEAR(torso_center_height, 0.311486, 5e-7) << "type " << t;
    }
}

TEST_F(DataFileModel, ThighTiltFromTheKneeInFrontOfTheHip)
{
    const Model& m = *models[0];
    EXPECT_NEAR(m.Lthigh, std::hypot(0.005, 0.12), 1e-8);
    EXPECT_NEAR(m.ThighAngle, atan2(0.005, 0.12), 1e-8);
    EXPECT_GT(m.Lthigh, m.Lf);
}

TEST_F(DataFileModel, TablesShareTheBuiltinAnglesAndCarryTheRobotsDistances)
{
    const Model& m = *models[0];
    const double ta = m.ThighAngle / kDeg;
    for (int side : {-1, 1}) {
        const double s = side;
        const DHKKTable<8>& T = side < 0 ? m.LegLeftDHKK : m.LegRightDHKK;
        const FrameRow(&B)[8] = side < 0 ? kBuiltinLegLeft : kBuiltinLegRight;
        // Angles equal the built-in ones but where the thigh tilts (frames
        // 3 and 4); distances from the simulator's numbers.
        const FrameRow want[8] = {{0, 0.055 - 0.115, B[0].alpha_deg, B[0].theta_deg},
                                  {0.01, -s * std::sqrt(2.0) * 0.055, B[1].alpha_deg, B[1].theta_deg},
                                  {0, 0, B[2].alpha_deg, B[2].theta_deg},
                                  {0, 0, B[3].alpha_deg, 180 - ta},
                                  {std::hypot(0.005, 0.12), 0, B[4].alpha_deg, ta},
                                  {0.1, 0, B[5].alpha_deg, B[5].theta_deg},
                                  {0, 0, B[6].alpha_deg, B[6].theta_deg},
                                  {0, -0.05, B[7].alpha_deg, B[7].theta_deg}};
        expect_table(T, want, side < 0 ? "left leg" : "right leg");

        const DHKKTable<6>& A = side < 0 ? m.ArmLeftDHKK : m.ArmRightDHKK;
        const FrameRow(&BA)[6] = side < 0 ? kBuiltinArmLeft : kBuiltinArmRight;
        const FrameRow arm[6] = {
            {0, 0.075, BA[0].alpha_deg, BA[0].theta_deg}, {0, -s * 0.098, BA[1].alpha_deg, BA[1].theta_deg},
            {0, 0.009, BA[2].alpha_deg, BA[2].theta_deg}, {0, 0.09, BA[3].alpha_deg, BA[3].theta_deg},
            {0, 0, BA[4].alpha_deg, BA[4].theta_deg},     {0.105, 0, BA[5].alpha_deg, BA[5].theta_deg}};
        expect_table(A, arm, side < 0 ? "left arm" : "right arm");
    }
    // Neck pitch centre 0.15 above the torso centre, head centre 0.005 above it.
    const FrameRow neck[4] = {{0, 0, 0, 0}, {0, 0.15, 0, 180}, {0, 0, 90, 180}, {0, 0.005, 90, 0}};
    expect_table(m.NeckheadDHKK, neck, "neck-head");
}

TEST(GenericDHKK, BuiltinNeckPointsCoincideYetTablesAreFinite)
{
    const Model m(2, 0, 0, "./");
    for (int j = 0; j < 4; j++) {
        EXPECT_TRUE(std::isfinite(m.NeckheadDHKK.d[j]));
        EXPECT_TRUE(std::isfinite(m.NeckheadDHKK.r[j]));
        EXPECT_TRUE(std::isfinite(m.NeckheadDHKK.alpha[j]));
        EXPECT_TRUE(std::isfinite(m.NeckheadDHKK.theta[j]));
    }
}

TEST(GenericDHKK, AngleOffsetsAreAddedToTheta)
{
    const Model m(0, 0, 0, "./");
    Vector_<double> P[4] = {Vector_<double>(0, 0, 0), Vector_<double>(0, 0, 0), Vector_<double>(1, 0, 0),
                            Vector_<double>(1, 0, 0)};
    Vector_<double> Z[4] = {Vector_<double>(0, 0, 1), Vector_<double>(0, 0, 1), Vector_<double>(0, 0, 1),
                            Vector_<double>(0, 1, 0)};
    const double q0[2] = {0, 0}, q1[2] = {0.25, -0.5};
    double d0[2], r0[2], a0[2], t0[2], d1[2], r1[2], a1[2], t1[2];
    m.calc_generic_DHKK_Param(2, P, Z, Vector_<double>(1, 0, 0), q0, d0, r0, a0, t0);
    m.calc_generic_DHKK_Param(2, P, Z, Vector_<double>(1, 0, 0), q1, d1, r1, a1, t1);
    // Two parallel z axes 1 apart along x: d = 1, no twist.
    EXPECT_NEAR(d0[1], 1, 1e-15);
    EXPECT_NEAR(a0[1], 0, 1e-15);
    for (int k = 0; k < 2; k++) {
        EXPECT_EQ(d1[k], d0[k]);
        EXPECT_EQ(r1[k], r0[k]);
        EXPECT_EQ(a1[k], a0[k]);
        EXPECT_NEAR(t1[k], t0[k] + q1[k], 1e-15);
    }
}

TEST(ChainEvaluation, JointAnglesGoToTheirFramesOnly)
{
    const Model m(0, 0, 0, "./");
    const double q[6] = {0.1, 0.2, 0.3, 0.4, 0.5, 0.6};
    double ct[8], st[8], ca[8], sa[8], d[8], r[8];
    m.getLegDHKKParam(ct, st, ca, sa, d, r, q, 1);
    for (int j = 0; j < 8; j++) {
        const double th = m.LegRightDHKK.theta[j] + ((j >= 1 && j <= 6) ? q[j - 1] : 0);
        EXPECT_NEAR(ct[j], cos(th), 1e-15) << j;
        EXPECT_NEAR(st[j], sin(th), 1e-15) << j;
        EXPECT_NEAR(ca[j], cos(m.LegRightDHKK.alpha[j]), 1e-15) << j;
        EXPECT_NEAR(sa[j], sin(m.LegRightDHKK.alpha[j]), 1e-15) << j;
        EXPECT_EQ(d[j], m.LegRightDHKK.d[j]);
        EXPECT_EQ(r[j], m.LegRightDHKK.r[j]);
    }
    double cta[6], sta[6], caa[6], saa[6], da[6], ra[6];
    m.getArmDHKKParam(cta, sta, caa, saa, da, ra, q, -1);
    for (int j = 0; j < 6; j++) {
        const double th = m.ArmLeftDHKK.theta[j] + ((j >= 1 && j <= 4) ? q[j - 1] : 0);
        EXPECT_NEAR(cta[j], cos(th), 1e-15) << j;
        EXPECT_NEAR(sta[j], sin(th), 1e-15) << j;
    }
    double ctn[4], stn[4], can[4], san[4], dn[4], rn[4];
    m.getNeckheadDHKKParam(ctn, stn, can, san, dn, rn, q);
    for (int j = 0; j < 4; j++) {
        const double th = m.NeckheadDHKK.theta[j] + ((j >= 1 && j <= 2) ? q[j - 1] : 0);
        EXPECT_NEAR(ctn[j], cos(th), 1e-15) << j;
    }
}

}  // namespace
