// Reading and writing strategy files, and the lookup of a formation by the
// ball position.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "qorvexlib/Strategy.h"
#include "qorvexlib/temp_dir.h"

using qorvexlib::formation_t;
using qorvexlib::Strategy;
using qorvexlib::vec2d;

namespace {

// Two formations, the first with three players; numbers with fractions that
// a round trip must keep to the last bit.
const char* kTwoFormations = R"(<strategy>
  <formation script="a.lua">
    <ball x="-3.25" y="0.1"/>
    <ballArea x="-15" y="-10" l="15" w="20"/>
    <players>
      <player x="-14" y="0"/>
      <player x="-7.5" y="2.0000000000000004"/>
      <player x="0.30000000000000004" y="-3"/>
    </players>
  </formation>
  <formation script="sub/b.lua">
    <ball x="5" y="1"/>
    <ballArea x="0" y="-10" l="15" w="20"/>
    <players>
      <player x="1" y="1"/>
    </players>
  </formation>
</strategy>
)";

std::string slurp(const std::string& file)
{
    std::ifstream in(file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

formation_t makeFormation(const std::string& script, vec2d ball, vec2d origin, vec2d size,
                          std::vector<vec2d> players)
{
    formation_t f;
    f.script = script;
    f.ball = ball;
    f.ballArea.origin = origin;
    f.ballArea.size = size;
    f.players = players;
    return f;
}

}  // namespace

TEST(StrategyLoad, ReadsEveryFieldInFileOrder)
{
    TempDir tmp;
    Strategy s;
    ASSERT_TRUE(s.load(tmp.write("s.xml", kTwoFormations)));
    ASSERT_EQ(s.formations().size(), 2u);
    const formation_t& f = s.formations()[0];
    EXPECT_EQ(f.script, "a.lua");
    EXPECT_DOUBLE_EQ(f.ball.x, -3.25);
    EXPECT_DOUBLE_EQ(f.ball.y, 0.1);
    EXPECT_DOUBLE_EQ(f.ballArea.origin.x, -15);
    EXPECT_DOUBLE_EQ(f.ballArea.origin.y, -10);
    EXPECT_DOUBLE_EQ(f.ballArea.size.x, 15);
    EXPECT_DOUBLE_EQ(f.ballArea.size.y, 20);
    ASSERT_EQ(f.players.size(), 3u);
    EXPECT_DOUBLE_EQ(f.players[1].x, -7.5);
    EXPECT_DOUBLE_EQ(f.players[2].x, 0.30000000000000004);
    EXPECT_EQ(s.formations()[1].script, "sub/b.lua");
    EXPECT_EQ(s.prefix(), tmp.dir());
}

TEST(StrategyLoad, PrefixIsTheFilesDirectory)
{
    Strategy s;
    EXPECT_EQ(s.prefix(), ".");
    ASSERT_TRUE(s.load("strategies/marvessa/common.xml"));
    EXPECT_EQ(s.prefix(), "strategies/marvessa");
}

TEST(StrategyLoad, BareFileNameGivesEmptyPrefix)
{
    TempDir tmp;
    tmp.write("bare.xml", kTwoFormations);
    const boost::filesystem::path old = boost::filesystem::current_path();
    boost::filesystem::current_path(tmp.dir());
    Strategy s;
    const bool ok = s.load("bare.xml");
    boost::filesystem::current_path(old);
    ASSERT_TRUE(ok);
    EXPECT_EQ(s.prefix(), "");
}

TEST(StrategyLoad, MissingAttributesAndExtraElements)
{
    // Missing numbers read as 0; unknown elements and attributes, and second
    // copies of ball, ballArea and players, are ignored.
    TempDir tmp;
    Strategy s;
    ASSERT_TRUE(s.load(tmp.write("s.xml", R"(<strategy>
    <formation script="x.lua" colour="red">
      <note/>
      <ball y="2"/>
      <ball x="9" y="9"/>
      <ballArea x="1" y="abc" l="4"/>
      <players><player x="1"/><other x="5" y="5"/><player x="2" y="3"/></players>
      <players><player x="7" y="7"/></players>
    </formation></strategy>)")));
    ASSERT_EQ(s.formations().size(), 1u);
    const formation_t& f = s.formations()[0];
    EXPECT_EQ(f.ball.x, 0.0);
    EXPECT_EQ(f.ball.y, 2.0);
    EXPECT_EQ(f.ballArea.origin.y, 0.0);
    EXPECT_EQ(f.ballArea.size.y, 0.0);
    ASSERT_EQ(f.players.size(), 2u);
    EXPECT_EQ(f.players[0].y, 0.0);
    EXPECT_EQ(f.players[1].x, 2.0);

    // No "w": only balls exactly on the bottom edge select it.
    formation_t out;
    EXPECT_TRUE(s.fetchFormation(vec2d(3, 0), out));
    EXPECT_FALSE(s.fetchFormation(vec2d(3, 1e-9), out));
}

TEST(StrategyLoad, EmptyStrategyEmptiesAndLookupsFail)
{
    TempDir tmp;
    Strategy s;
    ASSERT_TRUE(s.load(tmp.write("full.xml", kTwoFormations)));
    ASSERT_TRUE(s.load(tmp.write("empty.xml", "<strategy/>")));
    EXPECT_TRUE(s.formations().empty());
    formation_t out;
    EXPECT_FALSE(s.fetchFormation(vec2d(0, 0), out));
    EXPECT_FALSE(s.interpolate(vec2d(0, 0), qorvexlib::BLUE, out));
}

TEST(StrategyLoad, EmptyPlayersGivesEmptyList)
{
    TempDir tmp;
    Strategy s;
    ASSERT_TRUE(s.load(tmp.write("s.xml", R"(<strategy><formation script="x.lua">
      <ball x="0" y="0"/><ballArea x="0" y="0" l="1" w="1"/><players/>
    </formation></strategy>)")));
    ASSERT_EQ(s.formations().size(), 1u);
    EXPECT_TRUE(s.formations()[0].players.empty());
}

// Every malformed file is refused and leaves the strategy as it was,
// prefix included.
struct Malformed {
    const char* name;
    const char* text;  // null: the file does not exist
};

void PrintTo(const Malformed& m, std::ostream* os) { *os << m.name; }

class StrategyLoadRefuses : public ::testing::TestWithParam<Malformed> {};

TEST_P(StrategyLoadRefuses, AndChangesNothing)
{
    TempDir tmp;
    Strategy s;
    ASSERT_TRUE(s.load(tmp.write("good.xml", kTwoFormations)));
    const Strategy before = s;
    s.setPrefix("kept/prefix");

    const std::string file =
        GetParam().text ? tmp.write("bad.xml", GetParam().text) : tmp.file("missing.xml");
    EXPECT_FALSE(s.load(file));
    EXPECT_TRUE(s == before);
    EXPECT_EQ(s.formations().size(), 2u);
    EXPECT_EQ(s.prefix(), "kept/prefix");
}

const char* kThirdWithoutPlayers = R"(<strategy>
  <formation script="a.lua"><ball x="0" y="0"/><ballArea x="0" y="0" l="1" w="1"/><players/></formation>
  <formation script="b.lua"><ball x="0" y="0"/><ballArea x="0" y="0" l="1" w="1"/><players/></formation>
  <formation script="c.lua"><ball x="0" y="0"/><ballArea x="0" y="0" l="1" w="1"/></formation>
</strategy>)";

INSTANTIATE_TEST_SUITE_P(
    MalformedStrategyFiles, StrategyLoadRefuses,
    ::testing::Values(Malformed{"missing_file", nullptr}, Malformed{"not_xml", "this is not XML at all\n"},
                      Malformed{"empty_file", ""},
                      Malformed{"unclosed", "<strategy><formation script=\"a.lua\">"},
                      Malformed{"no_strategy", "<plan><formation script=\"a.lua\"/></plan>"},
                      Malformed{"strategy_not_top_level", "<root><strategy/></root>"},
                      Malformed{"no_script",
                                "<strategy><formation><ball x=\"0\" y=\"0\"/><ballArea/><players/>"
                                "</formation></strategy>"},
                      Malformed{"no_ball",
                                "<strategy><formation script=\"a.lua\"><ballArea/><players/>"
                                "</formation></strategy>"},
                      Malformed{"no_ball_area",
                                "<strategy><formation script=\"a.lua\"><ball/><players/>"
                                "</formation></strategy>"},
                      Malformed{"no_players",
                                "<strategy><formation script=\"a.lua\"><ball/><ballArea/>"
                                "</formation></strategy>"},
                      Malformed{"third_without_players", kThirdWithoutPlayers}),
    [](const ::testing::TestParamInfo<Malformed>& i) { return std::string(i.param.name); });

TEST(StrategySave, RoundTripKeepsEveryValue)
{
    TempDir tmp;
    Strategy s;
    ASSERT_TRUE(s.load(tmp.write("in.xml", kTwoFormations)));
    s.addFormation(
        makeFormation("c.lua", vec2d(1.0 / 3.0, -2.0 / 7.0), vec2d(-1e-3, 1e5), vec2d(0.1, 0.7), {}));

    const std::string out = tmp.file("out.xml");
    s.setPrefix("elsewhere");
    ASSERT_TRUE(s.save(out));
    EXPECT_EQ(s.prefix(), tmp.dir());

    Strategy back;
    ASSERT_TRUE(back.load(out));
    ASSERT_TRUE(back == s);
    // Bit-exact, not only within the equality tolerance.
    EXPECT_EQ(back.formations()[2].ball.x, 1.0 / 3.0);
    EXPECT_EQ(back.formations()[0].players[1].y, 2.0000000000000004);
    EXPECT_EQ(back.formations()[1].script, "sub/b.lua");
}

TEST(StrategySave, WritesTheDocumentedLayout)
{
    TempDir tmp;
    Strategy s;
    s.addFormation(makeFormation("f.lua", vec2d(0.5, 0), vec2d(-1, -2), vec2d(3, 4), {vec2d(0.1, 2)}));
    const std::string out = tmp.file("out.xml");
    ASSERT_TRUE(s.save(out));
    const std::string text = slurp(out);
    EXPECT_EQ(text.find("<?xml"), std::string::npos);
    EXPECT_NE(text.find("<formation script=\"f.lua\">"), std::string::npos);
    EXPECT_NE(text.find("<ballArea x=\"-1\" y=\"-2\" l=\"3\" w=\"4\"/>"), std::string::npos);
    EXPECT_NE(text.find("<player x=\"0.10000000000000001\" y=\"2\"/>"), std::string::npos);
    // Indented: ball, ballArea and players in this order, each on its own line.
    const size_t b = text.find("\n        <ball "), a = text.find("\n        <ballArea "),
                 p = text.find("\n        <players>");
    ASSERT_NE(b, std::string::npos);
    ASSERT_NE(a, std::string::npos);
    ASSERT_NE(p, std::string::npos);
    EXPECT_LT(b, a);
    EXPECT_LT(a, p);
}

TEST(StrategySave, FailureChangesNothing)
{
    TempDir tmp;
    Strategy s;
    s.setPrefix("kept");
    EXPECT_FALSE(s.save(tmp.file("no/such/dir/out.xml")));
    EXPECT_EQ(s.prefix(), "kept");
}

TEST(StrategyFetch, EdgesAndOrder)
{
    Strategy s;
    s.addFormation(makeFormation("first", vec2d(), vec2d(0, -5), vec2d(15, 10), {}));
    s.addFormation(makeFormation("second", vec2d(), vec2d(-15, -5), vec2d(30, 10), {}));

    struct Case {
        vec2d ball;
        const char* script;  // null: none found
    } cases[] = {
        {vec2d(15, 5), "first"},  // far corner, bounds included
        {vec2d(0, -5), "first"},  // origin corner
        {vec2d(5, 0), "first"},   // overlap: listed first wins
        {vec2d(-0.001, 0), "second"}, {vec2d(-15, -5), "second"},
        {vec2d(15.001, 0), nullptr},  {vec2d(0, 5.001), nullptr},
    };
    for (const Case& c : cases) {
        formation_t out;
        out.script = "untouched";
        const bool found = s.fetchFormation(c.ball, out);
        EXPECT_EQ(found, c.script != nullptr) << c.ball.x << " " << c.ball.y;
        EXPECT_EQ(out.script, c.script ? c.script : "untouched") << c.ball.x << " " << c.ball.y;
    }
}

TEST(StrategyEquality, ComparesFormationsNotPrefix)
{
    Strategy a, b;
    a.addFormation(makeFormation("s", vec2d(1, 2), vec2d(), vec2d(1, 1), {vec2d(1, 1)}));
    b = a;
    b.setPrefix("other");
    EXPECT_TRUE(a == b);
    b.m_formations[0].players[0].x += 1e-11;  // within the tolerance
    EXPECT_TRUE(a == b);
    b.m_formations[0].players[0].x += 1e-9;
    EXPECT_TRUE(a != b);
    b = a;
    b.addFormation(a.formations()[0]);
    EXPECT_TRUE(a != b);
    b.clear();
    EXPECT_TRUE(b.formations().empty());
}

TEST(StrategyInterpolate, RedLooksUpAndReturnsThroughTheCentre)
{
    // The script sees the ball in the BLUE frame and writes a BLUE place.
    TempDir tmp;
    tmp.write("put.lua",
              "assert(formation.inputX == -3 and formation.inputY == 2)\n"
              "formation.playerX_0 = -1; formation.playerY_0 = 0.5\n");
    Strategy s;
    ASSERT_TRUE(s.load(tmp.write("s.xml", R"(<strategy><formation script="put.lua">
      <ball x="-4" y="1"/><ballArea x="-5" y="0" l="5" w="5"/>
      <players><player x="0" y="0"/></players></formation></strategy>)")));

    formation_t out;
    ASSERT_TRUE(s.interpolate(vec2d(3, -2), qorvexlib::RED, out)) << out.lua().errMsg();
    EXPECT_EQ(out.players[0], vec2d(1, -0.5));
    EXPECT_EQ(out.input(), vec2d(3, -2));
    EXPECT_EQ(out.ball, vec2d(4, -1));
    EXPECT_EQ(out.ballArea.origin, vec2d(0, -5));

    formation_t blue;
    EXPECT_FALSE(s.interpolate(vec2d(3, -2), qorvexlib::BLUE, blue));  // no area holds it
    ASSERT_TRUE(s.interpolate(vec2d(-3, 2), qorvexlib::NONE, blue));
    EXPECT_EQ(blue.players[0], vec2d(-1, 0.5));
    // The strategy's own formation is untouched: the script ran in out's state.
    EXPECT_EQ(s.formations()[0].players[0], vec2d(0, 0));
}

TEST(StrategyInterpolate, ScriptThatDoesNotExistIsRefused)
{
    TempDir tmp;
    Strategy s;
    ASSERT_TRUE(s.load(tmp.write("s.xml", R"(<strategy><formation script="gone.lua">
      <ball x="0" y="0"/><ballArea x="-1" y="-1" l="2" w="2"/>
      <players><player x="0.5" y="0"/></players></formation></strategy>)")));
    formation_t out;
    out.m_input = vec2d(7, 7);
    EXPECT_FALSE(s.interpolate(vec2d(0.5, 0.5), qorvexlib::BLUE, out));
    EXPECT_NE(out.lua().errMsg().find("gone.lua"), std::string::npos) << out.lua().errMsg();
    EXPECT_EQ(out.input(), vec2d(7, 7));  // the script never ran
    EXPECT_EQ(out.players[0], vec2d(0.5, 0));

    // A script that fails half-way keeps what it wrote, in the lookup frame.
    tmp.write("gone.lua", "formation.playerX_0 = 2\nerror('half-way')\n");
    formation_t red;
    EXPECT_FALSE(s.interpolate(vec2d(0.5, 0.5), qorvexlib::RED, red));
    EXPECT_EQ(red.players[0], vec2d(2, 0));
    EXPECT_EQ(red.input(), vec2d(-0.5, -0.5));
}
