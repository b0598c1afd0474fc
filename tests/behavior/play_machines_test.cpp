// The machines of play: the stand-up around a fall, the choice between
// looking for the ball, attacking, recovering the position and taking the
// strategy's place, the search turns, and kick versus dribble.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>

#include "behavior/att.h"
#include "behavior/look_for_ball.h"
#include "behavior/look_for_coord.h"
#include "behavior/play_on.h"
#include "behavior/playing.h"
#include "machine_world.h"

namespace {

class Play : public MachineWorld {
protected:
    play_on& play() { return *agent->fsm->play_on_fsm; }
    playing& pl() { return *play().playing_fsm; }
    att& attack() { return *pl().att_fsm; }
    void SetUp() override
    {
        MachineWorld::SetUp();
        play_mode(NaoParse::PM_PLAY_ON);
        agent->game_phase = 2;
    }
};

// ---- play_on ----

TEST_F(Play, PlayStartsInThePhaseOfPlayAndClearsTheBeam)
{
    agent->game_phase = 3;
    agent->beamed = true;
    step(play());
    EXPECT_EQ(play().state, play_on::INIT);
    EXPECT_TRUE(agent->beamed);
    agent->game_phase = 2;
    pl().state = playing::ASSIST;
    step(play());
    EXPECT_EQ(play().state, play_on::PLAYING);
    EXPECT_EQ(pl().state, playing::INIT);  // re-entered
    EXPECT_FALSE(agent->beamed);
}

TEST_F(Play, AFallClearsTheEffectorsOnTheWayToTheStandUpAndBack)
{
    play().state = play_on::PLAYING;
    NaoParse::fall_down_detected = true;
    EXPECT_EQ(step(play()), clear_all_text());
    EXPECT_EQ(play().state, play_on::STAND_UP);
    EXPECT_EQ(step(play()), "");  // the motion interface stands the robot up
    EXPECT_EQ(play().state, play_on::STAND_UP);
    NaoParse::fall_down_detected = false;
    pl().state = playing::ATT;
    EXPECT_EQ(step(play()), clear_all_text());
    EXPECT_EQ(play().state, play_on::PLAYING);
    EXPECT_EQ(pl().state, playing::INIT);
}

TEST_F(Play, AGoalCountsEvenInTheStepOfAFall)
{
    play().state = play_on::PLAYING;
    NaoParse::fall_down_detected = true;
    play_mode(NaoParse::PM_GOAL_LEFT);
    step(play());
    EXPECT_EQ(play().state, play_on::STAND_UP);
    EXPECT_EQ(agent->game_phase, 3);
}

TEST_F(Play, PlayEndsWhenThePhaseOfPlayEnds)
{
    play().state = play_on::PLAYING;
    agent->game_phase = 1;
    step(play());
    EXPECT_EQ(play().state, play_on::INIT);
    EXPECT_EQ(agent->game_phase, 1);
}

// ---- playing: the choice from init ----

struct Choice {
    const char* name;
    bool ball_seen;
    int priority;
    bool pose_known;
    int state;
};

void PrintTo(const Choice& c, std::ostream* os) { *os << c.name; }

class Choose : public Play, public ::testing::WithParamInterface<Choice> {};

TEST_P(Choose, BallFirstThenAttackThenPositionThenAssist)
{
    const Choice& c = GetParam();
    pose(-5, 0, 0, c.pose_known ? 0 : Localize_t::VALID_COORD_CNT);
    ball_at(-3, 1);
    if (!c.ball_seen) ball_unseen(Localize_t::VALID_BALL_SEEN_CNT);
    mates_nearer(c.priority);
    step(pl());
    EXPECT_EQ(pl().state, c.state) << pl().state_name();
#ifndef BREVANE_NO_RATE_LIMITER
    // Asking the priority sets the speed filter of the walk requests.
    EXPECT_EQ(loc().speed_filter, c.priority != 0 ? 1 : 0);
#endif
    if (c.priority == 0) {
        EXPECT_EQ(agent->last_move_target_count, -9999);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Choose,
    ::testing::Values(Choice{"ball_unknown", false, 0, true, playing::LOOK_FOR_BALL},
                      Choice{"ball_unknown_before_all", false, 1, false, playing::LOOK_FOR_BALL},
                      Choice{"first_at_the_ball", true, 0, true, playing::ATT},
                      Choice{"attack_before_the_position", true, 0, false, playing::ATT},
                      Choice{"position_unknown", true, 1, false, playing::LOOK_FOR_COORD},
                      Choice{"assist", true, 2, true, playing::ASSIST}),
    [](const ::testing::TestParamInfo<Choice>& i) { return std::string(i.param.name); });

TEST_F(Play, EachChoiceLastsWhileItsConditionHolds)
{
    ball_at(-3, 1);
    mates_nearer(1);
    pose(-5, 0, 0, Localize_t::VALID_COORD_CNT);
    step(pl());
    ASSERT_EQ(pl().state, playing::LOOK_FOR_COORD);
    step(pl());
    EXPECT_EQ(pl().state, playing::LOOK_FOR_COORD);
    pose(-5, 0, 0, 0);
    step(pl());
    EXPECT_EQ(pl().state, playing::INIT);
    step(pl());
    ASSERT_EQ(pl().state, playing::ASSIST);
    ball_unseen(Localize_t::VALID_BALL_SEEN_CNT);
    step(pl());
    EXPECT_EQ(pl().state, playing::INIT);
    step(pl());
    ASSERT_EQ(pl().state, playing::LOOK_FOR_BALL);
    ball_at(-3, 1);
    step(pl());
    EXPECT_EQ(pl().state, playing::INIT);
}

// Leaving att needs a team-mate to take over the ball: a lone attacker that
// loses the ball stays in att, where going to the ball turns right on the
// spot to find it again.
TEST_F(Play, ABallLostWhileAttackingAloneIsSearchedForByTurning)
{
    ball_at(-2, 0);
    step(pl());
    ASSERT_EQ(pl().state, playing::ATT);
    ball_unseen(Localize_t::VALID_BALL_SEEN_CNT);
    bool turned_right = false;
    for (int i = 0; i < 8; ++i) {
        step(pl());
        EXPECT_EQ(pl().state, playing::ATT);
        Request r = take();
        if (r.kind == Request::ROT && std::fabs(r.a + 0.3) < 1e-12) turned_right = true;
    }
    EXPECT_TRUE(turned_right);
}

TEST_F(Play, ABallLostWhileATeamMateIsNearerGoesBackToLookingForIt)
{
    ball_at(-2, 0);
    step(pl());
    ASSERT_EQ(pl().state, playing::ATT);
    ball_unseen(Localize_t::VALID_BALL_SEEN_CNT);
    mates_nearer(1);
    step(pl());
    EXPECT_EQ(pl().state, playing::INIT);
    step(pl());
    EXPECT_EQ(pl().state, playing::LOOK_FOR_BALL);
}

// ---- playing: the strategy's place ----

class Assist : public Play {
protected:
    void walk_to_held_place();
    // A strategy of one formation with five places around the ball (1, 0)
    // and a script that leaves them as they are: by distance from the ball
    // (1.5, 0) 0.5 m, (1, -1.5) 1.5 m, (-1.5, 0) 2.5 m, (1, 3.5) 3.5 m,
    // (5.5, 0) 4.5 m, written in another order.
    void SetUp() override
    {
        Play::SetUp();
        std::ofstream("still.lua") << "-- the places stay\n";
        std::ofstream("five.xml") << R"(<strategy><formation script="still.lua">
            <ball x="1" y="0"/><ballArea x="-5" y="-5" l="10" w="10"/>
            <players><player x="1" y="3.5"/><player x="-1.5" y="0"/><player x="5.5" y="0"/>
            <player x="1.5" y="0"/><player x="1" y="-1.5"/></players></formation></strategy>)";
        ASSERT_TRUE(agent->play_on_strategy.load("five.xml"));
    }
    // Into assist with the ball at (bx, by) and p team-mates nearer it.
    void assist(double bx, double by, int p)
    {
        pose(-4, 2, 0);
        ball_at(bx, by);
        mates_nearer(p);
        step(pl());
        ASSERT_EQ(pl().state, playing::ASSIST);
    }
};

TEST_F(Assist, ThePlayerAtPriorityTwoTakesTheThirdNearestPlace)
{
    assist(1, 0, 2);
    step(pl());
    EXPECT_EQ(pl().state, playing::ASSIST);
    EXPECT_DOUBLE_EQ(agent->move_target_x, -1.5);
    EXPECT_DOUBLE_EQ(agent->move_target_y, 0);
    EXPECT_TRUE(agent->move_target_face_ball);
    // ... and walks there at once.
    EXPECT_NE(take().kind, Request::NONE);
}

TEST_F(Assist, TheTeamPlayingFromTheRightMirrorsTheBallAndThePlaces)
{
    side(-1);
    assist(-1, 0, 2);
    step(pl());
    EXPECT_DOUBLE_EQ(agent->move_target_x, 1.5);
    EXPECT_DOUBLE_EQ(agent->move_target_y, 0);
}

TEST_F(Assist, APriorityBeyondThePlacesKeepsTheTargetAndWalksOn)
{
    agent->move_target_x = -4;
    agent->move_target_y = -2;  // 4 m away, straight to the right
    assist(1, 0, 5);
    testing::internal::CaptureStderr();
    step(pl());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "new_player_form_id > new_form.players.size() ERROR\n");
    EXPECT_DOUBLE_EQ(agent->move_target_x, -4);
    EXPECT_DOUBLE_EQ(agent->move_target_y, -2);
    Request r = take();
    EXPECT_EQ(r.kind, Request::ROT) << r;
    EXPECT_LT(r.a, 0) << r;
}

TEST_F(Assist, ABallOutsideEveryFormationIsReportedAndTheRobotWalksOn)
{
    agent->move_target_x = -4;
    agent->move_target_y = -2;
    assist(7.25, -1, 1);
    testing::internal::CaptureStderr();
    step(pl());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "play_on_strategy.interpolate (7.2 -1.0) 1 ERROR \n");
    EXPECT_DOUBLE_EQ(agent->move_target_x, -4);
    EXPECT_EQ(take().kind, Request::ROT);
}

// Two team-mates at the ball (1, 0), a third on the fourth nearest place
// (1, 3.5): this robot, farther from the ball, is to take that place, and
// comes from beyond it, facing the ball; the walk there is asked for.
void Assist::walk_to_held_place()
{
    pose(1, 6, -M_PI / 2);
    ball_at(1, 0);
    mates_nearer(2);
    loc().mates[4] = Localize_t::mate_t{4, 1.0, 3.3, 0.0};
    step(pl());
    ASSERT_EQ(pl().state, playing::ASSIST);
    step(pl());
    ASSERT_DOUBLE_EQ(agent->move_target_x, 1);
    ASSERT_DOUBLE_EQ(agent->move_target_y, 3.5);
}

// A team-mate already holds the robot's place: play reaches it short of
// the team-mate, and the walk under way towards the place itself is ended
// there, though the robot already faces the ball (it would otherwise walk
// on into the team-mate).
TEST_F(Assist, APlaceHeldByATeamMateEndsTheWalkShortOfIt)
{
    ASSERT_NO_FATAL_FAILURE(walk_to_held_place());
    Request r = take();
    ASSERT_EQ(r.kind, Request::TRANS) << r;
    EXPECT_GT(r.a, 0.0) << r;  // towards the place (rate-limited)
    // 0.9 m from the place, the team-mate 0.2 m from it: reached; the walk
    // is still under way.
    move().walking = true;
    pose(1, 4.4, -M_PI / 2);
    ball_at(1, 0);
    step(pl());
    r = take();
    ASSERT_EQ(r.kind, Request::TRANS) << r;
    EXPECT_DOUBLE_EQ(r.a, NaoBehavior::STOP_FWD);
    EXPECT_DOUBLE_EQ(r.b, 0.0);
    // Then nothing more while it faces the ball.
    move().walking = false;
    step(pl());
    EXPECT_EQ(take().kind, Request::NONE);
}

// The walk towards the held place may be accepted and not yet walking when
// the place is reached: the stop is refused then, and asked for again until
// the walk has started and takes it (sent once, the queued walk carried the
// robot on into the team-mate).
TEST_F(Assist, AHeldPlaceReachedBeforeTheWalkStartsStopsItOnceItRuns)
{
    ASSERT_NO_FATAL_FAILURE(walk_to_held_place());
    // The translation is accepted, its walk not yet running.
    ASSERT_TRUE(move().trans);
    ASSERT_FALSE(move().walking);
    const double asked = move().trans_fwd;
    ASSERT_GT(asked, 0.0);
    pose(1, 4.4, -M_PI / 2);
    ball_at(1, 0);
    for (int k = 0; k < 3; ++k) {
        step(pl());
        EXPECT_DOUBLE_EQ(move().trans_fwd, asked) << k;  // the stop was refused
    }
    move().walking = true;
    step(pl());
    Request r = take();
    ASSERT_EQ(r.kind, Request::TRANS) << r;
    EXPECT_DOUBLE_EQ(r.a, NaoBehavior::STOP_FWD);
    EXPECT_DOUBLE_EQ(r.b, 0.0);
}

// ---- the kick-off taker's wait ----

// The own kick-off's taker may not touch the ball again before another
// player has: it leaves the attack and, instead of a strategy place, keeps
// its own, turning to a far ball one turn at a time.
class TakerWaits : public Assist {
protected:
    void SetUp() override
    {
        Assist::SetUp();
        agent->kick_off_state.pending = agent->kick_off_state.taker = true;
        pose(-0.2, 0, 0);
    }
};

TEST_F(TakerWaits, TheTakerLeavesTheAttackThoughNearestTheBall)
{
    ball_at(1, 0);
    mates_nearer(0);
    pl().state = playing::ATT;
    step(pl());
    EXPECT_EQ(pl().state, playing::INIT);
    step(pl());
    EXPECT_EQ(pl().state, playing::ASSIST);
    step(pl());
    EXPECT_EQ(pl().state, playing::ASSIST);
    EXPECT_EQ(take().kind, Request::NONE);  // no place taken, no walk
    // Once another player has been at the ball it attacks again.
    agent->kick_off_state.pending = false;
    step(pl());
    EXPECT_EQ(pl().state, playing::INIT);
    step(pl());
    EXPECT_EQ(pl().state, playing::ATT);
}

struct Wait {
    const char* name;
    double bx, by;  // the ball; the taker stands at (-0.2, 0) facing +x
    bool walking;
    Request::Kind kind;
};

void PrintTo(const Wait& c, std::ostream* os) { *os << c.name; }

class TakerTurns : public TakerWaits, public ::testing::WithParamInterface<Wait> {};

TEST_P(TakerTurns, OnlyToAFarBallAndOnlyStanding)
{
    const Wait& c = GetParam();
    ball_at(c.bx, c.by);
    mates_nearer(1);
    pl().state = playing::ASSIST;
    move().walking = c.walking;
    step(pl());
    Request r = take();
    EXPECT_EQ(r.kind, c.kind) << r;
    if (c.kind == Request::ROT) {
        EXPECT_NEAR(r.a, 0.6 * std::atan2(c.by, c.bx + 0.2), 1e-9) << r;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, TakerTurns,
                         ::testing::Values(Wait{"far_to_the_left", 2, 2, false, Request::ROT},
                                           Wait{"far_ahead", 3, 0.2, false, Request::NONE},
                                           Wait{"near_to_the_left", 0.3, 0.5, false, Request::NONE},
                                           Wait{"far_while_turning", 2, 2, true, Request::NONE}),
                         [](const ::testing::TestParamInfo<Wait>& i) { return std::string(i.param.name); });

// ---- the search turns ----

struct Search {
    const char* name;
    int unseen;     // ball-unseen count
    double gx, gy;  // ball, robot at (-5, 0) facing +x
    double turn;    // the request of face_the_ball
};

void PrintTo(const Search& c, std::ostream* os) { *os << c.name; }

class LookForBall : public Play, public ::testing::WithParamInterface<Search> {};

TEST_P(LookForBall, TurnsTowardsTheBallOrAQuarterTurn)
{
    const Search& c = GetParam();
    look_for_ball& m = *pl().look_for_ball_fsm;
    ball_at(c.gx, c.gy);
    ball_unseen(c.unseen);
    step(m);
    ASSERT_EQ(m.state, look_for_ball::FACE_THE_BALL);
    EXPECT_EQ(take().kind, Request::NONE);  // the entering step only
    step(m);
    Request r = take();
    EXPECT_EQ(r.kind, Request::ROT);
    EXPECT_NEAR(r.a, c.turn, 1e-9);
    EXPECT_DOUBLE_EQ(r.b, -0.01);
}

INSTANTIATE_TEST_SUITE_P(Table, LookForBall,
                         ::testing::Values(Search{"ball_unknown", 1000, 0, 0, M_PI / 2},
                                           Search{"ball_known_to_the_left", 200, -5, 5, M_PI / 2},
                                           Search{"ball_known_behind_right", 499, -6, -1, -3 * M_PI / 4}),
                         [](const ::testing::TestParamInfo<Search>& i) { return std::string(i.param.name); });

TEST_F(Play, LookingForBallEndsWhenTheBallIsAhead)
{
    look_for_ball& m = *pl().look_for_ball_fsm;
    ball_at(-5, 5);
    step(m);
    ASSERT_EQ(m.state, look_for_ball::FACE_THE_BALL);
    ball_at(-2, 0.3);  // within 0.4 rad
    step(m);
    EXPECT_EQ(m.state, look_for_ball::INIT);
}

TEST_F(Play, LookingForLandmarksTurnsUntilAFix)
{
    look_for_coord& m = *pl().look_for_coord_fsm;
    pose(-5, 0, 0, 0);
    step(m);
    EXPECT_EQ(m.state, look_for_coord::INIT);
    pose(-5, 0, 0, 3);
    step(m);
    ASSERT_EQ(m.state, look_for_coord::COORD_CNT_OK);
    take();
    for (int i = 0; i < 3; ++i) {
        step(m);
        Request r = take();
        EXPECT_EQ(r.kind, Request::ROT);
        EXPECT_DOUBLE_EQ(r.a, 0.5);
    }
    pose(-5, 0, 0, 0);
    step(m);
    EXPECT_EQ(m.state, look_for_coord::INIT);
}

// ---- att: kick at the own kick-off, dribble at any other time ----

struct Attack {
    const char* name;
    int mode;
    int side;
    int priority;
    int state;
};

void PrintTo(const Attack& c, std::ostream* os) { *os << c.name; }

class KickOrDribble : public Play, public ::testing::WithParamInterface<Attack> {};

TEST_P(KickOrDribble, KickOnlyAtTheOwnKickOffForThePlayerFirstAtTheBall)
{
    const Attack& c = GetParam();
    side(c.side);
    play_mode(c.mode);
    ball_at(0, 0);
    mates_nearer(c.priority);
    step(attack());
    EXPECT_EQ(attack().state, c.state);
    // Once chosen, the attack stays whatever happens.
    play_mode(c.state == att::KICK ? NaoParse::PM_PLAY_ON : NaoParse::PM_KICK_OFF_LEFT);
    side(1);
    mates_nearer(0);
    for (int i = 0; i < 3; ++i) step(attack());
    EXPECT_EQ(attack().state, c.state);
}

INSTANTIATE_TEST_SUITE_P(
    Table, KickOrDribble,
    ::testing::Values(Attack{"own_kick_off_left", NaoParse::PM_KICK_OFF_LEFT, 1, 0, att::KICK},
                      Attack{"own_kick_off_right", NaoParse::PM_KICK_OFF_RIGHT, -1, 0, att::KICK},
                      Attack{"their_kick_off", NaoParse::PM_KICK_OFF_RIGHT, 1, 0, att::DRIBBLE},
                      Attack{"not_first_at_the_ball", NaoParse::PM_KICK_OFF_LEFT, 1, 1, att::DRIBBLE},
                      Attack{"play_on", NaoParse::PM_PLAY_ON, 1, 0, att::DRIBBLE}),
    [](const ::testing::TestParamInfo<Attack>& i) { return std::string(i.param.name); });

}  // namespace
