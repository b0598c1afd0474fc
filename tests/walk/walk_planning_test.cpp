// Walk requests and step planning: step counts, cycle counts, the phase
// structure, take-over and queueing of requests, and the guards of the
// planning arithmetic.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "walk/walk.h"
#include "walk_fixtures.h"

using namespace walk_test;

namespace {

std::unique_ptr<walk> make_walk(double dt = 0.01)
{
    return std::unique_ptr<walk>(new walk(dt, 1, 0, 0, "./"));
}

// Runs the walk to its end (or max cycles); returns the number of calls
// that reported a walk in progress.
int run_to_end(walk& w, int max_cycles = 5000)
{
    int n = 0;
    while (w.update_walk() && n < max_cycles) n++;
    return n;
}

bool all_finite(const walk& w)
{
    const double v[] = {w.xG,
                        w.yG,
                        w.vxG,
                        w.vyG,
                        w.step_x,
                        w.step_y,
                        w.step_theta,
                        w.t1,
                        w.foot_left[0],
                        w.foot_left[1],
                        w.foot_left[2],
                        w.foot_right[0],
                        w.foot_right[1],
                        w.foot_right[2],
                        w.theta_walk,
                        w.yaw_left,
                        w.yaw_right};
    for (double x : v)
        if (!std::isfinite(x)) return false;
    return true;
}

}  // namespace

TEST(WalkPlanning, StepCountsOfTranslations)
{
    struct Case {
        double x, y;
        long nx, ny, n;
        double step_x, step_y;
    } cases[] = {
        {0.6, 0.3, 8, 10, 10, 0.06, 0.06},  // 7.5 steps round to 8; 5 lateral pairs fit exactly
        {0.1, 0.0, 2, 0, 2, 0.05, 0.0},     // 1.25 rounds to 1, the rest 0.02 adds a step
        {0.0, 0.05, 0, 2, 2, 0.0, 0.05},    // 0.83 rounds to 1 pair, negative rest
        {0.05, 0.0, 1, 0, 1, 0.05, 0.0},    // one step and no lateral pair: no lateral step
        {-0.3, -0.1, 4, 4, 4, 0.075, 0.05},
        {0.1, 0.02, 2, 2, 2, 0.05, 0.02},  // lateral walks take an even number of steps
    };
    auto w = make_walk();
    for (const auto& c : cases) {
        w->translating = 1;
        w->rotating = 0;
        w->x_total = c.x;
        w->y_total = c.y;
        w->calculate_steps();
        EXPECT_EQ(w->nx, c.nx) << c.x << "," << c.y;
        EXPECT_EQ(w->ny, c.ny) << c.x << "," << c.y;
        EXPECT_EQ(w->n, c.n) << c.x << "," << c.y;
        EXPECT_NEAR(w->step_x, c.step_x, 1e-12) << c.x << "," << c.y;
        EXPECT_NEAR(w->step_y, c.step_y, 1e-12) << c.x << "," << c.y;
        EXPECT_DOUBLE_EQ(w->step_theta, 0.0);
    }
}

TEST(WalkPlanning, StepCountsOfRotations)
{
    struct Case {
        double theta;
        double step_theta;
        long n;
    } cases[] = {{kPi / 4, kPi / 4, 2},
                 {kPi / 2, kPi / 4, 4},
                 {-kPi / 2, -kPi / 4, 4},
                 {kPi, kPi / 3, 6},
                 {0.01, 0.01, 2}};
    auto w = make_walk();
    for (const auto& c : cases) {
        w->translating = 0;
        w->rotating = 1;
        w->theta_total = c.theta;
        w->calculate_steps();
        EXPECT_NEAR(w->step_theta, c.step_theta, 1e-12) << c.theta;
        EXPECT_EQ(w->n, c.n) << c.theta;
        EXPECT_DOUBLE_EQ(w->step_x, 0.0);
        EXPECT_DOUBLE_EQ(w->step_y, 0.0);
    }
}

TEST(WalkPlanning, CyclesPerStepOfRequests)
{
    struct Case {
        double dt;
        bool rotation;
        double T;
        long N;
        double period;
        long N_prepare;
    } cases[] = {
        {0.01, false, 0.18, 18, 0.18, 20}, {0.01, true, 0.18, 14, 0.14, 20}, {0.01, false, 0.3, 24, 0.24, 20},
        {0.02, false, 0.18, 9, 0.18, 10},  {0.02, true, 0.18, 7, 0.14, 10},
    };
    for (const auto& c : cases) {
        auto w = make_walk(c.dt);
        ASSERT_TRUE(c.rotation ? w->init_walk_rotate(0.5, 0.0, c.T) : w->init_walk_translate(0.2, 0.0, c.T));
        EXPECT_EQ(w->N, c.N) << c.dt << " " << c.rotation;
        EXPECT_NEAR(w->step_period, c.period, 1e-12);
        EXPECT_EQ(w->N_prepare, c.N_prepare);
        EXPECT_EQ(w->n_t1, lround(w->t1 / c.dt));
    }
}

TEST(WalkPlanning, PhasesOfAShortTranslation)
{
    auto w = make_walk(0.02);
    ASSERT_TRUE(w->init_walk_translate(0.1, 0.0, 0.24));
    EXPECT_EQ(w->nb_cruise_wp, 3);
    // Phase 4 keeps the length planned with the walk.
    const long planned_phase4 = w->nbp[3] - w->nbp[2];
    EXPECT_EQ(planned_phase4, w->n_t1 + 1);
    int count[5] = {0, 0, 0, 0, 0};
    int calls = 0;
    bool last = true;
    while (true) {
        last = w->update_walk();
        calls++;
        int phase = w->in_p1 ? 0 : w->in_p2 ? 1 : w->in_p3 ? 2 : w->in_p4 ? 3 : 4;
        count[phase]++;
        if (!last) break;
        ASSERT_LT(calls, 1000);
    }
    EXPECT_EQ(count[0], 10);
    EXPECT_EQ(count[1], w->n_t1 + 1);
    EXPECT_EQ(count[2], 3 * 12);
    EXPECT_EQ(count[3], planned_phase4);
    EXPECT_EQ(count[4], 10);
    EXPECT_EQ(calls, w->nbp[4]);
    // The call that ran the last cycle reported the end, and so do later ones.
    EXPECT_TRUE(w->stopped);
    EXPECT_FALSE(w->update_walk());
    EXPECT_FALSE(w->update_walk());
}

TEST(WalkPlanning, LiftHeightFollowsTheHeading)
{
    auto w = make_walk();
    const double r = 0.1, a39 = 39.0 / kDeg, a41 = 41.0 / kDeg;
    ASSERT_TRUE(w->init_walk_translate(r * std::cos(a39), r * std::sin(a39), 0.18));
    EXPECT_DOUBLE_EQ(w->height_lift, 0.042);
    w->ResetWalk();
    ASSERT_TRUE(w->init_walk_translate(r * std::cos(a41), r * std::sin(a41), 0.18));
    EXPECT_DOUBLE_EQ(w->height_lift, 0.03);
    w->ResetWalk();
    ASSERT_TRUE(w->init_walk_rotate(0.5, 0.0, 0.18));
    EXPECT_DOUBLE_EQ(w->height_lift, 0.03);
}

TEST(WalkPlanning, RotationCentreStaysBehindTheRobot)
{
    struct Case {
        double xc_requested, xc;
    } cases[] = {{0.3, -0.3}, {-0.3, -0.3}, {-3.0, -2.0}, {3.0, -2.0}, {0.0, 0.0}};
    for (const auto& c : cases) {
        auto w = make_walk();
        testing::internal::CaptureStderr();
        ASSERT_TRUE(w->init_walk_rotate(0.1, c.xc_requested, 0.18));
        testing::internal::GetCapturedStderr();
        EXPECT_DOUBLE_EQ(w->xc, c.xc) << c.xc_requested;
        EXPECT_DOUBLE_EQ(w->yc, 0.0);
    }
}

TEST(WalkPlanning, ZeroRequestsStartNothing)
{
    auto w = make_walk();
    EXPECT_FALSE(w->init_walk_translate(0.0, 0.0, 0.18));
    EXPECT_FALSE(w->init_walk_translate(0.0004, -0.0004, 0.18));
    EXPECT_FALSE(w->init_walk_rotate(0.0, 0.0, 0.18));
    EXPECT_TRUE(w->stopped);
    EXPECT_FALSE(w->update_walk());
}

TEST(WalkPlanning, OneStepForwardHasNoLateralStep)
{
    auto w = make_walk();
    ASSERT_TRUE(w->init_walk_translate(0.05, 0.0, 0.18));
    EXPECT_DOUBLE_EQ(w->step_y, 0.0);
    // A later request taken over by this walk stays finite as well.
    for (int i = 0; i < 35; i++) w->update_walk();
    ASSERT_TRUE(w->init_walk_translate(0.1, 0.05, 0.18));
    EXPECT_TRUE(w->reentrant);
    int cycles = 0;
    while (w->update_walk() && cycles < 2000) {
        ASSERT_TRUE(all_finite(*w)) << "cycle " << cycles;
        cycles++;
    }
    EXPECT_TRUE(all_finite(*w));
    EXPECT_TRUE(w->stopped);
}

TEST(WalkPlanning, PendulumTimesWithoutSolutionAreGuarded)
{
    // Feet without lateral distance leave the pendulum times without a
    // solution (atanh of 0/0): the planner falls back with a message and
    // the walk stays finite and ends.
    ScopedWorkDir dir;
    dir.append_walk_params("dist_between_feet_p_points 0\n");
    for (bool rotation : {false, true}) {
        auto w = make_walk();
        testing::internal::CaptureStderr();
        ASSERT_TRUE(rotation ? w->init_walk_rotate(0.5, 0.0, 0.18) : w->init_walk_translate(0.1, 0.0, 0.18));
        int cycles = run_to_end(*w);
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("atanh"), std::string::npos) << rotation;
        EXPECT_TRUE(std::isfinite(w->t1)) << rotation;
        EXPECT_GE(w->n_t1, 0) << rotation;
        EXPECT_LT(cycles, 1000) << rotation;
        EXPECT_TRUE(w->stopped) << rotation;
        EXPECT_TRUE(all_finite(*w)) << rotation;
    }
}

TEST(WalkPlanning, FarRotationCentresTakeMoreSteps)
{
    // The outer pressure point travels no farther than a forward step per
    // step; turning on the spot keeps the angle limit alone.
    struct Case {
        double theta, xc;
        long n;
    } cases[] = {{kPi / 2, 0.0, 4}, {0.1, 0.3, 2}, {0.1, 2.0, 6}, {-0.3, 1.0, 8}};
    for (const auto& c : cases) {
        auto w = make_walk();
        testing::internal::CaptureStderr();
        ASSERT_TRUE(w->init_walk_rotate(c.theta, c.xc, 0.18));
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(w->n, c.n) << c.theta << " " << c.xc;
        double r = std::hypot(w->x_pApZMP_Init - w->xc, w->dist_between_feet_p_points / 2);
        EXPECT_LE(std::fabs(w->step_theta) * r, w->xlength_step_max + 1e-12);
    }
}

TEST(WalkPlanning, SameKindDuringCruiseIsTakenOver)
{
    auto w = make_walk();
    ASSERT_TRUE(w->init_walk_translate(0.5, 0.0, 0.18));
    while (!(w->k > w->nbp[1] + 3)) w->update_walk();  // early in the cruise
    long end_before = w->nbp[4];
    ASSERT_TRUE(w->init_walk_translate(0.2, 0.0, 0.18));
    EXPECT_TRUE(w->reentrant);
    EXPECT_FALSE(w->pending);
    // The next step start takes it over: the same walk, re-planned.
    long k0 = w->k;
    while (w->reentrant) ASSERT_TRUE(w->update_walk());
    EXPECT_LT(w->k - k0, w->N + 1);
    EXPECT_NE(w->nbp[4], end_before);
    int phase1_cycles = 0;
    while (w->update_walk())
        if (w->in_p1) phase1_cycles++;
    EXPECT_EQ(phase1_cycles, 0);  // no new walk start
}

TEST(WalkPlanning, OtherKindWaitsForTheEndOfTheWalk)
{
    auto w = make_walk();
    ASSERT_TRUE(w->init_walk_translate(0.5, 0.0, 0.18));
    while (!(w->k > w->nbp[1] + 3)) w->update_walk();
    ASSERT_TRUE(w->init_walk_rotate(0.6, 0.0, 0.18));
    EXPECT_TRUE(w->pending);
    EXPECT_FALSE(w->reentrant);
    long planned_end = w->nbp[4];
    // The translation is cut short at the next step, then the rotation
    // starts in the very call that ends the translation.
    bool cut = false;
    while (w->translating) {
        ASSERT_TRUE(w->update_walk());
        if (w->nbp[4] < planned_end) cut = true;
    }
    EXPECT_TRUE(cut);
    EXPECT_TRUE(w->rotating);
    EXPECT_FALSE(w->stopped);
    EXPECT_FALSE(w->pending);
    EXPECT_EQ(w->k, 0);
    run_to_end(*w);
    EXPECT_NEAR(w->thetaG(), 0.6, 1e-3);
}

TEST(WalkPlanning, RotationTakeOverWaitsForAClosingStep)
{
    auto w = make_walk();
    ASSERT_TRUE(w->init_walk_rotate(2.0, 0.0, 0.18));
    // Into the first cruise step: one cruise step is done when the next begins.
    while (!(w->k > w->nbp[1] + 1)) w->update_walk();
    ASSERT_EQ(w->nb_steps_cruise_done, 1);
    ASSERT_TRUE(w->init_walk_rotate(1.0, 0.0, 0.18));
    EXPECT_EQ(w->check_request_new_walk(), 3);
    EXPECT_TRUE(w->reentrant);
}

TEST(WalkPlanning, TranslationRequestInTheLastCruiseStepIsNotLost)
{
    auto w = make_walk();
    ASSERT_TRUE(w->init_walk_translate(0.1, 0.0, 0.18));
    while (!(w->k > w->nbp[2] - 3)) w->update_walk();  // inside the last cruise step
    ASSERT_TRUE(w->init_walk_translate(0.0, 0.08, 0.18));
    ASSERT_TRUE(w->reentrant);
    // No step start is left to take it over: when the last phase begins it
    // waits for the end of the walk instead, and no stale take-over remains.
    while (!(w->k > w->nbp[2])) ASSERT_TRUE(w->update_walk());
    EXPECT_FALSE(w->reentrant);
    EXPECT_TRUE(w->pending);
    bool restarted = false;
    while (w->update_walk())
        if (w->in_p1) restarted = true;
    EXPECT_TRUE(restarted);
    EXPECT_FALSE(w->reentrant);
    // The lateral request was carried out after all.
    double x, y, t;
    w->getOdo(x, y, t);
    EXPECT_NEAR(y, 0.08, 2e-3);
    EXPECT_NEAR(t, 0.0, 1e-9);
}

TEST(WalkPlanning, TurnTakeOverAtTheLastPhaseKeepsTurning)
{
    // A turn asked for during the last step of a turn (after an even number
    // of steps) is taken over by the same walk: the cruise goes on.
    auto w = make_walk();
    ASSERT_TRUE(w->init_walk_rotate(0.8, 0.0, 0.18));
    ASSERT_EQ(w->nb_cruise_wp % 2, 0);
    while (!(w->k > w->nbp[2] - 3)) ASSERT_TRUE(w->update_walk());
    double heading = w->thetaG();
    ASSERT_TRUE(w->init_walk_rotate(0.6, 0.0, 0.18));
    ASSERT_TRUE(w->reentrant);
    int phase1_cycles = 0;
    while (w->update_walk())
        if (w->in_p1) phase1_cycles++;
    EXPECT_EQ(phase1_cycles, 0);
    EXPECT_FALSE(w->reentrant);
    EXPECT_NEAR(w->thetaG(), heading + 0.6, 2e-3);
}

// A request taken over by a walk under way, after its first cruise cycles;
// the walk is then run to its end. Returns the displacement from the moment
// of the request (engine odometry).
void take_over_and_run(walk& w, double x0, double y0, double x1, double y1, double& dx, double& dy)
{
    ASSERT_TRUE(w.init_walk_translate(x0, y0, 0.18));
    while (!(w.k > w.nbp[1] + 3)) ASSERT_TRUE(w.update_walk());
    double ax, ay, at;
    w.getOdo(ax, ay, at);
    ASSERT_TRUE(w.init_walk_translate(x1, y1, 0.18));
    ASSERT_TRUE(w.reentrant);
    run_to_end(w);
    double bx, by, bt;
    w.getOdo(bx, by, bt);
    dx = bx - ax;
    dy = by - ay;
}

TEST(WalkPlanning, TakeOverWithOnePartAlreadyWalkedWalksTheOther)
{
    // Walking forward and sideways; the new request asks for less sideways
    // than the step in progress carries, but for much more forward. The
    // forward part must still be walked (the walk falls short of a request
    // by about one step's heel limit, never by most of it), and the sideways
    // part is not walked back.
    for (double side : {1.0, -1.0}) {
        SCOPED_TRACE(side);
        auto w = make_walk();
        double dx, dy;
        take_over_and_run(*w, 0.14, 0.067 * side, 0.371, 0.027 * side, dx, dy);
        EXPECT_GT(dx, 0.3);
        EXPECT_GT(dy * side, 0.0);
    }
}

TEST(WalkPlanning, StopRequestEndsAWalkUnderWayAtItsNextStep)
{
    // (0.001, 0) is how the behaviour stops: whatever the walk is doing
    // sideways, it ends after the step that the next step start closes.
    struct Case {
        double x, y;
    };
    for (const Case& c : {Case{0.5, 0.0}, Case{0.3, 0.3}, Case{0.3, -0.3}, Case{0.0, 0.3}}) {
        SCOPED_TRACE(::testing::Message() << c.x << ", " << c.y);
        auto w = make_walk();
        double dx, dy;
        take_over_and_run(*w, c.x, c.y, 0.001, 0.0, dx, dy);
        EXPECT_LT(std::fabs(dx), 2 * w->xlength_step_max);
        EXPECT_LT(std::fabs(dy), 2 * w->ylength_step_max);
    }
}

TEST(WalkPlanning, TakeOversToTheRightMirrorThoseToTheLeft)
{
    // The robot and its walk are left-right symmetric: a take-over of a walk
    // to the right walks the mirror image of the same take-over to the left,
    // and ends about where it was asked to sideways.
    struct Case {
        double x0, y0, x1, y1;
    };
    const Case cases[] = {{0.14, 0.067, 0.371, 0.1},
                          {0.14, 0.067, 0.371, 0.2},
                          {0.3, 0.3, 0.1, 0.2},
                          {0.0, 0.3, 0.0, 0.15},
                          {0.14, 0.067, 0.371, 0.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x0 << ", " << c.y0 << " then " << c.x1 << ", " << c.y1);
        auto left = make_walk();
        auto right = make_walk();
        double lx, ly, rx, ry;
        take_over_and_run(*left, c.x0, c.y0, c.x1, c.y1, lx, ly);
        take_over_and_run(*right, c.x0, -c.y0, c.x1, -c.y1, rx, ry);
        EXPECT_NEAR(rx, lx, 1e-3);
        EXPECT_NEAR(ry, -ly, 1e-3);
        EXPECT_NEAR(ly, c.y1, 0.02);
    }
}
