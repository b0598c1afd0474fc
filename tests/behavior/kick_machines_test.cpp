// The kick at the own kick-off: facing the ball, reaching the goal kick
// point 0.5 m behind it, the ten ball samples, the corrective step and the
// kick with the foot on the side the head looks to.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "behavior/at_push_point_kick.h"
#include "behavior/att.h"
#include "behavior/goto_global_kick_point2.h"
#include "behavior/kick.h"
#include "behavior/play_on.h"
#include "behavior/playing.h"
#include "machine_world.h"

namespace {

class Kick : public MachineWorld {
protected:
    kick& k() { return *agent->fsm->play_on_fsm->playing_fsm->att_fsm->kick_fsm; }
    goto_global_kick_point2& approach() { return *k().goto_global_kick_point2_fsm; }
    at_push_point_kick& at_point() { return *k().at_push_point_kick_fsm; }
    void SetUp() override
    {
        MachineWorld::SetUp();
        play_mode(NaoParse::PM_KICK_OFF_LEFT);
        ball_at(0, 0);  // the goal kick point is (-0.5, 0)
    }
    // One step in a think call of its own (the kick point is computed once
    // per think call).
    std::string tick(Behavior& m)
    {
        ++agent->think_count;
        return step(m);
    }
    void expect(Request::Kind kind, double a, double b)
    {
        Request r = take();
        EXPECT_EQ(r.kind, kind) << r;
        EXPECT_NEAR(r.a, a, 1e-9) << r;
        EXPECT_NEAR(r.b, b, 1e-9) << r;
    }
};

TEST_F(Kick, TheKickPointIsFacedWithinATolerance)
{
    // 1.5 m from the kick point, which lies 0.3 rad to the left.
    pose(-0.5 - 1.5 * std::cos(0.3), -1.5 * std::sin(0.3), 0);
    tick(approach());
    ASSERT_EQ(approach().state, goto_global_kick_point2::FACE_GLOBAL_KICK_POINT);
    tick(approach());
    expect(Request::ROT, 0.3, -0.01);
    // Below 0.2 rad (the tolerance under 2 m): stop, then walk to it.
    pose(-0.5 - 1.5 * std::cos(0.3), -1.5 * std::sin(0.3), 0.15);
    tick(approach());
    EXPECT_EQ(approach().state, goto_global_kick_point2::INIT);
    expect(Request::TRANS, 0.001, 0);
    tick(approach());
    ASSERT_EQ(approach().state, goto_global_kick_point2::GOTO_KICK);
    tick(approach());
    expect(Request::TRANS, 1.5 * std::cos(0.15), 1.5 * std::sin(0.15));
    // Arrived (within 0.15 m): back to init.
    pose(-0.4, 0.05, 0);
    tick(approach());
    EXPECT_EQ(approach().state, goto_global_kick_point2::INIT);
}

TEST_F(Kick, AFarKickPointIsTurnedToByPartsOfItsBearing)
{
    // 6 m away at 1 rad: more than 0.5 rad, so 0.7 of it.
    pose(-0.5 - 6 * std::cos(1.0), -6 * std::sin(1.0), 0);
    tick(approach());
    tick(approach());
    expect(Request::ROT, 0.7, -0.01);
    // 0.5 rad at 6 m is within the far tolerance (0.6): walk.
    pose(-0.5 - 6 * std::cos(1.0), -6 * std::sin(1.0), 0.5);
    tick(approach());
    tick(approach());
    EXPECT_EQ(approach().state, goto_global_kick_point2::GOTO_KICK);
}

TEST_F(Kick, ReachingTheKickPointOffTheBallTurnsTowardsItThenStartsAgain)
{
    k().state = kick::GOTO_GLOBAL_KICK_POINT2;
    pose(-0.5, 0, -0.2);  // on the kick point, the ball 0.2 rad to the left
    tick(k());
    ASSERT_EQ(k().state, kick::FACE_BALL_AGAIN);
    tick(k());
    ASSERT_EQ(k().state, kick::ROTATE_TO_FACE_BALL);
    EXPECT_EQ(take().kind, Request::NONE);  // face_ball_again never acts
    for (int i = 0; i < 2; ++i) {
        tick(k());
        expect(Request::ROT, 0.14, -0.01);
    }
    pose(-0.5, 0, -0.05);
    tick(k());
    EXPECT_EQ(k().state, kick::INIT);
    tick(k());
    EXPECT_EQ(k().state, kick::GOTO_GLOBAL_KICK_POINT2);
}

TEST_F(Kick, OnTheKickPointFacingTheBallTheRobotStopsThenKicks)
{
    k().state = kick::GOTO_GLOBAL_KICK_POINT2;
    pose(-0.5, 0, 0);
    tick(k());
    ASSERT_EQ(k().state, kick::STOP_WALK);
    tick(k());
    ASSERT_EQ(k().state, kick::AT_PUSH_POINT_KICK);
    EXPECT_EQ(at_point().state, at_push_point_kick::INIT);
}

TEST_F(Kick, StoppingWalksOnlyWhileTheBallIsAhead)
{
    k().state = kick::STOP_WALK;
    pose(-0.5, 0, -0.3);
    tick(k());
    EXPECT_EQ(k().state, kick::ROTATE_TO_FACE_BALL);
}

struct Lost {
    const char* name;
    int unseen;
    double last_bearing;
    double turn;
};

void PrintTo(const Lost& c, std::ostream* os) { *os << c.name; }

class LostBall : public Kick, public ::testing::WithParamInterface<Lost> {};

// Out of view for 10 cycles: a full radian towards the left when the ball
// was last seen off the axis, else to the right. (A ball last seen within
// 0.1 rad and still known counts as ahead: the turn is over before it
// starts; only a ball unknown for 500 cycles leaves it to the turn.)
TEST_P(LostBall, TurnsAFullRadian)
{
    k().state = kick::GOTO_GLOBAL_KICK_POINT2;
    pose(-3, 0, 0);
    ball_unseen(GetParam().unseen);
    loc().ball_bearing = GetParam().last_bearing;
    tick(k());
    ASSERT_EQ(k().state, kick::ROTATE_TO_FACE_BALL);
    tick(k());
    expect(Request::ROT, GetParam().turn, -0.01);
}

INSTANTIATE_TEST_SUITE_P(Table, LostBall,
                         ::testing::Values(Lost{"left", 10, 0.5, 1.0}, Lost{"right", 10, -0.5, 1.0},
                                           Lost{"ahead", Localize_t::VALID_BALL_SEEN_CNT, 0.005, -1.0}),
                         [](const ::testing::TestParamInfo<Lost>& i) { return std::string(i.param.name); });

TEST_F(Kick, ABallSeenIsTurnedToBySevenTenthsOfItsBearing)
{
    k().state = kick::ROTATE_TO_FACE_BALL;
    pose(-1, 0, -0.5);
    tick(k());
    expect(Request::ROT, 0.35, -0.01);
}

struct Away {
    const char* name;
    double ground_dist;
    double ahead;  // m, the ball in the torso frame
    int unseen;
    int state;
};

void PrintTo(const Away& c, std::ostream* os) { *os << c.name; }

class BallAway : public Kick, public ::testing::WithParamInterface<Away> {};

// The kick is given up for a ball lost, off, or behind the robot: a kick
// there strikes at where the ball last lay.
TEST_P(BallAway, EndsTheKickAtThePoint)
{
    const Away& c = GetParam();
    k().state = kick::AT_PUSH_POINT_KICK;
    pose(-0.5, 0, 0);
    loc().ball_ground_dist = c.ground_dist;
    loc().ball_lx = c.ahead;
    ball_unseen(c.unseen);
    tick(k());
    EXPECT_EQ(k().state, c.state);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BallAway,
    ::testing::Values(Away{"near", 0.5, 0.5, 0, kick::AT_PUSH_POINT_KICK},
                      Away{"seen_a_moment_ago", 0.5, 0.5, 9, kick::AT_PUSH_POINT_KICK},
                      Away{"beside", 0.3, 0.0, 0, kick::AT_PUSH_POINT_KICK},
                      Away{"pushed_away", 0.9, 0.9, 0, kick::INIT}, Away{"behind", 0.3, -0.1, 0, kick::INIT},
                      Away{"out_of_view", 0.5, 0.5, 10, kick::INIT},
                      Away{"lost", 0.5, 0.5, Localize_t::VALID_BALL_SEEN_CNT, kick::INIT}),
    [](const ::testing::TestParamInfo<Away>& i) { return std::string(i.param.name); });

// ---- stopping at the kick point ----

// Arriving walking, the robot asks for one stop and waits for the walk to
// end before it samples the ball; a stop asked again would be taken over
// again (and a stop asked standing is a walk).
TEST_F(Kick, TheRobotStopsOnceAndSamplesTheBallOnlyStanding)
{
    k().state = kick::STOP_WALK;
    pose(-0.5, 0, 0);
    NaoMove& m = move();
    m.walking = m.trans = true;
    m.trans_fwd = 0.3;
    tick(k());
    EXPECT_EQ(k().state, kick::STOP_WALK);
    EXPECT_TRUE(m.trans);
    EXPECT_DOUBLE_EQ(m.trans_fwd, NaoBehavior::STOP_FWD);
    EXPECT_DOUBLE_EQ(m.trans_side, 0);
    for (int i = 0; i < 3; ++i) {
        m.motion_cycles = -1;  // a request taken restarts it
        tick(k());
        EXPECT_EQ(k().state, kick::STOP_WALK);
        EXPECT_EQ(m.motion_cycles, -1) << "a second stop";
    }
    // The walk has ended.
    m.walking = m.trans = false;
    m.stop_trans = true;
    tick(k());
    EXPECT_EQ(k().state, kick::AT_PUSH_POINT_KICK);
}

TEST_F(Kick, ARobotStandingAtTheKickPointAsksForNoStop)
{
    k().state = kick::STOP_WALK;
    pose(-0.5, 0, 0);
    move().motion_cycles = -1;
    tick(k());
    EXPECT_EQ(k().state, kick::AT_PUSH_POINT_KICK);
    EXPECT_EQ(move().motion_cycles, -1);
}

struct Edge {
    const char* name;
    double bearing;  // rad, the ball from the torso
    int state;
};

void PrintTo(const Edge& c, std::ostream* os) { *os << c.name; }

class StopBearing : public Kick, public ::testing::WithParamInterface<Edge> {};

// Aligned means within 0.1 rad to come to stop, within 0.15 rad to stay
// stopping: a bearing on the edge does not send the robot turning and back.
TEST_P(StopBearing, TheBallCountsAsAheadWithAMargin)
{
    k().state = kick::STOP_WALK;
    pose(-0.5, 0, -GetParam().bearing);
    move().walking = move().trans = true;  // still stopping
    tick(k());
    EXPECT_EQ(k().state, GetParam().state);
}

INSTANTIATE_TEST_SUITE_P(Table, StopBearing,
                         ::testing::Values(Edge{"on_the_edge", 0.12, kick::STOP_WALK},
                                           Edge{"past_the_margin", 0.17, kick::ROTATE_TO_FACE_BALL}),
                         [](const ::testing::TestParamInfo<Edge>& i) { return std::string(i.param.name); });

class ApproachBearing : public Kick, public ::testing::WithParamInterface<Edge> {};

// Walking to the kick point 1.5 m away (tolerance 0.2 rad), the robot
// turns to it again only 0.1 rad beyond the tolerance.
TEST_P(ApproachBearing, TheKickPointCountsAsAheadWithAMargin)
{
    approach().state = goto_global_kick_point2::GOTO_KICK;
    const double b = GetParam().bearing;
    pose(-0.5 - 1.5 * std::cos(b), -1.5 * std::sin(b), 0);
    tick(approach());
    EXPECT_EQ(approach().state, GetParam().state);
}

INSTANTIATE_TEST_SUITE_P(Table, ApproachBearing,
                         ::testing::Values(Edge{"on_the_edge", 0.25, goto_global_kick_point2::GOTO_KICK},
                                           Edge{"past_the_margin", 0.32,
                                                goto_global_kick_point2::FACE_GLOBAL_KICK_POINT}),
                         [](const ::testing::TestParamInfo<Edge>& i) { return std::string(i.param.name); });

// From init (not walking yet) the plain tolerance holds.
TEST_F(Kick, ABearingOnTheEdgeIsTurnedToBeforeTheWalk)
{
    pose(-0.5 - 1.5 * std::cos(0.25), -1.5 * std::sin(0.25), 0);
    tick(approach());
    EXPECT_EQ(approach().state, goto_global_kick_point2::FACE_GLOBAL_KICK_POINT);
}

// ---- at the kick point: samples, corrective step, kick ----

class AtPoint : public Kick {
protected:
    // Steps until the corrective step is asked for; the number of ball
    // samples taken on the way.
    int collect()
    {
        testing::internal::CaptureStderr();
        int steps = 0;
        while (at_point().state == at_push_point_kick::INIT && steps < 100) {
            tick(at_point());
            ++steps;
        }
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(at_point().state, at_push_point_kick::BALL_LOCALIZED);
        return agent->collect_ball_samples;
    }
    // The corrective step has ended where it was meant to (the ball 0.231 m
    // ahead and 0.085 m to the right of the ball at the centre spot, or as
    // given): the kick starts.
    void step_ended(double ahead = 0.231, double side = -0.085)
    {
        take();
        pose(loc().ball_gx - ahead, loc().ball_gy - side, 0);
        move().stop_trans = true;
        tick(at_point());
    }
};

TEST_F(AtPoint, TenBallSamplesGiveTheCorrectiveStep)
{
    pose(-0.4, 0.1, 0);  // ball 0.4 m ahead, 0.1 m to the right
    EXPECT_EQ(collect(), 10);
    // The mean less (0.231, -0.085): the ball ends 0.231 m ahead, 0.085 m
    // to the right.
    expect(Request::TRANS, 0.4 - 0.231, -0.1 + 0.085);
}

TEST_F(AtPoint, WithoutBallSamplesTheRobotStepsAheadAndKicks)
{
    ball_unseen(Localize_t::VALID_BALL_SEEN_CNT);
    EXPECT_EQ(collect(), 0);
    expect(Request::TRANS, 1, 0);
    step_ended();
    EXPECT_EQ(at_point().state, at_push_point_kick::KICKING);
    EXPECT_EQ(take().kind, Request::KICK);
}

TEST_F(AtPoint, TheKickWaitsForTheEndOfTheCorrectiveStep)
{
    EXPECT_EQ(collect(), 10);
    tick(at_point());
    EXPECT_EQ(at_point().state, at_push_point_kick::BALL_LOCALIZED);  // still stepping
    move().trans = false;  // ended, but the walk has not reported it yet
    move().stop_trans = false;
    tick(at_point());
    EXPECT_EQ(at_point().state, at_push_point_kick::BALL_LOCALIZED);
    EXPECT_FALSE(move().kick);
}

struct Foot {
    double yaw_deg;
    int kick;
};

void PrintTo(const Foot& c, std::ostream* os) { *os << "head yaw " << c.yaw_deg; }

class KickFoot : public AtPoint, public ::testing::WithParamInterface<Foot> {};

TEST_P(KickFoot, TheFootOnTheSideTheHeadLooksTo)
{
    head_yaw_deg(GetParam().yaw_deg);
    collect();
    step_ended();
    ASSERT_EQ(at_point().state, at_push_point_kick::KICKING);
    expect(Request::KICK, GetParam().kick, 0);
    // The kick ends: back to init, ready for the next.
    move().kick_done = true;
    tick(at_point());
    EXPECT_EQ(at_point().state, at_push_point_kick::INIT);
}

INSTANTIATE_TEST_SUITE_P(Table, KickFoot,
                         ::testing::Values(Foot{0, NaoMove::KICK_RIGHT}, Foot{10, NaoMove::KICK_LEFT},
                                           Foot{-10, NaoMove::KICK_RIGHT}));

// A kick that sends the ball off ends the kick machine's visit to the kick
// point before its end is asked for; the next visit kicks all the same.
TEST_F(AtPoint, AKickWhoseBallFlewOffDoesNotStandInForTheNext)
{
    k().state = kick::AT_PUSH_POINT_KICK;
    collect();
    step_ended();
    ASSERT_EQ(at_point().state, at_push_point_kick::KICKING);
    ASSERT_EQ(take().kind, Request::KICK);
    ball_at(3, 0);  // the ball flies off
    tick(k());
    ASSERT_EQ(k().state, kick::INIT);
    move().kick_done = true;  // the kick motion ends
    ball_at(0, 0);
    at_point().Reinit_behavior();
    collect();
    step_ended();
    EXPECT_EQ(at_point().state, at_push_point_kick::KICKING);
    EXPECT_EQ(take().kind, Request::KICK);
    tick(at_point());
    EXPECT_EQ(at_point().state, at_push_point_kick::KICKING);  // this kick has not ended
}

struct Reach {
    const char* name;
    double ahead, side;  // m, the ball in the torso frame after the step
    bool kicks;
};

void PrintTo(const Reach& c, std::ostream* os) { *os << c.name; }

class KickReach : public AtPoint, public ::testing::WithParamInterface<Reach> {};

// Beyond about 0.28 m ahead the strike misses the ball and the foot on its
// way back knocks it off (or touches it twice); on top of it the kick steps
// on it. Out of reach, the robot samples the ball again.
TEST_P(KickReach, TheKickStartsOnlyWithTheBallWithinReach)
{
    collect();
    step_ended(GetParam().ahead, GetParam().side);
    if (GetParam().kicks) {
        EXPECT_EQ(at_point().state, at_push_point_kick::KICKING);
        EXPECT_EQ(take().kind, Request::KICK);
    } else {
        EXPECT_EQ(at_point().state, at_push_point_kick::INIT);
        EXPECT_FALSE(move().kick);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, KickReach,
                         ::testing::Values(Reach{"aimed", 0.231, -0.085, true}, Reach{"left", 0.2, 0.1, true},
                                           Reach{"far_edge", 0.27, -0.085, true},
                                           Reach{"centred", 0.21, -0.01, false},
                                           Reach{"short_of_it", 0.30, -0.085, false},
                                           Reach{"near_edge", 0.15, -0.085, true},
                                           Reach{"on_top_of_it", 0.13, -0.085, false},
                                           Reach{"off_to_the_right", 0.23, -0.2, false}),
                         [](const ::testing::TestParamInfo<Reach>& i) { return std::string(i.param.name); });

TEST_F(AtPoint, AStepShortOfTheBallIsFollowedByAnotherThenTheKick)
{
    collect();
    step_ended(0.30, -0.085);
    ASSERT_EQ(at_point().state, at_push_point_kick::INIT);
    EXPECT_EQ(collect(), 10);
    expect(Request::TRANS, 0.30 - 0.231, 0);
    step_ended();
    EXPECT_EQ(at_point().state, at_push_point_kick::KICKING);
    EXPECT_EQ(take().kind, Request::KICK);
}

// The kick-off taker beams with the ball within its kick's reach, between
// the kick point and the ball: no turn, no walk to the kick point behind
// it, no corrective step, but the ten samples standing and the kick. Near
// but out of reach (the beam's noise), or on the straight legs of a robot
// that has not moved since it was placed, the corrective step takes it
// there.
struct Beamed {
    const char* name;
    double x, y, heading;  // the robot; the ball at the centre spot
    bool crouched;         // the knees bent as in the stand pose, else straight
    bool step;             // a corrective step before the kick
    double fwd, side;      // that step
};

void PrintTo(const Beamed& c, std::ostream* os) { *os << c.name; }

class BeamedTaker : public AtPoint, public ::testing::WithParamInterface<Beamed> {};

TEST_P(BeamedTaker, KicksFromWhereItStands)
{
    const Beamed& c = GetParam();
    pose(c.x, c.y, c.heading);
    ball_at(0, 0);
    const naosimplemove_t& stand = move().stand_pose;
    for (int j = 0; j < stand.njoints; ++j)
        if (stand.jid[j] == NaoParse::JID_LLEG_4 || stand.jid[j] == NaoParse::JID_RLEG_4)
            NaoParse::mHingeJointSenseMap[static_cast<NaoParse::JointID>(stand.jid[j])].angle =
                c.crouched ? stand.angles[j] : 0.0f;
    for (int i = 0; i < 3 && k().state != kick::AT_PUSH_POINT_KICK; ++i) tick(k());
    ASSERT_EQ(k().state, kick::AT_PUSH_POINT_KICK);
    EXPECT_EQ(take().kind, Request::NONE);  // neither turn nor walk on the way
    collect();
    if (c.step) {
        const double ahead = c.x * -std::cos(c.heading) - c.y * std::sin(c.heading);
        const double side = c.x * std::sin(c.heading) - c.y * std::cos(c.heading);
        expect(Request::TRANS, ahead - 0.231, side + 0.085);
        EXPECT_NEAR(ahead - 0.231, c.fwd, 1e-9);
        EXPECT_NEAR(side + 0.085, c.side, 1e-9);
        tick(at_point());
        EXPECT_EQ(at_point().state, at_push_point_kick::BALL_LOCALIZED);  // stepping
        step_ended();
    } else {
        EXPECT_EQ(take().kind, Request::NONE);
        tick(at_point());
    }
    EXPECT_EQ(at_point().state, at_push_point_kick::KICKING);
    EXPECT_EQ(take().kind, Request::KICK);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BeamedTaker,
    ::testing::Values(Beamed{"on_its_place", -0.2, 0.1, 0, true, false, 0, 0},
                      Beamed{"turned_by_the_beam", -0.22, 0.08, 0.15, true, false, 0, 0},
                      Beamed{"on_straight_legs", -0.2, 0.1, 0, false, true, 0.2 - 0.231, -0.1 + 0.085},
                      Beamed{"too_near", -0.15, 0.1, 0, true, true, 0.15 - 0.231, -0.1 + 0.085},
                      Beamed{"off_to_the_side", -0.22, 0.17, 0, true, true, 0.22 - 0.231, -0.17 + 0.085}),
    [](const ::testing::TestParamInfo<Beamed>& i) { return std::string(i.param.name); });

// At the kick point, or facing away from the goal, the robot takes the
// usual way: the ball near it is no reason to kick it elsewhere.
TEST_F(Kick, ABallNearButNotBetweenTheKickPointAndTheGoalIsApproachedAsUsual)
{
    pose(-0.2, 0.3, M_PI / 2);  // facing the left touch line, the ball behind to the right
    ball_at(0, 0);
    tick(k());
    EXPECT_EQ(k().state, kick::ROTATE_TO_FACE_BALL);
    k().state = kick::INIT;
    pose(-0.25, 0, -M_PI / 2 + 0.1);  // facing the right touch line, the ball 0.25 m away to its left
    tick(k());
    EXPECT_EQ(k().state, kick::ROTATE_TO_FACE_BALL);
}

TEST_F(AtPoint, ABallLostDuringTheKickEndsIt)
{
    collect();
    step_ended();
    ASSERT_EQ(at_point().state, at_push_point_kick::KICKING);
    ball_unseen(Localize_t::VALID_BALL_SEEN_CNT);
    tick(at_point());
    EXPECT_EQ(at_point().state, at_push_point_kick::INIT);
}

// After a goal the server puts the ball on the centre spot only as the
// kick-off begins: the taker beamed beside the spot has not seen it since,
// and waits for the head to find it just ahead rather than turning away
// from it (the search for a lost ball), for a while.
struct Look {
    const char* name;
    bool seen_since;  // the ball seen since the kick-off began
    double since;     // s since the kick-off began
    double x;         // the robot's place (beside the spot, or not)
    int state;
};

void PrintTo(const Look& c, std::ostream* os) { *os << c.name; }

class KickOffLook : public Kick, public ::testing::WithParamInterface<Look> {};

TEST_P(KickOffLook, TheTakerWaitsForTheBallOnTheSpot)
{
    const Look& c = GetParam();
    pose(c.x, 0.1, 0.3);
    ball_unseen(50);
    agent->kick_off_state.ball_seen_in_mode = c.seen_since;
    agent->kick_off_state.mode_since = 40.0;
    parse().game_time = 40.0 + c.since;
    tick(k());
    EXPECT_EQ(k().state, c.state);
    if (c.state == kick::INIT) {
        EXPECT_EQ(take().kind, Request::NONE);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, KickOffLook,
    ::testing::Values(Look{"not_seen_yet", false, 1.0, -0.2, kick::INIT},
                      Look{"not_seen_for_long", false, 4.5, -0.2, kick::ROTATE_TO_FACE_BALL},
                      Look{"seen_and_lost", true, 1.0, -0.2, kick::ROTATE_TO_FACE_BALL},
                      Look{"away_from_the_spot", false, 1.0, -2.0, kick::ROTATE_TO_FACE_BALL}),
    [](const ::testing::TestParamInfo<Look>& i) { return std::string(i.param.name); });

// An own set piece's taker, first at the ball, dribbles to the push point
// 0.3 m behind it and kicks from there: the push walks 1 m past the ball and
// touched it a second time (a free kick for the opponents). The one step
// before the kick ends short of the ball. Other restarts, and play, push.
struct SetPiece {
    const char* name;
    int mode;
    bool pushing;  // a push under way when the restart began
    bool kicks;
};

void PrintTo(const SetPiece& c, std::ostream* os) { *os << c.name; }

class SetPieceTaker : public Kick, public ::testing::WithParamInterface<SetPiece> {
protected:
    att& a() { return *agent->fsm->play_on_fsm->playing_fsm->att_fsm; }
};

TEST_P(SetPieceTaker, KicksFromThePushPoint)
{
    const SetPiece& c = GetParam();
    play_mode(c.mode);
    ball_at(0, 0);
    pose(-0.3, 0.02, 0);  // on the push point, facing the opponent goal
    mates_nearer(0);
    a().state = att::DRIBBLE;
    agent->push_started = c.pushing;
    tick(a());
    if (!c.kicks) {
        EXPECT_EQ(a().state, att::DRIBBLE);
        return;
    }
    EXPECT_EQ(a().state, att::INIT);
    EXPECT_FALSE(agent->push_started);
    tick(a());
    ASSERT_EQ(a().state, att::KICK);
    // The first step longer than a stop is the corrective step: it leaves
    // the ball within the kick's reach ahead, not behind the robot.
    testing::internal::CaptureStderr();
    Request r;
    for (int k = 0; k < 100 && r.kind == Request::NONE; ++k) {
        tick(a());
        r = take();
        if (r.kind == Request::TRANS && r.a <= NaoBehavior::STOP_FWD) r = Request();
    }
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(r.kind, Request::TRANS) << r;
    EXPECT_GE(0.3 - r.a, NaoBehavior::KICK_REACH_NEAR) << r;
    EXPECT_LE(0.3 - r.a, NaoBehavior::KICK_REACH_FAR) << r;
}

INSTANTIATE_TEST_SUITE_P(
    Table, SetPieceTaker,
    ::testing::Values(SetPiece{"own_kick_in", NaoParse::PM_KICK_IN_LEFT, false, true},
                      SetPiece{"own_corner_kick_while_pushing", NaoParse::PM_CORNER_KICK_LEFT, true, true},
                      SetPiece{"own_goal_kick", NaoParse::PM_GOAL_KICK_LEFT, false, true},
                      SetPiece{"own_free_kick", NaoParse::PM_FREE_KICK_LEFT, false, true},
                      SetPiece{"their_kick_in", NaoParse::PM_KICK_IN_RIGHT, false, false},
                      SetPiece{"play_on", NaoParse::PM_PLAY_ON, true, false}),
    [](const ::testing::TestParamInfo<SetPiece>& i) { return std::string(i.param.name); });

}  // namespace
