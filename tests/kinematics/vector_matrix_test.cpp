#include <gtest/gtest.h>

#include "kin_test_util.h"
#include "kinematics/cmat.h"
#include "kinematics/vect.h"

typedef Vector_<double> Vec;
typedef Matrix_<double> Mat;

namespace {

const double kCount[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};

TEST(Vector, ConstructionCopyAndAssignmentAreDeep)
{
    Vec a(1, 2, 3);
    Vec b(a);
    EXPECT_NE(a.v, b.v);
    b[0] = 10;
    EXPECT_EQ(a[0], 1);
    Vec c(0, 0, 0);
    double* before = c.v;
    c = a;
    EXPECT_EQ(c.v, before);  // copies into its own array
    EXPECT_EQ(c[2], 3);
    const Vec& same = c;  // self-assignment, through a reference
    c = same;
    EXPECT_EQ(c[0], 1);
    EXPECT_EQ(c[1], 2);
    EXPECT_EQ(c[2], 3);
}

TEST(Vector, DestroyTwiceIsHarmless)
{
    Vec a(1, 2, 3);
    a.destroy();
    EXPECT_EQ(a.v, nullptr);
    a.destroy();  // and the destructor a third time
}

TEST(Vector, NormDotAndCross)
{
    EXPECT_DOUBLE_EQ(Vec(0, 0, 0).norm(), 0);
    EXPECT_DOUBLE_EQ(Vec(3, 4, 12).norm(), 13);
    EXPECT_DOUBLE_EQ(Vec(1, 2, 3) * Vec(4, -5, 6), 4 - 10 + 18);

    const Vec z = Vec(1, 0, 0).crossprod(Vec(0, 1, 0));
    EXPECT_EQ(z[0], 0);
    EXPECT_EQ(z[1], 0);
    EXPECT_EQ(z[2], 1);
    const Vec y = Vec(0, 0, 1).crossprod(Vec(1, 0, 0));
    EXPECT_EQ(y[1], 1);
    const Vec a(1.5, -2, 0.25);
    EXPECT_EQ(kintest::max_abs_diff(a.crossprod(a), Vec(0, 0, 0)), 0);
    // Anticommutative and orthogonal to both factors.
    const Vec b(-0.5, 3, 2);
    EXPECT_NEAR(kintest::max_abs_diff(a.crossprod(b), -b.crossprod(a)), 0, 1e-15);
    EXPECT_NEAR(a.crossprod(b) * a, 0, 1e-14);
    EXPECT_NEAR(a.crossprod(b) * b, 0, 1e-14);
}

TEST(Vector, ArithmeticOperators)
{
    const Vec a(1, 2, 3), b(0.5, -1, 4);
    struct Case {
        const char* what;
        Vec got;
        Vec want;
    } cases[] = {
        {"a + b", a + b, Vec(1.5, 1, 7)},
        {"a - b", a - b, Vec(0.5, 3, -1)},
        {"-a", -a, Vec(-1, -2, -3)},
        {"a * 2", a * 2, Vec(2, 4, 6)},
        {"0.5 * a", 0.5 * a, Vec(0.5, 1, 1.5)},
        {"scalmult", scalmult(b, -2.0), Vec(-1, 2, -8)},
    };
    for (const Case& c : cases) EXPECT_EQ(kintest::max_abs_diff(c.got, c.want), 0) << c.what;
}

TEST(Matrix, DefaultIsIdentityAndArrayIsRowByRow)
{
    const Mat I;
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++) EXPECT_EQ(I[i][j], i == j ? 1 : 0);
    const Mat M(kCount);
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(M.row[i], M.m + 3 * i);
        for (int j = 0; j < 3; j++) EXPECT_EQ(M[i][j], 3 * i + j + 1);
    }
    EXPECT_EQ(trace(I), 3);
    EXPECT_EQ(trace(M), 15);
    EXPECT_EQ(kintest::max_abs_diff(transpose(I), I), 0);
}

TEST(Matrix, CopyAndAssignmentAreDeepAndSelfAssignmentSafe)
{
    Mat A(kCount);
    Mat B(A);
    EXPECT_NE(A.m, B.m);
    B[1][1] = -1;
    EXPECT_EQ(A[1][1], 5);
    Mat C;
    C = A;
    EXPECT_EQ(kintest::max_abs_diff(C, A), 0);
    const Mat& same = A;  // self-assignment, through a reference
    A = same;
    EXPECT_EQ(A[2][0], 7);
    EXPECT_EQ(A.row[2], A.m + 6);
}

TEST(Matrix, DestroyTwiceDoesNotDoubleFree)
{
    Mat A(kCount);
    A.destroy();
    EXPECT_EQ(A.m, nullptr);
    A.destroy();  // and the destructor a third time; ASan or glibc would abort on a double free
}

TEST(Matrix, ProductsAgainstHandComputedValues)
{
    const Mat A(kCount);
    const double bv[9] = {0, 1, 0, -1, 0, 0, 0, 0, 2};
    const Mat B(bv);
    // A * B by hand: columns of B pick and scale A's columns.
    const double abv[9] = {-2, 1, 6, -5, 4, 12, -8, 7, 18};
    EXPECT_EQ(kintest::max_abs_diff(A * B, Mat(abv)), 0);
    const double bav[9] = {4, 5, 6, -1, -2, -3, 14, 16, 18};
    EXPECT_EQ(kintest::max_abs_diff(B * A, Mat(bav)), 0);
    const Vec mv = A * Vec(1, 0, -1);
    EXPECT_EQ(kintest::max_abs_diff(mv, Vec(-2, -2, -2)), 0);

    const double tv[9] = {1, 4, 7, 2, 5, 8, 3, 6, 9};
    EXPECT_EQ(kintest::max_abs_diff(transpose(A), Mat(tv)), 0);
    const double sum[9] = {1, 3, 3, 3, 5, 6, 7, 8, 11};
    EXPECT_EQ(kintest::max_abs_diff(A + B, Mat(sum)), 0);
    const double diff[9] = {1, 1, 3, 5, 5, 6, 7, 8, 7};
    EXPECT_EQ(kintest::max_abs_diff(A - B, Mat(diff)), 0);
    const double half[9] = {0.5, 1, 1.5, 2, 2.5, 3, 3.5, 4, 4.5};
    EXPECT_EQ(kintest::max_abs_diff(0.5 * A, Mat(half)), 0);
}

TEST(Matrix, RotationTimesItsTransposeIsIdentity)
{
    const Mat R = kintest::rot_z(0.3) * kintest::rot_y(-1.1) * kintest::rot_x(2.0);
    EXPECT_LT(kintest::max_abs_diff(R * transpose(R), Mat()), 1e-15);
    // (AB)^T = B^T A^T
    const Mat A(kCount);
    EXPECT_LT(kintest::max_abs_diff(transpose(A * R), transpose(R) * transpose(A)), 1e-14);
}

}  // namespace
