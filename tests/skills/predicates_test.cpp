// What the robot can tell about the ball, the goals, the push point and the
// kick points, from perceptions of hand-placed scenes on both field sides.
#include <cmath>
#include <string>

#include "skills/skills_fixture.h"

namespace {

using skills_test::kPi;
using skills_test::SkillsTest;

const double kTol = 1e-4;

double wrap(double a)
{
    while (a < -kPi) a += 2 * kPi;
    while (a > kPi) a -= 2 * kPi;
    return a;
}

class Predicates : public SkillsTest {};

TEST_F(Predicates, BallAndPoseValidityCountUpdatesWithoutThem)
{
    // The ball counts as unseen for the first 1000 updates.
    EXPECT_FALSE(agent->ballSeen(Localize_t::VALID_BALL_SEEN_CNT));
    EXPECT_TRUE(agent->ballSeen(1001));
    EXPECT_DOUBLE_EQ(agent->globalBallDistance(500), 0.0);

    scene.x = -4;
    scene.y = 2;
    scene.ball_x = -2;
    scene.ball_y = 2;
    perceive();
    EXPECT_TRUE(agent->ballSeen(1));
    EXPECT_TRUE(agent->globalCoord(1));

    scene.ball = false;
    scene.landmarks = false;
    perceive_times(9);
    EXPECT_TRUE(agent->ballSeen(10));
    EXPECT_FALSE(agent->ballSeen(9));
    EXPECT_TRUE(agent->globalCoord(10));
    EXPECT_FALSE(agent->globalCoord(9));
    // Distances and angles read as 0 once their count is exceeded.
    EXPECT_NEAR(agent->globalBallDistance(10), 2.0, kTol);
    EXPECT_DOUBLE_EQ(agent->globalBallDistance(9), 0.0);
    EXPECT_DOUBLE_EQ(agent->localBallDistance(9), 0.0);
    EXPECT_DOUBLE_EQ(agent->ballAngle(9), 0.0);
    EXPECT_FALSE(agent->atBall(9, 100.0));
}

struct BallCase {
    const char* side;
    double x, y, heading, head_yaw;
    double ball_x, ball_y;
};

// The ball's direction relative to the torso and its distance, from where
// robot and ball stand, whatever the head does.
TEST_F(Predicates, BallAngleAndDistanceFollowFromThePlacesOfRobotAndBall)
{
    const BallCase cases[] = {
        {"left", -10, 3, 0.3, 0.0, -7, 5},
        {"left", 2, -6, 3.0, 0.6, -1, -6.8},  // ball behind-left: the difference wraps
        {"right", 8, 1, -2.5, -0.4, 6, -2},
        {"right", -3, -3, 1.2, 0.9, -3.5, -1},
    };
    for (const BallCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.side << " robot " << c.x << "," << c.y);
        place(c.side, c.x, c.y, c.heading);
        scene.head_yaw = c.head_yaw;
        ball_at(c.ball_x, c.ball_y);
        perceive();
        const double d = std::hypot(c.ball_x - c.x, c.ball_y - c.y);
        const double a = wrap(std::atan2(c.ball_y - c.y, c.ball_x - c.x) - c.heading);
        EXPECT_NEAR(agent->ballAngle(500), a, kTol);
        EXPECT_NEAR(agent->globalBallDistance(500), d, kTol);
        EXPECT_NEAR(agent->localBallDistance(500), d, kTol);
        EXPECT_TRUE(agent->atBall(500, d + 0.01));
        EXPECT_FALSE(agent->atBall(500, d - 0.01));
        EXPECT_TRUE(agent->ballInFront(500, std::fabs(a) + 0.01, d + 0.01));
        EXPECT_FALSE(agent->ballInFront(500, std::fabs(a) - 0.01, d + 0.01));
        EXPECT_TRUE(agent->localBallAlign(500, std::fabs(a) + 0.01));
        EXPECT_FALSE(agent->localBallAlign(500, std::fabs(a) - 0.01));
    }
}

TEST_F(Predicates, WithoutAPoseTheBallAngleIsItsAzimuthPlusTheHeadYaw)
{
    scene.x = 5;
    scene.y = -2;
    scene.heading = 2.0;
    scene.head_yaw = -0.5;
    scene.landmarks = false;
    ball_at_local(1.0, 0.6);  // 0.5404 rad left of the torso's x axis
    perceive_times(11);
    ASSERT_FALSE(agent->globalCoord(10));
    EXPECT_NEAR(agent->ballAngle(10), std::atan2(0.6, 1.0), kTol);
}

// ballAlign(0.4, 10, m): with a valid pose the global ball direction holds
// even for a ball last seen 9 cycles ago; without one only a ball in view
// this very cycle counts.
TEST_F(Predicates, BallAlignUsesTheGlobalDirectionOnlyWithAValidPose)
{
    scene.x = -6;
    scene.y = 4;
    scene.heading = -0.7;
    scene.head_yaw = 0.3;
    ball_at_local(2.0, 2.0 * std::tan(0.3));
    perceive();
    EXPECT_TRUE(agent->ballAlign(0.4, 10, 500));
    EXPECT_FALSE(agent->ballAlign(0.25, 10, 500));

    scene.ball = false;
    perceive_times(9);
    EXPECT_TRUE(agent->ballAlign(0.4, 10, 500));
    perceive();
    EXPECT_FALSE(agent->ballAlign(0.4, 10, 500));  // 10 cycles unseen

    // No fix for 5 cycles: the ball must be in view now.
    scene.landmarks = false;
    scene.ball = true;
    perceive_times(5);
    ASSERT_FALSE(agent->globalCoord(5));
    EXPECT_TRUE(agent->ballAlign(0.4, 10, 5));
    EXPECT_FALSE(agent->ballAlign(0.25, 10, 5));
    scene.ball = false;
    perceive();
    EXPECT_FALSE(agent->ballAlign(0.4, 10, 5));
}

struct GoalCase {
    const char* side;  // nullptr: the game state has not told it
    double x, y, heading;
    double ball_x, ball_y;
    double own_goal_angle, own_goal_dist, opp_goal_dist;
    double ball_opp_goal_dist, ball_own_goal_dist;
    bool goal_ball_angle_known;
    double goal_ball_angle;
    double own_goal_x;
};

// Hand-worked numbers: the two sides mirror each other through the centre.
TEST_F(Predicates, GoalMeasuresOnBothSides)
{
    const GoalCase cases[] = {
        {"left", -10, 5, kPi, 5, 3, -3 * kPi / 4, 7.0710678, 25.4950976, 10.4403065, 20.2237484, true,
         0.1488900, -15},
        {"right", 10, -5, 0.0, -5, 3, kPi / 4, 7.0710678, 25.4950976, 10.4403065, 20.2237484, true, 2.9927027,
         15},
    };
    for (const GoalCase& c : cases) {
        SCOPED_TRACE(c.side);
        place(c.side, c.x, c.y, c.heading);
        ball_at(c.ball_x, c.ball_y);
        restart();
        perceive();
        EXPECT_NEAR(agent->ownGoalAngle(), c.own_goal_angle, kTol);
        EXPECT_NEAR(agent->ownGoalDistance(), c.own_goal_dist, kTol);
        EXPECT_NEAR(agent->oppGoalDistance(), c.opp_goal_dist, kTol);
        EXPECT_NEAR(agent->ballOppGoalDistance(), c.ball_opp_goal_dist, kTol);
        EXPECT_NEAR(agent->ballOwnGoalDistance(), c.ball_own_goal_dist, kTol);
        double a = -99;
        EXPECT_EQ(agent->ownGoalBallAngle(a), c.goal_ball_angle_known);
        if (c.goal_ball_angle_known) {
            EXPECT_NEAR(a, c.goal_ball_angle, kTol);
        }
        double gx = -99, gy = -99;
        agent->ownGoalCoord(gx, gy);
        EXPECT_DOUBLE_EQ(gx, c.own_goal_x);
        EXPECT_DOUBLE_EQ(gy, 0.0);
        // The robot turns pi/4 away from its own goal in both cases.
        EXPECT_TRUE(agent->ownGoalAlign(0.8, 10));
        EXPECT_FALSE(agent->ownGoalAlign(0.7, 10));
    }
}

TEST_F(Predicates, GoalMeasuresWithTheSideUnknown)
{
    scene.team_side = nullptr;
    scene.x = -10;
    scene.y = 5;
    scene.heading = 0.0;
    scene.ball_x = 5;
    perceive();
    EXPECT_DOUBLE_EQ(agent->ownGoalAngle(), 0.0);
    EXPECT_DOUBLE_EQ(agent->ownGoalDistance(), 0.0);
    EXPECT_DOUBLE_EQ(agent->oppGoalDistance(), 0.0);
    EXPECT_DOUBLE_EQ(agent->ballOppGoalDistance(), 31.0);
    EXPECT_DOUBLE_EQ(agent->ballOwnGoalDistance(), 31.0);
    double a = -99, gx = -99, gy = -99;
    EXPECT_FALSE(agent->ownGoalBallAngle(a));
    agent->ownGoalCoord(gx, gy);
    EXPECT_DOUBLE_EQ(gx, 0.0);
    EXPECT_DOUBLE_EQ(gy, 0.0);
    // Heading 0 matches the unknown goal's angle 0: still not aligned.
    EXPECT_FALSE(agent->ownGoalAlign(10.0, 10));
    double x, y;
    EXPECT_TRUE(agent->removeOwnGoalAlignment(x, y, 10));
}

TEST_F(Predicates, BallDistanceToTheGoalsNeedsTheBallSeenWithin500)
{
    scene.x = 3;
    scene.y = 0.5;
    scene.ball_x = 5;
    perceive();
    EXPECT_NEAR(agent->ballOppGoalDistance(), 10.0, kTol);
    scene.ball = false;
    perceive_times(500);
    EXPECT_DOUBLE_EQ(agent->ballOppGoalDistance(), 31.0);
    EXPECT_DOUBLE_EQ(agent->ballOwnGoalDistance(), 31.0);
    double a;
    EXPECT_FALSE(agent->ownGoalBallAngle(a));
}

// The robot faces its own goal; the test holds only while the pose is
// known within the count it is given.
TEST_F(Predicates, OwnGoalAlignAndItsAvoidanceNeedAPoseFixWithinTheCount)
{
    scene.x = -10;
    scene.y = 0.5;
    scene.heading = std::atan2(-0.5, -5.0);
    perceive();
    EXPECT_TRUE(agent->ownGoalAlign(0.1, 10));
    double x = 0, y = 0;
    EXPECT_TRUE(agent->removeOwnGoalAlignment(x, y, 10));
    EXPECT_NEAR(x, -10, kTol);
    EXPECT_DOUBLE_EQ(y, 2.0);

    scene.landmarks = false;
    perceive_times(9);
    EXPECT_TRUE(agent->ownGoalAlign(0.1, 10));
    perceive();
    EXPECT_FALSE(agent->ownGoalAlign(0.1, 10));
    EXPECT_FALSE(agent->removeOwnGoalAlignment(x, y, 10));
}

TEST_F(Predicates, OwnGoalAlignmentIsAvoidedTowardsTheSideOfTheGoalAxis)
{
    const struct {
        double y, expected;
    } cases[] = {{0.001, 2},   {0.5, 2},   {0.999, 2}, {-0.001, -2}, {-0.5, -2},
                 {-0.999, -2}, {1.001, 0}, {1.5, 0},   {-1.001, 0},  {-3.0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.y);
        scene.x = 4;
        scene.y = c.y;
        perceive();
        double x = 0, y = -99;
        EXPECT_TRUE(agent->removeOwnGoalAlignment(x, y, 10));
        EXPECT_NEAR(x, 4, kTol);
        EXPECT_DOUBLE_EQ(y, c.expected);
    }
}

struct PushCase {
    const char* side;
    double x, y, ball_x, ball_y;
    double px, py;
};

TEST_F(Predicates, PushPointBehindOrBesideTheBallOnBothSides)
{
    const PushCase cases[] = {
        // Behind the ball: on the line from the goal through it.
        {"left", 8, 0.3, 10, 0, 9.7, 0},
        {"right", -8, 0.3, -10, 0, -9.7, 0},
        {"left", 9, 6, 12, 3, 11.7878680, 3.2121320},
        // Between the ball and the goal: beside the ball on the robot's side.
        {"left", 12, 1, 10, 0, 10, 0.3},
        {"left", 12, -1, 10, 0, 10, -0.3},
        {"right", -12, 1, -10, 0, -10, 0.3},
        {"right", -12, -1, -10, 0, -10, -0.3},
        // On the goal centre: straight behind the ball along x.
        {"left", 10, 0.5, 15, 0, 14.7, 0},
        {"left", 16, 2, 15, 0, 14.7, 0},
        {"right", -10, 2, -15, 0, -14.7, 0},
    };
    for (const PushCase& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.side << " robot " << c.x << "," << c.y << " ball " << c.ball_x << "," << c.ball_y);
        place(c.side, c.x, c.y, 0.0);
        ball_at(c.ball_x, c.ball_y);
        perceive();
        double px = -99, py = -99;
        ASSERT_TRUE(agent->pushPoint(px, py, 0.3, 500));
        EXPECT_NEAR(px, c.px, kTol);
        EXPECT_NEAR(py, c.py, kTol);
        EXPECT_TRUE(std::isfinite(px) && std::isfinite(py));
    }
}

// In an own set piece the taker kicks from behind the ball: the point
// beside it lies behind it as well (and 0.4 m out to the side), and once
// there the robot is behind the ball and the point is the one straight
// behind it.
TEST_F(Predicates, DuringAnOwnSetPieceThePointBesideTheBallLiesBehindItToo)
{
    const struct {
        const char *side, *mode;
        double x, y, px, py;
    } cases[] = {
        {"left", "goal_kick_left", -13, 0.2, -14.3, 0.4},
        {"left", "goal_kick_left", -14.14, 0.1, -14.3, 0.4},  // level with the ball still
        {"left", "goal_kick_left", -14.16, 0.35, -14.3, 0},   // behind it: straight behind it
        {"left", "PlayOn", -13, 0.2, -14, 0.3},
        {"left", "goal_kick_right", -13, 0.2, -14, 0.3},  // the opponents' set piece
        {"right", "goal_kick_right", 13, -0.2, 14.3, -0.4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.side << " " << c.mode << " robot " << c.x << "," << c.y);
        const double ball_x = c.side[0] == 'l' ? -14 : 14;
        place(c.side, c.x, c.y, 0.0);
        scene.play_mode = c.mode;
        ball_at(ball_x, 0);
        perceive();
        double px = -99, py = -99;
        ASSERT_TRUE(agent->pushPoint(px, py, 0.3, 500));
        EXPECT_NEAR(px, c.px, kTol);
        EXPECT_NEAR(py, c.py, kTol);
    }
}

TEST_F(Predicates, NoPushPointWithoutSideOrBall)
{
    scene.team_side = nullptr;
    scene.ball_x = 3;
    perceive();
    double px = -99, py = -99;
    EXPECT_FALSE(agent->pushPoint(px, py, 0.3, 500));
    EXPECT_FALSE(agent->atPushPoint(500, 100.0));

    scene.team_side = "left";
    scene.ball = false;
    perceive_times(10);
    EXPECT_TRUE(agent->pushPoint(px, py, 0.3, 11));
    EXPECT_FALSE(agent->pushPoint(px, py, 0.3, 10));
    EXPECT_FALSE(agent->atPushPoint(10, 100.0));
}

TEST_F(Predicates, AtPushPointWithinTheTolerance)
{
    scene.x = 9.75;
    scene.y = 0.02;
    scene.ball_x = 10;
    perceive();  // push point (9.7, 0), 0.054 m away
    EXPECT_TRUE(agent->atPushPoint(500, 0.06));
    EXPECT_FALSE(agent->atPushPoint(500, 0.04));

    scene.team_side = "right";
    scene.x = -9.75;
    scene.y = -0.02;
    scene.ball_x = -10;
    perceive();
    EXPECT_TRUE(agent->atPushPoint(500, 0.06));
    EXPECT_FALSE(agent->atPushPoint(500, 0.04));
}

struct BetweenCase {
    const char* side;
    double x, y, heading;
    double ball_lx;           // ball straight ahead at this distance
    double push_lx, push_ly;  // push point in the torso frame
    bool expected;
};

// The robot faces along y, away from the field's origin: a lateral test
// that mixed the torso frame with the field frame would fail every case.
TEST_F(Predicates, BallBetweenPlayerAndPushPointInOneFrame)
{
    const BetweenCase cases[] = {
        {"left", 5, 3, kPi / 2, 0.2, 0.5, 0.0, true},
        {"left", 5, 3, kPi / 2, 0.2, 0.5, 0.25, true},   // 0.25 m off the line
        {"left", 5, 3, kPi / 2, 0.2, 0.5, -0.3, false},  // 0.3 m off
        {"left", 5, 3, kPi / 2, 0.4, 0.7, 0.0, false},   // the ball is not close
        {"left", 5, 3, kPi / 2, 0.2, 0.1, 0.0, false},   // the push point is nearer
        {"right", -5, -3, -kPi / 2, 0.2, 0.5, 0.0, true},
        {"right", -5, -3, -kPi / 2, 0.2, 0.5, -0.25, true},
        {"right", 7, -4, 2.5, 0.25, 0.6, 0.3, false},
    };
    for (const BetweenCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.side << " push " << c.push_lx << "," << c.push_ly);
        place(c.side, c.x, c.y, c.heading);
        ball_at_local(c.ball_lx, 0.0);
        perceive();
        double px, py;
        scene_local_to_field(scene, c.push_lx, c.push_ly, px, py);
        EXPECT_EQ(agent->ballBetweenPlayerAndPushPoint(px, py, 10, 0.27), c.expected);
    }
    scene.ball = false;
    perceive_times(10);
    double px, py;
    scene_local_to_field(scene, 0.5, 0.0, px, py);
    EXPECT_FALSE(agent->ballBetweenPlayerAndPushPoint(px, py, 10, 0.27));
}

struct KickOffCase {
    const char* play_mode;
    const char* side;
    bool mate_nearer_ball;
    bool expected;
};

TEST_F(Predicates, KickActiveOnTheOwnKickOffForThePlayerFirstAtTheBall)
{
    const KickOffCase cases[] = {
        {"KickOff_Left", "left", false, true},   {"KickOff_Left", "left", true, false},
        {"KickOff_Right", "right", false, true}, {"KickOff_Right", "right", true, false},
        {"KickOff_Left", "right", false, false}, {"KickOff_Right", "left", false, false},
        {"PlayOn", "left", false, false},
    };
    for (const KickOffCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.play_mode << " " << c.side << " " << c.mate_nearer_ball);
        Localize_t::reset_process_state();
        scene.play_mode = c.play_mode;
        scene.team_side = c.side;
        scene.x = c.side[0] == 'l' ? -2 : 2;
        scene.y = 0.5;
        scene.heading = c.side[0] == 'l' ? 0 : kPi;
        ball_at_local(1.0, 0);
        scene.players.clear();
        if (c.mate_nearer_ball) scene.players.push_back(player_at_local(5, 0.8, 0.1));
        perceive();
        EXPECT_EQ(agent->kickActive(), c.expected);
    }
}

// The player first at the ball takes its next move target at once, and
// walks without the rate limiter; the others walk rate-limited.
TEST_F(Predicates, BallPriorityRearmsTheMoveTargetAndSwitchesTheRateLimiter)
{
    scene.x = -3;
    ball_at_local(2.0, 0);
    scene.players = {player_at_local(7, 1.5, 0.3)};  // nearer the ball
    perceive();
    agent->new_move_target(1, 1, false);
    EXPECT_EQ(agent->last_move_target_count, agent->think_count);
    EXPECT_EQ(agent->getBallPriority(), 1);
    EXPECT_EQ(agent->last_move_target_count, agent->think_count);
#ifndef BREVANE_NO_RATE_LIMITER
    EXPECT_EQ(agent->localize->speed_filter, 1);
#endif

    scene.players.clear();
    perceive();
    EXPECT_EQ(agent->getBallPriority(), 0);
    EXPECT_EQ(agent->last_move_target_count, -9999);
#ifndef BREVANE_NO_RATE_LIMITER
    EXPECT_EQ(agent->localize->speed_filter, 0);
#endif
}

TEST_F(Predicates, GoalKickPointIsComputedOncePerThinkCall)
{
    scene.x = 6;
    scene.y = 0.4;
    scene.ball_x = 10;
    perceive();
    ASSERT_TRUE(agent->setGoalKickPoint(500));
    EXPECT_NEAR(agent->localize->gkp_gx, 9.5, kTol);
    EXPECT_NEAR(agent->localize->gkp_gy, 0.0, kTol);

    scene.ball_x = 8;
    perceive(true);  // the same think call
    EXPECT_TRUE(agent->setGoalKickPoint(500));
    EXPECT_NEAR(agent->localize->gkp_gx, 9.5, kTol);
    perceive();
    EXPECT_TRUE(agent->setGoalKickPoint(500));
    EXPECT_NEAR(agent->localize->gkp_gx, 7.5, kTol);

    // A failure is kept for the think call too.
    scene.ball = false;
    perceive_times(10);
    EXPECT_FALSE(agent->setGoalKickPoint(10));
    EXPECT_FALSE(agent->setGoalKickPoint(500));
}

struct KickPointCase {
    double dist, angle;  // of the goal kick point, torso frame
    double d;
    bool aligned;
};

// The alignment tolerance widens with the distance to the kick point:
// 0.2 rad below 2 m, 0.4 below 5 m, 0.6 beyond; within d it always holds.
TEST_F(Predicates, GoalKickPointAlignmentByDistance)
{
    const KickPointCase cases[] = {
        {0.1, 1.0, 0.2, true},   {1.5, 0.15, 0.1, true}, {1.5, 0.25, 0.1, false}, {3.0, 0.35, 0.1, true},
        {3.0, 0.45, 0.1, false}, {7.0, 0.55, 0.1, true}, {7.0, 0.65, 0.1, false}, {7.0, -0.55, 0.1, true},
    };
    for (const char* side : {"left", "right"}) {
        SCOPED_TRACE(side);
        const double s = side[0] == 'l' ? 1 : -1;
        scene.team_side = side;
        restart();
        for (const KickPointCase& c : cases) {
            SCOPED_TRACE(testing::Message() << c.dist << " m at " << c.angle);
            // Ball at 10 m towards the opponent goal: its kick point 9.5 m.
            // The robot looks at it from direction psi, turned by the angle.
            scene.ball_x = 10 * s;
            const double psi = (s > 0 ? 0 : kPi) + 0.3;
            scene.x = 9.5 * s - c.dist * std::cos(psi);
            scene.y = -c.dist * std::sin(psi);
            scene.heading = psi - c.angle;
            perceive();
            ASSERT_TRUE(agent->setGoalKickPoint(500));
            EXPECT_NEAR(agent->localize->gkp_dist, c.dist, kTol);
            EXPECT_EQ(agent->goalKickPointAlign(c.d, 500), c.aligned);
            EXPECT_TRUE(agent->atGoalKickPoint(c.dist + 0.01, 500));
            EXPECT_FALSE(agent->atGoalKickPoint(c.dist - 0.01, 500));
        }
    }
    scene.landmarks = false;
    perceive_times(10);
    EXPECT_FALSE(agent->goalKickPointAlign(100, 10));
    EXPECT_FALSE(agent->atGoalKickPoint(100, 10));
}

TEST_F(Predicates, LocalKickPointAlignmentByDistance)
{
    const struct {
        double lx, ly;  // kick point in the torso frame
        bool aligned;
    } cases[] = {
        {1.0, 1.0 * std::tan(0.15), true},
        {1.0, 1.0 * std::tan(0.25), false},
        {3.0, 3.0 * std::tan(0.25), true},
        {3.0, -3.0 * std::tan(0.35), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lx << "," << c.ly);
        scene.heading = 0.8;
        ball_at_local(c.lx + 0.24, c.ly + 0.04);
        perceive();
        ASSERT_TRUE(agent->setLocalKickPoint(500));
        EXPECT_NEAR(agent->localize->lkp_lx, c.lx, kTol);
        EXPECT_EQ(agent->localKickPointAlign(500), c.aligned);
        const double d = std::hypot(c.lx, c.ly);
        EXPECT_TRUE(agent->atLocalKickPoint(d + 0.01, 500));
        EXPECT_FALSE(agent->atLocalKickPoint(d - 0.01, 500));
    }
}

TEST_F(Predicates, BallSamplesAreTakenOncePerServerMessageAndAveraged)
{
    scene.x = 1;
    scene.heading = -1.1;
    scene.head_yaw = 0.4;
    ball_at_local(0.5, 0.1);
    perceive();
    agent->startCollectInfos();
    EXPECT_TRUE(agent->collectInfosStarted());
    int calls = 0;
    testing::internal::CaptureStderr();
    for (; calls < 40 && !agent->collectInfosDone(10); ++calls) {
        perceive();
        agent->applyCollectInfos();
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "collect_infos_l_size: 10\n");
    // Ten samples, one in every second think call.
    EXPECT_EQ(calls, 20);
    EXPECT_FALSE(agent->collectInfosStarted());
    EXPECT_EQ(agent->collect_ball_samples, 10);

    testing::internal::CaptureStderr();
    double fx, fy, kx, ky;
    agent->collectInfoToTrans(fx, fy);
    agent->fromTransToKick(fx, fy, kx, ky);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "avg_L : 0.100 0.500\nfromTransToKick 0.330000 0.150000 -> 0.269000 0.185000\n");
    EXPECT_NEAR(fx, 0.33, kTol);
    EXPECT_NEAR(fy, 0.15, kTol);
    EXPECT_NEAR(kx, 0.269, kTol);
    EXPECT_NEAR(ky, 0.185, kTol);
    double a;
    agent->collectInfoToRot(a);
    EXPECT_NEAR(a, std::atan2(0.5, 0.1), kTol);
}

TEST_F(Predicates, BallSampleCollectionRestartsAfter100Cycles)
{
    scene.ball = false;
    agent->startCollectInfos();
    // The ball has never been seen: cycles count, samples do not.
    for (int i = 0; i < 2 * 101; ++i) {
        perceive();
        agent->applyCollectInfos();
    }
    EXPECT_EQ(agent->collect_infos_cycles, 101);
    EXPECT_EQ(agent->collect_ball_samples, 0);
    EXPECT_FALSE(agent->collectInfosDone(10));
    EXPECT_EQ(agent->collect_infos_cycles, 0);
    EXPECT_TRUE(agent->collectInfosStarted());

    testing::internal::CaptureStderr();
    double fx, fy, a = 5;
    agent->collectInfoToTrans(fx, fy);
    agent->collectInfoToRot(a);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "avg_L : 0.000 0.000\n");
    EXPECT_NEAR(fx, -0.17, kTol);
    EXPECT_NEAR(fy, 0.05, kTol);
    EXPECT_DOUBLE_EQ(a, 0.0);
}

TEST_F(Predicates, OwnHeadingMeasuresOnBothSides)
{
    const struct {
        const char* side;
        double heading, global, axis;
    } cases[] = {
        {"left", 0.5, 0.5, -0.5},
        {"left", -2.0, -2.0, 2.0},
        {"right", 0.5, 0.5 + kPi, kPi - 0.5},
        {"right", 2.0, 2.0 + kPi, kPi - 2.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.side << " " << c.heading);
        scene.team_side = c.side;
        scene.heading = c.heading;
        perceive();
        double g = -99, a = -99;
        ASSERT_TRUE(agent->ownGlobalAngle(g, 10));
        EXPECT_NEAR(g, c.global, kTol);
        agent->ownAxisAngle(a, 10);
        EXPECT_NEAR(a, c.axis, kTol);
        EXPECT_TRUE(agent->ownAxisAngle(a, std::fabs(c.axis) + 0.01));
        EXPECT_FALSE(agent->ownAxisAngle(a, std::fabs(c.axis) - 0.01));
    }
}

TEST_F(Predicates, PrecisionAlignmentHoldsOnTheFifthAlignedCall)
{
    ball_at_local(1.0, 0.05);
    perceive();
    agent->localBallAlignPrecisionInit();
    int calls = 0;
    while (!agent->localBallAlignPrecision(1) && calls < 10) ++calls;
    EXPECT_EQ(calls, 4);
}

TEST_F(Predicates, BallAheadForTenConsecutiveThinkCalls)
{
    scene.x = -2;
    scene.y = 0.3;
    scene.ball_x = -1;
    scene.ball_y = 0.5;
    for (int i = 1; i <= 9; ++i) {
        perceive();
        EXPECT_FALSE(agent->isAhead(500)) << i;
    }
    perceive();
    EXPECT_TRUE(agent->isAhead(500));
    // A think call without the test starts the count again.
    perceive();
    perceive();
    EXPECT_FALSE(agent->isAhead(500));

    scene.team_side = "right";
    scene.ball_x = -3;
    restart();
    int first = 0;
    for (int i = 1; i <= 12 && !first; ++i) {
        perceive();
        if (agent->isAhead(500)) first = i;
    }
    EXPECT_EQ(first, 10);
}

TEST_F(Predicates, StopWalkDoneOnceTheMotionInterfaceClosedTheWalk)
{
    EXPECT_FALSE(agent->stopWalkDone());
    start_walking();
    EXPECT_FALSE(agent->stopWalkDone());
    std::stringstream out;
    for (int i = 0; i < 2000 && agent->move->trans; ++i) agent->move->update(out, agent->sub_steps);
    ASSERT_FALSE(agent->move->trans);
    EXPECT_TRUE(agent->stopWalkDone());
}

}  // namespace
