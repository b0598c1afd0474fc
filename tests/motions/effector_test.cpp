#include "motions/effector.h"

#include <gtest/gtest.h>

#include <cmath>

#include "kinematics/cmat.h"
#include "kinematics/get_rotation_matrix_from_rotation_vector.h"
#include "kinematics/vect.h"

namespace {

typedef Vector_<double> V;
typedef Matrix_<double> M;
const double kPi = 3.14159265358979323846;

void expect_vec(const V& v, double x, double y, double z, double tol = 1e-12)
{
    EXPECT_NEAR(v[0], x, tol);
    EXPECT_NEAR(v[1], y, tol);
    EXPECT_NEAR(v[2], z, tol);
}

void expect_identity(const M& m)
{
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++) EXPECT_DOUBLE_EQ(m[i][j], i == j ? 1.0 : 0.0);
}

void expect_no_arcs(const Effector<double>& e)
{
    EXPECT_EQ(e.endpoint_angle, 0.0);
    EXPECT_EQ(e.endpoint_ratio, 1.0);
    expect_vec(e.endpoint_axis, 0, 0, 1);
    expect_vec(e.endpoint_centre, 0, 0, 0);
    expect_identity(e.endpoint_rotM);
    EXPECT_EQ(e.orient_angle, 0.0);
    expect_vec(e.orient_axis, 0, 0, 1);
    expect_identity(e.orient_rotM);
}

M rot(double a, double x, double y, double z)
{
    return get_rotation_matrix_from_rotation_vector(a, V(x, y, z));
}

TEST(Effector, PoseConstructorKeepsThePoseWithoutArcs)
{
    const Effector<double> e(V(0.1, -0.2, 0.3), M());
    expect_vec(e.target_pos, 0.1, -0.2, 0.3);
    expect_identity(e.rotM);
    EXPECT_EQ(e.rot_angle, 0.0);
    expect_vec(e.rot_axis, 0, 0, 1);
    expect_vec(e.rot_vector, 0, 0, 0);
    EXPECT_EQ(e.servo_gain, 0.25);
    EXPECT_EQ(e.traj_profile, 0);
    expect_no_arcs(e);
}

TEST(Effector, DefaultSlotIsAPoseWithoutArcs)
{
    const Effector<double> e;
    expect_vec(e.target_pos, 0, 0, 0);
    expect_identity(e.rotM);
    EXPECT_EQ(e.servo_gain, 0.25);
    // Fully set, so a copy of an unassigned slot is well defined.
    EXPECT_EQ(e.rot_angle, 0.0);
    EXPECT_EQ(e.endpoint_angle, 0.0);
    EXPECT_EQ(e.endpoint_ratio, 1.0);
    EXPECT_EQ(e.orient_angle, 0.0);
    EXPECT_EQ(e.traj_profile, 0);
}

struct RotationCase {
    double angle;
    double x, y, z;
    double expected_angle;
    double ax, ay, az;
};

class EffectorRotation : public ::testing::TestWithParam<RotationCase> {};

TEST_P(EffectorRotation, DerivesAngleAndAxis)
{
    const RotationCase& c = GetParam();
    const Effector<double> e(V(0, 0, 0), rot(c.angle, c.x, c.y, c.z));
    EXPECT_NEAR(e.rot_angle, c.expected_angle, 1e-9);
    expect_vec(e.rot_axis, c.ax, c.ay, c.az, 1e-9);
    // Below the threshold the rotation vector stays as the conversion gives
    // it (tiny), only angle and axis are snapped.
    expect_vec(e.rot_vector, c.expected_angle * c.ax, c.expected_angle * c.ay, c.expected_angle * c.az, 1e-5);
}

INSTANTIATE_TEST_SUITE_P(Rotations, EffectorRotation,
                         ::testing::Values(RotationCase{0.0, 0, 0, 1, 0.0, 0, 0, 1},
                                           RotationCase{2e-6, 1, 0, 0, 0.0, 0, 0, 1},
                                           RotationCase{0.1, 1, 0, 0, 0.1, 1, 0, 0},
                                           RotationCase{-0.7, 0, 1, 0, 0.7, 0, -1, 0},
                                           RotationCase{2.0, 0, 0, 1, 2.0, 0, 0, 1}));

TEST(Effector, EndPointArcTurnsAboutTheCentre)
{
    Effector<double> e(V(0, 0, 0), M());
    e.setTransfoForSpecRotMoveEndPoint(V(1, 0, 0), V(0, 0, 0), V(0, 0, 1), kPi / 2, 1.0);
    expect_vec(e.target_pos, 0, 1, 0, 1e-12);
    EXPECT_EQ(e.endpoint_angle, kPi / 2);
    e.setTransfoForSpecRotMoveEndPoint(V(1, 0, 0), V(0, 0, 0), V(0, 0, 1), kPi / 2, 0.5);
    expect_vec(e.target_pos, 0, 0.5, 0, 1e-12);
    EXPECT_EQ(e.endpoint_ratio, 0.5);
    // About an off-origin centre, from the effector's own position.
    Effector<double> f(V(0.2, 0.1, -0.3), M());
    f.setTransfoForSpecRotMoveEndPoint(f.target_pos, V(0.2, 0.1, 0), V(0, 1, 0), kPi / 2, 1.0);
    expect_vec(f.target_pos, -0.1, 0.1, 0, 1e-12);
}

TEST(Effector, OrientationArcTurnsTheGivenOrientation)
{
    Effector<double> e(V(0, 0, 0), M());
    const M R = rot(0.3, 1, 0, 0);
    e.setTransfoForSpecRotMoveOrientOnly(R, V(0, 0, 1), 0.5);
    const M expected = rot(0.5, 0, 0, 1) * R;
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++) EXPECT_NEAR(e.rotM[i][j], expected[i][j], 1e-12);
    EXPECT_EQ(e.orient_angle, 0.5);
    expect_vec(e.orient_axis, 0, 0, 1);
}

TEST(Effector, BothArcsFromTheEffectorsOwnPose)
{
    Effector<double> e(V(0.05, 0.05, -0.3), M());
    e.setTransfoForSpecRotMoveBothEndPointOrient(e.rotM, e.target_pos, V(0, 0.05, -0.1), V(0, 1, 0), kPi / 2,
                                                 V(0, 1, 0), kPi / 2, 1.0);
    // (0.05, 0, -0.2) from the centre turned a quarter about y gives (-0.2, 0, -0.05).
    expect_vec(e.target_pos, -0.2, 0.05, -0.15, 1e-12);
    EXPECT_NEAR(e.rotM[0][2], 1.0, 1e-12);
    EXPECT_EQ(e.endpoint_angle, kPi / 2);
    EXPECT_EQ(e.orient_angle, kPi / 2);
}

TEST(Effector, SettersClearTheArcsTheyMove)
{
    const auto with_arcs = [] {
        Effector<double> e(V(0.1, 0, -0.3), M());
        e.setTransfoForSpecRotMoveBothEndPointOrient(e.rotM, e.target_pos, V(0, 0, 0), V(0, 1, 0), 0.5,
                                                     V(0, 1, 0), 0.4, 1.2);
        return e;
    };
    {
        Effector<double> e = with_arcs();
        e.setPos(e.target_pos);
        EXPECT_EQ(e.endpoint_angle, 0.0);
        EXPECT_EQ(e.endpoint_ratio, 1.0);
        EXPECT_EQ(e.orient_angle, 0.4);
    }
    {
        Effector<double> e = with_arcs();
        e.setRotM(e.rotM);
        EXPECT_EQ(e.orient_angle, 0.0);
        EXPECT_EQ(e.endpoint_angle, 0.5);
    }
    {
        Effector<double> e = with_arcs();
        const V p(e.target_pos);
        const M R(e.rotM);
        e.addTrans(V(0, 0, 0));
        expect_no_arcs(e);
        expect_vec(e.target_pos, p[0], p[1], p[2], 0);
        for (int i = 0; i < 3; i++)
            for (int j = 0; j < 3; j++) EXPECT_EQ(e.rotM[i][j], R[i][j]);
    }
    {
        Effector<double> e = with_arcs();
        e.ClearTransfo();
        expect_no_arcs(e);
    }
}

TEST(Effector, AddTransMovesThePositionOnly)
{
    Effector<double> e(V(0.1, 0.2, 0.3), rot(0.2, 0, 1, 0));
    e.addTrans(V(-0.1, 0.05, 0.01));
    expect_vec(e.target_pos, 0.0, 0.25, 0.31, 1e-15);
    EXPECT_NEAR(e.rot_angle, 0.2, 1e-12);
}

TEST(Effector, CopiesAreDeepAndComplete)
{
    Effector<double> e(V(0.1, 0, -0.3), M());
    e.setTransfoForSpecRotMoveBothEndPointOrient(e.rotM, e.target_pos, V(0, 0, 0), V(0, 1, 0), 0.5,
                                                 V(0, 1, 0), 0.4, 1.2);
    e.setTrajProfileCubic();
    e.setGainForServo(0.7);
    Effector<double> c(e);
    Effector<double> a;
    a = e;
    for (const Effector<double>* x : {&c, &a}) {
        EXPECT_EQ(x->endpoint_angle, 0.5);
        EXPECT_EQ(x->endpoint_ratio, 1.2);
        EXPECT_EQ(x->orient_angle, 0.4);
        EXPECT_EQ(x->traj_profile, 1);
        EXPECT_EQ(x->servo_gain, 0.7);
        EXPECT_EQ(x->target_pos[0], e.target_pos[0]);
    }
    e.target_pos[0] = 9;
    e.rotM[0][0] = 9;
    EXPECT_NE(c.target_pos[0], 9);
    EXPECT_NE(a.rotM[0][0], 9);
    e.setTrajProfileLinear();
    EXPECT_EQ(e.traj_profile, 0);
}

}  // namespace
