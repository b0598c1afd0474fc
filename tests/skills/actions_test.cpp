// The acting skills: what reaches the motion interface from the walk,
// turn, kick and stop requests through the go-to controller and the
// collision and crowding avoidance, and the timed phases.
#include <cmath>
#include <sstream>
#include <string>

#include "skills/skills_fixture.h"

namespace {

using skills_test::kPi;
using skills_test::Reached;
using skills_test::set_time;
using skills_test::SkillsTest;

const double kTol = 1e-4;

class Actions : public SkillsTest {
protected:
    // A team-mate 1 m ahead on the path of a walk of 0.5 m: the detour
    // begins, its one request sent.
    void begin_detour()
    {
        scene.players = {player_at_local(7, 1.0, 0.1)};
        ball_at_local(4.0, 0.0);
        perceive();
        start_walking();
        ASSERT_TRUE(trans(0.5, 0.0).trans);
        ASSERT_TRUE(agent->collision_detour);
    }
    void SetUp() override
    {
        SkillsTest::SetUp();
        scene.x = -3;
        scene.y = 2;
        scene.heading = 0.6;
    }

    Reached trans(double fwd, double side)
    {
        return reached([&] { agent->new_trans(fwd, side); });
    }

    Reached move_step()
    {
        return reached([&] { agent->new_move(500); });
    }

    // A move target at (lx, ly) in the torso frame, taken while the robot
    // walks; what the first move step sends.
    Reached first_move_step(double lx, double ly, bool face_ball)
    {
        double tx, ty;
        scene_local_to_field(scene, lx, ly, tx, ty);
        perceive();
        agent->new_move_target(tx, ty, face_ball);
        start_walking();
        return move_step();
    }
};

// The pose transform and its inverse: the target seen from the pose, put
// back on the field, is the target again.
TEST_F(Actions, TranslationToATargetIsTheTargetInTheTorsoFrame)
{
    const struct {
        double x0, y0, h, tx, ty;
    } cases[] = {{0, 0, 0, 1, 0}, {-3, 2, 0.6, 1, -4}, {10, -5, -2.8, 12, -4}, {-1, -1, kPi, -4, 3}};
    for (const auto& c : cases) {
        double dx, dy;
        agent->toTranslateTo(c.x0, c.y0, c.h, c.tx, c.ty, dx, dy);
        EXPECT_NEAR(c.x0 + std::cos(c.h) * dx - std::sin(c.h) * dy, c.tx, 1e-12);
        EXPECT_NEAR(c.y0 + std::sin(c.h) * dx + std::cos(c.h) * dy, c.ty, 1e-12);
        EXPECT_NEAR(std::hypot(dx, dy), std::hypot(c.tx - c.x0, c.ty - c.y0), 1e-12);
    }
}

struct GoToCase {
    double dist, bearing;  // of the target from the robot
    int mode;
    double p1;  // the turn of mode 1
};

// Tolerances 0.4 rad below 2 m, 0.5 below 4 m, 0.75 beyond; a turn is 0.6
// of the bearing near the target, 0.4 farther.
TEST_F(Actions, GoToWalksWhenAlignedAndTurnsOtherwise)
{
    const GoToCase cases[] = {
        {1.0, 0.35, 0, 0},   {1.0, 0.45, 1, 0.27}, {1.0, -0.45, 1, -0.27}, {3.0, 0.45, 0, 0},
        {3.0, 0.6, 1, 0.24}, {5.0, 0.7, 0, 0},     {5.0, -0.8, 1, -0.32},
    };
    perceive();
    for (const GoToCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dist << " m at " << c.bearing);
        double tx, ty;
        scene_local_to_field(scene, c.dist * std::cos(c.bearing), c.dist * std::sin(c.bearing), tx, ty);
        int mode = -1;
        double p1 = 0, p2 = 0;
        agent->toGoTo(tx, ty, mode, p1, p2, 500, 0.4, 0.5, 0.75);
        EXPECT_EQ(mode, c.mode);
        if (mode == 0) {
            EXPECT_NEAR(p1, c.dist * std::cos(c.bearing), kTol);
            EXPECT_NEAR(p2, c.dist * std::sin(c.bearing), kTol);
        } else {
            EXPECT_NEAR(p1, c.p1, kTol);
            EXPECT_DOUBLE_EQ(p2, 0.01);
        }
    }
}

// One reference point for all calls, refreshed on every 201st call (two
// sub-steps); the heading is refreshed on every call.
TEST_F(Actions, GoToReferencePointIsRefreshedEvery201Calls)
{
    perceive();
    const double tx = 5, ty = 2;
    int mode;
    double p1, p2;
    agent->toGoTo(tx, ty, mode, p1, p2, 500, 0.4, 0.5, 0.75);

    const double x0 = scene.x;
    scene.x = 1;  // the robot has moved 4 m
    scene.heading = 0.1;
    perceive();
    for (int call = 2; call <= 202; ++call) {
        agent->toGoTo(tx, ty, mode, p1, p2, 500, 0.4, 0.5, 0.75);
        const double from_x = call <= 201 ? x0 : scene.x;
        const double a = std::atan2(ty - scene.y, tx - from_x) - scene.heading;
        ASSERT_EQ(mode, std::fabs(a) < 0.75 ? 0 : 1) << call;
        double dx, dy;
        agent->toTranslateTo(from_x, scene.y, scene.heading, tx, ty, dx, dy);
        ASSERT_NEAR(p1, dx, kTol) << call;
        ASSERT_NEAR(p2, dy, kTol) << call;
    }
}

TEST_F(Actions, MoveTargetIsTakenAtMostOnceEvery500ThinkCalls)
{
    perceive();
    agent->new_move_target(1, 2, false);
    EXPECT_DOUBLE_EQ(agent->move_target_x, 1);
    perceive_times(100);
    agent->new_move_target(3, 4, true);
    EXPECT_DOUBLE_EQ(agent->move_target_x, 1);  // ignored
    EXPECT_FALSE(agent->move_target_face_ball);
    perceive_times(399);
    agent->new_move_target(3, 4, true);
    EXPECT_DOUBLE_EQ(agent->move_target_x, 1);  // 499 calls later
    perceive();
    agent->new_move_target(3, 4, true);
    EXPECT_DOUBLE_EQ(agent->move_target_x, 3);
    EXPECT_DOUBLE_EQ(agent->move_target_y, 4);
    EXPECT_TRUE(agent->move_target_face_ball);
}

TEST_F(Actions, MoveTargetIsTakenAtOnceAfterTheBallPriorityWas0)
{
    perceive();
    agent->new_move_target(1, 2, false);
    perceive_times(100);
    EXPECT_EQ(agent->getBallPriority(), 0);  // no team-mate seen
    agent->new_move_target(3, 4, false);
    EXPECT_DOUBLE_EQ(agent->move_target_x, 3);
}

// Near the target without the face-ball flag: one stop request after the
// last walk, then nothing.
TEST_F(Actions, MoveStopsOnceAtANearTarget)
{
    Reached r = first_move_step(3.0, 0.0, false);
    ASSERT_TRUE(r.trans);
    EXPECT_NEAR(r.fwd, 3.0, kTol);
    EXPECT_NEAR(r.side, 0.0, kTol);

    double nx, ny;
    scene_local_to_field(scene, 2.8, 0.0, nx, ny);  // 0.2 m short
    scene.x = nx;
    scene.y = ny;
    perceive();
    r = move_step();
    ASSERT_TRUE(r.trans);
    EXPECT_DOUBLE_EQ(r.fwd, 0.001);
    EXPECT_DOUBLE_EQ(r.side, 0.0);
    for (int i = 0; i < 5; ++i) {
        perceive();
        r = move_step();
        EXPECT_FALSE(r.trans || r.rot) << i;
    }
}

// A team-mate in view within 1 m of the move target, nearer it than the
// robot, holds the place: the robot takes it as reached 1 m short of the
// usual 0.33 m (and stops once) instead of walking into it.
TEST_F(Actions, APlaceHeldByATeamMateIsReachedShortOfIt)
{
    struct HeldCase {
        const char* what;
        double target_lx;
        std::vector<ScenePlayer> players;
        bool stops;
    };
    const HeldCase cases[] = {
        {"a team-mate at the target", 0.7, {player_at_local(4, 1.0, 0.1)}, true},
        {"nobody there", 0.7, {}, false},
        {"a team-mate 1.1 m from the target", 0.7, {player_at_local(4, 0.7, 1.1)}, false},
        {"a team-mate near it, but farther from it than the robot",
         0.45,
         {player_at_local(4, 0.45, 0.48)},
         false},
        {"an opponent at the target", 0.7, {player_at_local(4, 1.0, 0.1, "Other")}, false},
        {"a team-mate ahead on the way, 0.9 m short of it", 1.2, {player_at_local(4, 0.3, 0.1)}, true},
        {"beyond 1.33 m", 1.5, {player_at_local(4, 1.6, 0.1)}, false},
    };
    for (const HeldCase& c : cases) {
        SCOPED_TRACE(c.what);
        restart();
        ball_at_local(-0.5, 0.0);  // behind: the robot is first at the ball and never steps aside
        scene.players = c.players;
        Reached r = first_move_step(c.target_lx, 0.0, false);
        ASSERT_TRUE(r.trans);
        if (c.stops) {
            EXPECT_DOUBLE_EQ(r.fwd, 0.001);
        } else {
            EXPECT_NEAR(r.fwd, c.target_lx, kTol);
        }
        EXPECT_NEAR(r.side, 0.0, kTol);
    }
}

TEST_F(Actions, MoveTurnsTowardsTheBallAtATargetWithTheFaceBallFlag)
{
    ball_at_local(2.0, 2.0 * std::tan(0.5));
    Reached r = first_move_step(0.2, 0.0, true);
    ASSERT_TRUE(r.rot);
    EXPECT_NEAR(r.angle, 0.6 * 0.5, kTol);

    // Facing the ball within 0.1 / 0.6 rad: nothing more, and no stop.
    ball_at_local(2.0, 2.0 * std::tan(0.15));
    perceive();
    r = move_step();
    EXPECT_FALSE(r.trans || r.rot);
    agent->move_target_face_ball = false;
    r = move_step();
    EXPECT_FALSE(r.trans || r.rot);
}

TEST_F(Actions, MoveTurnsTowardsAFarTargetOutOfLine)
{
    Reached r = first_move_step(5.0 * std::cos(1.0), 5.0 * std::sin(1.0), false);
    ASSERT_TRUE(r.rot);
    EXPECT_NEAR(r.angle, 0.4, kTol);
}

TEST_F(Actions, ZeroWalkRequestIsNotSent)
{
    perceive();
    testing::internal::CaptureStderr();
    Reached r = trans(0.0, 0.0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(r.trans);
    EXPECT_FALSE(agent->move->trans);
    start_walking();
    EXPECT_FALSE(trans(0.0, 0.0).trans);
    EXPECT_TRUE(trans(0.2, 0.0).trans);
}

TEST_F(Actions, StopIsATinyForwardRequest)
{
    perceive();
    start_walking();
    Reached r = reached([&] { agent->stop_walk(); });
    ASSERT_TRUE(r.trans);
    EXPECT_DOUBLE_EQ(r.fwd, 0.001);
    EXPECT_DOUBLE_EQ(r.side, 0.0);
}

TEST_F(Actions, TurnAndKickRequestsReachTheMotionInterface)
{
    perceive();
    Reached r = reached([&] { agent->new_kick(NaoMove::KICK_RIGHT); });
    EXPECT_TRUE(r.kick);
    EXPECT_EQ(agent->move->kick_type, NaoMove::KICK_RIGHT);
    restart();
    perceive();
    r = reached([&] { agent->new_rot(0.5, 0.02); });
    ASSERT_TRUE(r.rot);
    EXPECT_DOUBLE_EQ(r.angle, 0.5);
    EXPECT_DOUBLE_EQ(agent->move->rot_xc, 0.02);
}

struct DetourCase {
    const char* what;
    double mate_lx, mate_ly;
    const char* team;  // "" own team
    int id;
    bool ball_ahead;  // else behind the robot: it is first at the ball
    bool detour;
    double ox, oy;  // the detour of a request (0.5, 0)
};

// Teammate at local (1, 0.1): the path (-1.2, 0)-(2.2, 0) of a request
// (0.5, 0) crosses its bar (1, -1.1)-(1, 1.3).
TEST_F(Actions, CollisionDetourAroundATeamMateOnThePath)
{
    const DetourCase cases[] = {
        {"mate left of the path", 1.0, 0.1, "", 7, true, true, 0.25, -0.5},
        {"mate right of the path", 1.0, -0.1, "", 7, true, true, 0.25, 0.5},
        {"first at the ball", 1.0, 0.1, "", 7, false, false, 0, 0},
        {"mate beyond 1.5 m", 1.6, 0.0, "", 7, true, false, 0, 0},
        {"opponent, the robot first at the ball (no team-mate in view)", 1.0, 0.1, "Other", 7, true, false, 0,
         0},
        {"own arms", 1.0, 0.1, "", 2, true, false, 0, 0},
    };
    for (const DetourCase& c : cases) {
        SCOPED_TRACE(c.what);
        restart();
        scene.players = {player_at_local(c.id, c.mate_lx, c.mate_ly, c.team)};
        ball_at_local(c.ball_ahead ? 4.0 : -3.0, 0.0);
        perceive();
        start_walking();
        Reached r = trans(0.5, 0.0);
        ASSERT_TRUE(r.trans);
        EXPECT_EQ(agent->collision_detour, c.detour);
        if (c.detour) {
            EXPECT_NEAR(r.fwd, c.ox, 1e-12);
            EXPECT_NEAR(r.side, c.oy, 1e-12);
        } else {
            EXPECT_DOUBLE_EQ(r.fwd, 0.5);
            EXPECT_DOUBLE_EQ(r.side, 0.0);
        }
    }
}

// A robot of the other team on the path of a player that is not first at
// the ball (a team-mate, off the path, is nearer it): the same detour, also
// when the opponent has the robot's own number.
TEST_F(Actions, CollisionDetourAroundAnOpponentOnThePath)
{
    for (int id : {7, scene.unum}) {
        SCOPED_TRACE(id);
        restart();
        scene.players = {player_at_local(id, 1.0, 0.1, "Other"), player_at_local(4, 3.0, 1.6)};
        ball_at_local(4.0, 0.0);
        perceive();
        start_walking();
        Reached r = trans(0.5, 0.0);
        ASSERT_TRUE(r.trans);
        EXPECT_TRUE(agent->collision_detour);
        EXPECT_NEAR(r.fwd, 0.25, 1e-12);
        EXPECT_NEAR(r.side, -0.5, 1e-12);
    }
}

// A beam moves the robot away from what it was avoiding: the detour under
// way is over, and the next request goes out as asked (the kick-off
// taker's corrective step after a goal was dropped for 101 requests, until
// the server dropped the ball). A detour needed later is served afresh.
TEST_F(Actions, ABeamEndsTheDetourUnderWay)
{
    ASSERT_NO_FATAL_FAILURE(begin_detour());
    agent->beamSent(-0.2, 0.1, 0.0);
    EXPECT_FALSE(agent->collision_detour);
    scene.players.clear();
    perceive();
    start_walking();
    Reached r = trans(-0.03, -0.08);
    ASSERT_TRUE(r.trans);
    EXPECT_DOUBLE_EQ(r.fwd, -0.03);
    EXPECT_DOUBLE_EQ(r.side, -0.08);
    scene.players = {player_at_local(7, 1.0, 0.1)};
    perceive();
    start_walking();
    r = trans(0.5, 0.0);
    ASSERT_TRUE(r.trans);
    EXPECT_NEAR(r.fwd, 0.25, 1e-12);
}

// One detour request, then 101 dropped requests, the last of which clears
// the flag; the next request is checked afresh.
TEST_F(Actions, CollisionDetourDropsTheNext101Requests)
{
    ASSERT_NO_FATAL_FAILURE(begin_detour());
    for (int i = 1; i <= 101; ++i) {
        ASSERT_FALSE(trans(0.5 + 0.001 * i, 0.0).trans) << i;
        ASSERT_EQ(agent->collision_detour, i < 101) << i;
    }
    scene.players.clear();
    perceive();
    Reached r = trans(0.4, 0.1);
    ASSERT_TRUE(r.trans);
    EXPECT_DOUBLE_EQ(r.fwd, 0.4);
    EXPECT_DOUBLE_EQ(r.side, 0.1);
}

// A player not first at the ball walks rate-limited (in brevane), but the
// one request of an avoidance is walked as it is: through the limiter it
// would be one step of the limiter's ramp, and the robot would walk on
// into the team-mate or the crowd. The limiter then carries on from where
// it was.
TEST_F(Actions, AnAvoidanceRequestPassesTheRateLimiterAsItIs)
{
    struct AvoidCase {
        const char* what;
        double ball_ahead;
        ScenePlayer mate;
        double fwd, side;  // the request
        double ox, oy;     // the avoidance's request
    };
    const AvoidCase cases[] = {
        {"detour around a team-mate on the path", 4.0, player_at_local(7, 1.0, 0.1), 0.5, 0.0, 0.25, -0.5},
        {"back-off from a crowded ball", 0.7, player_at_local(4, 0.7, 0.3), 0.4, 0.1, -0.4, 0.1},
    };
    for (const AvoidCase& c : cases) {
        SCOPED_TRACE(c.what);
        restart();
        ball_at_local(c.ball_ahead, 0.0);
        scene.players = {c.mate};
        perceive();
        ASSERT_GT(agent->getBallPriority(), 0);  // the mate is nearer the ball
        start_walking();
        Reached r = trans(c.fwd, c.side);
        ASSERT_TRUE(r.trans);
        EXPECT_DOUBLE_EQ(r.fwd, c.ox);
        EXPECT_DOUBLE_EQ(r.side, c.oy);
        for (int i = 1; i <= 101; ++i) ASSERT_FALSE(trans(c.fwd, c.side).trans) << i;
        ASSERT_FALSE(agent->collision_detour || agent->crowding_back);
        // Nothing to avoid any more: the next request is limited from the
        // limiter's own start, not from the avoidance's request.
        scene.players = {player_at_local(7, 3.0, 1.6)};  // nearer the ball, off the path
        ball_at_local(4.0, 0.0);
        perceive();
        ASSERT_GT(agent->getBallPriority(), 0);
        r = trans(0.5, 0.2);
        ASSERT_TRUE(r.trans);
#ifdef BREVANE_NO_RATE_LIMITER
        EXPECT_DOUBLE_EQ(r.fwd, 0.5);
        EXPECT_DOUBLE_EQ(r.side, 0.2);
#else
        EXPECT_DOUBLE_EQ(r.fwd, 0.01);
        EXPECT_DOUBLE_EQ(r.side, 0.0025);
#endif
    }
}

struct CrowdCase {
    const char* what;
    double own;                 // robot's distance to the ball
    std::vector<double> mates;  // team-mates' distances to the ball
    bool back;
};

// A robot that is not nearest the ball backs off when some player at
// sorted position k >= 1 lies within 0.8 k m of the ball, itself included.
TEST_F(Actions, CrowdingBackOffByTheSortedDistancesToTheBall)
{
    const CrowdCase cases[] = {
        {"second and close", 0.7, {0.3}, true},
        {"second and far", 1.0, {0.3}, false},
        {"nearest", 0.5, {0.7}, false},
        {"third behind two close mates", 2.0, {0.3, 0.7}, true},
        {"third behind a far mate", 2.0, {0.3, 1.5}, false},
        {"third and within 1.6 m", 1.5, {0.3, 0.9}, true},
        {"alone", 0.5, {}, false},
    };
    for (const CrowdCase& c : cases) {
        SCOPED_TRACE(c.what);
        restart();
        ball_at_local(c.own, 0.0);
        scene.players.clear();
        int id = 3;
        for (double d : c.mates) {
            // Beyond the ball, fanned out.
            const double a = 0.5 * (id - 3) + 0.3;
            scene.players.push_back(player_at_local(id++, c.own + d * std::cos(a), d * std::sin(a)));
        }
        perceive();
        EXPECT_EQ(agent->crowding_back, c.back);
        EXPECT_FALSE(agent->crowding_stop);
    }
}

TEST_F(Actions, CrowdingCountsOnlyTheOwnTeamAndTheRobotOnce)
{
    // The robot sees its own arms: it must not count twice.
    ball_at_local(0.9, 0.0);
    scene.players = {player_at_local(4, 0.9, 0.3), player_at_local(2, 0.2, 0.0)};
    perceive();
    EXPECT_FALSE(agent->crowding_back);
    // An opponent close to the ball is no team-mate.
    ball_at_local(0.7, 0.0);
    scene.players = {player_at_local(4, 0.7, 0.3, "Other")};
    perceive();
    EXPECT_FALSE(agent->crowding_back);
    scene.players = {player_at_local(4, 0.7, 0.3)};
    perceive();
    EXPECT_TRUE(agent->crowding_back);
    // Nearest again: cleared.
    ball_at_local(0.2, 0.0);
    perceive();
    EXPECT_FALSE(agent->crowding_back);
}

TEST_F(Actions, CrowdingIsNotJudgedWithoutTheBallSeenWithin100)
{
    ball_at_local(0.7, 0.0);
    const ScenePlayer mate = player_at_local(4, 0.7, 0.3);
    scene.players = {mate};
    perceive();
    ASSERT_TRUE(agent->crowding_back);
    // Judged on the last ball position while it was seen within 100.
    scene.ball = false;
    perceive_times(98);
    EXPECT_TRUE(agent->crowding_back);
    scene.players.clear();
    perceive();  // 99 cycles unseen
    EXPECT_FALSE(agent->crowding_back);

    scene.ball = true;
    scene.players = {mate};
    perceive();
    ASSERT_TRUE(agent->crowding_back);
    scene.ball = false;
    perceive_times(99);
    scene.players.clear();
    perceive();  // 100 cycles unseen: not judged, the flag stays
    EXPECT_TRUE(agent->crowding_back);
}

// More team-mates in one vision message than the table holds: the table
// keeps the robot and the first ten, and nothing is written past it.
TEST_F(Actions, CrowdingWithMoreTeamMatesThanTheTableHolds)
{
    ball_at_local(1.0, 0.0);
    for (int i = 0; i < NaoParse::MAX_PLAYER_SEEN; ++i)
        scene.players.push_back(
            player_at_local(1 + i % 11, 1.0 + 0.3 * std::cos(0.2 * i), 0.3 * std::sin(0.2 * i)));
    perceive();
    ASSERT_EQ(agent->parse->nv.nb_player, static_cast<int>(NaoParse::MAX_PLAYER_SEEN));
    EXPECT_TRUE(agent->crowding_back);
}

TEST_F(Actions, CrowdingTableIsBoundedAndSortsStably)
{
    tab_id_dist_t tab;
    const double dists[] = {0.5, 0.2, 0.5, 0.1, 0.2, 0.9, 0.5, 0.3, 0.0, 0.7, 0.2};
    for (int i = 0; i < tab_id_dist_t::CAPACITY; ++i) EXPECT_TRUE(tab.add(i, 0, 0, dists[i]));
    EXPECT_FALSE(tab.add(99, 0, 0, 0.05));
    EXPECT_EQ(tab.size, tab_id_dist_t::CAPACITY);
    tab.sort();
    const int order[] = {8, 3, 1, 4, 10, 7, 0, 2, 6, 9, 5};
    for (int i = 0; i < tab.size; ++i) EXPECT_EQ(tab.rows[i].id, order[i]) << i;
    EXPECT_EQ(compare_eid_t(tab.rows[1], tab.rows[0]), 1);
    EXPECT_EQ(compare_eid_t(tab.rows[0], tab.rows[1]), 0);
    EXPECT_EQ(compare_eid_t(tab.rows[2], tab.rows[3]), 0);  // equal
}

// The back-off reverses the forward part of one request and drops the
// next 101, clearing its flag on the last.
TEST_F(Actions, CrowdingBackOffSendsOneReversedRequest)
{
    ball_at_local(0.7, 0.0);
    scene.players = {player_at_local(4, 0.7, 0.3)};
    perceive();
    ASSERT_TRUE(agent->crowding_back);
    start_walking();
    Reached r = trans(0.4, 0.1);
    ASSERT_TRUE(r.trans);
    EXPECT_DOUBLE_EQ(r.fwd, -0.4);
    EXPECT_DOUBLE_EQ(r.side, 0.1);
    for (int i = 1; i <= 101; ++i) {
        ASSERT_FALSE(trans(0.4, 0.1).trans) << i;
        ASSERT_EQ(agent->crowding_back, i < 101) << i;
    }
    // Still crowded: the next cycle backs off again.
    perceive();
    ASSERT_TRUE(agent->crowding_back);
    r = trans(0.3, 0.0);
    ASSERT_TRUE(r.trans);
    EXPECT_DOUBLE_EQ(r.fwd, -0.3);
}

// The stop variant of the crowding check (0.9 k m) stops the walk once,
// then drops the next 101 requests; the back-off check clears it when the
// robot is nearest.
TEST_F(Actions, CrowdingStopSendsOneStop)
{
    ball_at_local(0.85, 0.0);
    scene.players = {player_at_local(4, 0.85, 0.3)};
    perceive();
    EXPECT_FALSE(agent->crowding_back);
    agent->avoid_crowding_ball_1();
    ASSERT_TRUE(agent->crowding_stop);
    start_walking();
    Reached r = trans(0.4, 0.1);
    ASSERT_TRUE(r.trans);
    EXPECT_DOUBLE_EQ(r.fwd, 0.001);
    EXPECT_DOUBLE_EQ(r.side, 0.0);
    for (int i = 1; i <= 101; ++i) ASSERT_FALSE(trans(0.4, 0.1).trans) << i;
    EXPECT_FALSE(agent->crowding_stop);

    agent->avoid_crowding_ball_1();
    ASSERT_TRUE(agent->crowding_stop);
    ball_at_local(0.1, 0.0);
    perceive();
    EXPECT_FALSE(agent->crowding_stop);
}

TEST_F(Actions, PushWalksOneMetrePastTheBall)
{
    ball_at_local(2.0 * std::cos(0.3), 2.0 * std::sin(0.3));
    perceive();
    start_walking();
    Reached r = reached([&] { agent->apply_push(); });
    ASSERT_TRUE(r.trans);
    EXPECT_NEAR(r.fwd, 3.0 * std::cos(0.3), kTol);
    EXPECT_NEAR(r.side, 3.0 * std::sin(0.3), kTol);
}

// A phase, and whether it ends with one extra motion step whose commands
// are not sent.
struct PhaseOps {
    const char* name;
    void (*start)(NaoBehavior&);
    bool (*started)(NaoBehavior&);
    bool (*done)(NaoBehavior&, float);
    bool extra_motion_step;
};

TEST_F(Actions, TimedPhasesEndAfterTheirTimeAndRestartAfter300s)
{
    const PhaseOps phases[] = {
        {"push", [](NaoBehavior& b) { b.startPush(); }, [](NaoBehavior& b) { return b.pushStarted(); },
         [](NaoBehavior& b, float s) { return b.pushDone(s); }, true},
        {"diagonal", [](NaoBehavior& b) { b.startDiag(); }, [](NaoBehavior& b) { return b.diagStarted(); },
         [](NaoBehavior& b, float s) { return b.diagDone(s); }, true},
        {"goal-alignment avoidance", [](NaoBehavior& b) { b.startGoalAlignAvoidance(); },
         [](NaoBehavior& b) { return b.goalAlignAvoidanceStarted(); },
         [](NaoBehavior& b, float s) { return b.goalAlignAvoidanceDone(s); }, false},
    };
    for (const PhaseOps& p : phases) {
        SCOPED_TRACE(p.name);
        restart();
        perceive();
        set_time(1000, 900000);
        p.start(*agent);
        EXPECT_TRUE(p.started(*agent));
        const int cycles = agent->move->cycle_count;

        set_time(1006, 800000);  // 5.9 s
        EXPECT_FALSE(p.done(*agent, 6));
        set_time(1007, 900000);  // 7 s
        agent->out << "(kept)";
        EXPECT_TRUE(p.done(*agent, 6));
        EXPECT_FALSE(p.started(*agent));
        EXPECT_EQ(agent->move->cycle_count, cycles + (p.extra_motion_step ? 1 : 0));
        EXPECT_EQ(agent->out.str(), "(kept)");

        set_time(2000, 0);
        p.start(*agent);
        set_time(2301, 1);  // 301 s: the phase starts over
        EXPECT_FALSE(p.done(*agent, 6));
        EXPECT_TRUE(p.started(*agent));
        set_time(2307, 0);
        EXPECT_FALSE(p.done(*agent, 6));
        set_time(2308, 0);
        EXPECT_TRUE(p.done(*agent, 6));
    }
}

struct KickCase {
    double head_yaw;
    NaoMove::eKick kick;
};

TEST_F(Actions, KickWithTheFootOnTheBallsSideOnce)
{
    const KickCase cases[] = {
        {0.2, NaoMove::KICK_LEFT}, {0.0, NaoMove::KICK_RIGHT}, {-0.2, NaoMove::KICK_RIGHT}};
    for (const KickCase& c : cases) {
        SCOPED_TRACE(c.head_yaw);
        restart();
        scene.head_yaw = c.head_yaw;
        perceive();
        Reached r = reached([&] { agent->startKick(); });
        ASSERT_TRUE(r.kick);
        EXPECT_EQ(agent->move->kick_type, c.kick);
        EXPECT_EQ(agent->chosen_kick, c.kick);
        EXPECT_FALSE(agent->kickDone());

        // A second start before the kick is done does nothing.
        scene.head_yaw = -c.head_yaw - 0.1;
        perceive();
        r = reached([&] { agent->startKick(); });
        EXPECT_FALSE(r.kick);
        EXPECT_EQ(agent->chosen_kick, c.kick);

        finish_kick();
        EXPECT_TRUE(agent->kickDone());
        EXPECT_FALSE(agent->kickDone());  // reported once
    }
}

// A kick the motion interface refuses (while walking) is not started: it
// is asked again, and no kick is reported done meanwhile.
TEST_F(Actions, RefusedKickIsNotStarted)
{
    perceive();
    agent->startKick();
    finish_kick();
    ASSERT_TRUE(agent->kickDone());

    start_walking();
    Reached r = reached([&] { agent->startKick(); });
    EXPECT_FALSE(r.kick);
    EXPECT_FALSE(agent->kick_started);
    EXPECT_FALSE(agent->kickDone());

    std::stringstream out;
    for (int i = 0; i < 2000 && agent->move->trans; ++i) agent->move->update(out, agent->sub_steps);
    ASSERT_FALSE(agent->move->trans);
    r = reached([&] { agent->startKick(); });
    EXPECT_TRUE(r.kick);
    EXPECT_TRUE(agent->kick_started);
    EXPECT_FALSE(agent->kickDone());
}

TEST_F(Actions, KickSequenceIsNeverDone)
{
    agent->startKickSequence();
    EXPECT_FALSE(agent->kickSequenceDone());
}

TEST_F(Actions, AveragedBallFromTheTenthSample)
{
    ball_at_local(0.6, -0.2);
    perceive();
    agent->startAvgBallPos();
    testing::internal::CaptureStderr();
    for (int i = 1; i < 10; ++i) EXPECT_FALSE(agent->avgBallPosDone()) << i;
    EXPECT_TRUE(agent->avgBallPosDone());
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.find(" ------[1] 0.600000 -0.200000 --\n"), 0u);
    EXPECT_NE(err.find(" ------[10] 0.600000 -0.200000 --\n"), std::string::npos);
    EXPECT_NEAR(agent->avg_ball_lx, 0.6, kTol);
    EXPECT_NEAR(agent->avg_ball_ly, -0.2, kTol);
}

// The walk request of a player that is not first at the ball: rate-limited
// in brevane, unchanged in brevane-b, stops included.
TEST_F(Actions, WalkOfAPlayerNotFirstAtTheBall)
{
    ball_at_local(4.0, 0.0);
    scene.players = {player_at_local(7, 3.0, 1.6)};  // nearer the ball, off the path
    perceive();
    ASSERT_GT(agent->getBallPriority(), 0);
    start_walking();
    Reached r = trans(0.5, 0.2);
    ASSERT_TRUE(r.trans);
    Reached stop = reached([&] { agent->stop_walk(); });
    ASSERT_TRUE(stop.trans);
#ifdef BREVANE_NO_RATE_LIMITER
    EXPECT_DOUBLE_EQ(r.fwd, 0.5);
    EXPECT_DOUBLE_EQ(r.side, 0.2);
    EXPECT_DOUBLE_EQ(stop.fwd, 0.001);
    EXPECT_DOUBLE_EQ(stop.side, 0.0);
#else
    EXPECT_DOUBLE_EQ(r.fwd, 0.01);
    EXPECT_DOUBLE_EQ(r.side, 0.0025);
    // From 0.01 one step down to 0, below the request, and back up.
    EXPECT_DOUBLE_EQ(stop.fwd, 0.01);
    EXPECT_DOUBLE_EQ(stop.side, 0.0);
#endif
}

}  // namespace
