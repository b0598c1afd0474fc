// The "formation" object that formation scripts see: every key read and
// written, read-only and unknown keys, bad values, failed loads and runs.
#include <gtest/gtest.h>

#include <lua.hpp>

#include <string>

#include "qorvexlib/Strategy.h"
#include "qorvexlib/temp_dir.h"

using qorvexlib::formation_t;
using qorvexlib::vec2d;

namespace {

class FormationScript : public ::testing::Test {
protected:
    FormationScript()
    {
        f.ball = vec2d(1.5, -2.5);
        f.ballArea.origin = vec2d(-4, -3);
        f.ballArea.size = vec2d(8, 6);
        f.players = {vec2d(10, 11), vec2d(20, 21), vec2d(30, 31)};
    }

    // Runs the script text on f with the ball at input.
    bool run(const std::string& text, vec2d input = vec2d(0.25, -0.75))
    {
        f.script = tmp.write("s" + std::to_string(++count) + ".lua", text);
        return f.interpolate(input, "");
    }

    // Runs a script that stores the value of a Lua expression, converted to a
    // string by tostring, into the global "got"; then reads it back.
    std::string eval(const std::string& expr)
    {
        if (!run("got = tostring(" + expr + ")")) return "error: " + f.lua().errMsg();
        lua_State* L = f.lua().m_lua;
        lua_getglobal(L, "got");
        const std::string s = lua_tostring(L, -1);
        lua_pop(L, 1);
        return s;
    }

    TempDir tmp;
    formation_t f;
    int count = 0;
};

}  // namespace

TEST_F(FormationScript, ReadsEveryKey)
{
    struct Case {
        const char* expr;
        const char* value;
    } cases[] = {
        {"formation.inputX", "0.25"},         {"formation.inputY", "-0.75"},
        {"formation.nbPlayers", "3"},         {"formation.ballX", "1.5"},
        {"formation.ballY", "-2.5"},          {"formation.ballAreaX", "-4"},
        {"formation.ballAreaY", "-3"},        {"formation.ballAreaL", "8"},
        {"formation.ballAreaW", "6"},         {"formation.playerX_0", "10"},
        {"formation.playerY_0", "11"},        {"formation.playerX_2", "30"},
        {"formation.playerY_2", "31"},        {"formation.playerY_01", "21"},
        {"formation.playerX_1abc", "20"},     {"formation['playerX_ 1']", "20"},
        {"formation['playerX_+2']", "30"},    {"formation.playerX_3", "nil"},
        {"formation['playerX_-1']", "nil"},   {"formation.playerX_abc", "nil"},
        {"formation.playerX_", "nil"},        {"formation['playerX_99999999999999999999']", "nil"},
        {"formation.playerZ_0", "nil"},       {"formation.speed", "nil"},
        {"formation.ballx", "nil"},           {"formation[1]", "nil"},
        {"formation['ballX\\0junk']", "nil"},
    };
    for (const Case& c : cases) EXPECT_EQ(eval(c.expr), c.value) << c.expr;
}

TEST_F(FormationScript, WritesEveryWritableKey)
{
    ASSERT_TRUE(run(R"(
    formation.ballX = 7; formation.ballY = -7
    formation.ballAreaX = 1; formation.ballAreaY = 2
    formation.ballAreaL = 3; formation.ballAreaW = 4
    formation.playerX_0 = -1; formation.playerY_0 = -2
    formation.playerX_02 = 5.5; formation.playerY_2xyz = "6.5"
  )")) << f.lua().errMsg();
    EXPECT_EQ(f.ball, vec2d(7, -7));
    EXPECT_EQ(f.ballArea.origin, vec2d(1, 2));
    EXPECT_EQ(f.ballArea.size, vec2d(3, 4));
    EXPECT_EQ(f.players[0], vec2d(-1, -2));
    EXPECT_EQ(f.players[1], vec2d(20, 21));
    EXPECT_EQ(f.players[2], vec2d(5.5, 6.5));
    // The script saw the formation's own ball before changing it.
    EXPECT_EQ(eval("formation.ballX"), "7");
}

TEST_F(FormationScript, ReadOnlyAndUnknownKeysIgnored)
{
    formation_t before(f);
    ASSERT_TRUE(run(R"(
    formation.inputX = 100; formation.inputY = 100; formation.nbPlayers = 0
    formation.playerX_3 = 1; formation['playerY_-1'] = 1; formation.playerX_abc = 1
    formation.speed = 3; formation.script = 1
    assert(formation.inputX == 0.5 and formation.inputY == 0.5)
    assert(formation.nbPlayers == 3 and formation.speed == nil)
  )",
                    vec2d(0.5, 0.5)))
        << f.lua().errMsg();
    before.script = f.script;  // the file the run used
    EXPECT_TRUE(f == before);
    EXPECT_EQ(f.input(), vec2d(0.5, 0.5));
    EXPECT_EQ(f.players.size(), 3u);
}

TEST_F(FormationScript, NumericStringsAcceptedOthersEndTheRun)
{
    ASSERT_TRUE(run("formation.ballX = '2.5'"));
    EXPECT_EQ(f.ball.x, 2.5);

    struct Case {
        const char* script;
    } bad[] = {
        {"formation.ballY = 9; formation.ballX = 'abc'; formation.ballY = 10"},
        {"formation.ballY = 9; formation.ballX = {}"},
        {"formation.ballY = 9; formation.ballX = nil"},
        {"formation.ballY = 9; formation.ballX = true"},
        // A key too long for any short-string buffer: a leak checker sees it if
        // the failing check ever leaves a C++ string behind.
        {"formation.ballY = 9; formation.playerX_000000000000000000000000000000 = 'abc'"},
        {"formation.ballY = 9; formation[{}] = 1"},
        {"formation.ballY = 9; local v = formation[{}]"},
    };
    for (const Case& c : bad) {
        f.ball = vec2d(1.5, -2.5);
        EXPECT_FALSE(run(c.script)) << c.script;
        EXPECT_FALSE(f.lua().errMsg().empty()) << c.script;
        EXPECT_EQ(f.ball.x, 1.5) << c.script;
        EXPECT_EQ(f.ball.y, 9.0) << c.script;  // written before the error: kept
    }
}

TEST_F(FormationScript, AccessorsCheckTheirObject)
{
    // Calling an accessor on something else than the formation userdata is
    // a Lua error, caught by the run.
    EXPECT_FALSE(run("local mt = getmetatable(formation); mt.__index({}, 'ballX')"));
    EXPECT_NE(f.lua().errMsg().find("formation"), std::string::npos) << f.lua().errMsg();
    EXPECT_FALSE(run("local mt = getmetatable(formation); mt.__newindex(1, 'ballX', 2)"));
    // Called directly on the right object they work as through the dot.
    ASSERT_TRUE(run("local mt = getmetatable(formation); mt.__newindex(formation, 'ballX', 4)"));
    EXPECT_EQ(f.ball.x, 4.0);
}

TEST_F(FormationScript, FailedLoadsLeaveTheInput)
{
    ASSERT_TRUE(run("", vec2d(3, 4)));
    EXPECT_EQ(f.input(), vec2d(3, 4));

    f.script = tmp.file("missing.lua");
    EXPECT_FALSE(f.interpolate(vec2d(8, 8), ""));
    EXPECT_NE(f.lua().errMsg().find("missing.lua"), std::string::npos) << f.lua().errMsg();
    EXPECT_EQ(f.input(), vec2d(3, 4));

    EXPECT_FALSE(run("this is not lua", vec2d(9, 9)));
    EXPECT_FALSE(f.lua().errMsg().empty());
    EXPECT_EQ(f.input(), vec2d(3, 4));
}

TEST_F(FormationScript, RunTimeErrorsReported)
{
    EXPECT_FALSE(run("error('boom')"));
    EXPECT_NE(f.lua().errMsg().find("boom"), std::string::npos);
    EXPECT_FALSE(run("error(42, 0)"));  // a number, without position
    EXPECT_EQ(f.lua().errMsg(), "42");
    // Error values that are neither strings nor numbers.
    EXPECT_FALSE(run("error({})"));
    EXPECT_EQ(f.lua().errMsg(), "(non-string error)");
    EXPECT_FALSE(run("error(nil)"));
    EXPECT_EQ(f.lua().errMsg(), "(non-string error)");
    // The state is still usable afterwards.
    EXPECT_TRUE(run("formation.ballX = 1"));
    EXPECT_EQ(f.ball.x, 1.0);
}

TEST_F(FormationScript, PrefixJoinsTheScriptPath)
{
    tmp.write("rel.lua", "formation.ballX = 12");
    f.script = "rel.lua";
    ASSERT_TRUE(f.interpolate(vec2d(), tmp.dir())) << f.lua().errMsg();
    EXPECT_EQ(f.ball.x, 12.0);
    f.script = "rel.lua";
    EXPECT_FALSE(f.interpolate(vec2d(), tmp.dir() + "/nowhere"));
}

TEST_F(FormationScript, GlobalsPersistPerStateOnly)
{
    ASSERT_TRUE(run("counter = (counter or 0) + 1; formation.ballX = counter"));
    ASSERT_TRUE(run("counter = (counter or 0) + 1; formation.ballX = counter"));
    EXPECT_EQ(f.ball.x, 2.0);

    formation_t copy(f);
    tmp.write("count.lua", "counter = (counter or 0) + 1; formation.ballX = counter");
    copy.script = tmp.file("count.lua");
    ASSERT_TRUE(copy.interpolate(vec2d(), ""));
    EXPECT_EQ(copy.ball.x, 1.0);  // a fresh state: the original's global is not seen
    EXPECT_EQ(f.ball.x, 2.0);
}

TEST_F(FormationScript, StandardLibrariesOpen)
{
    ASSERT_TRUE(
        run("formation.ballX = math.floor(2.7) + #string.rep('a', 3) + #table.concat({'b'})"
            " + (os.time() > 0 and 1 or 0) + (io and 1 or 0) + (debug and 1 or 0)"));
    EXPECT_EQ(f.ball.x, 2.0 + 3 + 1 + 1 + 1 + 1);
}

TEST(LuaInterface, RunWithoutLoadRefused)
{
    formation_t f;
    qorvexlib::LuaI<formation_t> lua(&f, "formation", formation_t::luaReg);
    EXPECT_FALSE(lua.run());
    EXPECT_FALSE(lua.errMsg().empty());
    EXPECT_TRUE(lua.m_paths.empty());
}

TEST(LuaInterface, WithoutAStateEverythingIsRefused)
{
    // As when the Lua state could not be created (out of memory): loads and
    // runs fail with a message, the formation's input stays, nothing crashes.
    TempDir tmp;
    formation_t f;
    f.script = tmp.write("ok.lua", "formation.ballX = 1");
    f.m_input = vec2d(2, 3);
    lua_close(f.m_lua.m_lua);
    f.m_lua.m_lua = nullptr;

    EXPECT_FALSE(f.interpolate(vec2d(5, 5), ""));
    EXPECT_FALSE(f.lua().errMsg().empty());
    EXPECT_EQ(f.input(), vec2d(2, 3));
    EXPECT_EQ(f.ball.x, 0.0);
    EXPECT_FALSE(f.m_lua.run());

    // A copy made from it has a working state of its own.
    formation_t copy(f);
    ASSERT_TRUE(copy.interpolate(vec2d(5, 5), "")) << copy.lua().errMsg();
    EXPECT_EQ(copy.ball.x, 1.0);
}
