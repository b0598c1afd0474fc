// The own kick-off's second touch: the server switches to play-on at the
// first touch and punishes the taker's next touch before another player's.
// Perceptions of a kick-off as the server sends them: the taker stands at
// the centre spot, a team-mate waits on its place, the ball flies off.
#include <gtest/gtest.h>

#include <string>

#include "skills_fixture.h"

namespace {

using skills_test::Reached;
using skills_test::SkillsTest;

// A player at (x, y) on the field; of the robot's team unless named.
ScenePlayer player(int id, double x, double y, const std::string& team = "")
{
    return ScenePlayer{id, x, y, 0, team};
}

class KickOff : public SkillsTest {
protected:
    const ScenePlayer mate_on_place = player(2, -2.2, 2.6);  // a team-mate on its kick-off place
    const ScenePlayer taker_at_spot = player(1, -0.25, 0.05);

    // This robot: number unum at (x, y) facing heading, of the team playing
    // from `side`; the taker stands at the centre spot.
    void robot(int unum, double x, double y, double heading = 0, const char* side = "left")
    {
        place(side, x, y, heading);
        scene.unum = unum;
        restart();
    }
    void be_the_taker() { robot(1, -0.25, 0.05); }

    // The kick-off of the left team, the ball on the centre spot; then the
    // first touch sends it to (bx, by) and the server plays on.
    void kick_off_then_touch(double bx, double by, const char* mode = "KickOff_Left")
    {
        scene.play_mode = mode;
        ball_at(0, 0);
        perceive_times(2);
        scene.play_mode = "PlayOn";
        ball_at(bx, by);
        perceive();
    }
};

// The taker: the robot at the centre spot when the server played on.
TEST_F(KickOff, TheTakerLeavesTheBallToATeamMateUntilAnotherPlayerIsAtIt)
{
    be_the_taker();
    scene.players = {mate_on_place};
    kick_off_then_touch(3, 0);
    EXPECT_TRUE(agent->kickOffTakerWaits());
    EXPECT_EQ(agent->getBallPriority(), 1);  // though it is nearest the ball
    // The team-mate runs to the ball: the watch goes on until it is there.
    scene.players = {player(2, 2.0, 0.5)};
    perceive_times(3);
    EXPECT_TRUE(agent->kickOffTakerWaits());
    scene.players = {player(2, 2.8, 0.1)};
    perceive();
    EXPECT_FALSE(agent->kickOffTakerWaits());
    EXPECT_EQ(agent->getBallPriority(), 1);  // now it is the team-mate at the ball
}

TEST_F(KickOff, AnOpponentAtTheBallReleasesTheTakerToo)
{
    be_the_taker();
    scene.players = {mate_on_place};
    kick_off_then_touch(3, 0);
    ASSERT_TRUE(agent->kickOffTakerWaits());
    // Standing by the ball is no touch: an opponent did so for seconds and
    // the taker's touch then gave a free kick away.
    scene.players = {player(4, 3.3, 0.1, "them")};
    perceive_times(3);
    EXPECT_TRUE(agent->kickOffTakerWaits());
    scene.players = {player(4, 3.12, 0.05, "them")};
    perceive();
    EXPECT_FALSE(agent->kickOffTakerWaits());
}

// A team-mate: the taker, seen at the centre spot, is not counted for the
// ball priority, so this robot goes to the ball; it counts again once this
// robot is at the ball.
TEST_F(KickOff, TheTeamMatesLeaveTheTakerOutOfTheBallPriority)
{
    robot(2, -2.2, 2.6);
    scene.players = {taker_at_spot};
    scene.play_mode = "KickOff_Left";
    ball_at(0, 0);
    perceive_times(2);
    EXPECT_EQ(agent->getBallPriority(), 1);  // the taker is nearer the ball
    scene.play_mode = "PlayOn";
    ball_at(3, 0);
    perceive();
    EXPECT_FALSE(agent->kickOffTakerWaits());
    EXPECT_EQ(agent->getBallPriority(), 0);
    // Elsewhere than the centre spot a team-mate counts as ever.
    scene.players = {player(1, 1.0, 0.2)};
    perceive();
    EXPECT_EQ(agent->getBallPriority(), 1);
    // At the ball itself this robot ends the watch: the taker, still at the
    // spot, counts again.
    scene.players = {taker_at_spot};
    place("left", 2.8, 0.1, 0);
    perceive();
    EXPECT_EQ(agent->kick_off_state.pending, false);
    EXPECT_EQ(agent->getBallPriority(), 0);  // the nearer to the ball, as computed
}

// The taker still walking at the first touch (its approach, or a push
// "1 m past the ball") would walk on into the ball: play's wait ends that
// walk at once with one stop, the full stop and not a step of the rate
// limiter's ramp down, and then only waits.
TEST_F(KickOff, TheWaitingTakerEndsTheWalkUnderWayAtTheFirstTouch)
{
    be_the_taker();
    scene.players = {mate_on_place};
    scene.play_mode = "KickOff_Left";
    ball_at(0, 0);
    perceive_times(2);
    agent->getBallPriority();  // first at the ball: its walks are not rate-limited
    start_walking();
    // The approach under way, as the rate limiter has let it grow.
#ifndef BREVANE_NO_RATE_LIMITER
    agent->localize->speed_filter = 1;
#endif
    for (int i = 0; i < 40; ++i) agent->new_trans(0.5, 0.0);
    scene.play_mode = "PlayOn";
    ball_at(0.4, 0);
    perceive();
    ASSERT_TRUE(agent->kickOffTakerWaits());
    Reached r = reached([&] { agent->kickOffWait(); });
    ASSERT_TRUE(r.trans);
    EXPECT_DOUBLE_EQ(r.fwd, NaoBehavior::STOP_FWD);
    EXPECT_DOUBLE_EQ(r.side, 0.0);
    // The stop under way is not asked again.
    perceive();
    r = reached([&] { agent->kickOffWait(); });
    EXPECT_FALSE(r.trans || r.rot);
}

// A restart nobody takes within the server's time ends with the server
// dropping the ball: it moves the players near the ball away and plays on.
// Nobody touched the ball, so nobody is a taker, even a robot whose (stale)
// pose still puts it at the spot.
struct Drop {
    const char* name;
    const char* mode;
    double start;   // s, game time of the mode change
    double lasted;  // s of game time in the restart mode
    bool taker;
};

void PrintTo(const Drop& c, std::ostream* os) { *os << c.name; }

class DroppedBall : public KickOff, public ::testing::WithParamInterface<Drop> {};

TEST_P(DroppedBall, MakesNoTaker)
{
    const Drop& c = GetParam();
    be_the_taker();
    scene.players = {mate_on_place};
    scene.play_mode = c.mode;
    scene.game_time = c.start;
    ball_at(0, 0);
    perceive_times(2);
    scene.game_time += c.lasted;
    perceive();
    scene.play_mode = "PlayOn";
    perceive();
    EXPECT_EQ(agent->kickOffTakerWaits(), c.taker);
    EXPECT_EQ(agent->kick_off_state.pending, c.taker);
    // Nor do its team-mates leave anybody out of their ball priority.
    robot(2, -2.2, 2.6);
    scene.players = {taker_at_spot};
    scene.play_mode = c.mode;
    scene.game_time = c.start;
    perceive_times(2);
    scene.game_time += c.lasted;
    perceive();
    scene.play_mode = "PlayOn";
    perceive();
    EXPECT_EQ(agent->localize->mates[1].id == -1, c.taker);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DroppedBall,
    ::testing::Values(Drop{"kick_off_touched_at_14_9_s", "KickOff_Left", 10.0, 14.9, true},
                      Drop{"kick_off_dropped", "KickOff_Left", 10.0, 15.02, false},
                      Drop{"kick_in_dropped", "KickIn_Left", 10.0, 15.02, false},
                      // 25.06 - 10.06 in the parser's single precision: 14.999999
                      Drop{"kick_in_dropped_at_exactly_15_s", "KickIn_Left", 10.06, 15.0, false}),
    [](const ::testing::TestParamInfo<Drop>& i) { return std::string(i.param.name); });

// Before the own kick-off a team-mate that did not see the taker may claim
// the ball, and a claim heard is fresh for a while: the robot at the spot
// takes the kick-off all the same (giving way, it walked off its place
// towards a place of the play strategy). Elsewhere a fresh claim holds as
// ever.
TEST_F(KickOff, TheRobotAtTheSpotTakesTheKickOffWhateverItHeard)
{
    struct Case {
        const char* what;
        double x, y;
        int priority;
    } cases[] = {{"at the spot", -0.2, 0.1, 0}, {"off the spot", -1.2, 0.5, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        robot(1, c.x, c.y);
        scene.play_mode = "KickOff_Left";
        ball_at(0, 0);
        perceive_times(2);
        agent->localize->hear_claims = true;
        agent->localize->claim_time = scene.game_time;
        EXPECT_EQ(agent->getBallPriority(), c.priority);
        EXPECT_EQ(agent->kickActive(), c.priority == 0);
    }
}

// After the other team's kick-off its taker is theirs to watch.
TEST_F(KickOff, TheOtherTeamsKickOffIsNotWatched)
{
    be_the_taker();
    scene.players = {mate_on_place};
    kick_off_then_touch(3, 0, "KickOff_Right");
    EXPECT_FALSE(agent->kickOffTakerWaits());
    EXPECT_FALSE(agent->kick_off_state.pending);
}

// Alone on the field (no player seen, no team-mate heard, as a lone
// attacker) the rule does not apply: the taker plays on after a short wait.
// A team-mate heard meanwhile (it goes for the ball and says where it is)
// keeps it waiting.
struct Alone {
    const char* name;
    bool heard;
    bool waits;  // ALONE_WAIT seconds after the touch
};

void PrintTo(const Alone& c, std::ostream* os) { *os << c.name; }

class TakerAlone : public KickOff, public ::testing::WithParamInterface<Alone> {};

TEST_P(TakerAlone, PlaysOnAfterAShortWait)
{
    be_the_taker();  // facing the opponent goal: the team-mates are out of view
    kick_off_then_touch(3, 0);
    EXPECT_TRUE(agent->kickOffTakerWaits());
    if (GetParam().heard) {
        agent->parse->hear_time = scene.game_time;
        agent->parse->hear_x = 2.9;
        agent->parse->hear_y = 0.1;
    }
    scene.game_time += kick_off_watch_t::ALONE_WAIT - 0.1;
    perceive();
    EXPECT_TRUE(agent->kickOffTakerWaits());
    scene.game_time += 0.2;
    perceive();
    EXPECT_EQ(agent->kickOffTakerWaits(), GetParam().waits);
}

INSTANTIATE_TEST_SUITE_P(Table, TakerAlone,
                         ::testing::Values(Alone{"alone", false, false},
                                           Alone{"team_mate_heard", true, true}),
                         [](const ::testing::TestParamInfo<Alone>& i) { return std::string(i.param.name); });

TEST_F(KickOff, TheTeamPlayingFromTheRightWatchesItsOwnKickOff)
{
    robot(1, 0.25, -0.05, 3.14159, "right");
    scene.players = {player(2, 2.2, -2.6)};
    kick_off_then_touch(-3, 0, "KickOff_Right");
    EXPECT_TRUE(agent->kickOffTakerWaits());
}

// Any other play mode ends the watch: a set piece or a goal starts the
// server's own watch anew.
TEST_F(KickOff, ASetPieceEndsTheWatch)
{
    be_the_taker();
    scene.players = {mate_on_place};
    kick_off_then_touch(3, 0);
    ASSERT_TRUE(agent->kickOffTakerWaits());
    scene.play_mode = "KickIn_Left";
    perceive();
    EXPECT_FALSE(agent->kickOffTakerWaits());
    scene.play_mode = "PlayOn";
    perceive();
    EXPECT_FALSE(agent->kickOffTakerWaits());
}

// A robot off the centre spot at the first touch is no taker, even when
// it was on its way to the ball (it goes on playing it).
TEST_F(KickOff, ARobotAwayFromTheSpotIsNoTaker)
{
    robot(3, -1.5, 0.5);
    scene.players = {taker_at_spot};
    kick_off_then_touch(3, 0);
    EXPECT_TRUE(agent->kick_off_state.pending);
    EXPECT_FALSE(agent->kickOffTakerWaits());
}

// Every own restart has the same rule: the robot at the ball when the
// server plays on waits; a team-mate there leaves it out of its ball
// priority. The opponents' restarts are not watched.
struct Restart {
    const char* name;
    const char* mode;
    double bx, by;  // where the ball waits
    bool own;
};

void PrintTo(const Restart& r, std::ostream* os) { *os << r.name; }

class Restarts : public KickOff, public ::testing::WithParamInterface<Restart> {};

TEST_P(Restarts, TheTakerWaitsAfterAnOwnRestartOnly)
{
    const Restart& r = GetParam();
    const double tx = r.bx - 0.25, ty = r.by + 0.05;  // the taker, at the ball, behind it
    const double mx = r.bx - 3.0, my = r.by + 2.0;    // a team-mate
    // The restart seen by robot unum at (x, y), the other at (ox, oy); then
    // the first touch sends the ball on and the server plays on.
    auto restart_as = [&](int unum, double x, double y, int other, double ox, double oy) {
        robot(unum, x, y);
        scene.players = {player(other, ox, oy)};
        scene.play_mode = r.mode;
        ball_at(r.bx, r.by);
        perceive();
        // The next message: the record of the mode change's own may be
        // older than the change, this one's is not.
        scene.game_time += 0.02;
        perceive();
        scene.play_mode = "PlayOn";
        ball_at(r.bx + 2.0, r.by);
        perceive();
    };
    restart_as(3, tx, ty, 2, mx, my);
    EXPECT_EQ(agent->kickOffTakerWaits(), r.own);
    // The team-mate: the taker, seen at the spot, does not count for its
    // ball priority.
    restart_as(2, mx, my, 3, tx, ty);
    EXPECT_EQ(agent->localize->mates[3].id == -1, r.own);
}

// A robot that never saw this restart's ball does not know its spot: the
// last restart's spot (here the centre spot of the kick-off) is no longer
// where the taker stands, so standing there makes it no taker, and a
// team-mate there is not left out.
TEST_F(KickOff, ARestartWhoseBallThisRobotNeverSawHasNoSpot)
{
    // Play goes on out of this robot's view, then a kick-in far away and
    // the play-on after it.
    auto unseen_kick_in = [&] {
        scene.ball = false;
        perceive_times(15);
        scene.play_mode = "KickIn_Left";
        perceive_times(15);
        scene.play_mode = "PlayOn";
        perceive();
    };
    be_the_taker();
    scene.players = {mate_on_place};
    kick_off_then_touch(3, 0);
    ASSERT_TRUE(agent->kickOffTakerWaits());
    scene.players = {player(2, 3.0, 0.1)};
    perceive();
    ASSERT_FALSE(agent->kickOffTakerWaits());
    scene.players = {};
    unseen_kick_in();
    EXPECT_FALSE(agent->kickOffTakerWaits());
    // The team-mate's view: the robot at the old spot counts as ever.
    robot(2, -2.2, 2.6);
    scene.players = {taker_at_spot};
    kick_off_then_touch(3, 0);
    ASSERT_EQ(agent->localize->mates[1].id, -1);
    scene.players = {player(1, 3.0, 0.1)};
    perceive();
    scene.players = {taker_at_spot};
    unseen_kick_in();
    EXPECT_NE(agent->localize->mates[1].id, -1);
}

// The spot is where this restart's ball was seen: a sighting from before
// the mode change (the ball rolling out; the server then puts it at the
// corner) is not it. A robot standing near that old sighting, and not seeing
// the ball since, is no taker.
TEST_F(KickOff, ABallSeenBeforeTheModeChangeIsNotTheRestartsSpot)
{
    struct Case {
        const char* name;
        bool seen_after;  // the ball seen again once the mode began
        bool taker;
    };
    const Case cases[] = {{"not seen since", false, false}, {"seen since, at the corner", true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        robot(3, 9.4, 5.0);
        scene.play_mode = "PlayOn";
        ball_at(10.0, 5.0);
        perceive_times(2);
        scene.play_mode = "corner_kick_left";
        if (c.seen_after)
            ball_at(14.95, 9.95);
        else
            scene.ball = false;
        perceive();
        scene.game_time += 0.02;  // a later message
        perceive_times(2);
        scene.play_mode = "PlayOn";
        perceive();
        EXPECT_EQ(agent->kickOffTakerWaits(), c.taker);
    }
}

// The vision record of the message that changes the mode may be older than
// the change: on neither think of that message is it a sighting since the
// mode began. The record of the next message with vision is.
TEST_F(KickOff, TheModeChangeMessagesOwnRecordIsNoSightingSinceTheModeBegan)
{
    robot(3, 9.4, 5.0);
    scene.play_mode = "PlayOn";
    ball_at(10.0, 5.0);
    think_messages(3);
    scene.play_mode = "corner_kick_left";
    think_message();
    EXPECT_FALSE(agent->kick_off_state.ball_seen_in_mode);
    EXPECT_FALSE(agent->kick_off_state.spot_known);
    scene.vision = false;
    think_message();
    EXPECT_FALSE(agent->kick_off_state.ball_seen_in_mode);
    scene.vision = true;
    ball_at(14.95, 9.95);
    think_message();
    EXPECT_TRUE(agent->kick_off_state.ball_seen_in_mode);
    ASSERT_TRUE(agent->kick_off_state.spot_known);
    EXPECT_NEAR(agent->kick_off_state.spot_x, 14.95, 1e-3);
    EXPECT_NEAR(agent->kick_off_state.spot_y, 9.95, 1e-3);
}

// The server puts a goal kick's ball on its spot, 1 m in front of the goal,
// out of view of a robot that followed it over the line: until a vision
// shows it, the ball lies at the spot, known but not in view. Only at the
// team's own goal kick; a ball seen since the mode began is where it is.
TEST_F(KickOff, AGoalKicksBallUnseenSinceTheModeBeganLiesOnItsSpot)
{
    struct Case {
        const char *name, *side, *mode;
        double x, y, heading, last_x, last_y;  // the robot; where it last saw the ball
        bool placed;
        double spot_x;
    };
    const Case cases[] = {
        {"own, left", "left", "goal_kick_left", -12, 2, 0.0, -15.4, 4, true, -14},
        {"own, right", "right", "goal_kick_right", 12, -2, skills_test::kPi, 15.4, -4, true, 14},
        {"theirs", "left", "goal_kick_right", 12, -2, 0.0, 15.4, -4, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        robot(5, c.x, c.y, c.heading, c.side);
        scene.play_mode = "PlayOn";
        ball_at(c.last_x, c.last_y);
        think_messages(2);
        scene.play_mode = c.mode;
        scene.ball = false;
        // The mode change's message and one without vision keep the last
        // record, which shows the ball at its old place.
        scene.vision = false;
        think_messages(2);
        scene.vision = true;
        think_messages(3);
        const Localize_t& l = *agent->localize;
        if (!c.placed) {
            EXPECT_NEAR(l.ball_gx, c.last_x, 1e-3);
            continue;
        }
        EXPECT_NEAR(l.ball_gx, c.spot_x, 1e-9);
        EXPECT_NEAR(l.ball_gy, 0.0, 1e-9);
        EXPECT_TRUE(agent->ballSeen(Localize_t::VALID_BALL_SEEN_CNT));
        EXPECT_FALSE(agent->ballSeen(10));
        EXPECT_NEAR(agent->globalBallDistance(500), std::hypot(c.spot_x - c.x, c.y), 1e-3);
        // Its place relative to the robot follows from the pose.
        const double a = std::atan2(-c.y, c.spot_x - c.x) - c.heading;
        EXPECT_NEAR(l.ball_lx, std::cos(a) * std::hypot(c.spot_x - c.x, c.y), 1e-3);
        EXPECT_NEAR(l.ball_ly, std::sin(a) * std::hypot(c.spot_x - c.x, c.y), 1e-3);
        // Seen, it is where it is.
        ball_at(c.spot_x + 0.1, 0.2);
        think_message();
        EXPECT_NEAR(l.ball_gx, c.spot_x + 0.1, 1e-3);
        EXPECT_TRUE(agent->ballSeen(1));
    }
}

INSTANTIATE_TEST_SUITE_P(Table, Restarts,
                         ::testing::Values(Restart{"kick_in", "KickIn_Left", -3.0, -9.95, true},
                                           Restart{"corner_kick", "corner_kick_left", 14.95, 9.95, true},
                                           Restart{"goal_kick", "goal_kick_left", -13.8, 0.5, true},
                                           Restart{"free_kick", "free_kick_left", 4.0, -2.0, true},
                                           Restart{"their_kick_in", "KickIn_Right", -3.0, -9.95, false},
                                           Restart{"their_free_kick", "free_kick_right", 4.0, -2.0, false}),
                         [](const ::testing::TestParamInfo<Restart>& i) {
                             return std::string(i.param.name);
                         });

}  // namespace
