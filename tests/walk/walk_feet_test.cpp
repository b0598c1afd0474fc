// Foot targets of the walking engine: the swing-foot trajectory of a cruise
// step, the double-support form, the support sole under the pendulum's pivot
// and the foot yaws of a turn.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "walk/walk.h"
#include "walk_fixtures.h"

using namespace walk_test;

namespace {

std::unique_ptr<walk> make_walk(double dt = 0.01)
{
    return std::unique_ptr<walk>(new walk(dt, 1, 0, 0, "./"));
}

}  // namespace

TEST(WalkFeet, SwingFootOfATwelveCycleStep)
{
    // Highest at the middle cycle, full progress one cycle before landing,
    // on the ground again at the last cycle.
    auto w = make_walk(0.02);
    w->translating = 1;
    w->rotating = 0;
    w->dir_change_on_place = 0;
    w->height_lift = 0.04;
    w->fp_prev[0] = -0.03;
    w->fp_prev[1] = 0.055;
    w->fp_next[0] = 0.05;
    w->fp_next[1] = 0.075;
    const double full_x = 0.08, full_y = 0.02;
    double highest = -1.0;
    long c_highest = 0;
    for (long c = 1; c <= 12; c++) {
        w->c = c;
        w->deal_with_air_traj_cruise_phase3(12);
        if (w->dz > highest) {
            highest = w->dz;
            c_highest = c;
        }
        EXPECT_GE(w->dz, -1e-15) << c;
        struct {
            long c;
            double dz, dx, dy;
        } expect[] = {{6, 0.04, NAN, NAN}, {11, NAN, full_x, full_y}, {12, 0.0, full_x, full_y}};
        for (const auto& e : expect) {
            if (e.c != c) continue;
            if (!std::isnan(e.dz)) {
                EXPECT_NEAR(w->dz, e.dz, 1e-12) << c;
            }
            if (!std::isnan(e.dx)) {
                EXPECT_NEAR(w->dx, e.dx, 1e-12) << c;
            }
            if (!std::isnan(e.dy)) {
                EXPECT_NEAR(w->dy, e.dy, 1e-12) << c;
            }
        }
    }
    EXPECT_EQ(c_highest, 6);
    EXPECT_NEAR(highest, 0.04, 1e-12);
}

TEST(WalkFeet, BothFeetFormDoesNotDependOnTheOrderOfThePoints)
{
    struct Case {
        int rotating;
        double theta_walk;
        bool walk_start;
    } cases[] = {{0, 0.0, true}, {0, 0.0, false}, {1, 0.4, false}, {1, -1.2, false}, {1, 0.7, true}};
    for (const auto& c : cases) {
        auto w = make_walk();
        w->translating = !c.rotating;
        w->rotating = c.rotating;
        w->theta_walk = c.theta_walk;
        w->xG = 0.05;
        w->yG = 0.01;
        // Left foot point to the left of the right one in the heading c.theta_walk.
        double s = std::sin(c.theta_walk), co = std::cos(c.theta_walk);
        double a[2] = {0.02 - 0.055 * s, 0.01 + 0.055 * co}, b[2] = {0.02 + 0.055 * s, 0.01 - 0.055 * co};
        w->deal_with_joint_commands_both_feet_on_the_ground(a, b, c.walk_start);
        double L[3], R[3];
        for (int i = 0; i < 3; i++) {
            L[i] = w->foot_left[i];
            R[i] = w->foot_right[i];
        }
        w->deal_with_joint_commands_both_feet_on_the_ground(b, a, c.walk_start);
        for (int i = 0; i < 3; i++) {
            EXPECT_DOUBLE_EQ(w->foot_left[i], L[i]) << c.theta_walk << " " << i;
            EXPECT_DOUBLE_EQ(w->foot_right[i], R[i]) << c.theta_walk << " " << i;
        }
        EXPECT_GT(w->foot_left[1], w->foot_right[1]);
        EXPECT_DOUBLE_EQ(w->yaw_left, 0.0);
        EXPECT_DOUBLE_EQ(w->yaw_right, 0.0);
    }
}

TEST(WalkFeet, PivotStaysOnTheSupportSole)
{
    // The foot box of the Nao is 0.16 m long, its centre 0.03 m ahead of the
    // ankle: the heel lies 0.05 m behind the ankle and the toe 0.11 m ahead.
    // The pendulum turns about a point at least 0.03 m in front of the heel.
    const double heel = -0.05, toe = 0.11, margin = 0.03;
    struct Case {
        double x, y, T;
    } cases[] = {{0.3, 0.0, 0.18}, {0.3, 0.0, 0.24}, {0.08, 0.0, 0.18}, {-0.2, 0.0, 0.18}, {0.3, 0.1, 0.18}};
    for (const auto& c : cases) {
        auto w = make_walk();
        ASSERT_TRUE(w->init_walk_translate(c.x, c.y, c.T));
        int steps = 0;
        long cycles = 0;
        while (w->update_walk() && cycles++ < 3000) {
            bool step_start = w->in_p3 && !w->in_p2 && w->c == 1;
            if (!step_start) continue;
            steps++;
            // Support ankle and pivot in the walk frame.
            EXPECT_GE(w->pivot[0], w->fp_sup[0] + heel + margin - 1e-12) << c.x << " step " << steps;
            EXPECT_LE(w->pivot[0], w->fp_sup[0] + toe) << c.x << " step " << steps;
        }
        EXPECT_TRUE(w->stopped) << c.x;
        EXPECT_GE(steps, 2) << c.x;
    }
}

TEST(WalkFeet, FirstStepFromRestIsHeelLimitedAtTheRequestPeriod)
{
    // From rest the COM has no forward speed when the first cruise step
    // begins. At the motion interface's 0.18 s the pendulum would need a
    // pivot behind the heel margin to reach a full 0.08 m step, so it turns
    // about the margin (0.03 m in front of the heel, 0.05 m behind the
    // ankle) and the swing foot lands where the COM gets to: by hand, a
    // pendulum from rest at x0 about u travels (x0 - u)(cosh(T/Tc) - 1).
    // With the engine's own 0.24 s the full step fits.
    struct Case {
        double T;
        bool limited;
    } cases[] = {{0.18, true}, {0.24, false}};
    for (const auto& c : cases) {
        auto w = make_walk();
        ASSERT_TRUE(w->init_walk_translate(0.4, 0.0, c.T));
        ASSERT_NEAR(w->step_x, 0.08, 1e-12);
        long cycles = 0;
        while (w->update_walk() && cycles++ < 3000)
            if (w->in_p3 && !w->in_p2 && w->c == 1) break;
        ASSERT_EQ(w->nb_steps_cruise_done, 1) << c.T;
        const double heel_margin = w->fp_sup[0] - 0.05 + 0.03;
        const double x0 = w->x_pApZMP_Init;
        const double rise = std::cosh(w->step_period / std::sqrt(w->zC / 9.8)) - 1.0;
        if (c.limited) {
            // The model's foot sizes are single-precision numbers.
            EXPECT_NEAR(w->pivot[0], heel_margin, 1e-8);
            EXPECT_NEAR(w->fp_next[0] - w->fp_sup[0], (x0 - heel_margin) * rise, 1e-8);
            EXPECT_NEAR(w->fp_next[0] - w->fp_sup[0], 0.0283, 1e-4);
        } else {
            EXPECT_GT(w->pivot[0], heel_margin);
            EXPECT_NEAR(w->fp_next[0] - w->fp_sup[0], 0.08, 1e-12);
        }
    }
}

TEST(WalkFeet, FootYawsOfATurnStayWithinOneStepAngle)
{
    struct Case {
        double theta, xc;
    } cases[] = {{kPi / 2, 0.0}, {-1.0, 0.0}, {0.3, 0.3}};
    for (const auto& c : cases) {
        auto w = make_walk();
        ASSERT_TRUE(w->init_walk_rotate(c.theta, c.xc, 0.18));
        double centre_x = w->xc;  // foot points turn about the same centre as the pressure points
        long cycles = 0;
        double worst = 0.0, worst_radius = 0.0;
        while (w->update_walk() && cycles++ < 3000) {
            worst = std::fmax(worst, std::fabs(w->yaw_left - w->yaw_right));
            if (w->in_p3 && !w->in_p2 && !w->dir_change_on_place) {
                // The swing foot keeps its distance from the centre.
                double sx = w->fp_prev[0] + w->dx - centre_x, sy = w->fp_prev[1] + w->dy - w->yc;
                double r0 = std::hypot(w->fp_prev[0] - centre_x, w->fp_prev[1] - w->yc);
                worst_radius = std::fmax(worst_radius, std::fabs(std::hypot(sx, sy) - r0));
            }
        }
        EXPECT_TRUE(w->stopped);
        EXPECT_LE(worst, std::fabs(w->step_theta) + 1e-9) << c.theta;
        EXPECT_LT(worst_radius, 1e-9) << c.theta;
    }
}
