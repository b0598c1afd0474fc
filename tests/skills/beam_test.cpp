// What the robot holds after its beam, message by message as the server
// sends them and think call by think call as the cycle loop answers them:
// the vision record it held at the beam shows the old place, and the ball
// and the kick's samples from before the beam belong to the old place too.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "behavior/at_push_point_kick.h"
#include "behavior/att.h"
#include "behavior/hfsm.h"
#include "behavior/kick.h"
#include "behavior/play_on.h"
#include "behavior/playing.h"
#include "skills_fixture.h"
#include "world/teamformation.h"

namespace {

using skills_test::SkillsTest;

const double kTol = 1e-3;

ScenePlayer mate(int id, double x, double y) { return ScenePlayer{id, x, y, 0, ""}; }

class AfterBeam : public SkillsTest {
protected:
    // Messages of the scene until the beam has gone out (at most n).
    void think_until_beamed(int n = 50)
    {
        for (int i = 0; i < n && !agent->beamed; ++i) think_message();
        ASSERT_TRUE(agent->beamed);
    }

    // The pose is the beam place (player 2's kick-off place of the team
    // playing from the left).
    void expect_on_the_beam_place()
    {
        double x, y, head, torso;
        agent->localize->current_pose(x, y, head, torso);
        EXPECT_NEAR(x, -2.2, kTol);
        EXPECT_NEAR(y, 2.6, kTol);
        EXPECT_NEAR(torso, agent->form->theta, kTol);
    }

    // From a goal until the beam, with no vision: the vision record held is
    // the one from before the goal.
    void goal_then_beam()
    {
        scene.play_mode = "Goal_Right";
        scene.vision = false;
        scene.players.clear();
        ASSERT_NO_FATAL_FAILURE(think_until_beamed());
    }

    void taker_sampling_when_the_goal_falls(double lx, double ly);

    const kick& kick_machine() const { return *agent->fsm->play_on_fsm->playing_fsm->att_fsm->kick_fsm; }
};

// Before the kick-off the beam goes out on the first think of the second
// message (the first answered the init message). The second think of the
// same message reads the same vision record, taken at the server's start
// place: it gives neither a fix nor the ball. The next record, from the
// beam place, fixes the robot there.
TEST_F(AfterBeam, TheSecondThinkOfAMessageTakesNothingFromTheRecordBeforeTheBeam)
{
    place("left", -8, 4, 0.5);
    ball_at(0, 0);
    scene.play_mode = "BeforeKickOff";
    think_message();
    ASSERT_FALSE(agent->beamed);
    ASSERT_TRUE(agent->localize->fix);
    think_message();
    ASSERT_TRUE(agent->beamed);
    EXPECT_FALSE(agent->localize->fix);
    expect_on_the_beam_place();
    EXPECT_FALSE(agent->ballSeen(1));

    place("left", -2.2, 2.6, 0);
    think_message();
    EXPECT_TRUE(agent->localize->fix);
    expect_on_the_beam_place();
    EXPECT_TRUE(agent->ballSeen(1));
}

// The ball seen straight ahead before a goal is not where the server puts
// it for the kick-off: after the beam the robot knows no ball, as at its
// start, until it sees one again (a bearing kept from before the beam held
// the kick machine aligned with a ball it could not see, for up to 5 s).
TEST_F(AfterBeam, TheBallIsUnknownAsAtTheStartUntilSeenAgain)
{
    place("left", 3, -1, 0);
    ball_at(4, -1.05);
    scene.play_mode = "PlayOn";
    think_messages(3);
    ASSERT_TRUE(agent->localBallAlign(Localize_t::VALID_BALL_SEEN_CNT, 0.1));
    ASSERT_NO_FATAL_FAILURE(goal_then_beam());

    const Localize_t fresh(-2.2, 2.6, 0, 60, 40, false);
    const Localize_t& l = *agent->localize;
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_GE(l.ball_unseen_count, fresh.ball_unseen_count);
        EXPECT_EQ(l.ball_bearing, fresh.ball_bearing);
        EXPECT_EQ(l.ball_ground_dist, fresh.ball_ground_dist);
        EXPECT_EQ(l.ball_lx, fresh.ball_lx);
        EXPECT_EQ(l.ball_ly, fresh.ball_ly);
        EXPECT_EQ(l.ball_gdir, fresh.ball_gdir);
        EXPECT_EQ(l.ball_gx, fresh.ball_gx);
        EXPECT_EQ(l.ball_gy, fresh.ball_gy);
        EXPECT_TRUE(l.prev_ball_time.empty());
        EXPECT_FALSE(agent->ballSeen(Localize_t::VALID_BALL_SEEN_CNT));
        EXPECT_FALSE(agent->localBallAlign(Localize_t::VALID_BALL_SEEN_CNT, 0.1));
        think_message();
    }

    place("left", -2.2, 2.6, 0);
    ball_at(0, 0);
    scene.vision = true;
    think_message();
    EXPECT_TRUE(agent->ballSeen(1));
    EXPECT_NEAR(l.ball_gx, 0.0, kTol);
    EXPECT_NEAR(l.ball_gy, 0.0, kTol);
}

// After the beam the ball priority is worked out from what the robot knows
// there, not from the ball before the goal (at (12, 0), 6 m ahead of the
// robot), nor from a priority held since then, nor from a team-mate's
// claim of that ball. The kick-off ball lies on the centre spot, which a
// robot that knows no ball takes it to be, as at its start.
struct PriorityCase {
    const char* name;
    std::vector<ScenePlayer> mates_before;  // in view before the goal
    bool claim_before;                      // a team-mate claimed the ball just before the goal
    std::vector<ScenePlayer> mates_after;   // in view from the beam place
    int before;                             // the priority before the goal
    int after;
};

void PrintTo(const PriorityCase& c, std::ostream* os) { *os << c.name; }

class BeamPriority : public AfterBeam, public ::testing::WithParamInterface<PriorityCase> {};

TEST_P(BeamPriority, ComesFromTheWorldAfterTheBeam)
{
    const PriorityCase& c = GetParam();
    place("left", 6, 1, 0);
    ball_at(12, 0);
    scene.play_mode = "PlayOn";
    scene.players = c.mates_before;
    think_messages(2);
    if (c.claim_before) {
        // From the ball's direction, 9.5 degrees to the right.
        scene.hear =
            "(hear " + scene.team_name + " " + std::to_string(scene.game_time + 0.02) + " -10 12.0_0.0)";
        think_message();
        scene.hear.clear();
    }
    ASSERT_EQ(agent->getBallPriority(), c.before);
    ASSERT_NO_FATAL_FAILURE(goal_then_beam());

    place("left", -2.2, 2.6, 0);
    scene.vision = true;
    scene.ball = false;  // looking away from it
    scene.players = c.mates_after;
    think_message();
    ASSERT_TRUE(agent->localize->fix);
    EXPECT_EQ(agent->getBallPriority(), c.after);
}

const PriorityCase kPriorityCases[] = {
    // Nearer the old ball than the robot, farther from the centre spot.
    {"ball", {}, false, {mate(5, -1, -5)}, 0, 0},
    // Two nearer the old ball, one nearer the centre spot.
    {"hold", {mate(3, 11.5, 0.2), mate(4, 11.6, -0.3)}, false, {mate(5, -1, 1)}, 2, 1},
    {"claim", {}, true, {}, 1, 0},
};

INSTANTIATE_TEST_SUITE_P(Cases, BeamPriority, ::testing::ValuesIn(kPriorityCases),
                         [](const ::testing::TestParamInfo<PriorityCase>& i) {
                             return std::string(i.param.name);
                         });

// The kick-off taker is sampling the ball at (lx, ly) (torso frame) for
// its corrective step, three samples of ten, when the goal falls; then
// the beam, and the goal's pause goes on.
void AfterBeam::taker_sampling_when_the_goal_falls(double lx, double ly)
{
    scene.unum = 1;
    place("left", -0.2, 0.1, 0);
    restart();
    ball_at(0, 0);
    scene.play_mode = "BeforeKickOff";
    ASSERT_NO_FATAL_FAILURE(think_until_beamed());
    think_messages(3);
    scene.play_mode = "KickOff_Left";
    ball_at_local(lx, ly);
    for (int i = 0; i < 100 && agent->collect_ball_samples < 3; ++i) think_message();
    ASSERT_EQ(agent->collect_ball_samples, 3);
    ASSERT_NO_FATAL_FAILURE(goal_then_beam());
    think_messages(3);
}

// At the next kick-off the step comes from samples of the ball the server
// put there: 0.231 m short of their mean and 0.085 m to its left.
TEST_F(AfterBeam, TheKickOffStepComesFromSamplesTakenAfterTheBeam)
{
    ASSERT_NO_FATAL_FAILURE(taker_sampling_when_the_goal_falls(0.30, 0.12));
    EXPECT_FALSE(agent->collectInfosStarted());
    EXPECT_EQ(agent->collect_ball_samples, 0);

    const at_push_point_kick& sampling = *kick_machine().at_push_point_kick_fsm;
    scene.play_mode = "KickOff_Left";
    scene.vision = true;
    const double lx = 0.32, ly = -0.12;  // out of the kick's reach
    ball_at_local(lx, ly);
    for (int i = 0; i < 200 && sampling.state == at_push_point_kick::INIT; ++i) think_message();
    ASSERT_EQ(sampling.state, at_push_point_kick::BALL_LOCALIZED);
    EXPECT_TRUE(agent->move->trans);
    EXPECT_NEAR(agent->move->trans_fwd, lx - 0.231, kTol);
    EXPECT_NEAR(agent->move->trans_side, ly + 0.085, kTol);
}

// The server puts the ball on the spot when the kick-off begins, out of
// the taker's view at first. The taker, which saw a ball straight ahead
// before the goal, waits for its head to find this one: its kick machine
// neither steps through its states on the ball it saw nor turns the robot
// away to look for one (a turn takes a stop before the samples). Once in
// view the ball is sampled.
TEST_F(AfterBeam, TheTakerWaitsForTheKickOffBallItHasNotSeenSinceTheBeam)
{
    ASSERT_NO_FATAL_FAILURE(taker_sampling_when_the_goal_falls(0.30, 0.02));
    const playing& play = *agent->fsm->play_on_fsm->playing_fsm;
    scene.play_mode = "KickOff_Left";
    think_messages(2);  // into the kick
    for (int i = 0; i < 25; ++i) {
        SCOPED_TRACE(i);
        think_message();
        ASSERT_EQ(play.state, playing::ATT);
        ASSERT_EQ(play.att_fsm->state, att::KICK);
        ASSERT_EQ(kick_machine().state, kick::INIT);
        ASSERT_FALSE(agent->move->rot);
        ASSERT_FALSE(agent->move->walking);
    }
    scene.vision = true;
    ball_at(0, 0);
    for (int i = 0; i < 10 && !agent->collectInfosStarted(); ++i) think_message();
    EXPECT_TRUE(agent->collectInfosStarted());
}

}  // namespace
