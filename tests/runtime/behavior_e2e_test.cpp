// The real agent program playing against a scripted server: where it
// beams, that it keeps its legs still before kick-off and walks once play
// is on, what it says to its team and how often, and that it beams back
// after a goal scored while it walks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/perception_scene.h"
#include "support/scripted_server.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;

const char* const kAgent = BREVANE_BINARY_DIR "/brevane";

// The game state of the first message tells the uniform number and side,
// so that the head scan answers every think call from the first message on.
std::vector<std::string> with_side(std::vector<std::string> lines, int unum)
{
    const std::string gs = "(GS (unum " + std::to_string(unum) + ") (team left) ";
    lines[0].replace(lines[0].find("(GS "), 4, gs);
    return lines;
}

bool has_leg_command(const std::string& a) { return std::regex_search(a, std::regex(R"(\([lr]le[1-6] )")); }

// One agent against the scripted server, in a working directory of its
// own, exchanging messages in lock step: each message once the side is
// known is answered twice (the head scan writes on every think call).
class Session {
public:
    ScratchWorkDir dir;
    ScriptedServer server;
    ChildProcess agent;

    // Replaces the strategies link by a copy without beam.xml.
    void remove_beam_file()
    {
        fs::remove(dir.path() / "strategies");
        fs::create_directories(dir.path() / "strategies/marvessa");
        for (const char* f : {"common.xml", "play.lua"})
            fs::copy_file(fs::path(BREVANE_SOURCE_DIR) / "strategies/marvessa" / f,
                          dir.path() / "strategies/marvessa" / f);
    }

    void start(const std::vector<std::string>& options)
    {
        ASSERT_TRUE(dir.ok());
        ASSERT_TRUE(server.listen()) << server.error();
        std::vector<std::string> argv = {kAgent, "--host=" + server.host(), "--team=Probe"};
        argv.insert(argv.end(), options.begin(), options.end());
        bool started;
        {
            InWorkDir in(dir.path());
            started = agent.start(argv);
        }
        ASSERT_TRUE(started);
        ASSERT_TRUE(server.accept(5000)) << server.error() << agent.stderr_text();
        std::string scene;
        ASSERT_TRUE(server.receive(scene, 5000)) << server.error();
    }

    // Sends one message; its two answers (the first message: the init
    // message and one answer).
    std::vector<std::string> exchange(const std::string& msg)
    {
        EXPECT_TRUE(server.send(msg));
        std::vector<std::string> got = server.receive_n(2, 5000);
        EXPECT_EQ(got.size(), 2u) << agent.stderr_text();
        return got;
    }

    void finish()
    {
        server.close_client();
        ASSERT_TRUE(agent.wait(5000));
        ASSERT_TRUE(agent.exited()) << "signal " << agent.term_signal();
        EXPECT_EQ(agent.exit_status(), 0) << agent.stderr_text();
    }
};

std::string beam_text(double x, double y)
{
    char b[64];
    std::snprintf(b, sizeof(b), "(beam %.1f %.1f 0.0)", x, y);
    return b;
}

struct Place {
    double x, y;
};

// The shipped kick-off formation by distance from the centre spot.
const Place kShipped[11] = {{-0.2, 0.1}, {-2.2, 2.6},   {-2.4, -3}, {-6, 0.8},   {-5, 6}, {-5.5, -6.5},
                            {-11, 2.5},  {-11.5, -2.2}, {-10, 6.5}, {-10.5, -7}, {-14, 0}};
// The fixed table for a 30 m by 20 m field.
const Place kTable[11] = {{-15, 0},         {-1.5, 0},
                          {-30.0 / 7.0, 4}, {10.0 / 3.0, -2.5},
                          {-5, -2.5},       {-30 / 2.6, 20.0 / 11.0},
                          {-30 / 2.6, 0},   {-30 / 2.6, -20.0 / 11.0},
                          {-9.375, 1},      {-9.375, 0},
                          {-9.375, -1}};

struct BeamCase {
    int unum;
    bool beam_file;
};

void PrintTo(const BeamCase& c, std::ostream* os)
{
    *os << "unum " << c.unum << (c.beam_file ? " beam.xml" : " table");
}

class Beam : public ::testing::TestWithParam<BeamCase> {};

// Before kick-off: one beam to the player's place in the whole wait, and
// no arm or leg command (only the head scans), but for the kick-off taker
// placed at the centre spot: it first takes the stand pose's crouch from
// the straight legs the server started it on, then beams.
TEST_P(Beam, OnceToThePlayersPlaceAndTheLegsStayStill)
{
    const BeamCase& c = GetParam();
    Session s;
    if (!c.beam_file) s.remove_beam_file();
    ASSERT_NO_FATAL_FAILURE(s.start({"--num=" + std::to_string(c.unum)}));
    std::vector<std::string> lines = with_side(read_data_lines("capture/before_kickoff.txt"), c.unum);
    lines.resize(40);
    std::vector<std::string> answers;
    for (const std::string& l : lines)
        for (const std::string& a : s.exchange(l)) answers.push_back(a);
    ASSERT_NO_FATAL_FAILURE(s.finish());
    const Place& p = (c.beam_file ? kShipped : kTable)[c.unum - 1];
    const bool taker = std::hypot(p.x, p.y) < 0.75;
    int beams = 0, with_limbs = 0;
    for (size_t k = 1; k < answers.size(); ++k) {
        const std::string& a = answers[k];
        if (a.find("(beam ") != std::string::npos) {
            ++beams;
            EXPECT_NE(a.find(beam_text(p.x, p.y)), std::string::npos) << a;
        }
        if (std::regex_search(a, std::regex(R"(\([lr][la]e[1-6] )"))) {
            ++with_limbs;
            // Up to the beam, whose message clears the limbs' speeds.
            EXPECT_TRUE(taker && (beams == 0 || a.find("(beam ") != std::string::npos)) << a;
        }
    }
    EXPECT_EQ(beams, 1);
    EXPECT_EQ(with_limbs > 0, taker);
}

std::vector<BeamCase> all_players()
{
    std::vector<BeamCase> v;
    for (bool file : {true, false})
        for (int u = 1; u <= 11; ++u) v.push_back({u, file});
    return v;
}

INSTANTIATE_TEST_SUITE_P(EveryPlayer, Beam, ::testing::ValuesIn(all_players()),
                         [](const ::testing::TestParamInfo<BeamCase>& i) {
                             return std::string(i.param.beam_file ? "file_" : "table_") +
                                    std::to_string(i.param.unum);
                         });

// The recording's kick-off (messages 1 to 14) belongs to the team but the
// robot never beamed for it: it waits. From PlayOn, with the ball in view
// 3 m ahead, it goes for the ball: leg commands follow.
TEST(Play, TheRobotWaitsOutAKickOffItDidNotBeamForThenWalksToTheBall)
{
    Session s;
    ASSERT_NO_FATAL_FAILURE(s.start({"--num=1"}));
    std::vector<std::string> lines = with_side(read_data_lines("capture/play_on.txt"), 1);
    ASSERT_EQ(lines[13].find("(pm KickOff_Left)") != std::string::npos, true);
    ASSERT_EQ(lines[14].find("(pm PlayOn)") != std::string::npos, true);
    int walking = 0;
    for (size_t k = 0; k < 80; ++k)
        for (const std::string& a : s.exchange(lines[k])) {
            if (k < 14) {
                EXPECT_FALSE(has_leg_command(a)) << k << " " << a;
            }
            if (has_leg_command(a)) ++walking;
        }
    ASSERT_NO_FATAL_FAILURE(s.finish());
    EXPECT_GT(walking, 40);
}

// The player first at the ball (alone, team size 0) says where the ball is
// every second server message, from the first message in which it knows
// the ball and its own position, in the format "(say x_y)" with one decimal.
TEST(Say, TheBallPositionEverySecondMessage)
{
    Session s;
    ASSERT_NO_FATAL_FAILURE(s.start({"--num=1"}));
    std::vector<std::string> lines = with_side(read_data_lines("capture/groundtruth_play_on.txt"), 1);
    lines.resize(120);
    // In play from the first message: the robot of the capture was never
    // beamed, and an agent that beams takes its beam place for its pose.
    for (std::string& l : lines) l = std::regex_replace(l, std::regex(R"(\(pm [A-Za-z_]+\))"), "(pm PlayOn)");
    const std::regex say(R"(\(say (-?\d+\.\d)_(-?\d+\.\d)\))");
    const std::regex truth(R"(\(ballpos (-?[0-9.]+) (-?[0-9.]+) )");
    std::vector<int> said_at;
    double bx = 0, by = 0;
    for (size_t k = 0; k < lines.size(); ++k) {
        std::smatch m;
        if (std::regex_search(lines[k], m, truth)) {
            bx = std::stod(m[1]);
            by = std::stod(m[2]);
        }
        std::vector<std::string> got = s.exchange(lines[k]);
        int says = 0;
        for (const std::string& a : got) {
            if (a.find("(say") == std::string::npos) continue;
            ++says;
            ASSERT_TRUE(std::regex_search(a, m, say)) << a;
            EXPECT_EQ(m.suffix().str(), "");  // the last command of the answer
            // The localiser's ball, near the true one.
            EXPECT_NEAR(std::stod(m[1]), bx, 0.6) << k << " " << a;
            EXPECT_NEAR(std::stod(m[2]), by, 0.6) << k << " " << a;
        }
        EXPECT_LE(says, 1) << k;
        if (says) said_at.push_back(static_cast<int>(k));
    }
    ASSERT_NO_FATAL_FAILURE(s.finish());
    ASSERT_GT(said_at.size(), 55u);
    EXPECT_LE(said_at.front(), 4);
    for (size_t i = 1; i < said_at.size(); ++i) EXPECT_EQ(said_at[i] - said_at[i - 1], 2) << said_at[i];
}

TEST(Say, NothingWhenThePriorityIsNotTheTeamSize)
{
    Session s;
    ASSERT_NO_FATAL_FAILURE(s.start({"--num=1", "--teamsize=3"}));
    std::vector<std::string> lines = with_side(read_data_lines("capture/groundtruth_play_on.txt"), 1);
    lines.resize(20);
    for (const std::string& l : lines)
        for (const std::string& a : s.exchange(l)) EXPECT_EQ(a.find("(say"), std::string::npos) << a;
    ASSERT_NO_FATAL_FAILURE(s.finish());
}

// Two players of one team play against each other through what they say
// and hear, neither seeing the other (each looks away from it): each
// message carries what the other said in the previous cycle, from the
// direction in which the server would give it. A player that takes itself
// to be first at the ball says so; one that hears a claim from towards
// the ball gives way (and falls silent), since the claimant may be nearer.
struct Duo {
    const char* what;
    double ball_x, ball_y;
    double near_x, near_y;  // the player nearer the ball (number 2)
    double far_x, far_y;    // the other (number 3)
    bool near_gives_way;    // at first the nearer one gives way too
};

void PrintTo(const Duo& d, std::ostream* os) { *os << d.what; }

class TwoPlayersAtTheBall : public ::testing::TestWithParam<Duo> {};

TEST_P(TwoPlayersAtTheBall, OnlyTheNearerKeepsClaimingIt)
{
    const Duo& c = GetParam();
    Session near_one, far_one;
    ASSERT_NO_FATAL_FAILURE(near_one.start({"--num=2"}));
    ASSERT_NO_FATAL_FAILURE(far_one.start({"--num=3"}));
    Session* session[2] = {&near_one, &far_one};
    Scene scene[2];
    const double pos[2][2] = {{c.near_x, c.near_y}, {c.far_x, c.far_y}};
    for (int i = 0; i < 2; ++i) {
        scene[i].unum = 2 + i;
        scene[i].team_name = "Probe";
        scene[i].x = pos[i][0];
        scene[i].y = pos[i][1];
        scene[i].heading = std::atan2(c.ball_y - pos[i][1], c.ball_x - pos[i][0]);
        scene[i].ball_x = c.ball_x;
        scene[i].ball_y = c.ball_y;
    }
    const std::regex say(R"(\(say (-?\d+\.\d_-?\d+\.\d)\))");
    const int kCycles = 200;  // 4 s of game time
    std::vector<int> last_said = {-1, -1};
    int near_longest_silence = 0;  // cycles between two claims of the nearer one
    std::vector<std::string> said(2);
    for (int k = 0; k < kCycles; ++k) {
        std::vector<std::string> now(2);
        for (int i = 0; i < 2; ++i) {
            scene[i].game_time = 10.0 + 0.02 * k;
            scene[i].hear.clear();
            if (!said[1 - i].empty()) {
                // The direction from the hearer to the speaker, in degrees
                // (the team plays from the left: the field frame).
                const double dir =
                    std::atan2(pos[1 - i][1] - pos[i][1], pos[1 - i][0] - pos[i][0]) * 180 / M_PI;
                char h[96];
                std::snprintf(h, sizeof(h), "(hear Probe %.2f %.2f %s)", scene[i].game_time, dir,
                              said[1 - i].c_str());
                scene[i].hear = h;
            }
            for (const std::string& a : session[i]->exchange(scene_message(scene[i]))) {
                std::smatch m;
                if (std::regex_search(a, m, say)) now[i] = m[1];
            }
            if (!now[i].empty()) {
                if (i == 0 && last_said[0] >= 0)
                    near_longest_silence = std::max(near_longest_silence, k - last_said[0]);
                last_said[i] = k;
            }
        }
        said = now;
    }
    // The agent started second holds a copy of the first one's connection:
    // it ends first.
    ASSERT_NO_FATAL_FAILURE(far_one.finish());
    ASSERT_NO_FATAL_FAILURE(near_one.finish());
    // The nearer player claims the ball to the end; the other has been
    // silent for the last seconds.
    EXPECT_GE(last_said[0], kCycles - 3);
    EXPECT_LT(last_said[1], kCycles - 100);
    // Claiming, it says so every second message; having given way, it
    // claims again once it heard no claim for 0.8 s (0.3 s + 0.5 s per
    // metre to the ball), the other one only after 1.8 s.
    if (c.near_gives_way)
        EXPECT_GE(near_longest_silence, 40);
    else
        EXPECT_EQ(near_longest_silence, 2);
}

INSTANTIATE_TEST_SUITE_P(Hearing, TwoPlayersAtTheBall,
                         ::testing::Values(
                             // The other comes from behind: the nearer never hears a claim from
                             // towards the ball.
                             Duo{"one_behind_the_other", 3.0, 1.5, 2.0, 1.5, -0.5, 1.6, false},
                             // From two sides: at first each may be the nearer, both give way;
                             // the nearer claims again first, and the other then keeps giving way.
                             Duo{"from_two_sides", 3.0, 2.0, 4.0, 2.0, 3.0, 5.0, true}),
                         [](const ::testing::TestParamInfo<Duo>& i) { return std::string(i.param.what); });

// The own kick-off's taker, waiting for another player to touch the ball,
// does not claim it: its team-mates, hearing a claim from towards the
// ball, would give way to it, and nobody would go to the ball.
TEST(KickOff, TheWaitingTakerDoesNotClaimTheBall)
{
    Session s;
    ASSERT_NO_FATAL_FAILURE(s.start({"--num=1"}));
    Scene scene;
    scene.unum = 1;
    scene.team_name = "Probe";
    scene.x = -0.25;
    scene.y = 0.05;
    scene.players = {ScenePlayer{2, -2.2, 2.6, 0.0, ""}};
    int says = 0;
    for (int k = 0; k < 100; ++k) {  // 2 s: the taker does not play on alone
        scene.game_time = 10.0 + 0.02 * k;
        scene.play_mode = k < 10 ? "KickOff_Left" : "PlayOn";
        scene.ball_x = k < 10 ? 0.0 : 1.2;  // the first touch sends it on
        for (const std::string& a : s.exchange(scene_message(scene)))
            if (k >= 10 && a.find("(say") != std::string::npos) ++says;
    }
    ASSERT_NO_FATAL_FAILURE(s.finish());
    EXPECT_EQ(says, 0);
}

// A goal scored while the robot walks to the ball: within a few think
// calls the beam back to its place goes out, alongside the walk's leg
// commands (the motion interface empties the command stream before them,
// which must not swallow the beam).
TEST(Goal, ARobotWalkingWhenTheGoalIsScoredBeamsBack)
{
    Session s;
    // Player 2: the kick-off taker (player 1) ends its walk before it beams.
    ASSERT_NO_FATAL_FAILURE(s.start({"--num=2"}));
    std::vector<std::string> lines = with_side(read_data_lines("capture/play_on.txt"), 2);
    size_t k = 0;
    int walking_in_a_row = 0;
    for (; k < lines.size() && walking_in_a_row < 10; ++k) {
        std::vector<std::string> got = s.exchange(lines[k]);
        walking_in_a_row = has_leg_command(got[0]) && has_leg_command(got[1]) ? walking_in_a_row + 1 : 0;
        for (const std::string& a : got) ASSERT_EQ(a.find("(beam"), std::string::npos) << a;
    }
    ASSERT_EQ(walking_in_a_row, 10) << "the robot never walked";
    std::vector<std::string> beams;
    for (int g = 0; g < 5 && k < lines.size(); ++g, ++k) {
        std::string goal = std::regex_replace(lines[k], std::regex(R"(\(pm PlayOn\))"), "(pm Goal_Left)");
        for (const std::string& a : s.exchange(goal))
            if (a.find("(beam") != std::string::npos) beams.push_back(a);
    }
    ASSERT_NO_FATAL_FAILURE(s.finish());
    ASSERT_EQ(beams.size(), 1u);
    EXPECT_NE(beams[0].find(beam_text(-2.2, 2.6)), std::string::npos) << beams[0];
    EXPECT_TRUE(has_leg_command(beams[0])) << beams[0];
}

}  // namespace
