// The beam and the kick-off on their rare paths, through the agent's own
// think calls: scripted messages of a game, each thought twice as the
// cycle loop does. No physics answers the commands: a robot stays where
// the messages put it, and lies for as long as they say so.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "motioninterface/naomove.h"
#include "motions/motion_type.h"
#include "perception/naoparse.h"
#include "skills/NaoBehavior.h"
#include "skills/skills_fixture.h"
#include "support/perception_scene.h"

namespace {

const char* const kUpright = "(ACC (n torso) (a 0.00 -0.00 9.81))";
const char* const kOnItsBack = "(ACC (n torso) (a 0.00 9.65 -1.79))";

// The last moment of a beam window: 3 s (the server's goal pause, or the
// match script's wait before a kick-off), less the 0.2 s of the beam's way.
const double kLastMoment = 2.8;

bool is_beam(const std::string& a) { return a.find("(beam ") != std::string::npos; }

// One answer and the motion state the think call left.
struct Answer {
    std::string text;
    bool kicking;
    bool fallen;
    bool standing_up;  // a stand-up motion under way
    bool turning;
};

// The skills' agent fixture, fed whole messages through Think.
class KickOffThink : public skills_test::SkillsTest {
protected:
    const char* accel = kUpright;
    double message_step = 0.02;  // s of the server's clock between two messages
    bool game_clock_runs = true;

    void SetUp() override
    {
        SkillsTest::SetUp();
        scene.server_time = 200.0;
    }

    // A new agent: player unum of the team playing from the left at (x, y).
    void robot(int unum, double x, double y)
    {
        scene.unum = unum;
        scene.x = x;
        scene.y = y;
        restart();
    }
    void the_taker() { robot(1, -0.2, 0.1); }

    // The robot lies from its first messages, before the game state names
    // its team (no beam can go out until then): the fall is latched when
    // the beam's wait begins.
    void lying_before_the_team_is_named()
    {
        accel = kOnItsBack;
        const char* side = scene.team_side;
        scene.team_side = nullptr;
        message();
        message();
        ASSERT_TRUE(NaoParse::fall_down_detected);
        scene.team_side = side;
    }

    // Play on, the ball in view 3 m ahead and 1.5 m to the left.
    void ball_ahead_in_play()
    {
        scene.play_mode = "PlayOn";
        scene.ball = true;
        scene_local_to_field(scene, 3.0, 1.5, scene.ball_x, scene.ball_y);
    }

    // One server message, thought twice; then the clocks move on.
    std::vector<Answer> message()
    {
        const std::string m = scene_message(scene) + accel;
        std::vector<Answer> answers;
        for (int i = 0; i < 2; ++i) {
            std::string a = agent->Think(m);
            NaoMove& mv = *agent->move;
            answers.push_back({a, mv.kick, NaoParse::fall_down_detected,
                               mv.standup_back->IsActive() || mv.standup_front->IsActive(),
                               mv.rot && !mv.kick});
        }
        scene.server_time += message_step;
        if (game_clock_runs) scene.game_time += message_step;
        timeval& now = skills_test::fake_now();
        const long us = now.tv_usec + std::lround(message_step * 1e6);
        now.tv_sec += us / 1000000;
        now.tv_usec = us % 1000000;
        return answers;
    }

    void messages_for(double s)
    {
        for (double t0 = scene.server_time; scene.server_time < t0 + s - 1e-9;) message();
    }

    // Messages for at most s seconds until a beam goes out; the answer with
    // it and the server time of its message since the first (negative: no
    // beam).
    double until_beam(double s, Answer* beam = nullptr)
    {
        const double t0 = scene.server_time;
        while (scene.server_time < t0 + s - 1e-9) {
            const double t = scene.server_time;
            for (const Answer& a : message())
                if (is_beam(a.text)) {
                    if (beam) *beam = a;
                    return t - t0;
                }
        }
        return -1;
    }
};

// A kick under way when the goal falls (begun 0.7 s before it; a kick
// lasts about 3.3 s) ends before the beam, which still goes out within the
// goal's pause: beamed mid-kick, the taker fell 0.24 s after its beam. A
// robot far from the spot waits for it too.
struct KickingCase {
    const char* name;
    int unum;
    double x, y;
};

void PrintTo(const KickingCase& c, std::ostream* os) { *os << c.name; }

class KickingAtTheGoal : public KickOffThink, public ::testing::WithParamInterface<KickingCase> {};

TEST_P(KickingAtTheGoal, TheBeamWaitsForTheKicksEnd)
{
    const KickingCase& c = GetParam();
    robot(c.unum, c.x, c.y);
    ball_ahead_in_play();
    message();
    agent->startKick();
    ASSERT_TRUE(agent->move->kick);
    messages_for(0.7);
    scene.play_mode = "Goal_Right";
    scene.ball = false;  // in the own goal, behind
    Answer beam;
    const double at = until_beam(3.0, &beam);
    ASSERT_GE(at, 0.0) << "no beam in the goal's pause";
    EXPECT_FALSE(beam.kicking) << "beamed " << at << " s after the goal";
    EXPECT_LE(at, kLastMoment + 0.03);
}

INSTANTIATE_TEST_SUITE_P(Table, KickingAtTheGoal,
                         ::testing::Values(KickingCase{"the_taker", 1, -0.2, 0.1},
                                           KickingCase{"a_team_mate", 2, -2.2, 2.6}),
                         [](const ::testing::TestParamInfo<KickingCase>& i) {
                             return std::string(i.param.name);
                         });

// Still lying at the last moment (it fell just before the goal, and again
// once up: the accelerometer says so throughout), the robot is beamed
// lying. Set upright by the server, it ends its stand-up with the beam
// instead of playing the rest of it standing. The server answers the beam
// a message late.
TEST_F(KickOffThink, ARobotBeamedLyingEndsItsStandUp)
{
    robot(2, -2.2, 2.6);
    ball_ahead_in_play();
    messages_for(0.2);
    accel = kOnItsBack;
    messages_for(0.3);
    scene.play_mode = "Goal_Right";
    scene.ball = false;
    Answer beam;
    const double at = until_beam(3.0, &beam);
    ASSERT_NEAR(at, kLastMoment, 0.03) << "no beam lying at the last moment";
    message();
    accel = kUpright;
    int standing_up = 0;  // think calls after the beam with a stand-up under way
    for (int k = 0; k < 50; ++k)
        for (const Answer& a : message()) standing_up += a.fallen || a.standing_up;
    EXPECT_FALSE(beam.fallen);
    EXPECT_FALSE(beam.standing_up);
    EXPECT_EQ(standing_up, 0);
}

// Before a kick-off the game clock stands still; the beam's wait is
// counted on the server's clock, however many messages come in that time
// (a server behind real time runs several cycles between two messages):
// a robot still lying is beamed at the window's last moment.
TEST_F(KickOffThink, BeforeAKickOffTheWaitIsCountedOnTheServersClock)
{
    for (double step : {0.02, 0.04, 0.06}) {
        SCOPED_TRACE(step);
        message_step = step;
        game_clock_runs = false;
        scene.play_mode = "BeforeKickOff";
        scene.game_time = 0;
        robot(2, -2.2, 2.6);
        lying_before_the_team_is_named();  // it never stands up in time
        EXPECT_NEAR(until_beam(3.0), kLastMoment, step + 1e-6);
        accel = kUpright;
    }
}

// A window that ends without a beam (the kick-off came while the robot
// still lay) leaves the next window its whole wait: at the second half the
// robot lying again is beamed at its last moment, not before.
TEST_F(KickOffThink, AWindowEndedWithoutABeamLeavesTheNextOneItsWholeWait)
{
    game_clock_runs = false;
    scene.play_mode = "BeforeKickOff";
    scene.game_time = 0;
    robot(2, -2.2, 2.6);
    lying_before_the_team_is_named();
    ASSERT_LT(until_beam(1.5), 0.0);
    game_clock_runs = true;
    scene.play_mode = "KickOff_Left";
    ASSERT_LT(until_beam(1.0), 0.0);
    scene.play_mode = "PlayOn";
    ASSERT_LT(until_beam(1.0), 0.0);
    game_clock_runs = false;
    scene.play_mode = "BeforeKickOff";
    EXPECT_NEAR(until_beam(3.0), kLastMoment, 0.05);
}

// After a goal the server puts the ball on the spot only at the kick-off,
// out of the taker's view below it. The taker waits for the head to find
// it only while the head can turn to the spot: a taker that stood up facing
// away turns to look for the ball at once.
struct FacingCase {
    const char* name;
    double heading;  // rad, the taker's (the spot's bearing beside each case)
    bool turns;
};

void PrintTo(const FacingCase& c, std::ostream* os) { *os << c.name; }

class TakerAfterAGoal : public KickOffThink, public ::testing::WithParamInterface<FacingCase> {};

TEST_P(TakerAfterAGoal, WaitsForTheBallOnTheSpotOnlyWhenTheHeadCanTurnThere)
{
    const FacingCase& c = GetParam();
    the_taker();
    ball_ahead_in_play();
    messages_for(0.5);
    scene.play_mode = "Goal_Right";
    scene.ball = false;
    ASSERT_GE(until_beam(3.0), 0.0);
    scene.heading = c.heading;
    while (scene.game_time < 13.5 - 1e-9) message();  // the goal's pause of 3 s
    scene.play_mode = "KickOff_Left";
    bool turned = false;
    for (int k = 0; k < 50; ++k)
        for (const Answer& a : message()) turned = turned || a.turning;
    EXPECT_EQ(turned, c.turns);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TakerAfterAGoal,
    ::testing::Values(FacingCase{"facing_the_spot", 0.0, false},             // 27 degrees
                      FacingCase{"the_spot_to_its_left", -M_PI / 2, false},  // 63 degrees
                      FacingCase{"facing_away", M_PI, true}),                // 153 degrees
    [](const ::testing::TestParamInfo<FacingCase>& i) { return std::string(i.param.name); });

}  // namespace
