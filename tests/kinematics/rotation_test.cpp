#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "kin_test_util.h"
#include "kinematics/get_rotation_matrix_from_rotation_vector.h"
#include "kinematics/get_rotation_vector_from_rotation_matrix.h"

typedef Vector_<double> Vec;
typedef Matrix_<double> Mat;
using kintest::max_abs_diff;

namespace {

Vec unit(const Vec& v) { return v * (1.0 / v.norm()); }

TEST(RotationMatrix, AboutCoordinateAxesMatchesElementaryRotations)
{
    struct Case {
        Vec axis;
        Mat (*elementary)(double);
    } cases[] = {
        {Vec(1, 0, 0), kintest::rot_x}, {Vec(0, 1, 0), kintest::rot_y}, {Vec(0, 0, 1), kintest::rot_z}};
    for (const Case& c : cases)
        for (double a : {-2.5, -0.4, 0.0, 0.7, 3.0})
            EXPECT_LT(max_abs_diff(get_rotation_matrix_from_rotation_vector(a, c.axis), c.elementary(a)),
                      1e-15);
}

TEST(RotationMatrix, FromRotationVector)
{
    // Shorter than 1e-4: the identity.
    EXPECT_EQ(max_abs_diff(get_rotation_matrix_from_rotation_vector(Vec(5e-5, -5e-5, 0)), Mat()), 0);
    // A quarter turn about z takes x to y: column 0 is (0, 1, 0).
    const Mat R = get_rotation_matrix_from_rotation_vector(Vec(0, 0, M_PI / 2));
    EXPECT_NEAR(R[0][0], 0, 1e-15);
    EXPECT_NEAR(R[1][0], 1, 1e-15);
    EXPECT_NEAR(R[2][0], 0, 1e-15);
    // The axis of a rotation vector is left in place, and the result is
    // orthonormal with determinant 1.
    const Vec rv(0.3, -0.8, 1.1);
    const Mat Q = get_rotation_matrix_from_rotation_vector(rv);
    EXPECT_LT(max_abs_diff(Q * rv, rv), 1e-15);
    EXPECT_LT(max_abs_diff(Q * transpose(Q), Mat()), 1e-15);
    const Vec c0(Q[0][0], Q[1][0], Q[2][0]), c1(Q[0][1], Q[1][1], Q[2][1]), c2(Q[0][2], Q[1][2], Q[2][2]);
    EXPECT_NEAR(c0.crossprod(c1) * c2, 1, 1e-15);
}

TEST(AxisAngle, IdentityAndNonRotations)
{
    double angle = 1;
    Vec axis(1, 1, 1);
    get_axis_angle_from_rotation_matrix(Mat(), angle, axis);
    EXPECT_EQ(angle, 0);
    EXPECT_EQ(max_abs_diff(axis, Vec(0, 0, 1)), 0);
    EXPECT_EQ(max_abs_diff(get_rotation_vector_from_rotation_matrix(Mat()), Vec(0, 0, 0)), 0);

    // Trace outside [-1, 3] is no rotation: angle 0, axis (0, 0, 1).
    for (double s : {2.0, -0.5}) {
        angle = 1;
        axis = Vec(1, 0, 0);
        get_axis_angle_from_rotation_matrix(s * Mat(), angle, axis);
        EXPECT_EQ(angle, 0) << s;
        EXPECT_EQ(max_abs_diff(axis, Vec(0, 0, 1)), 0) << s;
    }
}

TEST(AxisAngle, NearZeroAndNearPiTheAxisIsUnknown)
{
    // A half turn about x (trace -1): angle pi, but the axis is reported as
    // (0, 0, 1) whatever it really is.
    double angle;
    Vec axis(0, 0, 0);
    get_axis_angle_from_rotation_matrix(kintest::rot_x(M_PI), angle, axis);
    EXPECT_NEAR(angle, M_PI, 1e-7);
    EXPECT_EQ(max_abs_diff(axis, Vec(0, 0, 1)), 0);
    const Vec rv = get_rotation_vector_from_rotation_matrix(kintest::rot_x(M_PI));
    EXPECT_NEAR(rv[2], M_PI, 1e-7);
    EXPECT_EQ(rv[0], 0);
    EXPECT_EQ(rv[1], 0);

    // Within 0.001 degree of zero: the small angle stays, the axis is z.
    get_axis_angle_from_rotation_matrix(kintest::rot_x(1e-5), angle, axis);
    EXPECT_LT(angle, 1.7453292519057202e-05);
    EXPECT_EQ(max_abs_diff(axis, Vec(0, 0, 1)), 0);
}

TEST(AxisAngle, RoundTripAwayFromTheSingularAngles)
{
    std::mt19937 gen(12345);
    std::uniform_real_distribution<double> ang(0.001, M_PI - 0.001), comp(-1, 1);
    for (int i = 0; i < 500; i++) {
        const double a = ang(gen);
        Vec u(comp(gen), comp(gen), comp(gen));
        if (u.norm() < 0.1) continue;
        u = unit(u);
        const Mat R = get_rotation_matrix_from_rotation_vector(a, u);
        double a2;
        Vec u2(0, 0, 0);
        get_axis_angle_from_rotation_matrix(R, a2, u2);
        // acos loses precision near the ends of its range: sqrt(eps)-ish
        // there, far better in the middle.
        EXPECT_NEAR(a2, a, 1e-7) << i;
        EXPECT_LT(max_abs_diff(u2, u), 1e-6) << i;
        // And back to the same matrix through the rotation vector.
        EXPECT_LT(
            max_abs_diff(
                get_rotation_matrix_from_rotation_vector(get_rotation_vector_from_rotation_matrix(R)), R),
            1e-7)
            << i;
    }
}

TEST(RotationBetweenDirections, TakesTheFirstDirectionOntoTheSecond)
{
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> comp(-2, 2);
    for (int i = 0; i < 200; i++) {
        const Vec a(comp(gen), comp(gen), comp(gen)), b(comp(gen), comp(gen), comp(gen));
        if (a.norm() < 0.1 || b.norm() < 0.1 || unit(a).crossprod(unit(b)).norm() < 1e-3) continue;
        const Mat R = get_rotation_matrix_from_initial_and_image_vectors(a, b);
        EXPECT_LT(max_abs_diff(R * unit(a), unit(b)), 1e-12) << i;
        EXPECT_LT(max_abs_diff(R * transpose(R), Mat()), 1e-12) << i;
        // The axis a x b stays in place: the smallest such rotation.
        const Vec w = a.crossprod(b);
        EXPECT_LT(max_abs_diff(R * w, w), 1e-12) << i;
    }
}

TEST(RotationBetweenDirections, ParallelOppositeAndZeroGiveIdentity)
{
    const Vec a(1, 2, 3);
    EXPECT_EQ(max_abs_diff(get_rotation_matrix_from_initial_and_image_vectors(a, 2 * a), Mat()), 0);
    EXPECT_EQ(max_abs_diff(get_rotation_matrix_from_initial_and_image_vectors(a, -a), Mat()), 0);
    // A zero-length direction has no direction: identity with a message
    // instead of a matrix of NaN.
    testing::internal::CaptureStderr();
    const Mat Z = get_rotation_matrix_from_initial_and_image_vectors(Vec(0, 0, 0), a);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(max_abs_diff(Z, Mat()), 0);
    EXPECT_NE(err.find("zero-length direction"), std::string::npos);
}

TEST(RotationBetweenDirections, EarlierFormExactUpToAQuarterTurn)
{
    const Vec a(1, 0, 0);
    for (double t : {0.2, 0.9, M_PI / 2}) {
        const Vec b(2 * cos(t), 2 * sin(t), 0);
        const Mat R = old_basic_not_orth_get_rotation_matrix_from_initial_and_image_vectors(a, b);
        EXPECT_LT(max_abs_diff(R, kintest::rot_z(t)), 1e-7) << t;
    }
    // Beyond 90 degrees the arcsine folds the angle back: 120 degrees come
    // out as 60.
    const Vec b(cos(2 * M_PI / 3), sin(2 * M_PI / 3), 0);
    const Mat R = old_basic_not_orth_get_rotation_matrix_from_initial_and_image_vectors(a, b);
    EXPECT_LT(max_abs_diff(R, kintest::rot_z(M_PI / 3)), 1e-12);
    EXPECT_EQ(
        max_abs_diff(old_basic_not_orth_get_rotation_matrix_from_initial_and_image_vectors(a, -a), Mat()), 0);
}

}  // namespace
