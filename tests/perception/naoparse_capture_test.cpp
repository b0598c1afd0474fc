// Every message recorded from a real soccer server, parsed as the agent
// does (twice per message, once per sub-step): nothing breaks, and the
// record says what the text says. The expected values are read from the
// text with regular expressions, independently of the S-expression reader.
#include "perception/naoparse.h"

#include <gtest/gtest.h>

#include "support/test_files.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace {

double num(const std::string& s) { return std::strtod(s.c_str(), nullptr); }

// The text of the vision predicate, or "" (found by counting parentheses).
std::string see_text(const std::string& msg)
{
    std::string::size_type b = msg.find("(See ");
    if (b == std::string::npos) return "";
    int depth = 0;
    for (std::string::size_type i = b; i < msg.size(); ++i) {
        if (msg[i] == '(') ++depth;
        if (msg[i] == ')' && --depth == 0) return msg.substr(b, i - b + 1);
    }
    return "";
}

struct ExpectedPlayer {
    std::string team;
    int id;
    double d[2], a[2], e[2];  // right lower arm, left lower arm
};

// Players with both lower arms in view, in message order.
std::vector<ExpectedPlayer> players_in(const std::string& see)
{
    static const std::regex player(
        R"(\(P \(team ([^() ]+)\) \(id ([0-9]+)\)((?: \([a-z]+ \(pol [^()]*\)\))*)\))");
    static const std::regex arm(R"(\((rlowerarm|llowerarm) \(pol (\S+) (\S+) (\S+)\)\))");
    std::vector<ExpectedPlayer> out;
    for (std::sregex_iterator it(see.begin(), see.end(), player), end; it != end; ++it) {
        ExpectedPlayer p;
        p.team = (*it)[1];
        p.id = std::atoi((*it)[2].str().c_str());
        std::string parts = (*it)[3];
        int arms = 0;
        for (std::sregex_iterator a(parts.begin(), parts.end(), arm); a != end; ++a) {
            int k = (*a)[1] == "rlowerarm" ? 0 : 1;
            p.d[k] = num((*a)[2]);
            p.a[k] = num((*a)[3]);
            p.e[k] = num((*a)[4]);
            arms |= 1 << k;
        }
        if (arms == 3) out.push_back(p);
    }
    return out;
}

struct CaptureCase {
    const char* file;
    int lines;
    int unum;  // from the one game state that carries it, -1 when none does
    int side;
    int first_mode;
    int last_mode;
    bool falls;        // lies on its back by the end
    bool sees_itself;  // its own lower arms appear as a player with its number
};

void PrintTo(const CaptureCase& c, std::ostream* os) { *os << c.file; }

class Capture : public ::testing::TestWithParam<CaptureCase> {
protected:
    void SetUp() override { NaoParse::reset_static_state(); }
};

TEST_P(Capture, EveryMessageGivesASensibleRecord)
{
    const CaptureCase& c = GetParam();
    const std::vector<std::string> lines = read_data_lines(std::string("capture/") + c.file);
    ASSERT_EQ(static_cast<int>(lines.size()), c.lines);

    NaoParse p("Probe");
    p.Init();
    p.hear_active = true;
    p.hear_time = -7.0;  // no recorded say message carries a ball position

    static const std::regex hinge(R"(\(HJ \(n (\w+)\) \(ax (\S+)\)\))");
    static const std::regex object(R"(\((B|F1L|F2L|F1R|F2R|G1L|G2L|G1R|G2R) \(pol (\S+) (\S+) (\S+)\)\))");
    static const std::regex line(R"(\(L \(pol (\S+) (\S+) (\S+)\) \(pol (\S+) (\S+) (\S+)\)\))");
    static const std::regex time_mode(R"(\(t ([0-9.]+)\) \(pm (\w+)\))");
    static const std::map<std::string, int> modes = {
        {"BeforeKickOff", 0}, {"KickOff_Left", 1}, {"PlayOn", 3}};

    double last_time = -1.0;
    bool saw_itself = false;
    for (int i = 0; i < c.lines; ++i) {
        const std::string& msg = lines[i];
        SCOPED_TRACE("message " + std::to_string(i + 1));
        const NaoParse::NaoVis before = p.nv;
        p.Parse(msg, 2 * i);
        p.Parse(msg, 2 * i + 1);

        // Game state.
        std::smatch m;
        ASSERT_TRUE(std::regex_search(msg, m, time_mode));
        ASSERT_EQ(modes.count(m[2]), 1u) << m[2];
        EXPECT_EQ(p.play_mode, modes.at(m[2]));
        EXPECT_NEAR(p.game_time, num(m[1]), 1e-9);
        EXPECT_GE(p.game_time, last_time);
        last_time = p.game_time;
        const bool told = msg.find("(unum ") != std::string::npos;
        if (i < 2) {
            // The first messages come before the robot is placed.
            EXPECT_EQ(p.unum, -1);
            EXPECT_EQ(p.side, 0);
        }
        if (told) {
            EXPECT_EQ(p.unum, c.unum);
        }

        // Every hinge joint of the message.
        int joints = 0;
        for (std::sregex_iterator it(msg.begin(), msg.end(), hinge), end; it != end; ++it, ++joints) {
            ASSERT_EQ(p.mJointIDMap.count((*it)[1]), 1u) << (*it)[1];
            EXPECT_NEAR(NaoParse::GetJointAngleDeg(p.mJointIDMap.at((*it)[1])), num((*it)[2]), 1e-4)
                << (*it)[1];
        }
        EXPECT_EQ(joints, 22);

        // Vision: every third message, starting with the first.
        const std::string see = see_text(msg);
        EXPECT_EQ(!see.empty(), i % 3 == 0);
        if (see.empty()) {
            for (int k = 0; k < NaoParse::NB_VISION_OBJECTS; ++k)
                EXPECT_EQ(p.nv.seen[k], before.seen[k]) << k;
            EXPECT_EQ(p.nv.nb_player, before.nb_player);
            EXPECT_EQ(p.nv.nb_line, before.nb_line);
        } else {
            bool seen[NaoParse::NB_VISION_OBJECTS] = {false};
            for (std::sregex_iterator it(see.begin(), see.end(), object), end; it != end; ++it) {
                const int id = p.mVisionObjectMap.at((*it)[1]);
                seen[id] = true;
                for (int k = 0; k < 3; ++k) EXPECT_NEAR(p.nv.pol[id][k], num((*it)[k + 2]), 1e-4) << (*it)[1];
            }
            for (int k = 0; k < NaoParse::NB_VISION_OBJECTS; ++k) EXPECT_EQ(p.nv.seen[k], seen[k]) << k;

            std::vector<ExpectedPlayer> players = players_in(see);
            ASSERT_EQ(p.nv.nb_player, static_cast<int>(players.size()));
            EXPECT_EQ(p.nv.nb_teammate, p.nv.nb_player);  // only team Probe played
            EXPECT_EQ(p.nv.nb_opponent, 0);
            for (size_t k = 0; k < players.size(); ++k) {
                const NaoParse::vis_player_t& got = p.nv.player[k];
                EXPECT_EQ(got.id, players[k].id);
                EXPECT_EQ(got.teammate, players[k].team == "Probe");
                for (int j = 0; j < 2; ++j) {
                    EXPECT_NEAR(got.dist[j], players[k].d[j], 1e-4);
                    EXPECT_NEAR(got.azimuth[j], players[k].a[j], 1e-4);
                    EXPECT_NEAR(got.elevation[j], players[k].e[j], 1e-4);
                }
                if (got.id == c.unum) saw_itself = true;
            }

            int lines_seen = 0;
            for (std::sregex_iterator it(see.begin(), see.end(), line), end; it != end; ++it, ++lines_seen) {
                ASSERT_LT(lines_seen, p.nv.nb_line);
                const NaoParse::vis_line_t& l = p.nv.line[lines_seen];
                for (int j = 0; j < 2; ++j) {
                    EXPECT_NEAR(l.dist[j], num((*it)[3 * j + 1]), 1e-4);
                    EXPECT_NEAR(l.azimuth[j], num((*it)[3 * j + 2]), 1e-4);
                    EXPECT_NEAR(l.elevation[j], num((*it)[3 * j + 3]), 1e-4);
                }
            }
            EXPECT_EQ(p.nv.nb_line, lines_seen);
        }

        // Standing robots are never taken for lying ones; the falling one
        // stands until its legs are driven (message 30).
        if (!c.falls || i < 30) {
            EXPECT_FALSE(NaoParse::fall_down_detected);
        }
    }

    EXPECT_EQ(p.play_mode, c.last_mode);
    EXPECT_EQ(p.unum, c.unum);
    EXPECT_EQ(p.side, c.side);
    EXPECT_EQ(NaoParse::fall_down_detected, c.falls);
    EXPECT_EQ(NaoParse::back_fall_down_detected, c.falls);
    EXPECT_FALSE(NaoParse::front_fall_down_detected);
    EXPECT_EQ(saw_itself, c.sees_itself);
    EXPECT_DOUBLE_EQ(p.hear_time, -7.0);

    // The first message's mode, read afresh.
    NaoParse first("Probe");
    first.Init();
    first.Parse(lines[0], 0);
    EXPECT_EQ(first.play_mode, c.first_mode);
}

INSTANTIATE_TEST_SUITE_P(Recorded, Capture,
                         ::testing::Values(CaptureCase{"before_kickoff.txt", 300, 1, 1, 0, 0, false, true},
                                           CaptureCase{"play_on.txt", 300, -1, 0, 1, 3, false, false},
                                           CaptureCase{"fallen.txt", 300, 1, 1, 0, 0, true, true},
                                           CaptureCase{"hearing.txt", 300, 2, 1, 0, 0, false, true},
                                           CaptureCase{"groundtruth_play_on.txt", 200, 1, 1, 0, 3, false,
                                                       true}),
                         [](const ::testing::TestParamInfo<CaptureCase>& i) {
                             std::string n = i.param.file;
                             return n.substr(0, n.find('.'));
                         });

}  // namespace
