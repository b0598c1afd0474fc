#include "qorvexlib/formation.h"

#include "qorvexlib/lua_error.h"

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

std::string luaErrorText(lua_State* L)
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
    // Registered with the metatable as upvalue 1: the accessors check their
    // object against it without looking the name up in the registry at every
    // access (see formation_t::lua_get).
    lua_pushvalue(L, -1);
    luaI_openlib(L, nullptr, s->reg, 1);
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

const std::string& formation_t::luaName()
{
    static const std::string name("formation");
    return name;
}

namespace {

// Whether the key (k, len) is the literal, exactly.
template <size_t N>
bool isKey(const char* k, size_t len, const char (&literal)[N])
{
    return len == N - 1 && std::memcmp(k, literal, N - 1) == 0;
}

// Player index of a "playerX_<i>" / "playerY_<i>" key (k, NUL-terminated,
// len characters before it): <i> is read like a base-10 int (leading
// blanks, sign, digits; the rest ignored). -1 when the key is not such a
// key or the index is outside the list.
int playerIndex(const char* k, size_t len, const char (&prefix)[9], size_t nbPlayers)
{
    const size_t n = sizeof(prefix) - 1;
    if (len < n || std::memcmp(k, prefix, n) != 0) return -1;
    const char* rest = k + n;
    long i = 0;
    if (*rest >= '0' && *rest <= '9') {
        // Plain digits, as scripts write the keys: read here, as strtol would.
        for (const char* d = rest; *d >= '0' && *d <= '9'; ++d) {
            i = i * 10 + (*d - '0');
            if (i > INT_MAX) return -1;
        }
    } else {
        char* end = nullptr;
        errno = 0;
        i = std::strtol(rest, &end, 10);
        if (end == rest || errno == ERANGE || i < 0 || i > INT_MAX) return -1;
    }
    if (static_cast<size_t>(i) >= nbPlayers) return -1;
    return static_cast<int>(i);
}

// The writable field of f named by the key, null for any other key. The
// accessors run it at every access of a script: it allocates nothing and
// tells most keys apart by their length.
double* field(formation_t& f, const char* k, size_t len)
{
    if (isKey(k, len, "ballX")) return &f.ball.x;
    if (isKey(k, len, "ballY")) return &f.ball.y;
    if (isKey(k, len, "ballAreaX")) return &f.ballArea.origin.x;
    if (isKey(k, len, "ballAreaY")) return &f.ballArea.origin.y;
    if (isKey(k, len, "ballAreaL")) return &f.ballArea.size.x;
    if (isKey(k, len, "ballAreaW")) return &f.ballArea.size.y;
    int i = playerIndex(k, len, "playerX_", f.players.size());
    if (i >= 0) return &f.players[static_cast<size_t>(i)].x;
    i = playerIndex(k, len, "playerY_", f.players.size());
    if (i >= 0) return &f.players[static_cast<size_t>(i)].y;
    return nullptr;
}

enum ValueKind { NO_VALUE, NUMBER_VALUE, INTEGER_VALUE };

// The read side of the accessors. The Lua calls that may raise errors stay
// in the accessors; this allocates nothing and cannot throw.
ValueKind readKey(formation_t& f, const char* k, size_t len, double& value) noexcept
{
    if (isKey(k, len, "inputX")) {
        value = f.m_input.x;
        return NUMBER_VALUE;
    }
    if (isKey(k, len, "inputY")) {
        value = f.m_input.y;
        return NUMBER_VALUE;
    }
    if (isKey(k, len, "nbPlayers")) {
        value = static_cast<double>(f.players.size());
        return INTEGER_VALUE;
    }
    const double* p = field(f, k, len);
    if (!p) return NO_VALUE;
    value = *p;
    return NUMBER_VALUE;
}

// Unknown and read-only keys are ignored.
void writeKey(formation_t& f, const char* k, size_t len, double value) noexcept
{
    if (double* p = field(f, k, len)) *p = value;
}

}  // namespace

const luaL_Reg formation_t::luaReg[3] = {
    {"__index", &formation_t::lua_get},
    {"__newindex", &formation_t::lua_set},
    {nullptr, nullptr},
};

std::string scriptFile(const std::string& prefix, const std::string& script)
{
    return prefix.empty() ? script : (boost::filesystem::path(prefix) / script).string();
}

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
    if (!m_lua.load(scriptFile(prefix, script))) return false;
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
    if (double* p = field(f, key.c_str(), key.size())) return *p;
    throw -1;
}

namespace {

// The object of an accessor's argument 1. A userdata whose metatable is
// the accessor's upvalue 1 (the binding's metatable) is taken as it is;
// anything else goes through the full check, with its error.
formation_t* boundObject(lua_State* L)
{
    void* ud = lua_touserdata(L, 1);
    if (ud && lua_getmetatable(L, 1)) {
        const bool bound = lua_rawequal(L, -1, lua_upvalueindex(1));
        lua_pop(L, 1);
        if (bound) return *static_cast<formation_t**>(ud);
    }
    return LuaI<formation_t>::getUserData(L, formation_t::luaName());
}

}  // namespace

// The argument checks below may leave by a Lua error (a long jump): these
// frames hold no C++ object, and the keys are looked up by readKey and
// writeKey, which have returned before anything can raise.
int formation_t::lua_get(lua_State* L)
{
    formation_t* f = boundObject(L);
    size_t len = 0;
    const char* key = luaL_checklstring(L, 2, &len);
    if (!f) return 0;  // unbound
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
    formation_t* f = boundObject(L);
    size_t len = 0;
    const char* key = luaL_checklstring(L, 2, &len);
    const double value = luaL_checknumber(L, 3);
    if (f) writeKey(*f, key, len, value);
    return 0;
}

}  // namespace qorvexlib
