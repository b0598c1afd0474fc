// Step manager: the trapezoidal plan of forward steps, checked against the
// profile worked out by hand and against what any plan must satisfy (the
// steps add up to the distance, never exceed the maximum, and change by at
// most one speed increment per step).

#include "walk/manageStep.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

const double b = 0.08, t = 0.24, a = 6.0;  // the run-challenge walk's manager

struct Plan {
    int np_steps;
    double duration;
    std::vector<double> steps;   // every step until the remainder is walked
    std::vector<double> speeds;  // step_cur after each
};

Plan plan(double d, double c = 0.0, double step_max = b, double ramp = a)
{
    StepManage m(step_max, t, ramp);
    m.step_cur = c;
    m.setRemDist(d);
    m.calc_nb_com_steps();
    Plan p{m.np_steps, m.duration, {}, {}};
    for (int i = 0; i < 10000 && std::fabs(m.rem_dist) > 1e-12; i++) {
        m.calc_next_st_foot();
        m.updateStComFoot();
        EXPECT_EQ(m.st_com_foot, m.st_foot_next);
        p.steps.push_back(m.getStFootNext());
        p.speeds.push_back(m.step_cur);
    }
    return p;
}

double sum(const std::vector<double>& v)
{
    double s = 0;
    for (double x : v) s += x;
    return s;
}

TEST(StepManage, OneMetreFromRestCruises)
{
    // f = 0.24 and e b = 0.24, so 1.0 > 0.48: accelerate over 6 periods
    // (1.44 s), cruise the remaining 0.52 m at 0.08 m per 0.24 s (1.56 s),
    // decelerate over 6 periods: 4.44 s, 18.5 periods, 20 COM steps.
    Plan p = plan(1.0);
    EXPECT_NEAR(p.duration, 4.44, 1e-12);
    EXPECT_EQ(p.np_steps, 20);
    ASSERT_GE(p.steps.size(), 7u);
    // From rest the step is half the increment b / a, then one increment more each step.
    EXPECT_NEAR(p.steps[0], b / (2 * a), 1e-12);
    EXPECT_NEAR(p.speeds[0], b / a, 1e-12);
    for (int i = 1; i < 6; i++) EXPECT_NEAR(p.steps[i] - p.steps[i - 1], b / a, 1e-12) << i;
    EXPECT_NEAR(p.steps[6], b, 1e-12);
    EXPECT_NEAR(sum(p.steps), 1.0, 1e-12);
    EXPECT_LE(static_cast<int>(p.steps.size()), p.np_steps);
    EXPECT_EQ(p.speeds.back(), 0);
}

TEST(StepManage, EveryProfileWalksTheWholeDistanceWithinItsBounds)
{
    const struct {
        const char* name;
        double d, c;
        int np_steps;  // worked out by hand
    } cases[] = {
        // Triangular: g = sqrt(0.2 b / a) = 0.05164; 2 g a t / b = 1.859 s, 7.75 periods.
        {"triangular from rest", 0.2, 0.0, 9},
        // Cruising at the maximum: no ramp up, 4.0 / 0.08 - 3 + 6 = 53 periods.
        {"cruise at full speed", 4.0, b, 54},
        {"long run", 200.0, 0.0, 2507},
        // Decelerating from 0.04 covers e c^2 / b = 0.06 m: t a c / b = 3 periods.
        {"deceleration only", 0.06, 0.04, 4},
    };
    for (const auto& c : cases) {
        Plan p = plan(c.d, c.c);
        EXPECT_EQ(p.np_steps, c.np_steps) << c.name;
        EXPECT_NEAR(sum(p.steps), c.d, 1e-9) << c.name;
        EXPECT_LE(static_cast<int>(p.steps.size()), p.np_steps) << c.name;
        double prev = c.c;
        for (size_t i = 0; i < p.steps.size(); i++) {
            EXPECT_GE(p.steps[i], -1e-12) << c.name << " step " << i;
            EXPECT_LE(p.steps[i], b + 1e-12) << c.name << " step " << i;
            EXPECT_LE(std::fabs(p.speeds[i] - prev), b / a + 1e-12) << c.name << " step " << i;
            prev = p.speeds[i];
        }
    }
}

TEST(StepManage, ShortRemainderAtLowSpeedIsOneStep)
{
    // step_cur below b / a: the deceleration lasts less than one period.
    for (double c : {0.013, 0.01, 0.0}) {
        StepManage m(b, t, a);
        m.step_cur = c;
        m.setRemDist(0.003);
        m.calc_next_st_foot();
        EXPECT_DOUBLE_EQ(m.st_foot_next, 0.003) << c;
        EXPECT_EQ(m.step_cur, 0) << c;
        EXPECT_EQ(m.rem_dist, 0) << c;
    }
}

TEST(StepManage, NegativeDistancePlansTheSameStepsBackwards)
{
    Plan fwd = plan(1.0), back = plan(-1.0);
    EXPECT_EQ(back.np_steps, fwd.np_steps);
    ASSERT_EQ(back.steps.size(), fwd.steps.size());
    for (size_t i = 0; i < fwd.steps.size(); i++) {
        EXPECT_DOUBLE_EQ(back.steps[i], -fwd.steps[i]) << i;
        EXPECT_DOUBLE_EQ(back.speeds[i], fwd.speeds[i]) << i;
    }
    EXPECT_NEAR(sum(back.steps), -1.0, 1e-12);
}

TEST(StepManage, RampBelowOnePeriodWarnsOnce)
{
    const struct {
        double ramp;
        std::string out;
    } cases[] = {
        {0.5, "be careful, acceleration will be greater than the max. planned.\n"}, {6.0, ""}, {1.0, ""}};
    for (const auto& c : cases) {
        testing::internal::CaptureStdout();
        StepManage m(b, t, c.ramp);
        m.setRemDist(1.0);
        m.calc_nb_com_steps();
        m.calc_next_st_foot();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out) << c.ramp;
    }
}

TEST(StepManage, ZeroMaximumOrRampIsRefusedAndPlansNothing)
{
    const struct {
        double step_max, ramp;
    } cases[] = {{0.0, 6.0}, {b, 0.0}, {-0.08, 6.0}, {b, -6.0}, {NAN, 6.0}};
    for (const auto& c : cases) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        StepManage m(c.step_max, t, c.ramp);
        const std::string err = testing::internal::GetCapturedStderr();
        testing::internal::GetCapturedStdout();
        EXPECT_NE(err.find("must be positive"), std::string::npos) << c.step_max << " " << c.ramp;
        EXPECT_FALSE(m.usable());
        m.setRemDist(1.0);
        m.calc_nb_com_steps();
        m.calc_next_st_foot();
        EXPECT_EQ(m.np_steps, 0);
        EXPECT_EQ(m.st_foot_next, 0);
        EXPECT_EQ(m.rem_dist, 1.0);
        EXPECT_TRUE(std::isfinite(m.coef));
    }
}

TEST(StepManage, ZeroPeriodIsRefused)
{
    StepManage m(b, t, a);
    EXPECT_DOUBLE_EQ(m.coef, b / (t * t * a));
    testing::internal::CaptureStderr();
    m.set_t_step(0.0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("must be positive"), std::string::npos);
    EXPECT_EQ(m.t_step, t);
    m.set_t_step(0.18);
    EXPECT_EQ(m.t_step, 0.18);
    // Shorter periods, the same plan in steps: only the ratios to t count.
    m.setRemDist(1.0);
    m.calc_nb_com_steps();
    EXPECT_EQ(m.np_steps, 20);
    EXPECT_NEAR(m.duration, 4.44 * 0.18 / 0.24, 1e-12);
}

}  // namespace
