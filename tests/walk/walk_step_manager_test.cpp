// The walk of the run-challenge variant: its translations take their step
// count and their forward steps from the step manager; rotations and the
// match agent's walk do not.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "walk/walk.h"
#include "walk_fixtures.h"

using namespace walk_test;

namespace {

std::unique_ptr<walk> make_walk(bool run_variant)
{
    testing::internal::CaptureStderr();
    std::unique_ptr<walk> w(
        new walk(0.01, 1, 0, 0, "./", run_variant ? motion_variant_t::run_challenge() : motion_variant_t()));
    testing::internal::GetCapturedStderr();
    return w;
}

// Runs the walk to its end; the forward steps that the step manager handed
// out on the way, in order.
std::vector<double> walk_to_end(walk& w)
{
    std::vector<double> steps;
    double rem = w.step_manage.rem_dist;
    for (int i = 0; i < 20000 && w.update_walk(); i++) {
        if (w.step_manage.rem_dist != rem) steps.push_back(rem - w.step_manage.rem_dist);
        rem = w.step_manage.rem_dist;
    }
    return steps;
}

// The steps of a ramped plan: from step_max / 12 up by step_max / 6 a step
// to step_max at the seventh, never longer, adding up to the distance.
void expect_ramp(const std::vector<double>& steps, double step_max, double distance)
{
    ASSERT_GE(steps.size(), 8u);
    EXPECT_NEAR(steps[0], step_max / 12, 1e-9);
    for (int i = 1; i < 6; i++) EXPECT_NEAR(steps[i] - steps[i - 1], step_max / 6, 1e-9) << i;
    EXPECT_NEAR(steps[6], step_max, 1e-9);
    double sum = 0;
    for (double st : steps) {
        EXPECT_LE(st, step_max + 1e-9);
        sum += st;
    }
    EXPECT_NEAR(sum, distance, 1e-9);
}

class StepManagedWalk : public ::testing::Test {
protected:
    ScopedWorkDir dir;
};

TEST_F(StepManagedWalk, OneMetreIsTwentyRampedSteps)
{
    auto w = make_walk(true);
    ASSERT_TRUE(w->init_walk_translate(1.0, 0.0, 0.18));
    EXPECT_EQ(w->n, 20);
    EXPECT_EQ(w->nx, 20);
    EXPECT_DOUBLE_EQ(w->step_manage.t_step, w->step_period);
    expect_ramp(walk_to_end(*w), 0.08, 1.0);
    // The COM arrives where the request said.
    EXPECT_NEAR(w->getxG(), 1.0, 0.01);
    EXPECT_NEAR(w->getyG(), 0.0, 0.01);
}

// The ramp climbs to the robot type's own longest step: a walk parameter
// file with 0.11 m has the plan's steps grow by 0.11 / 6 up to 0.11.
TEST_F(StepManagedWalk, RampClimbsToTheLongestStepOfTheWalkFile)
{
    dir.append_walk_params("xlength_step_max 0.11\n");
    auto w = make_walk(true);
    EXPECT_DOUBLE_EQ(w->step_manage.step_max, 0.11);
    ASSERT_TRUE(w->init_walk_translate(2.0, 0.0, 0.18));
    expect_ramp(walk_to_end(*w), 0.11, 2.0);
    EXPECT_NEAR(w->getxG(), 2.0, 0.01);
}

TEST_F(StepManagedWalk, MatchWalkKeepsItsEqualSteps)
{
    auto w = make_walk(false);
    ASSERT_TRUE(w->init_walk_translate(1.0, 0.0, 0.18));
    EXPECT_EQ(w->n, 13);  // 1.0 / 0.08 = 12.5 rounds to 13, no rest
    EXPECT_NEAR(w->step_x, 1.0 / 13, 1e-12);
    EXPECT_TRUE(walk_to_end(*w).empty());
}

TEST_F(StepManagedWalk, BackwardRequestWalksBackwards)
{
    auto w = make_walk(true);
    ASSERT_TRUE(w->init_walk_translate(-0.5, 0.0, 0.18));
    std::vector<double> steps = walk_to_end(*w);
    ASSERT_FALSE(steps.empty());
    for (double s : steps) EXPECT_LE(s, 0.0);
    EXPECT_NEAR(w->getxG(), -0.5, 0.01);
}

TEST_F(StepManagedWalk, TurnAfterARunStillTurns)
{
    auto run = make_walk(true);
    auto match = make_walk(false);
    for (walk* w : {run.get(), match.get()}) {
        ASSERT_TRUE(w->init_walk_translate(0.4, 0.0, 0.18));
        walk_to_end(*w);
        ASSERT_TRUE(w->init_walk_rotate(M_PI / 2, -0.01, 0.18));
    }
    EXPECT_EQ(run->n, match->n);
    EXPECT_GT(run->n, 1);
    const double heading_before = run->thetaG();
    std::vector<double> steps = walk_to_end(*run);
    walk_to_end(*match);
    EXPECT_TRUE(steps.empty());  // no forward steps while turning
    EXPECT_NEAR(std::remainder(run->thetaG() - heading_before, 2 * M_PI), M_PI / 2, 0.05);
    EXPECT_NEAR(run->thetaG(), match->thetaG(), 1e-9);
}

TEST_F(StepManagedWalk, SideComponentKeepsItsStepPairs)
{
    auto w = make_walk(true);
    ASSERT_TRUE(w->init_walk_translate(0.3, 0.2, 0.18));
    EXPECT_EQ(w->n % 2, 0);  // lateral steps come in pairs
    EXPECT_GE(w->n, 8);      // 0.2 m needs 4 lateral steps of at most 0.06 m
    EXPECT_LE(w->step_y, 0.06 + 1e-12);
    EXPECT_NEAR(w->step_y * (w->n / 2), 0.2, 1e-12);
    walk_to_end(*w);
    EXPECT_NEAR(w->getxG(), 0.3, 0.01);
    EXPECT_NEAR(w->getyG(), 0.2, 0.01);
}

// Without body masses (no body files) the run-challenge walk reports a
// null mass and keeps the moments undivided; walking stays off in both.
TEST(StepManagedWalkNullMass, IsReportedAndWalkingStaysOff)
{
    ScopedWorkDir empty(false);
    for (bool run : {true, false}) {
        NaoBase::reset();  // the torso's values are process-wide
        testing::internal::CaptureStderr();
        walk w(0.01, 1, 0, 0, "./", run ? motion_variant_t::run_challenge() : motion_variant_t());
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(err.find("\n null MASS, be careful !!!\n") != std::string::npos, run) << err;
        EXPECT_EQ(err.find("walk::set_zc_and_Torso2COM: total body mass") != std::string::npos, !run) << err;
        EXPECT_EQ(w.total_mass, 0.0);
        EXPECT_EQ(w.xCOM_RT, 0.0);
        EXPECT_FALSE(w.can_walk());
    }
}

}  // namespace
