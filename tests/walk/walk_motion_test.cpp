// Walking engine in motion: the displacement of the feet, the torso and the
// centre of mass measured from the commanded leg angles alone (direct model,
// planted sole without slip), the joint angles of long walks against the
// Nao's limits, and the odometry.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "walk/walk.h"
#include "walk_fixtures.h"

using namespace walk_test;

namespace {

std::unique_ptr<walk> make_walk(double dt = 0.01)
{
    return std::unique_ptr<walk>(new walk(dt, 1, 0, 0, "./"));
}

struct WalkResult {
    Pose torso, left, right;  // world poses at the end, the start torso at the origin
    double max_slip = 0.0;
    int cycles = 0;
};

// Drives the walk to its end, tracking the body over the floor.
WalkResult drive(walk& w, int max_cycles = 4000)
{
    FloorTracker tr(*w.model);
    double qL[6] = {0}, qR[6] = {0};
    w.getLegAnglesForCommand(qL, qR);
    tr.update(qL, qR);
    WalkResult r;
    while (r.cycles < max_cycles) {
        bool going = w.update_walk();
        w.getLegAnglesForCommand(qL, qR);
        tr.update(qL, qR);
        if (!going) break;
        r.cycles++;
    }
    r.torso = tr.torso();
    r.left = tr.left();
    r.right = tr.right();
    r.max_slip = tr.max_slip;
    return r;
}

// The stand-pose centre of mass in the world.
Vector_<double> com_of(const walk& w, const Pose& torso)
{
    return torso.R * Vector_<double>(w.xCOM_RT, 0, w.zCOM_RT) + torso.p;
}

Vector_<double> sole_midpoint(const WalkResult& r) { return (r.left.p + r.right.p) * 0.5; }

}  // namespace

TEST(WalkMotion, ForwardAndBackwardRequestsMoveTheWholeBodyByX)
{
    // The engine's own step period: steps stay within the heel limit.
    const double xs[] = {0.05, 0.1, 0.2, -0.05};
    for (double X : xs) {
        auto w = make_walk();
        Vector_<double> com0 = com_of(*w, Pose());
        ASSERT_TRUE(w->init_walk_translate(X, 0.0, 0.24));
        WalkResult r = drive(*w);
        ASSERT_TRUE(w->stopped) << X;
        double d = w->dist_between_feet_p_points / 2;
        EXPECT_NEAR(r.left.p[0], -0.0108 + X, 1e-3) << X;
        EXPECT_NEAR(r.right.p[0], -0.0108 + X, 1e-3) << X;
        EXPECT_NEAR(r.left.p[1], d, 1e-3) << X;
        EXPECT_NEAR(r.right.p[1], -d, 1e-3) << X;
        Vector_<double> com = com_of(*w, r.torso);
        EXPECT_NEAR(com[0] - com0[0], X, 1.5e-3) << X;
        EXPECT_NEAR(com[1] - com0[1], 0.0, 1e-3) << X;
        EXPECT_NEAR(yaw_of(r.torso.R), 0.0, 1e-9) << X;
        EXPECT_LT(r.max_slip, 1e-6) << X;
    }
}

TEST(WalkMotion, LateralRequestsMoveTheWholeBodyByY)
{
    const double ys[] = {0.05, 0.1, -0.1, 0.2};
    for (double Y : ys) {
        auto w = make_walk();
        Vector_<double> com0 = com_of(*w, Pose());
        ASSERT_TRUE(w->init_walk_translate(0.0, Y, 0.18));
        WalkResult r = drive(*w);
        ASSERT_TRUE(w->stopped) << Y;
        double d = w->dist_between_feet_p_points / 2;
        EXPECT_NEAR(r.left.p[1], d + Y, 1e-3) << Y;
        EXPECT_NEAR(r.right.p[1], -d + Y, 1e-3) << Y;
        EXPECT_NEAR(r.left.p[0], -0.0108, 1e-3) << Y;
        EXPECT_NEAR(r.right.p[0], -0.0108, 1e-3) << Y;
        Vector_<double> com = com_of(*w, r.torso);
        EXPECT_NEAR(com[1] - com0[1], Y, 1e-3) << Y;
        EXPECT_NEAR(com[0] - com0[0], 0.0, 1e-3) << Y;
        EXPECT_LT(r.max_slip, 1e-6) << Y;
    }
}

TEST(WalkMotion, RotationsTurnTheBodyAboutTheMidpointOfTheAnkles)
{
    const double thetas[] = {kPi / 4, kPi / 2, -kPi / 2, 1.0, kPi};
    for (double th : thetas) {
        auto w = make_walk();
        ASSERT_TRUE(w->init_walk_rotate(th, 0.0, 0.18));
        WalkResult r = drive(*w);
        ASSERT_TRUE(w->stopped) << th;
        EXPECT_NEAR(std::remainder(yaw_of(r.torso.R) - th, 2 * kPi), 0.0, 1e-3) << th;
        EXPECT_NEAR(std::remainder(yaw_of(r.left.R) - th, 2 * kPi), 0.0, 1e-3) << th;
        EXPECT_NEAR(std::remainder(yaw_of(r.right.R) - th, 2 * kPi), 0.0, 1e-3) << th;
        // The point between the ankles (the rotation centre) stays put.
        Vector_<double> mid = sole_midpoint(r);
        EXPECT_NEAR(mid[0], -0.0108, 2e-3) << th;
        EXPECT_NEAR(mid[1], 0.0, 2e-3) << th;
        // The body ends in the stand pose: feet back at their rest targets.
        EXPECT_NEAR(w->foot_left[0], -0.0108, 1e-3) << th;
        EXPECT_NEAR(w->foot_left[1], w->dist_between_feet_p_points / 2, 1e-3) << th;
        EXPECT_NEAR(std::remainder(w->thetaG() - th, 2 * kPi), 0.0, 1e-9) << th;
        EXPECT_LT(r.max_slip, 1e-6) << th;
    }
}

TEST(WalkMotion, RotationAboutACentreBehindTheRobot)
{
    // A centre 0.3 m behind the ankles: the ankles travel on a circle.
    auto w = make_walk();
    const double th = 0.1, R = 0.3;
    ASSERT_TRUE(w->init_walk_rotate(th, 0.3, 0.18));
    WalkResult r = drive(*w);
    ASSERT_TRUE(w->stopped);
    Vector_<double> mid = sole_midpoint(r);
    EXPECT_NEAR(mid[0] - (-0.0108), -R + R * std::cos(th), 2e-3);
    EXPECT_NEAR(mid[1], R * std::sin(th), 2e-3);
    EXPECT_NEAR(yaw_of(r.torso.R), th, 1e-3);
    double x, y, t;
    w->getOdo(x, y, t);
    EXPECT_NEAR(x, mid[0] - (-0.0108), 1e-3);
    EXPECT_NEAR(y, mid[1], 1e-3);
    EXPECT_NEAR(t, th, 1e-9);
}

TEST(WalkMotion, OdometryFollowsTheWalks)
{
    auto w = make_walk();
    double x, y, t;
    // Anchored before the first walk: walking 0.5 m ahead (heading pi/2 on
    // the field) adds 0.5 along the field's y.
    w->setOdo(1.0, 2.0, kPi / 2);
    ASSERT_TRUE(w->init_walk_translate(0.5, 0.0, 0.24));
    WalkResult r1 = drive(*w);
    w->getOdo(x, y, t);
    // The odometry follows the COM, which comes to rest about a millimetre
    // behind the middle of the feet.
    EXPECT_NEAR(x, 1.0, 1e-3);
    EXPECT_NEAR(y, 2.5, 2e-3);
    EXPECT_NEAR(t, kPi / 2, 1e-9);
    EXPECT_NEAR(y - 2.0, sole_midpoint(r1)[0] - (-0.0108), 2e-3);
    // A second walk adds to the first, anchored twice without walking.
    w->setOdo(0.0, 0.0, 0.0);
    w->setOdo(0.5, -0.5, 0.0);
    w->getOdo(x, y, t);
    EXPECT_DOUBLE_EQ(x, 0.5);
    EXPECT_DOUBLE_EQ(y, -0.5);
    ASSERT_TRUE(w->init_walk_rotate(kPi / 2, 0.0, 0.18));
    drive(*w);
    ASSERT_TRUE(w->init_walk_translate(0.0, 0.1, 0.18));
    drive(*w);
    w->getOdo(x, y, t);
    // Turned left, then stepped to its left: towards the field's -x.
    EXPECT_NEAR(x, 0.5 - 0.1, 2e-3);
    EXPECT_NEAR(y, -0.5, 2e-3);
    EXPECT_NEAR(t, kPi / 2, 1e-6);

    // After a reset (a kick or a stand-up) and before the next anchor, the
    // pose is the walk since the reset, from (0, 0, 0).
    w->ResetWalk();
    w->getOdo(x, y, t);
    EXPECT_DOUBLE_EQ(x, 0.0);
    EXPECT_DOUBLE_EQ(y, 0.0);
    EXPECT_DOUBLE_EQ(t, 0.0);
    ASSERT_TRUE(w->init_walk_translate(0.1, 0.0, 0.24));
    ASSERT_TRUE(w->update_walk());
    w->getOdo(x, y, t);
    EXPECT_NEAR(x, 0.0, 1e-3);  // the first cycle does not move the robot
    drive(*w);
    w->getOdo(x, y, t);
    EXPECT_NEAR(x, 0.1, 1e-3);
    EXPECT_NEAR(y, 0.0, 1e-3);
    EXPECT_NEAR(t, 0.0, 1e-9);
}

TEST(WalkMotion, LongWalkStaysWithinTheJointLimits)
{
    // Forward, sideways, turning, a take-over of the same kind mid-walk, a
    // turn reversed on the spot, a request of the other kind that cuts the
    // walk short, requests queued behind each other, a turn about a centre,
    // and a turn asked to stop short of what it has already turned.
    struct Request {
        int cycle;
        char kind;
        double a, b;
    } script[] = {
        {0, 't', 0.3, 0.0},    {60, 't', 0.5, 0.1},   {200, 'r', 1.2, 0.0},  {330, 't', 0.0, -0.15},
        {420, 'r', -0.8, 0.0}, {470, 'r', -1.5, 0.0}, {520, 'r', 0.6, 0.0},  {700, 't', -0.2, 0.05},
        {740, 't', 0.2, 0.0},  {900, 'r', 0.1, 0.2},  {1000, 't', 0.1, 0.0}, {1005, 'r', 0.4, 0.0},
        {1200, 'r', 1.5, 0.0}, {1245, 'r', 0.2, 0.0},
    };
    auto w = make_walk();
    FloorTracker tr(*w->model);
    double qL[6] = {0}, qR[6] = {0}, prev[12] = {0};
    w->getLegAnglesForCommand(qL, qR);  // the stand pose
    for (int j = 0; j < 6; j++) {
        prev[j] = qL[j];
        prev[6 + j] = qR[j];
    }
    size_t next = 0;
    int walking_cycles = 0;
    double worst_jump = 0.0;
    bool saw_take_over = false, saw_pending = false, saw_reversal = false;
    for (int cycle = 0; cycle < 3000; cycle++) {
        while (next < sizeof script / sizeof script[0] && script[next].cycle == cycle) {
            const Request& q = script[next++];
            if (q.kind == 't')
                EXPECT_TRUE(w->init_walk_translate(q.a, q.b, 0.24)) << cycle;
            else
                EXPECT_TRUE(w->init_walk_rotate(q.a, q.b, 0.18)) << cycle;
        }
        saw_take_over |= w->reentrant != 0;
        saw_pending |= w->pending != 0;
        if (w->update_walk()) walking_cycles++;
        saw_reversal |= w->dir_change_on_place != 0;
        w->getLegAnglesForCommand(qL, qR);
        tr.update(qL, qR);
        const double* legs[2] = {qL, qR};
        for (int s = 0; s < 2; s++) {
            const JointRange* lim = s == 0 ? kLeftLegLimits : kRightLegLimits;
            for (int j = 0; j < 6; j++) {
                ASSERT_TRUE(std::isfinite(legs[s][j])) << "cycle " << cycle << " leg " << s << " joint " << j;
                double deg = simulator_degrees(legs[s], j);
                // A swing foot held level at the top of its lift asks the
                // ankle for a few degrees more dorsiflexion than the joint
                // has; the simulator stops it at its limit, in the air.
                const double* foot = s == 0 ? w->foot_left : w->foot_right;
                const double* other = s == 0 ? w->foot_right : w->foot_left;
                bool lifted = foot[2] > other[2] + 1e-6;
                double hi = lim[j].hi + ((j == 4 && lifted) ? 10.0 : 0.5);
                EXPECT_GE(deg, lim[j].lo - 0.5) << "cycle " << cycle << " leg " << s << " joint " << j;
                EXPECT_LE(deg, hi) << "cycle " << cycle << " leg " << s << " joint " << j;
                double step = std::fabs(legs[s][j] - prev[6 * s + j]) * kDeg;
                worst_jump = std::fmax(worst_jump, step);
                // At most 12 degrees per 10 ms: a fast step, never a jump.
                EXPECT_LE(step, 12.0) << "cycle " << cycle << " leg " << s << " joint " << j;
                prev[6 * s + j] = legs[s][j];
            }
        }
        if (HasFailure()) return;
        if (next == sizeof script / sizeof script[0] && w->stopped) break;
    }
    EXPECT_TRUE(w->stopped);
    EXPECT_GT(walking_cycles, 800);
    EXPECT_TRUE(saw_take_over);
    EXPECT_TRUE(saw_pending);
    EXPECT_TRUE(saw_reversal);
    EXPECT_LT(tr.max_slip, 1e-6);
    RecordProperty("worst_joint_step_deg", std::to_string(worst_jump));
}

TEST(WalkMotion, TurnAskedForLessThanItHasTurnedStopsAtRest)
{
    // Taking over a turn whose new target lies behind the angle already
    // turned stops the walk after its next closing step.
    struct Case {
        double first;
        int at_cycle;
        double second;
    } cases[] = {{1.5, 30, 0.0001}, {1.0, 33, 0.1}, {2.5, 60, 0.2}, {-1.5, 50, -0.2}};
    for (const auto& c : cases) {
        auto w = make_walk();
        ASSERT_TRUE(w->init_walk_rotate(c.first, 0.0, 0.18));
        for (int i = 0; i < c.at_cycle; i++) w->update_walk();
        double heading_at_request = w->thetaG();
        ASSERT_TRUE(w->init_walk_rotate(c.second, 0.0, 0.18));
        FloorTracker tr(*w->model);
        double qL[6], qR[6], prev[12];
        w->getLegAnglesForCommand(qL, qR);
        tr.update(qL, qR);
        for (int j = 0; j < 6; j++) {
            prev[j] = qL[j];
            prev[6 + j] = qR[j];
        }
        double worst = 0.0;
        int cycles = 0;
        while (w->update_walk() && cycles++ < 2000) {
            w->getLegAnglesForCommand(qL, qR);
            tr.update(qL, qR);
            for (int j = 0; j < 6; j++) {
                worst = std::fmax(worst, std::fabs(qL[j] - prev[j]) * kDeg);
                worst = std::fmax(worst, std::fabs(qR[j] - prev[6 + j]) * kDeg);
                prev[j] = qL[j];
                prev[6 + j] = qR[j];
            }
        }
        ASSERT_TRUE(w->stopped) << c.first;
        EXPECT_LT(worst, 12.0) << c.first;
        // It stopped beyond the requested heading, with the feet parallel
        // and back at their rest targets.
        EXPECT_GE(std::fabs(w->thetaG()), std::fabs(heading_at_request)) << c.first;
        EXPECT_NEAR(w->foot_left[0], -0.0108, 1e-3) << c.first;
        EXPECT_NEAR(w->foot_right[0], -0.0108, 1e-3) << c.first;
        EXPECT_NEAR(w->foot_left[1], 0.055, 1e-3) << c.first;
        EXPECT_NEAR(w->foot_right[1], -0.055, 1e-3) << c.first;
        EXPECT_NEAR(std::remainder(yaw_of(tr.left().R) - yaw_of(tr.right().R), 2 * kPi), 0.0, 1e-6)
            << c.first;
        EXPECT_LT(tr.max_slip, 1e-6) << c.first;
    }
}

TEST(WalkMotion, ReversedTurnStoppedAfterItsStepOnTheSpotClosesAsUsual)
{
    // A turn reversed on the spot has one step more in its way-point than
    // cruise steps done; stopping it afterwards still runs the last two
    // phases in full, without a jump of the legs.
    struct Case {
        double first, reversed, stop;
    } cases[] = {{-1.0, 1.5, 0.0001}, {1.2, -1.6, -0.0001}, {-1.0, 1.5, 0.01}};
    for (const auto& c : cases) {
        auto w = make_walk();
        ASSERT_TRUE(w->init_walk_rotate(c.first, 0.0, 0.18));
        while (!(w->k > w->nbp[1] + 3)) ASSERT_TRUE(w->update_walk());
        ASSERT_TRUE(w->init_walk_rotate(c.reversed, 0.0, 0.18));
        int guard = 0;
        while (!w->dir_change_on_place && guard++ < 200) ASSERT_TRUE(w->update_walk());
        ASSERT_TRUE(w->dir_change_on_place) << c.first;
        // Past the step on the spot, then a request already turned beyond.
        while (w->dir_change_on_place && guard++ < 400) ASSERT_TRUE(w->update_walk());
        for (int i = 0; i < 3; i++) ASSERT_TRUE(w->update_walk());
        ASSERT_TRUE(w->init_walk_rotate(c.stop, 0.0, 0.18));
        double qL[6], qR[6], prev[12];
        w->getLegAnglesForCommand(qL, qR);
        for (int j = 0; j < 6; j++) {
            prev[j] = qL[j];
            prev[6 + j] = qR[j];
        }
        bool saw_start_p4 = false, saw_end_p4 = false;
        double worst = 0.0;
        int cycles = 0;
        while (w->update_walk() && cycles++ < 2000) {
            saw_start_p4 |= w->start_p4 && !w->in_p3;
            saw_end_p4 |= w->end_p4;
            w->getLegAnglesForCommand(qL, qR);
            for (int j = 0; j < 6; j++) {
                worst = std::fmax(worst, std::fabs(qL[j] - prev[j]) * kDeg);
                worst = std::fmax(worst, std::fabs(qR[j] - prev[6 + j]) * kDeg);
                prev[j] = qL[j];
                prev[6 + j] = qR[j];
            }
        }
        EXPECT_TRUE(w->stopped) << c.first;
        EXPECT_TRUE(saw_start_p4) << c.first;
        EXPECT_TRUE(saw_end_p4) << c.first;
        EXPECT_LT(worst, 12.0) << c.first;
        EXPECT_NEAR(w->foot_left[0], -0.0108, 1e-3) << c.first;
        EXPECT_NEAR(w->foot_right[0], -0.0108, 1e-3) << c.first;
        EXPECT_NEAR(w->yaw_left - w->yaw_right, 0.0, 1e-9) << c.first;
    }
}
