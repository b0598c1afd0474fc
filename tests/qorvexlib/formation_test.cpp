// Formation operations that do not run scripts, and the ownership of each
// formation's Lua state under copies, assignment and vector growth.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "qorvexlib/Strategy.h"
#include "qorvexlib/temp_dir.h"

using qorvexlib::formation_t;
using qorvexlib::vec2d;

namespace {

formation_t withPlayers(std::vector<vec2d> players)
{
    formation_t f;
    f.players = players;
    return f;
}

// Script that records, in the formation itself, which object the global
// "formation" reaches: it writes the number of players into the ball x.
const char* kProbe = "formation.ballX = formation.nbPlayers\n";

}  // namespace

TEST(Vec2, DistanceNormAndTolerance)
{
    EXPECT_DOUBLE_EQ(qorvexlib::distance(vec2d(1, 2), vec2d(4, 6)), 5.0);
    EXPECT_DOUBLE_EQ(qorvexlib::norm(vec2d(-3, 4)), 5.0);
    EXPECT_TRUE(vec2d(1, 1) == vec2d(1 + 5e-11, 1));
    EXPECT_TRUE(vec2d(1, 1) != vec2d(1 + 2e-10, 1));
}

TEST(FormationDefaults, FreshObject)
{
    formation_t f;
    EXPECT_EQ(f.ball, vec2d(0, 0));
    EXPECT_EQ(f.ballArea.origin, vec2d(0, 0));
    EXPECT_EQ(f.ballArea.size, vec2d(0, 0));
    EXPECT_TRUE(f.players.empty());
    EXPECT_TRUE(f.script.empty());
    EXPECT_EQ(f.input(), vec2d(0, 0));
    EXPECT_EQ(f.lua().name(), "formation");
    EXPECT_EQ(f.lua().m_p, &f);
    EXPECT_NE(f.lua().m_lua, nullptr);
}

TEST(FormationSort, ByDistanceToInput)
{
    formation_t f = withPlayers({vec2d(10, 0), vec2d(0, 1), vec2d(-3, 0), vec2d(0, -0.5)});
    f.sort();  // input (0, 0): the field centre
    std::vector<vec2d> expected = {vec2d(0, -0.5), vec2d(0, 1), vec2d(-3, 0), vec2d(10, 0)};
    EXPECT_EQ(f.players.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(f.players[i], expected[i]) << i;

    f.m_input = vec2d(9, 0);
    f.sort();
    EXPECT_EQ(f.players[0], vec2d(10, 0));
    EXPECT_EQ(f.players[3], vec2d(-3, 0));
}

TEST(FormationSort, WithHeadingCost)
{
    // Costs from ref (0, 0), heading 0: (1, 0) 1; (0, 0.5) 0.5 + pi;
    // (-1, 0) 1 + 2 pi.
    formation_t f = withPlayers({vec2d(-1, 0), vec2d(0, 0.5), vec2d(1, 0)});
    vec2d ref(0, 0);
    f.sortWith(ref, 0.0);
    EXPECT_EQ(f.players[0], vec2d(1, 0));
    EXPECT_EQ(f.players[1], vec2d(0, 0.5));
    EXPECT_EQ(f.players[2], vec2d(-1, 0));

    // Facing backwards (heading pi, bearings wrapped): (-1, 0) is straight
    // ahead (cost 1), (0, 0.5) a quarter turn (0.5 + pi), (1, 0) behind.
    f.sortWith(ref, M_PI);
    EXPECT_EQ(f.players[0], vec2d(-1, 0));
    EXPECT_EQ(f.players[1], vec2d(0, 0.5));
    EXPECT_EQ(f.players[2], vec2d(1, 0));

    // Heading -pi/2 from ref (2, 2): (2, 0) ahead at 2 beats (2.5, 2) at 0.5
    // beside (0.5 + pi).
    formation_t g = withPlayers({vec2d(2.5, 2), vec2d(2, 0)});
    vec2d ref2(2, 2);
    g.sortWith(ref2, -M_PI / 2);
    EXPECT_EQ(g.players[0], vec2d(2, 0));
}

TEST(FormationRevert, MirrorsThroughTheCentre)
{
    formation_t f = withPlayers({vec2d(-1, 0.5), vec2d(3, -4)});
    f.ball = vec2d(3, -2);
    f.ballArea.origin = vec2d(0, -5);
    f.ballArea.size = vec2d(15, 10);
    f.m_input = vec2d(1, 2);
    f.revert();
    EXPECT_EQ(f.ball, vec2d(-3, 2));
    EXPECT_EQ(f.ballArea.origin, vec2d(-15, -5));
    EXPECT_EQ(f.ballArea.size, vec2d(15, 10));
    EXPECT_EQ(f.input(), vec2d(-1, -2));
    EXPECT_EQ(f.players[0], vec2d(1, -0.5));
    EXPECT_EQ(f.players[1], vec2d(-3, 4));
    // The mirrored box holds exactly the mirrored points.
    EXPECT_TRUE(qorvexlib::isIn(vec2d(-15, 5), f.ballArea));
    EXPECT_FALSE(qorvexlib::isIn(vec2d(0.1, 0), f.ballArea));
}

TEST(FormationPlayerPos, BoundsChecked)
{
    const formation_t f = withPlayers({vec2d(1, 2), vec2d(3, 4)});
    vec2d out(9, 9);
    EXPECT_TRUE(f.playerPos(1, out));
    EXPECT_EQ(out, vec2d(3, 4));
    out = vec2d(9, 9);
    EXPECT_FALSE(f.playerPos(-1, out));
    EXPECT_FALSE(f.playerPos(2, out));
    EXPECT_EQ(out, vec2d(9, 9));
}

TEST(FormationEquality, AllFieldsCount)
{
    formation_t a = withPlayers({vec2d(1, 2), vec2d(3, 4)});
    a.script = "s.lua";
    a.ball = vec2d(1, 1);
    a.ballArea.size = vec2d(2, 2);
    formation_t b(a);
    EXPECT_TRUE(a == b);
    b.m_input = vec2d(5, 5);  // the input is not part of the formation
    EXPECT_TRUE(a == b);

    auto differs = [&a](void (*change)(formation_t&)) {
        formation_t c(a);
        change(c);
        return a != c;
    };
    EXPECT_TRUE(differs([](formation_t& c) { c.script = "t.lua"; }));
    EXPECT_TRUE(differs([](formation_t& c) { c.ball.y = 1.001; }));
    EXPECT_TRUE(differs([](formation_t& c) { c.ballArea.origin.x = -1; }));
    EXPECT_TRUE(differs([](formation_t& c) { c.ballArea.size.y = 3; }));
    EXPECT_TRUE(differs([](formation_t& c) { c.players[1].x = 3.5; }));
    EXPECT_TRUE(differs([](formation_t& c) { c.players.pop_back(); }));
    EXPECT_TRUE(differs([](formation_t& c) { c.players.push_back(vec2d()); }));
}

TEST(FormationCopy, OwnStateBoundToTheCopy)
{
    formation_t a = withPlayers({vec2d(1, 2)});
    a.script = "s.lua";
    a.m_input = vec2d(7, 7);
    formation_t b(a);
    EXPECT_TRUE(a == b);
    EXPECT_EQ(b.input(), vec2d(0, 0));
    EXPECT_EQ(b.lua().m_p, &b);
    EXPECT_NE(b.lua().m_lua, a.lua().m_lua);
}

TEST(FormationAssign, DataOnlyStateAndInputKept)
{
    formation_t a = withPlayers({vec2d(1, 2)});
    a.m_input = vec2d(7, 7);
    formation_t b;
    b.m_input = vec2d(3, 3);
    lua_State* bState = b.lua().m_lua;
    b = a;
    EXPECT_TRUE(a == b);
    EXPECT_EQ(b.input(), vec2d(3, 3));
    EXPECT_EQ(b.lua().m_lua, bState);
    EXPECT_EQ(b.lua().m_p, &b);
    const formation_t& same = b;
    b = same;  // self-assignment keeps everything
    EXPECT_TRUE(a == b);
}

TEST(FormationCopy, BindingsSurviveMovesAndVectorGrowth)
{
    TempDir tmp;
    const std::string probe = tmp.write("probe.lua", kProbe);

    std::vector<formation_t> v;
    for (size_t n = 0; n < 40; ++n) {  // enough to reallocate several times
        v.push_back(withPlayers(std::vector<vec2d>(n)));
        v.back().script = probe;
    }
    formation_t moved(std::move(v[5]));
    v.insert(v.begin(), formation_t(moved));
    v.erase(v.begin() + 10);

    // Every element's script must reach that element and no other.
    for (formation_t& f : v) {
        EXPECT_EQ(f.lua().m_p, &f);
        const double n = static_cast<double>(f.players.size());
        ASSERT_TRUE(f.interpolate(vec2d(1, 1), "")) << f.lua().errMsg();
        EXPECT_EQ(f.ball.x, n);
    }
    EXPECT_EQ(moved.lua().m_p, &moved);
    ASSERT_TRUE(moved.interpolate(vec2d(), ""));
    EXPECT_EQ(moved.ball.x, 5.0);

    formation_t target;
    target = std::move(moved);  // moves assign: target keeps its own state
    EXPECT_EQ(target.lua().m_p, &target);
    ASSERT_TRUE(target.interpolate(vec2d(), ""));
    EXPECT_EQ(target.ball.x, 5.0);
}

TEST(StrategyCopy, FormationsGetTheirOwnStates)
{
    qorvexlib::Strategy a;
    a.addFormation(withPlayers({vec2d(1, 1)}));
    a.addFormation(withPlayers({vec2d(2, 2)}));
    qorvexlib::Strategy b(a);
    ASSERT_TRUE(a == b);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(b.formations()[i].lua().m_p, &b.formations()[i]);
        EXPECT_NE(b.formations()[i].lua().m_lua, a.formations()[i].lua().m_lua);
    }
}
