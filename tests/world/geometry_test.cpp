// Plane geometry: circle intersections checked against hand-computed
// points and against the circles themselves, the crossing predicates with
// their dead band, and the angle wrappers.
#include <gtest/gtest.h>

#include <cmath>

#include "world/geometry.h"

namespace {

struct CircleCase {
    const char* name;
    double x1, y1, r1, x2, y2, r2;
    int count;
    double x, y;  // expected point when count > 0
};

void PrintTo(const CircleCase& c, std::ostream* os) { *os << c.name; }

class TwoCirclesCases : public ::testing::TestWithParam<CircleCase> {};

}  // namespace

TEST_P(TwoCirclesCases, CountAndPoint)
{
    const CircleCase& c = GetParam();
    double x = 99, y = 99;
    EXPECT_EQ(TwoCircles(c.x1, c.y1, c.r1, c.x2, c.y2, c.r2, x, y), c.count);
    if (c.count == 0) {
        EXPECT_EQ(x, 99);  // no point written
        EXPECT_EQ(y, 99);
        return;
    }
    EXPECT_NEAR(x, c.x, 1e-9);
    EXPECT_NEAR(y, c.y, 1e-9);
    // The point lies on both circles.
    EXPECT_NEAR(std::hypot(x - c.x1, y - c.y1), c.r1, 1e-9);
    EXPECT_NEAR(std::hypot(x - c.x2, y - c.y2), c.r2, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    HandComputed, TwoCirclesCases,
    ::testing::Values(CircleCase{"outer_tangent", 0, 0, 1, 2, 0, 1, 1, 1, 0},
                      CircleCase{"outer_tangent_unequal", 1, 1, 1, 1, 4, 2, 1, 1, 2},
                      CircleCase{"inner_tangent", 0, 0, 3, 1, 0, 2, 1, 3, 0},
                      CircleCase{"inner_tangent_second_larger", 0, 0, 1, 0, -2, 3, 1, 0, 1},
                      CircleCase{"two_points_left_of_first_to_second", 0, 0, 5, 6, 0, 5, 2, 3, 4},
                      CircleCase{"two_points_swapped", 6, 0, 5, 0, 0, 5, 2, 3, -4},
                      // Centres (1, 1) and (1, 9), radii 5: points (1 +- 3, 5); to the left
                      // of the upward line is x = 1 - 3.
                      CircleCase{"two_points_rotated", 1, 1, 5, 1, 9, 5, 2, -2, 5},
                      // Centres (0, 0) and (3, 4), radii 5 and sqrt(10): the circles meet
                      // where 3x + 4y = 20, at (0, 5) (left of the line) and (4.8, 1.4).
                      CircleCase{"two_points_diagonal", 0, 0, 5, 3, 4, std::sqrt(10.0), 2, 0, 5},
                      CircleCase{"identical", 1, 2, 3, 1, 2, 3, 3, 4, 2},
                      CircleCase{"disjoint", 0, 0, 1, 5, 0, 1, 0, 0, 0},
                      CircleCase{"inside", 0, 0, 5, 1, 0, 1, 0, 0, 0},
                      CircleCase{"concentric_different_radii", 2, 2, 1, 2, 2, 3, 0, 0, 0}),
    [](const ::testing::TestParamInfo<CircleCase>& i) { return std::string(i.param.name); });

TEST(TwoCircles, LeftHandSolutionForEveryDirection)
{
    // Rotating the two-landmark set-up must always give the point to the left
    // of the line from the first centre to the second.
    for (int k = 0; k < 36; ++k) {
        const double a = k * M_PI / 18.0;
        const double x2 = 10 * std::cos(a), y2 = 10 * std::sin(a);
        double x = 0, y = 0;
        ASSERT_EQ(TwoCircles(0, 0, 6, x2, y2, 8, x, y), 2) << k;
        // 6-8-10 right triangle: the point is 6 m along the direction rotated
        // by atan2(8, 6) to the left.
        const double b = a + std::atan2(8.0, 6.0);
        EXPECT_NEAR(x, 6 * std::cos(b), 1e-9) << k;
        EXPECT_NEAR(y, 6 * std::sin(b), 1e-9) << k;
        EXPECT_GT(x2 * y - y2 * x, 0.0) << k;
    }
}

TEST(TwoCircles, BarelyTouchingByRoundingIsNoSolutionAndKeepsRunning)
{
    // Circles that touch on paper: the squared distance rounds to just below
    // (r1 + r2)^2, so the outer-contact test misses and the square root's
    // argument comes out slightly negative.
    const double r1 = 3.03, r2 = 2.04, cx = 4.914, cy = -1.248;
    const double d2 = cx * cx + cy * cy;
    ASSERT_LT(d2, (r1 + r2) * (r1 + r2));
    const double a2 = std::sqrt(d2);
    const double qx = ((r1 * r1 - r2 * r2) / a2 + a2) / 2;
    ASSERT_LT(r1 * r1 - qx * qx, 0.0);

    double x = 99, y = 99;
    testing::internal::CaptureStderr();
    const int n = TwoCircles(0, 0, r1, cx, cy, r2, x, y);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(n, 0);
    EXPECT_EQ(err, "(r1sq-_x*_x) < 0.0 ERROR\n");
    EXPECT_EQ(x, 99);
    EXPECT_EQ(y, 99);
}

TEST(TwoCircles, DegenerateGuardsReportAndGiveNoSolution)
{
    struct Case {
        int (*call)(double&, double&);
        const char* message;
    } cases[] = {
        {[](double& x, double& y) { return TwoCircles00(1, 0, 1, x, y); }, "_a2 == 0.0 ERROR\n"},
        {[](double& x, double& y) { return TwoCircles0b(1, 0, 0, 1, x, y); }, "a2 == 0.0 ERROR\n"},
        {[](double& x, double& y) { return TwoCircles00(1, 5, 1, x, y); }, "(r1sq-_x*_x) < 0.0 ERROR\n"},
        // Zero radii at the same centre: the outer-contact case with no sum.
        {[](double& x, double& y) { return TwoCircles(1, 1, 0, 1, 1, 0, x, y); }, "(_r1+_r2) == 0.0 ERROR\n"},
    };
    for (const Case& c : cases) {
        double x = 99, y = 99;
        testing::internal::CaptureStderr();
        EXPECT_EQ(c.call(x, y), 0) << c.message;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.message);
        EXPECT_EQ(x, 99) << c.message;
    }
}

TEST(TwoCircles, PartsAgree)
{
    double px = 0, py = 0;
    ASSERT_EQ(TwoCircles00(5, 6, 5, px, py), 2);
    EXPECT_DOUBLE_EQ(px, 3);
    EXPECT_DOUBLE_EQ(py, 4);
    ASSERT_EQ(TwoCircles0b(5, 0, 6, 5, px, py), 2);  // second centre straight up
    EXPECT_NEAR(px, -4, 1e-12);
    EXPECT_NEAR(py, 3, 1e-12);
    double dx = 0, dy = 0;
    SubVec(5, 7, 2, 3, dx, dy);
    EXPECT_EQ(dx, 3);
    EXPECT_EQ(dy, 4);
    EXPECT_EQ(Length2(dx, dy), 25);
}

TEST(Predicates, AreaSignDeadBand)
{
    Point_t a{0, 0}, b{2, 0};
    struct Case {
        Point_t c;
        int sign;
    } cases[] = {
        {{1, 1}, 1},                       // area2 2
        {{1, -1}, -1},    {{1, 0.25}, 0},  // area2 0.5: not above the band
        {{1, 0.2501}, 1}, {{1, -0.25}, 0}, {{5, 0}, 0},
    };
    for (Case& c : cases) {
        EXPECT_EQ(AreaSign(a, b, c.c), c.sign) << c.c.x << " " << c.c.y;
        EXPECT_EQ(Collinear(a, b, c.c), c.sign == 0);
        EXPECT_EQ(Left(a, b, c.c), c.sign > 0);
    }
}

TEST(Predicates, XorOfNegations)
{
    EXPECT_FALSE(Xor(true, true));
    EXPECT_FALSE(Xor(false, false));
    EXPECT_TRUE(Xor(true, false));
    EXPECT_TRUE(Xor(false, true));
}

TEST(Predicates, IntersectProperCrossingsOnly)
{
    struct Case {
        Point_t a, b, c, d;
        bool crosses;
        const char* what;
    } cases[] = {
        {{0, 0}, {2, 0}, {1, -1}, {1, 1}, true, "plain cross"},
        {{0, 0}, {2, 0}, {1, -0.2}, {1, 0.2}, false, "inside the dead band"},
        {{0, 0}, {2, 0}, {3, -1}, {3, 1}, false, "beyond the end"},
        {{0, 0}, {2, 0}, {1, 0}, {1, 2}, false, "touching"},
        {{0, 0}, {2, 0}, {1, 0}, {3, 0}, false, "overlap"},
        {{0, 0}, {4, 4}, {0, 4}, {4, 0}, true, "diagonals"},
        {{0, 0}, {4, 4}, {0, 4}, {1.5, 2.5}, false, "stops short"},
        {{-1.2, 0}, {5, 2}, {1, 0}, {3.4, 0}, false, "walk path over a bar end"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Intersect(c.a, c.b, c.c, c.d), c.crosses) << c.what;
        EXPECT_EQ(Intersect(c.c, c.d, c.a, c.b), c.crosses) << c.what << " (swapped)";
    }
}

TEST(Segments, SegSegIntCodes)
{
    struct Case {
        Point_t a, b, c, d;
        char code;
        double px, py;
    } cases[] = {
        {{0, 0}, {4, 0}, {1, -1}, {1, 3}, '1', 1, 0},  {{0, 0}, {4, 4}, {0, 4}, {4, 0}, '1', 2, 2},
        {{0, 0}, {4, 0}, {6, -1}, {6, 1}, '0', 6, 0},  {{0, 0}, {4, 0}, {4, -1}, {4, 1}, 'v', 4, 0},  // at b
        {{0, 0}, {4, 0}, {2, 0}, {2, 5}, 'v', 2, 0},    // c on ab
        {{0, 0}, {4, 0}, {0, 5}, {4, 5}, '0', 99, 99},  // parallel apart
        {{0, 0}, {4, 0}, {2, 0}, {6, 0}, 'e', 2, 0},    // collinear overlap
        {{0, 0}, {4, 0}, {5, 0}, {6, 0}, '0', 99, 99},  // collinear apart
    };
    for (const Case& c : cases) {
        Point_t p{99, 99};
        EXPECT_EQ(SegSegInt(c.a, c.b, c.c, c.d, p), c.code) << c.code;
        EXPECT_NEAR(p.x, c.px, 1e-12) << c.code;
        EXPECT_NEAR(p.y, c.py, 1e-12) << c.code;
    }
}

TEST(Segments, BetweenAndAssign)
{
    EXPECT_TRUE(Between({0, 0}, {4, 0}, {4, 9}));  // x only: no collinearity test
    EXPECT_TRUE(Between({4, 0}, {0, 0}, {1, 0}));
    EXPECT_FALSE(Between({0, 0}, {4, 0}, {5, 0}));
    EXPECT_TRUE(Between({1, 0}, {1, 4}, {7, 2}));  // vertical: y decides
    EXPECT_FALSE(Between({1, 0}, {1, 4}, {1, -1}));
    Point_t p{0, 0}, q{3, -2};
    Assigndi(p, q);
    EXPECT_EQ(p.x, 3);
    EXPECT_EQ(p.y, -2);
}

TEST(Angles, Wrappers)
{
    struct Case {
        double in, mpi, twopi, wrapped;
    } cases[] = {
        {0.5, 0.5, 0.5, 0.5},
        {4.0, 4.0 - 2 * M_PI, 4.0, 4.0 - 2 * M_PI},
        {-4.0, -4.0 + 2 * M_PI, -4.0 + 2 * M_PI, -4.0 + 2 * M_PI},
        {7.0, 7.0 - 2 * M_PI, 7.0 - 2 * M_PI, 7.0 - 2 * M_PI},
        {-20.0, -20.0 + 6 * M_PI, -20.0 + 8 * M_PI, -20.0 + 6 * M_PI},
        {0.0, 0.0, 2 * M_PI, 0.0},  // the wrapper into (0, 2 pi) moves 0 up
        {M_PI, M_PI, M_PI, M_PI},
        {-M_PI, M_PI, M_PI, -M_PI},  // only wrap_angle keeps -pi
    };
    for (const Case& c : cases) {
        double a = c.in, b = c.in, w = c.in;
        Set_M_PI_Mod(a);
        Set_2M_PI_Mod(b);
        wrap_angle(w);
        EXPECT_NEAR(a, c.mpi, 1e-12) << c.in;
        EXPECT_NEAR(b, c.twopi, 1e-12) << c.in;
        EXPECT_NEAR(w, c.wrapped, 1e-12) << c.in;
    }
    // Values the one-turn loops would never reduce end the call anyway.
    double inf = INFINITY, big = 1e300, winf = -INFINITY, wbig = -1e300;
    Set_M_PI_Mod(inf);
    Set_M_PI_Mod(big);
    wrap_angle(winf);
    wrap_angle(wbig);
    EXPECT_TRUE(std::isinf(inf));
    EXPECT_LE(std::fabs(big), M_PI);
    EXPECT_TRUE(std::isinf(winf));
    EXPECT_LE(std::fabs(wbig), M_PI);
}
