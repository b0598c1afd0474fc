#include "qorvexlib/formation.h"

#include <lua.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include <boost/filesystem/path.hpp>

namespace qorvexlib {

// Lua error values need not be strings; this never hands a null pointer to
// std::string.
static std::string luaErrorText(lua_State* L)
{
    const char* s = lua_tostring(L, -1);
    return s ? std::string(s) : std::string("(non-string error)");
}

template <typename T>
LuaI<T>::LuaI(T* p, const std::string& name, const luaL_Reg* reg)
    : m_lua(luaL_newstate()), m_p(p), m_name(name)
{
    if (!m_lua) {
        m_errMsg = "cannot create a Lua state (out of memory)";
        fprintf(stderr, "LuaI %s: %s\n", m_name.c_str(), m_errMsg.c_str());
        return;
    }
    // Set up in protected mode, so that a failure cannot end the process from
    // Lua's panic handler.
    Setup s = {p, m_name.c_str(), reg};
    if (lua_cpcall(m_lua, &LuaI<T>::setup, &s) != 0) {
        takeError();
        fprintf(stderr, "LuaI %s: %s\n", m_name.c_str(), m_errMsg.c_str());
        lua_close(m_lua);
        m_lua = nullptr;
    }
}

template <typename T>
int LuaI<T>::setup(lua_State* L)
{
    const Setup* s = static_cast<const Setup*>(lua_touserdata(L, 1));
    luaL_openlibs(L);
    T** ud = static_cast<T**>(lua_newuserdata(L, sizeof(T*)));
    *ud = s->p;
    luaL_newmetatable(L, s->name);
    luaL_register(L, nullptr, s->reg);
    lua_setmetatable(L, -2);
    lua_setglobal(L, s->name);
    return 0;
}

template <typename T>
LuaI<T>::~LuaI()
{
    if (m_lua) lua_close(m_lua);
}

template <typename T>
void LuaI<T>::takeError()
{
    m_errMsg = luaErrorText(m_lua);
    lua_pop(m_lua, 1);
}

template <typename T>
bool LuaI<T>::load(const std::string& file)
{
    if (!m_lua) {
        m_errMsg = "no Lua state";
        return false;
    }
    if (luaL_loadfile(m_lua, file.c_str()) != 0) {
        takeError();
        return false;
    }
    return true;
}

template <typename T>
bool LuaI<T>::run()
{
    if (!m_lua) {
        m_errMsg = "no Lua state";
        return false;
    }
    // Calling an empty stack would read below the stack base.
    if (lua_gettop(m_lua) < 1 || !lua_isfunction(m_lua, -1)) {
        m_errMsg = "no chunk loaded";
        return false;
    }
    if (lua_pcall(m_lua, 0, 0, 0) != 0) {
        takeError();
        return false;
    }
    return true;
}

template <typename T>
T* LuaI<T>::getUserData(lua_State* L, const std::string& name)
{
    void* ud = luaL_checkudata(L, 1, name.c_str());
    return *static_cast<T**>(ud);
}

template class LuaI<formation_t>;

namespace {

const std::string& luaName()
{
    static const std::string name("formation");
    return name;
}

// Player index of a "playerX_<i>" / "playerY_<i>" key: <i> is read like a
// base-10 int (leading blanks, sign, digits; the rest ignored). -1 when the
// key is not such a key or the index is outside the list.
int playerIndex(const std::string& key, const char* prefix, size_t nbPlayers)
{
    const size_t n = std::strlen(prefix);
    if (key.compare(0, n, prefix) != 0) return -1;
    const char* rest = key.c_str() + n;
    char* end = nullptr;
    errno = 0;
    const long i = std::strtol(rest, &end, 10);
    if (end == rest || errno == ERANGE || i < 0 || i > INT_MAX) return -1;
    if (static_cast<size_t>(i) >= nbPlayers) return -1;
    return static_cast<int>(i);
}

enum ValueKind { NO_VALUE, NUMBER_VALUE, INTEGER_VALUE };

// The read side of the accessors, with every C++ object confined here: the
// Lua calls that may raise errors stay in the accessors, whose frames hold
// plain values only.
ValueKind readKey(formation_t& f, const char* k, size_t len, double& value) noexcept
{
    try {
        const std::string key(k, len);
        if (key == "inputX") {
            value = f.m_input.x;
            return NUMBER_VALUE;
        }
        if (key == "inputY") {
            value = f.m_input.y;
            return NUMBER_VALUE;
        }
        if (key == "nbPlayers") {
            value = static_cast<double>(f.players.size());
            return INTEGER_VALUE;
        }
        value = formation_t::getRef(f, key);
        return NUMBER_VALUE;
    } catch (...) {
        return NO_VALUE;
    }
}

void writeKey(formation_t& f, const char* k, size_t len, double value) noexcept
{
    try {
        formation_t::getRef(f, std::string(k, len)) = value;
    } catch (...) {
        // unknown and read-only keys are ignored
    }
}

}  // namespace

const luaL_Reg formation_t::luaReg[3] = {
    {"__index", &formation_t::lua_get},
    {"__newindex", &formation_t::lua_set},
    {nullptr, nullptr},
};

formation_t::formation_t() : m_lua(this, luaName(), luaReg) {}

formation_t::formation_t(const formation_t& o)
    : ball(o.ball), ballArea(o.ballArea), players(o.players), script(o.script), m_lua(this, luaName(), luaReg)
{
}

formation_t& formation_t::operator=(const formation_t& o)
{
    if (this != &o) {
        ball = o.ball;
        ballArea = o.ballArea;
        players = o.players;
        script = o.script;
    }
    return *this;
}

formation_t::~formation_t() {}

bool formation_t::interpolate(const vec2d& b, const std::string& prefix)
{
    const std::string file = prefix.empty() ? script : (boost::filesystem::path(prefix) / script).string();
    if (!m_lua.load(file)) return false;
    m_input = b;
    return m_lua.run();
}

void formation_t::sort()
{
    const vec2d in = m_input;
    std::sort(players.begin(), players.end(),
              [&in](const vec2d& a, const vec2d& b) { return distance(a, in) < distance(b, in); });
}

void formation_t::sortWith(vec2d& ref, double heading)
{
    const vec2d r = ref;
    auto cost = [&r, heading](const vec2d& p) {
        double beta = std::atan2(p.y - r.y, p.x - r.x) - heading;
        while (beta > M_PI) beta -= 2.0 * M_PI;
        while (beta < -M_PI) beta += 2.0 * M_PI;
        return distance(p, r) + 2.0 * std::fabs(beta);
    };
    std::sort(players.begin(), players.end(),
              [&cost](const vec2d& a, const vec2d& b) { return cost(a) < cost(b); });
}

void formation_t::revert()
{
    ball.x = -ball.x;
    ball.y = -ball.y;
    ballArea.origin.x = -ballArea.origin.x - ballArea.size.x;
    ballArea.origin.y = -ballArea.origin.y - ballArea.size.y;
    m_input.x = -m_input.x;
    m_input.y = -m_input.y;
    for (vec2d& p : players) {
        p.x = -p.x;
        p.y = -p.y;
    }
}

bool formation_t::playerPos(int i, vec2d& out) const
{
    if (i < 0 || static_cast<size_t>(i) >= players.size()) return false;
    out = players[static_cast<size_t>(i)];
    return true;
}

bool formation_t::operator==(const formation_t& o) const
{
    if (ball != o.ball || ballArea.origin != o.ballArea.origin || ballArea.size != o.ballArea.size ||
        players.size() != o.players.size() || script != o.script)
        return false;
    for (size_t i = 0; i < players.size(); ++i)
        if (players[i] != o.players[i]) return false;
    return true;
}

double& formation_t::getRef(formation_t& f, const std::string& key)
{
    if (key == "ballX") return f.ball.x;
    if (key == "ballY") return f.ball.y;
    if (key == "ballAreaX") return f.ballArea.origin.x;
    if (key == "ballAreaY") return f.ballArea.origin.y;
    if (key == "ballAreaL") return f.ballArea.size.x;
    if (key == "ballAreaW") return f.ballArea.size.y;
    int i = playerIndex(key, "playerX_", f.players.size());
    if (i >= 0) return f.players[static_cast<size_t>(i)].x;
    i = playerIndex(key, "playerY_", f.players.size());
    if (i >= 0) return f.players[static_cast<size_t>(i)].y;
    throw -1;
}

// The argument checks below may leave by a Lua error (a long jump): these
// frames hold no C++ object, and the work on strings is done in readKey and
// writeKey, which have returned before anything can raise.
int formation_t::lua_get(lua_State* L)
{
    formation_t* f = LuaI<formation_t>::getUserData(L, luaName());
    size_t len = 0;
    const char* key = luaL_checklstring(L, 2, &len);
    double value = 0.0;
    switch (readKey(*f, key, len, value)) {
        case NUMBER_VALUE:
            lua_pushnumber(L, value);
            return 1;
        case INTEGER_VALUE:
            lua_pushinteger(L, static_cast<lua_Integer>(value));
            return 1;
        case NO_VALUE:
            break;
    }
    return 0;
}

int formation_t::lua_set(lua_State* L)
{
    formation_t* f = LuaI<formation_t>::getUserData(L, luaName());
    size_t len = 0;
    const char* key = luaL_checklstring(L, 2, &len);
    const double value = luaL_checknumber(L, 3);
    writeKey(*f, key, len, value);
    return 0;
}

}  // namespace qorvexlib
