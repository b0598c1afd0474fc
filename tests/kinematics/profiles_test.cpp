#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "kinematics/calculate_accmax.h"
#include "kinematics/determinants.h"
#include "kinematics/poly_degre3.h"
#include "kinematics/profiles_5_parts.h"

namespace {

TEST(Determinants, HandComputedValues)
{
    const double m2[4] = {3, 8, 4, 6};
    EXPECT_DOUBLE_EQ(det22(m2), 3 * 6 - 4 * 8);
    const double m3[9] = {6, 1, 1, 4, -2, 5, 2, 8, 7};
    EXPECT_DOUBLE_EQ(det33(m3), -306);
    // Upper triangular: the product of the diagonal.
    const double m4[16] = {2, 7, 1, 8, 0, 3, 5, 9, 0, 0, -1, 4, 0, 0, 0, 0.5};
    EXPECT_DOUBLE_EQ(det44(m4), 2 * 3 * -1 * 0.5);
    // Swapping two rows changes the sign; a repeated row gives zero.
    const double m4s[16] = {0, 3, 5, 9, 2, 7, 1, 8, 0, 0, -1, 4, 0, 0, 0, 0.5};
    EXPECT_DOUBLE_EQ(det44(m4s), 3);
    const double m4r[16] = {1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4, 9, 1, 2, 3};
    EXPECT_DOUBLE_EQ(det44(m4r), 0);
    const double full[16] = {1, 0, 2, -1, 3, 0, 0, 5, 2, 1, 4, -3, 1, 0, 5, 0};
    EXPECT_DOUBLE_EQ(det44(full), 30);
}

TEST(PolyDegre3, RecoversAKnownCubic)
{
    // p(t) = t^3 - 2 t^2 + 0.5 t + 3 on [0.5, 2].
    auto p = [](double t) { return t * t * t - 2 * t * t + 0.5 * t + 3; };
    auto dp = [](double t) { return 3 * t * t - 4 * t + 0.5; };
    double c3, c2, c1, c0;
    ASSERT_TRUE(poly_degre3(0.5, p(0.5), 2, p(2), dp(0.5), dp(2), c3, c2, c1, c0));
    EXPECT_NEAR(c3, 1, 1e-12);
    EXPECT_NEAR(c2, -2, 1e-12);
    EXPECT_NEAR(c1, 0.5, 1e-12);
    EXPECT_NEAR(c0, 3, 1e-12);
}

TEST(PolyDegre3, SingularSystemLeavesOutputsUntouched)
{
    double c3 = 11, c2 = 12, c1 = 13, c0 = 14;
    EXPECT_FALSE(poly_degre3(1, 0, 1, 1, 0, 0, c3, c2, c1, c0));
    EXPECT_EQ(c3, 11);
    EXPECT_EQ(c2, 12);
    EXPECT_EQ(c1, 13);
    EXPECT_EQ(c0, 14);
}

TEST(CalculateAccmax, FromRestPeakIsVOverT1)
{
    for (double t1 : {0.04, 0.1, 0.5})
        for (double V : {-2.0, 0.3, 8.0})
            EXPECT_NEAR(calculate_accmax(0, 0, t1, V), V / t1, 1e-9 * std::fabs(V / t1));
    EXPECT_EQ(calculate_accmax(0, 0, 0, 1), 0);  // no ramp: singular
}

struct Profile {
    std::vector<double> pos, vel, acc, jerk;
    double Vmax = -1, a_acc = -1, a_dec = -1;
    bool ok = false;
    Profile(int n_acc, int n_dec, int NT, double dt, double P0, double D)
        : pos(NT > 0 ? NT : 1, -7), vel(pos.size(), -7), acc(pos.size(), -7), jerk(pos.size(), -7)
    {
        ok = profiles_5_parts(n_acc, n_dec, NT, dt, P0, D, pos.data(), vel.data(), acc.data(), jerk.data(),
                              Vmax, a_acc, a_dec);
    }
};

TEST(Profiles5Parts, WorkedExample)
{
    Profile p(4, 4, 10, 0.02, 0, 1);
    ASSERT_TRUE(p.ok);
    EXPECT_NEAR(p.Vmax, 25.0 / 3, 1e-9);
    EXPECT_NEAR(p.a_acc, 625.0 / 3, 1e-7);
    EXPECT_NEAR(p.a_dec, 625.0 / 3, 1e-7);
    const double pos[10] = {1.0 / 240, 0.05,         0.1708333333, 1.0 / 3,      0.5,
                            2.0 / 3,   0.8291666667, 0.95,         0.9958333333, 1};
    const double vel[10] = {0.78125,      4.1666666667, 7.5520833333, 8.3333333333, 8.3333333333,
                            8.3333333333, 7.5520833333, 4.1666666667, 0.78125,      0};
    for (int k = 0; k < 10; k++) {
        EXPECT_NEAR(p.pos[k], pos[k], 1e-9) << k;
        EXPECT_NEAR(p.vel[k], vel[k], 1e-8) << k;
    }
    // Cruise: zero acceleration and jerk; peak acceleration at the end of
    // the first quarter of the ramp.
    EXPECT_EQ(p.acc[4], 0);
    EXPECT_EQ(p.jerk[4], 0);
    EXPECT_NEAR(p.acc[1], 625.0 / 3, 1e-6);
    EXPECT_NEAR(p.acc[7], -625.0 / 3, 1e-6);
}

TEST(Profiles5Parts, OtherOverloadsFillTheSameSamples)
{
    Profile full(6, 4, 23, 0.02, -0.3, 0.42);
    ASSERT_TRUE(full.ok);
    std::vector<double> pos1(23), pos2(23), vel2(23), pos4(23), vel4(23), acc4(23), jerk4(23);
    ASSERT_TRUE(profiles_5_parts(6, 4, 23, 0.02, -0.3, 0.42, pos1.data()));
    ASSERT_TRUE(profiles_5_parts(6, 4, 23, 0.02, -0.3, 0.42, pos2.data(), vel2.data()));
    ASSERT_TRUE(
        profiles_5_parts(6, 4, 23, 0.02, -0.3, 0.42, pos4.data(), vel4.data(), acc4.data(), jerk4.data()));
    EXPECT_EQ(pos1, full.pos);
    EXPECT_EQ(pos2, full.pos);
    EXPECT_EQ(vel2, full.vel);
    EXPECT_EQ(acc4, full.acc);
    EXPECT_EQ(jerk4, full.jerk);
}

TEST(Profiles5Parts, EndsAtTargetAtRestAndMovesOneWay)
{
    struct Case {
        int n_acc, n_dec, NT;
        double dt, P0, D;
    } cases[] = {{4, 4, 10, 0.02, 0, 1},
                 {10, 10, 30, 0.02, 0.1, -0.25},
                 {6, 2, 8, 0.01, 2, 0.05},
                 {5, 7, 40, 0.02, 0, 3},
                 {2, 2, 4, 0.02, -1, 1}};
    for (const Case& c : cases) {
        Profile p(c.n_acc, c.n_dec, c.NT, c.dt, c.P0, c.D);
        ASSERT_TRUE(p.ok);
        EXPECT_NEAR(p.pos[c.NT - 1], c.P0 + c.D, 1e-9 * (1 + std::fabs(c.D)));
        EXPECT_NEAR(p.vel[c.NT - 1], 0, 1e-8 * (1 + std::fabs(p.Vmax)));
        // Moves one way only and never faster than the cruise velocity.
        const double sgn = (c.D > 0) ? 1 : -1;
        double last = c.P0;
        for (int k = 0; k < c.NT; k++) {
            EXPECT_GE(sgn * (p.pos[k] - last), -1e-12) << k;
            EXPECT_LE(std::fabs(p.vel[k]), std::fabs(p.Vmax) * (1 + 1e-12)) << k;
            EXPECT_GE(sgn * p.vel[k], -1e-9) << k;
            last = p.pos[k];
        }
    }
}

TEST(Profiles5Parts, OddRampCountsAreMadeEven)
{
    // n_acc 1 acts as 2, 5 as 4, 6 stays 6: compare against the even call.
    struct Case {
        int given, used;
    } cases[] = {{1, 2}, {5, 4}, {6, 6}, {3, 2}};
    for (const Case& c : cases) {
        Profile odd(c.given, 4, 16, 0.02, 0, 1);
        Profile even(c.used, 4, 16, 0.02, 0, 1);
        ASSERT_TRUE(odd.ok);
        EXPECT_EQ(odd.pos, even.pos) << c.given;
        EXPECT_EQ(odd.a_acc, even.a_acc) << c.given;
    }
}

TEST(Profiles5Parts, ImpossibleCountsFailWithoutWriting)
{
    struct Case {
        const char* what;
        int n_acc, n_dec, NT;
        double dt;
    } cases[] = {{"no acceleration samples", 0, 4, 10, 0.02},
                 {"no deceleration samples", 4, 0, 10, 0.02},
                 {"ramps longer than the profile", 4, 4, 6, 0.02},
                 {"ramps filling a too short profile", 6, 6, 4, 0.02},
                 {"no time step", 4, 4, 10, 0}};
    for (const Case& c : cases) {
        testing::internal::CaptureStderr();
        Profile p(c.n_acc, c.n_dec, c.NT, c.dt, 0, 1);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(p.ok) << c.what;
        EXPECT_NE(err.find("profiles_5_parts"), std::string::npos) << c.what;
        for (double v : p.pos) EXPECT_EQ(v, -7) << c.what;
        EXPECT_EQ(p.Vmax, 0) << c.what;  // reset before anything else
        EXPECT_EQ(p.a_acc, 0) << c.what;
    }
}

TEST(OnePointProfile, MatchesTheWholeProfileWithHalfRamps)
{
    for (int NT : {4, 5, 6, 9, 12, 25}) {
        const int ramp = (NT / 2 == 1) ? 2 : (NT / 2) - (NT / 2) % 2;
        std::vector<double> pos(NT);
        ASSERT_TRUE(profiles_5_parts(ramp, ramp, NT, 0.02, 0.2, -0.5, pos.data()));
        for (int k = 1; k <= NT; k++) {
            double P = 99;
            EXPECT_EQ(get_one_point_profiles_5_parts(NT, k, 0.02, 0.2, -0.3, P), 1);
            EXPECT_NEAR(P, pos[k - 1], 1e-12) << NT << " " << k;
        }
    }
    // NT 6: ramps of 2 and 2 constant-velocity samples, so the middle two
    // samples advance by equal steps.
    double p2, p3, p4;
    get_one_point_profiles_5_parts(6, 2, 0.02, 0, 1, p2);
    get_one_point_profiles_5_parts(6, 3, 0.02, 0, 1, p3);
    get_one_point_profiles_5_parts(6, 4, 0.02, 0, 1, p4);
    EXPECT_NEAR(p3 - p2, p4 - p3, 1e-12);
    double pend;
    EXPECT_EQ(get_one_point_profiles_5_parts(6, 6, 0.02, 0, 1, pend), 1);
    EXPECT_NEAR(pend, 1, 1e-12);
}

TEST(OnePointProfile, RefusalsLeavePinit)
{
    struct Case {
        const char* what;
        int NT, k;
        const char* message;
    } cases[] = {
        {"too few samples", 3, 1,
         "\n\n =====> !!! Erreur inside get_one_point_profiles_5_parts: insufficient number of points, "
         "must be >= 4. Returning Pinit.\n\n"},
        {"k below 1", 8, 0,
         "Erreur inside get_one_point_profiles_5_parts: k < 1, must start with 1. Returning Pinit\n"},
        {"k above NT", 8, 9,
         "Erreur inside get_one_point_profiles_5_parts: current number above NT, not possible. Returning "
         "Pinit"}};
    for (const Case& c : cases) {
        double P = 5;
        testing::internal::CaptureStderr();
        EXPECT_EQ(get_one_point_profiles_5_parts(c.NT, c.k, 0.02, 0.4, 1.4, P), 0) << c.what;
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(P, 0.4) << c.what;
        EXPECT_EQ(err, c.message) << c.what;
    }
    // No time step: refused as well, rather than dividing by zero.
    double P = 5;
    testing::internal::CaptureStderr();
    EXPECT_EQ(get_one_point_profiles_5_parts(8, 3, 0, 0.4, 1.4, P), 0);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(P, 0.4);
}

TEST(OnePointProfile, NoDistanceIsSuccessAtPinit)
{
    for (int k : {1, 5, 100}) {
        double P = 5;
        EXPECT_EQ(get_one_point_profiles_5_parts(8, k, 0.02, 0.4, 0.40005, P), 1);
        EXPECT_EQ(P, 0.4);
    }
}

TEST(LinearProfile, EndsAndMiddle)
{
    double P;
    EXPECT_EQ(get_one_point_profiles_5_parts_linear(8, 0, 1, 3, P), 1);
    EXPECT_EQ(P, 1);
    EXPECT_EQ(get_one_point_profiles_5_parts_linear(8, 8, 1, 3, P), 1);
    EXPECT_EQ(P, 3);
    EXPECT_EQ(get_one_point_profiles_5_parts_linear(8, 2, 1, 3, P), 1);
    EXPECT_EQ(P, 1.5);
    testing::internal::CaptureStderr();
    EXPECT_EQ(get_one_point_profiles_5_parts_linear(0, 2, 1, 3, P), 0);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(P, 1);
}

}  // namespace
