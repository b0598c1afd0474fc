// Dribbling: going to the ball, reaching the push point behind it, the
// random step away from the own goal, and the timed push.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "behavior/at_ball.h"
#include "behavior/at_push_point.h"
#include "behavior/att.h"
#include "behavior/dribble.h"
#include "behavior/not_at_ball.h"
#include "behavior/not_at_push_point.h"
#include "behavior/play_on.h"
#include "behavior/playing.h"
#include "machine_world.h"

namespace {

class Dribble : public MachineWorld {
protected:
    dribble& drib() { return *agent->fsm->play_on_fsm->playing_fsm->att_fsm->dribble_fsm; }
    not_at_ball& to_ball() { return *drib().not_at_ball_fsm; }
    at_ball& at() { return *drib().at_ball_fsm; }
    at_push_point& pushing() { return *at().at_push_point_fsm; }
    not_at_push_point& to_push_point() { return *at().not_at_push_point_fsm; }
    void SetUp() override
    {
        MachineWorld::SetUp();
        play_mode(NaoParse::PM_PLAY_ON);
    }
    void expect_trans(double fwd, double side)
    {
        Request r = take();
        EXPECT_EQ(r.kind, Request::TRANS) << r;
        EXPECT_NEAR(r.a, fwd, 1e-9) << r;
        EXPECT_NEAR(r.b, side, 1e-9) << r;
    }
    void expect_rot(double a)
    {
        Request r = take();
        EXPECT_EQ(r.kind, Request::ROT) << r;
        EXPECT_NEAR(r.a, a, 1e-9) << r;
        EXPECT_DOUBLE_EQ(r.b, -0.01) << r;
    }
};

TEST_F(Dribble, ABallAheadIsWalkedToByItsOffset)
{
    ball_at(-3.5, 0);  // 1.5 m straight ahead
    step(drib());
    ASSERT_EQ(drib().state, dribble::NOT_AT_BALL);
    step(drib());
    ASSERT_EQ(to_ball().state, not_at_ball::GOTO_BALL);
    EXPECT_EQ(take().kind, Request::NONE);
    for (int i = 0; i < 3; ++i) {
        step(drib());
        EXPECT_EQ(to_ball().state, not_at_ball::GOTO_BALL);
        expect_trans(1.5, 0);
    }
    // Within 1 m: the dribble plays the ball.
    pose(-4.2, 0, 0);
    step(drib());
    EXPECT_EQ(drib().state, dribble::INIT);
    step(drib());
    EXPECT_EQ(drib().state, dribble::AT_BALL);
}

TEST_F(Dribble, ABallLostFromViewIsSearchedForByTurningRight)
{
    ball_at(-3.5, 0);
    step(drib());
    step(drib());
    ASSERT_EQ(to_ball().state, not_at_ball::GOTO_BALL);
    ball_unseen(10);  // still known (below 500)
    step(drib());
    ASSERT_EQ(to_ball().state, not_at_ball::SIMPLY_ROTATE);
    for (int i = 0; i < 2; ++i) {
        step(drib());
        expect_rot(-0.3);
    }
    // In view again off to the left: a half turn towards it ...
    ball_at(-3.5, 0.5);  // bearing 0.32 rad
    step(drib());
    expect_rot(0.5 * std::atan2(0.5, 1.5));
    // ... and once nearly ahead, facing it again.
    ball_at(-3.5, 0.2);
    step(drib());
    EXPECT_EQ(to_ball().state, not_at_ball::FACE_THE_BALL);
}

TEST_F(Dribble, ABallOffToTheSideIsFacedFirst)
{
    ball_at(-4, 2);  // 63 degrees to the left, 2.2 m
    step(drib());
    step(drib());
    EXPECT_EQ(to_ball().state, not_at_ball::FACE_THE_BALL);
    step(drib());  // its two tests are complementary
    EXPECT_EQ(to_ball().state, not_at_ball::SIMPLY_ROTATE);
    step(drib());
    expect_rot(0.5 * std::atan2(2, 1));
}

// ---- at the ball ----

// Robot at (0, 0) facing its own goal (heading pi), the ball 0.5 m in front
// of it: at the ball, away from the push point, which lies beside the ball.
class OwnGoal : public Dribble {
protected:
    void SetUp() override
    {
        Dribble::SetUp();
        pose(0, 0, M_PI);
        ball_at(-0.5, 0);
    }
};

struct OwnGoalBall {
    const char* name;
    double ball_x;  // the robot stands at the centre spot facing its own goal (-x)
    int forward;    // sign of the step's forward part
};

void PrintTo(const OwnGoalBall& c, std::ostream* os) { *os << c.name; }

class OwnGoalStep : public OwnGoal, public ::testing::WithParamInterface<OwnGoalBall> {};

// One random step per avoidance: n/10 m forward and n/10 m to a random
// side, the length drawn first; a length of 0 asks for no walk. With the
// ball ahead (between the robot and its own goal) the step goes backwards:
// forward it would walk through the ball and push it towards the own goal.
TEST_P(OwnGoalStep, FacingTheOwnGoalMakesOneRandomStepThenWaitsASecond)
{
    int found_zero = 0, found_left = 0, found_right = 0;
    for (unsigned seed = 1; seed < 200 && (found_zero < 1 || found_left < 1 || found_right < 1); ++seed) {
        std::srand(seed);
        const int n = std::rand() % 10;
        const int s = (std::rand() % 2 == 1) ? 1 : -1;
        int& found = n == 0 ? found_zero : (s > 0 ? found_left : found_right);
        if (found > 0) continue;
        ++found;
        SetUp();
        ball_at(GetParam().ball_x, 0);
        std::srand(seed);
        step(to_push_point());
        ASSERT_EQ(to_push_point().state, not_at_push_point::REMOVE_OWN_GOAL_ALIGNMENT) << seed;
        EXPECT_TRUE(agent->goalAlignAvoidanceStarted());
        if (n == 0)
            EXPECT_EQ(take().kind, Request::NONE) << seed;
        else
            expect_trans(GetParam().forward * n / 10.0, s * n / 10.0);
        advance_clock(0.9);
        step(to_push_point());
        EXPECT_EQ(to_push_point().state, not_at_push_point::REMOVE_OWN_GOAL_ALIGNMENT);
        EXPECT_EQ(take().kind, Request::NONE);
        advance_clock(0.1);
        step(to_push_point());
        EXPECT_EQ(to_push_point().state, not_at_push_point::INIT);
        EXPECT_FALSE(agent->goalAlignAvoidanceStarted());
    }
    EXPECT_EQ(found_zero + found_left + found_right, 3);
}

INSTANTIATE_TEST_SUITE_P(Table, OwnGoalStep,
                         ::testing::Values(OwnGoalBall{"ball_behind", 0.5, 1},
                                           OwnGoalBall{"ball_ahead", -0.5, -1}),
                         [](const ::testing::TestParamInfo<OwnGoalBall>& i) {
                             return std::string(i.param.name);
                         });

TEST_F(OwnGoal, NotFacingTheOwnGoalWalksStraightToThePushPoint)
{
    // Behind the ball as seen from the opponent goal: the push point is
    // 0.3 m behind the ball on the line from the goal, (-5.3, 0).
    pose(-6, 1, 0);
    ball_at(-5, 0);
    step(to_push_point());
    ASSERT_EQ(to_push_point().state, not_at_push_point::TRANSLATE_TO_PUSH_POINT);
    step(to_push_point());
    expect_trans(0.7, -1);
    // Turned by 90 degrees to the left, the same point lies ahead-right.
    pose(-6, 1, M_PI / 2);
    step(to_push_point());
    expect_trans(-1, -0.7);
    // Turned to face the own goal: back to init.
    pose(-6, 1, M_PI);
    step(to_push_point());
    EXPECT_EQ(to_push_point().state, not_at_push_point::INIT);
}

// A goal kick's ball, 1 m from the own goal's centre, with the robot come
// from the field facing it (and the own goal): the dribble walks to the push
// point beside the ball. A random step away from the own goal there changed
// nothing: ball and goal stayed in one direction, the robot stepped away,
// came back and stepped away again, and the server dropped the ball.
TEST_F(OwnGoal, NearTheOwnGoalTheRobotFacingItWalksToThePushPointBesideTheBall)
{
    pose(-13.1, 0.1, M_PI);
    ball_at(-14, 0);  // 0.91 m ahead; push point (-14, 0.3), 0.9 m ahead and 0.2 m to the right
    int walks = 0;
    for (int i = 0; i < 300; ++i) {
        step(drib());
        advance_clock(0.01);
        Request r = take();
        if (r.kind == Request::NONE) continue;
        ASSERT_EQ(r.kind, Request::TRANS) << i;
        EXPECT_NEAR(r.a, 0.9, 1e-9) << i;
        EXPECT_NEAR(r.b, -0.2, 1e-9) << i;
        ++walks;
    }
    EXPECT_EQ(drib().state, dribble::AT_BALL);
    EXPECT_EQ(to_push_point().state, not_at_push_point::TRANSLATE_TO_PUSH_POINT);
    EXPECT_FALSE(agent->goalAlignAvoidanceStarted());
    EXPECT_GT(walks, 250);
}

// A kick-in's ball 0.95 m ahead of a robot facing the side line, its last
// landmark fix 5 s old and 3.5 m behind it: the walk to the push point is
// worked out from where the odometry has carried the robot, the pose the
// ball's field place came from. From the old fix it asked for a walk of
// metres, away from a ball it saw right ahead.
TEST_F(OwnGoal, WithAnOldFixThePushPointIsReachedFromTheDeadReckonedPose)
{
    pose(-3, 8.95, M_PI / 2, 500 - 1);
    ball_at(-3, 9.9);
    Localize_t& l = loc();
    l.x = -3.5;
    l.y = 5.5;
    l.torso_heading = l.head_heading = 0.3;
    step(to_push_point());
    ASSERT_EQ(to_push_point().state, not_at_push_point::TRANSLATE_TO_PUSH_POINT);
    // Push point beside the ball on the robot's side: ball + 0.3 m along
    // (-9.9, -18) / 20.54, (-3.1446, 9.6371); 0.687 m ahead, 0.145 m left.
    step(to_push_point());
    Request r = take();
    ASSERT_EQ(r.kind, Request::TRANS) << r;
    EXPECT_NEAR(r.a, 0.6871, 1e-3) << r;
    EXPECT_NEAR(r.b, 0.1446, 1e-3) << r;
}

TEST_F(OwnGoal, ABallInTheWayOfThePushPointIsSteppedBackFrom)
{
    // The ball 0.14 m ahead-right, the push point (-5.3, 0) beyond it.
    pose(-5.1, 0.1, 0);
    ball_at(-5, 0);
    step(to_push_point());
    step(to_push_point());
    expect_trans(-0.5, 0);
}

TEST_F(OwnGoal, WithoutABallOrASideThereIsNoPushPointToWalkTo)
{
    pose(-6, 1, 0);
    ball_at(-5, 0);
    step(to_push_point());
    ASSERT_EQ(to_push_point().state, not_at_push_point::TRANSLATE_TO_PUSH_POINT);
    parse().side = 0;
    step(to_push_point());
    EXPECT_EQ(take().kind, Request::NONE);
}

// ---- at the push point ----

TEST_F(Dribble, NearTheOpponentGoalThePushStartsWithoutAligning)
{
    // Ball 2.5 m from the goal centre, robot on its push point facing away
    // to the left.
    ball_at(12.5, 0);
    pose(12.2, 0, M_PI / 2);
    step(pushing());
    EXPECT_EQ(pushing().state, at_push_point::PUSH_THE_BALL);
    EXPECT_TRUE(agent->pushStarted());
    // The push walks 1 m past the ball along its bearing.
    step(pushing());
    const double a = -M_PI / 2, d = 0.3 + 1;
    expect_trans(std::cos(a) * d, std::sin(a) * d);
}

TEST_F(Dribble, AwayFromTheGoalTheRobotAlignsBeforePushing)
{
    ball_at(0, 0);
    pose(-0.3, 0, 0.3);
    step(pushing());
    ASSERT_EQ(pushing().state, at_push_point::FACE_THE_BALL);
    EXPECT_FALSE(agent->pushStarted());
    step(pushing());
    expect_rot(-0.15);
    pose(-0.3, 0, 0.05);
    step(pushing());
    EXPECT_EQ(pushing().state, at_push_point::INIT);
    step(pushing());
    EXPECT_EQ(pushing().state, at_push_point::PUSH_THE_BALL);
}

struct PushPointEdge {
    const char* name;
    double off;  // m from the push point (-0.3, 0), across the line to the goal
    int state;
};

void PrintTo(const PushPointEdge& c, std::ostream* os) { *os << c.name; }

class AtThePushPoint : public Dribble, public ::testing::WithParamInterface<PushPointEdge> {};

// Reached within 0.15 m, the push point counts as reached up to 0.25 m
// while the robot turns to the ball: on the edge of 0.15 m it went back and
// forth between turning and walking.
TEST_P(AtThePushPoint, CountsAsReachedWithAMargin)
{
    ball_at(0, 0);
    pose(-0.3, 0.1, 0.3);  // 0.1 m off, the ball to the right: it turns first
    step(at());
    ASSERT_EQ(at().state, at_ball::AT_PUSH_POINT);
    step(at());
    ASSERT_EQ(pushing().state, at_push_point::FACE_THE_BALL);
    pose(-0.3, GetParam().off, 0.3);
    step(at());
    EXPECT_EQ(at().state, GetParam().state);
}

INSTANTIATE_TEST_SUITE_P(Table, AtThePushPoint,
                         ::testing::Values(PushPointEdge{"past_the_edge", 0.2, at_ball::AT_PUSH_POINT},
                                           PushPointEdge{"past_the_margin", 0.27, at_ball::INIT}),
                         [](const ::testing::TestParamInfo<PushPointEdge>& i) {
                             return std::string(i.param.name);
                         });

TEST_F(Dribble, APushLastsSixSecondsAndKeepsTheMachineAtThePushPoint)
{
    ball_at(0, 0);
    pose(-0.3, 0, 0);
    step(at());
    ASSERT_EQ(at().state, at_ball::AT_PUSH_POINT);
    step(at());
    ASSERT_EQ(pushing().state, at_push_point::PUSH_THE_BALL);
    // The robot leaves the push point while pushing: the push goes on.
    pose(0.4, 0.2, 0);
    ball_at(1.0, 0.2);
    advance_clock(5.9);
    step(at());
    EXPECT_EQ(at().state, at_ball::AT_PUSH_POINT);
    EXPECT_EQ(pushing().state, at_push_point::PUSH_THE_BALL);
    advance_clock(0.1);
    step(at());
    EXPECT_EQ(pushing().state, at_push_point::INIT);
    EXPECT_FALSE(agent->pushStarted());
    // Off the push point with no push: at_ball decides again.
    step(at());
    EXPECT_EQ(at().state, at_ball::INIT);
    step(at());
    EXPECT_EQ(at().state, at_ball::NOT_AT_PUSH_POINT);
}

}  // namespace
