// The strategy's compiled formation scripts: a query through the cache gives
// exactly what a new formation object compiling the file gives, whatever
// the script keeps in its globals; a script edited, replaced or removed
// takes effect at the next query; failures leave nothing behind.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "qorvexlib/Strategy.h"
#include "qorvexlib/temp_dir.h"

using qorvexlib::formation_t;
using qorvexlib::Side;
using qorvexlib::Strategy;
using qorvexlib::vec2d;

namespace {

// What one query gives.
struct Answer {
    bool ok = false;
    formation_t f;
    std::string err;
};

// The query as it was made before scripts were cached: a new formation
// object, which opens a state and compiles the file.
Answer compiledEveryTime(const Strategy& s, const vec2d& ball, Side side)
{
    Answer a;
    vec2d b = ball;
    if (side == qorvexlib::RED) b = vec2d(-ball.x, -ball.y);
    if (!s.fetchFormation(b, a.f)) return a;
    a.ok = a.f.interpolate(b, s.prefix());
    if (a.ok && side == qorvexlib::RED) a.f.revert();
    if (a.ok) a.f.sort();
    a.err = a.f.lua().errMsg();
    return a;
}

// The query through the strategy, into one formation object kept from
// query to query (as the assist state keeps it).
Answer cached(const Strategy& s, const vec2d& ball, Side side, formation_t& kept)
{
    Answer a;
    kept.m_lua.m_errMsg.clear();
    a.ok = s.interpolate(ball, side, kept);
    if (a.ok) kept.sort();
    a.f = kept;
    a.f.m_input = kept.m_input;
    a.err = kept.lua().errMsg();
    return a;
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool sameBits(const vec2d& a, const vec2d& b) { return sameBits(a.x, b.x) && sameBits(a.y, b.y); }

// Equal to the last bit; the places only where the query succeeded (a
// failed one leaves the kept object as it left it).
void expectSame(const Answer& old, const Answer& now, const std::string& what)
{
    ASSERT_EQ(old.ok, now.ok) << what << ": " << old.err << " | " << now.err;
    if (!old.ok) {
        EXPECT_EQ(old.err, now.err) << what;
        return;
    }
    EXPECT_TRUE(sameBits(old.f.ball, now.f.ball)) << what;
    EXPECT_TRUE(sameBits(old.f.ballArea.origin, now.f.ballArea.origin)) << what;
    EXPECT_TRUE(sameBits(old.f.ballArea.size, now.f.ballArea.size)) << what;
    EXPECT_TRUE(sameBits(old.f.m_input, now.f.m_input)) << what;
    ASSERT_EQ(old.f.players.size(), now.f.players.size()) << what;
    for (size_t i = 0; i < old.f.players.size(); ++i)
        EXPECT_TRUE(sameBits(old.f.players[i], now.f.players[i]))
            << what << " place " << i << ": " << old.f.players[i].x << " " << old.f.players[i].y
            << " against " << now.f.players[i].x << " " << now.f.players[i].y;
}

std::string describe(const vec2d& b, Side side)
{
    return "ball (" + std::to_string(b.x) + ", " + std::to_string(b.y) + ") side " + std::to_string(side);
}

const Side kSides[] = {qorvexlib::NONE, qorvexlib::BLUE, qorvexlib::RED};

// A strategy of one formation over the whole plane with the given script
// ("s.lua"), in a folder of its own.
struct OneFormation {
    TempDir tmp;
    Strategy s;
    bool loaded;

    OneFormation(const std::string& script, double settle)
    {
        s.m_scripts.settle_time = settle;
        tmp.write("s.lua", script);
        loaded = s.load(tmp.write("s.xml", R"(<strategy><formation script="s.lua">
          <ball x="1" y="2"/><ballArea x="-100" y="-100" l="200" w="200"/>
          <players><player x="3" y="4"/><player x="-5" y="6"/><player x="7" y="-8"/></players>
          </formation></strategy>)"));
    }
    std::string script() const { return tmp.file("s.lua"); }
};

// Writes text into path in place (same file), as an editor that rewrites
// the file does.
void rewrite(const std::string& path, const std::string& text)
{
    FILE* f = fopen(path.c_str(), "r+");
    ASSERT_NE(f, nullptr) << path;
    ASSERT_EQ(fwrite(text.data(), 1, text.size(), f), text.size());
    ASSERT_EQ(ftruncate(fileno(f), static_cast<off_t>(text.size())), 0);
    fclose(f);
}

// Replaces path by a new file renamed onto it, as a tool that writes safely
// does.
void replaceByRename(const std::string& path, const std::string& text)
{
    const std::string tmp = path + ".new";
    std::ofstream(tmp) << text;
    ASSERT_EQ(rename(tmp.c_str(), path.c_str()), 0);
}

double firstPlaceX(const Strategy& s, formation_t& out)
{
    if (!s.interpolate(vec2d(0.5, 0.5), qorvexlib::BLUE, out)) return -1.0;
    return out.players[0].x;
}

}  // namespace

TEST(ScriptCache, ShippedPlayStrategyGivesThePlacesOfACompileEveryTime)
{
    Strategy s;
    ASSERT_TRUE(s.load("strategies/marvessa/common.xml"));
    formation_t kept;
    int queries = 0;
    // The whole field and 2 m around it, every 0.5 m (and off the grid's
    // points), for either side and none.
    for (double x = -17.0; x <= 17.0 + 1e-9; x += 0.5)
        for (double y = -12.0; y <= 12.0 + 1e-9; y += 0.5)
            for (const vec2d& b : {vec2d(x, y), vec2d(x + 0.123, y - 0.377)})
                for (Side side : kSides) {
                    expectSame(compiledEveryTime(s, b, side), cached(s, b, side, kept), describe(b, side));
                    ++queries;
                }
    EXPECT_GT(queries, 10000);
}

TEST(ScriptCache, WhatAScriptKeepsInItsGlobalsDoesNotReachTheNextQuery)
{
    // Each script writes what it found into place 0 (x) and, where it
    // matters, place 1; a new state finds nothing of a run before.
    struct Case {
        const char* what;
        const char* script;
    } cases[] = {
        {"a global counter", "n = (n or 0) + 1; formation.playerX_0 = n"},
        {"through _G", "_G.m = (_G.m or 0) + 1; formation.playerX_0 = m"},
        {"rawset on _G", "rawset(_G, 'r', (rawget(_G, 'r') or 0) + 1); formation.playerX_0 = r"},
        {"a global function", "if f then formation.playerX_0 = f() end; function f() return 7 end"},
        {"loadstring", "loadstring('k = (k or 0) + 1')(); formation.playerX_0 = k"},
        {"the binding's global replaced", "formation.playerX_0 = (seen or 0) + 1; seen = 1; formation = nil"},
        {"the chunk's environment replaced",
         "local f = formation; local e = getfenv(1); f.playerX_0 = e.x or 0;"
         " setfenv(1, {x = 5, formation = f})"},
        {"the standard globals counted",
         "local c = 0; for _ in pairs(_G) do c = c + 1 end; formation.playerX_0 = c; extra = 1"},
        {"strict mode",
         "setmetatable(_G, {__index = function(_, k) error('undeclared ' .. k, 2) end});"
         " formation.playerX_0 = math.floor(formation.inputX)"},
        {"a coroutine's globals",
         "local co = coroutine.create(function() g = (g or 0) + 1 end); coroutine.resume(co);"
         " formation.playerX_0 = g"},
        {"the binding's metatable changed",
         "formation.playerX_0 = formation.playerX_0 + 1; getmetatable(formation).__newindex = nil"},
        {"the binding's metatable grown",
         "formation.playerX_0 = formation.playerX_0 + 1; getmetatable(formation).extra = 1"},
        {"the binding's metatable given a metatable",
         "formation.playerX_0 = formation.playerX_0 + 1; setmetatable(getmetatable(formation), {})"},
        {"the binding's global removed from the state's own globals",
         "formation.playerX_0 = formation.playerX_0 + 1; package.loaded._G.formation = nil"},
        {"a finalizer acting after its run",
         "collectgarbage(); formation.playerX_1 = formation.playerX_0;"
         " getmetatable(newproxy(true)).__gc = function() formation.playerX_0 = 99 end"},
        {"an error for some balls",
         "formation.playerX_0 = 9; if formation.inputX > 0 then error('right half') end"},
        {"a written string that is no number", "if formation.inputY > 0 then formation.ballX = 'abc' end"},
        {"a syntax error", "formation.playerX_0 = = 1"},
    };
    const vec2d balls[] = {vec2d(-3, -2), vec2d(3, 2),   vec2d(-1, 4),
                           vec2d(5, -5),  vec2d(-3, -2), vec2d(3, 2)};
    for (const Case& c : cases) {
        // The stamps alone decide: compiled once.
        OneFormation one(c.script, 0);
        ASSERT_TRUE(one.loaded) << c.what;
        const Strategy& s = one.s;
        formation_t kept;
        for (const vec2d& b : balls)
            for (Side side : kSides)
                expectSame(compiledEveryTime(s, b, side), cached(s, b, side, kept),
                           std::string(c.what) + ", " + describe(b, side));
    }
}

TEST(ScriptCache, CompiledOnceWhileTheFileStaysAsItWas)
{
    OneFormation one("formation.playerX_0 = formation.inputX", 0);
    ASSERT_TRUE(one.loaded);
    const Strategy& s = one.s;
    formation_t out;
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(s.interpolate(vec2d(i, 0), qorvexlib::BLUE, out));
    EXPECT_EQ(out.players[0].x, 19.0);
    EXPECT_EQ(s.m_scripts.compiles(), 1);

    // A copy of the strategy compiles its own.
    Strategy copy(s);
    EXPECT_EQ(copy.m_scripts.compiles(), 0);
    ASSERT_TRUE(copy.interpolate(vec2d(2, 0), qorvexlib::BLUE, out));
    EXPECT_EQ(copy.m_scripts.compiles(), 1);
    EXPECT_EQ(s.m_scripts.compiles(), 1);
}

TEST(ScriptCache, AFileIsKeptOnceItsTimesHaveSettled)
{
    // Timestamps are coarse: an edit within the same tick as the compile
    // would keep the stamp. Until the file's times are settle_time old the
    // script is compiled again at each query; then once more, and kept
    // until its stamp changes.
    OneFormation one("formation.playerX_0 = 1", 0.2);
    ASSERT_TRUE(one.loaded);
    const Strategy& s = one.s;
    formation_t out;
    ASSERT_TRUE(s.interpolate(vec2d(), qorvexlib::BLUE, out));
    ASSERT_TRUE(s.interpolate(vec2d(), qorvexlib::BLUE, out));
    EXPECT_EQ(s.m_scripts.compiles(), 2);

    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(s.interpolate(vec2d(), qorvexlib::BLUE, out));
    EXPECT_EQ(s.m_scripts.compiles(), 3);

    // Rewritten to the same size with its old modification time put back
    // (as cp -p or touch -r do): the status-change time tells.
    const std::string script = one.script();
    struct stat before;
    ASSERT_EQ(stat(script.c_str(), &before), 0);
    rewrite(script, "formation.playerX_0 = 2");
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, script.c_str(), times, 0), 0);
    ASSERT_EQ(firstPlaceX(s, out), 2.0);
}

TEST(ScriptCache, AnEditedScriptTakesEffectAtTheNextQuery)
{
    struct Step {
        const char* what;
        void (*change)(const std::string& path);
        double settle;    // s
        double expected;  // place 0 after the change; -1: the query fails
    } steps[] = {
        // Right after the compile: the same size, most likely the same
        // timestamp tick.
        {"rewritten at once, same size", [](const std::string& p) { rewrite(p, "formation.playerX_0 = 2"); },
         2.0, 2},
        {"replaced by rename at once",
         [](const std::string& p) { replaceByRename(p, "formation.playerX_0 = 3"); }, 2.0, 3},
        // With the stamps alone deciding.
        {"rewritten, another size", [](const std::string& p) { rewrite(p, "formation.playerX_0 = 44"); }, 0,
         44},
        {"replaced by rename", [](const std::string& p) { replaceByRename(p, "formation.playerX_0 = 5"); }, 0,
         5},
        {"removed", [](const std::string& p) { ASSERT_EQ(unlink(p.c_str()), 0); }, 0, -1},
        {"written again", [](const std::string& p) { std::ofstream(p) << "formation.playerX_0 = 6"; }, 0, 6},
        {"broken", [](const std::string& p) { rewrite(p, "formation.playerX_0 = = 7"); }, 0, -1},
        {"mended", [](const std::string& p) { rewrite(p, "formation.playerX_0 = 8"); }, 0, 8},
    };
    OneFormation one("formation.playerX_0 = 1", 2.0);
    ASSERT_TRUE(one.loaded);
    Strategy& s = one.s;
    const std::string script = one.script();
    formation_t out;
    ASSERT_EQ(firstPlaceX(s, out), 1.0);
    for (const Step& step : steps) {
        s.m_scripts.settle_time = step.settle;
        // Compiled and, with settle 0, kept.
        firstPlaceX(s, out);
        step.change(script);
        EXPECT_EQ(firstPlaceX(s, out), step.expected) << step.what;
        if (step.expected < 0) {
            formation_t fresh;
            fresh.script = "s.lua";
            EXPECT_FALSE(fresh.interpolate(vec2d(0.5, 0.5), s.prefix()));
            EXPECT_EQ(out.lua().errMsg(), fresh.lua().errMsg()) << step.what;
        }
        EXPECT_EQ(firstPlaceX(s, out), step.expected) << step.what << ", asked again";
    }
}

TEST(ScriptCache, AFailureIsReportedOnTheFormationAndLeavesNoState)
{
    OneFormation one("formation.playerX_0 = 2; if formation.inputX > 0 then error('boom') end", 0);
    ASSERT_TRUE(one.loaded);
    const Strategy& s = one.s;
    formation_t out;
    out.m_input = vec2d(7, 7);
    EXPECT_FALSE(s.interpolate(vec2d(1, 0), qorvexlib::BLUE, out));
    EXPECT_NE(out.lua().errMsg().find("boom"), std::string::npos) << out.lua().errMsg();
    // Written before the error: kept, with the input of the run.
    EXPECT_EQ(out.players[0].x, 2.0);
    EXPECT_EQ(out.input(), vec2d(1, 0));
    // The failed run's state is gone: the next query compiles again.
    const int before = s.m_scripts.compiles();
    ASSERT_TRUE(s.interpolate(vec2d(-1, 0), qorvexlib::BLUE, out)) << out.lua().errMsg();
    EXPECT_EQ(s.m_scripts.compiles(), before + 1);
    ASSERT_TRUE(s.interpolate(vec2d(-2, 0), qorvexlib::BLUE, out));
    EXPECT_EQ(s.m_scripts.compiles(), before + 1);
}

TEST(ScriptCache, OnlyScriptsThatCannotReachTheirGlobalsRunInTheStatesOwn)
{
    struct Case {
        const char* script;
        bool own;
    } cases[] = {
        {"", true},
        {"formation.playerX_0 = math.max(formation.inputX, 0)", true},
        {"local t = {1, 2}; for i, v in ipairs(t) do formation.ballX = v + i end", true},
        {"local function f(x) return function() return x * 2 end end; formation.ballX = f(3)()", true},
        {"local s = string.format('%d', 3); formation.ballX = tonumber(s)", true},
        {"x = 1", false},
        {"local function f() y = 2 end", false},  // in a nested function
        {"local function f() return function() return _G end end", false},
        {"formation.ballX = rawget(math, 'pi')", false},
        {"setfenv(1, {})", false},
        {"getfenv(1).x = 1", false},
        {"loadstring('x = 1')()", false},
        {"setmetatable(math, {})", false},
        {"require('os')", false},
        {"package.loaded.x = 1", false},
        {"debug.getregistry()", false},
        {"coroutine.wrap(function() end)()", false},
        {"formation.ballX = undefined_name or 1", false},
    };
    for (const Case& c : cases) {
        OneFormation one(c.script, 0);
        ASSERT_TRUE(one.loaded);
        formation_t out;
        one.s.interpolate(vec2d(), qorvexlib::BLUE, out);
        EXPECT_EQ(one.s.m_scripts.runsInOwnGlobals(one.s.prefix(), "s.lua"), c.own) << c.script;
    }

    // The shipped play script is one of those.
    Strategy play;
    ASSERT_TRUE(play.load("strategies/marvessa/common.xml"));
    formation_t out;
    ASSERT_TRUE(play.interpolate(vec2d(), qorvexlib::BLUE, out));
    EXPECT_TRUE(play.m_scripts.runsInOwnGlobals(play.prefix(), "play.lua"));
}
