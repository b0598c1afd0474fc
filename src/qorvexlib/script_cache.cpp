#include "qorvexlib/script_cache.h"

#include <sys/stat.h>
#include <time.h>

#include <lua.hpp>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "qorvexlib/formation.h"
#include "qorvexlib/lua_error.h"

namespace qorvexlib {

namespace {

long long nanoseconds(const timespec& t)
{
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// One version of a file on disk.
struct file_stamp_t {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    long long mtime = 0;  // ns
    long long ctime = 0;  // ns

    bool operator==(const file_stamp_t& o) const
    {
        return dev == o.dev && ino == o.ino && size == o.size && mtime == o.mtime && ctime == o.ctime;
    }
};

bool stampOf(const std::string& file, file_stamp_t& s)
{
    struct stat st;
    if (::stat(file.c_str(), &st) != 0) return false;
    s.dev = st.st_dev;
    s.ino = st.st_ino;
    s.size = st.st_size;
    s.mtime = nanoseconds(st.st_mtim);
    s.ctime = nanoseconds(st.st_ctim);
    return true;
}

// Runs the chunk (upvalue 1) with a new table of globals: a copy of those
// of the opened state (upvalue 2: keys and values in turn, upvalue 3 of
// them), with `_G` bound to the copy, made the thread's globals too, so
// that code the script loads or creates while it runs sees the same.
// Called protected; the caller puts the state's own globals back.
int runWithFreshGlobals(lua_State* L)
{
    const int n = static_cast<int>(lua_tointeger(L, lua_upvalueindex(3)));
    lua_createtable(L, 0, n / 2 + 1);
    for (int i = 1; i < n; i += 2) {
        lua_rawgeti(L, lua_upvalueindex(2), i);
        lua_rawgeti(L, lua_upvalueindex(2), i + 1);
        lua_rawset(L, -3);
    }
    lua_pushvalue(L, -1);
    lua_setfield(L, -2, "_G");
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_pushvalue(L, -2);
    lua_setfenv(L, -2);
    lua_pushvalue(L, -2);
    lua_replace(L, LUA_GLOBALSINDEX);
    lua_call(L, 0, 0);
    return 0;
}

// ---- Scripts that cannot reach their globals ----
//
// A chunk that assigns no global and reads only globals that cannot reach
// the table of globals (below) leaves that table as it found it: it can run
// in the state's own globals, which then stay those of a new state, and is
// spared the copy. Which globals a chunk reads and assigns is in its
// compiled code, read here from the dump of Lua 5.1 (lua_dump): anything
// that is not read as expected counts as reaching its globals.

// Globals whose values in a new state give no way to the table of globals
// (no _G, getfenv, setfenv, rawset, loadstring, require, package, debug,
// setmetatable, coroutine, ...). The library tables among them are shared
// by the runs either way.
bool harmlessGlobal(const std::string& name)
{
    static const char* const names[] = {"formation", "math",   "string", "table",    "ipairs",   "pairs",
                                        "next",      "select", "type",   "tonumber", "tostring", "unpack",
                                        "assert",    "error",  "print",  "_VERSION"};
    for (const char* n : names)
        if (name == n) return true;
    return false;
}

// Reads a Lua 5.1 dump of this platform: header, then the main function
// with its nested functions.
class dump_reader_t {
public:
    explicit dump_reader_t(const std::string& d) : m_p(d.data()), m_end(d.data() + d.size()) {}

    bool header()
    {
        const unsigned short probe = 1;
        const char little = *reinterpret_cast<const char*>(&probe);
        const char expected[12] = {
            '\x1b', 'L', 'u', 'a', 0x51, 0, little, sizeof(int), sizeof(size_t), 4, sizeof(lua_Number), 0};
        return take(sizeof expected) && std::memcmp(m_p - sizeof expected, expected, sizeof expected) == 0;
    }

    // Whether the function and all functions in it assign no global and read
    // only harmless ones.
    bool harmlessFunction(int depth = 0)
    {
        if (depth > LUAI_MAXCCALLS) return false;
        std::string ignored;
        unsigned char sizes[4];
        if (!text(ignored) || !skip(2 * sizeof(int)) || !bytes(sizes, 4)) return false;
        std::vector<uint32_t> code;
        int n = 0;
        if (!count(n)) return false;
        code.resize(static_cast<size_t>(n));
        for (uint32_t& i : code)
            if (!bytes(&i, sizeof i)) return false;
        std::vector<std::string> constants;  // "" for those that are not strings
        if (!count(n)) return false;
        constants.resize(static_cast<size_t>(n));
        for (std::string& k : constants) {
            unsigned char type = 0;
            if (!bytes(&type, 1)) return false;
            if (type == LUA_TSTRING) {
                if (!text(k)) return false;
            } else if (type == LUA_TBOOLEAN) {
                if (!skip(1)) return false;
            } else if (type == LUA_TNUMBER) {
                if (!skip(sizeof(lua_Number))) return false;
            } else if (type != LUA_TNIL) {
                return false;
            }
        }
        // Opcodes of Lua 5.1: 5 GETGLOBAL, 7 SETGLOBAL (A, Bx: the name's
        // constant).
        for (uint32_t i : code) {
            const uint32_t op = i & 0x3f, bx = i >> 14;
            if (op == 7) return false;
            if (op == 5 && (bx >= constants.size() || !harmlessGlobal(constants[bx]))) return false;
        }
        if (!count(n)) return false;
        for (int f = 0; f < n; ++f)
            if (!harmlessFunction(depth + 1)) return false;
        // Debug information: line numbers, locals, upvalue names.
        if (!count(n) || !skip(static_cast<size_t>(n) * sizeof(int)) || !count(n)) return false;
        for (int v = 0; v < n; ++v)
            if (!text(ignored) || !skip(2 * sizeof(int))) return false;
        if (!count(n)) return false;
        for (int u = 0; u < n; ++u)
            if (!text(ignored)) return false;
        return true;
    }

    bool atEnd() const { return m_p == m_end; }

private:
    bool take(size_t n)
    {
        if (static_cast<size_t>(m_end - m_p) < n) return false;
        m_p += n;
        return true;
    }
    bool skip(size_t n) { return take(n); }
    bool bytes(void* out, size_t n)
    {
        if (!take(n)) return false;
        std::memcpy(out, m_p - n, n);
        return true;
    }
    bool count(int& n) { return bytes(&n, sizeof n) && n >= 0; }
    bool text(std::string& out)
    {
        size_t n = 0;
        if (!bytes(&n, sizeof n) || !take(n)) return false;
        out.assign(m_p - n, n > 0 ? n - 1 : 0);  // the dump keeps the final NUL
        return true;
    }

    const char* m_p;
    const char* m_end;
};

int appendToString(lua_State*, const void* p, size_t n, void* out) noexcept
{
    try {
        static_cast<std::string*>(out)->append(static_cast<const char*>(p), n);
        return 0;
    } catch (...) {
        return 1;
    }
}

// Whether the function on top of the stack cannot reach its globals.
bool keepsItsGlobals(lua_State* L) noexcept
{
    try {
        std::string dump;
        if (lua_dump(L, &appendToString, &dump) != 0) return false;
        dump_reader_t r(dump);
        return r.header() && r.harmlessFunction() && r.atEnd();
    } catch (...) {
        return false;
    }
}

struct compile_args {
    const char* file;
    const char* name;    // of the binding's global
    int runner;          // out: registry reference
    bool own_globals;    // out: the runner is the chunk itself
    formation_t** slot;  // out: the binding's object pointer, in its userdata
};

// Compiles the file (a Lua error with the loader's message if it cannot)
// and keeps it, referenced from the registry: as it is if it cannot reach
// its globals, else in a runWithFreshGlobals closure with the state's
// globals as they are now. Called protected, on a new state.
int compileRunner(lua_State* L)
{
    compile_args* a = static_cast<compile_args*>(lua_touserdata(L, 1));
    // The binding's userdata, held from the registry: the runs bind it
    // through its block, whatever a script does to the global.
    lua_getglobal(L, a->name);
    a->slot = static_cast<formation_t**>(luaL_checkudata(L, -1, a->name));
    luaL_ref(L, LUA_REGISTRYINDEX);
    if (luaL_loadfile(L, a->file) != 0) lua_error(L);
    a->own_globals = keepsItsGlobals(L);
    if (a->own_globals) {
        a->runner = luaL_ref(L, LUA_REGISTRYINDEX);
        return 0;
    }
    lua_newtable(L);
    int n = 0;
    lua_pushnil(L);
    while (lua_next(L, LUA_GLOBALSINDEX) != 0) {
        lua_pushvalue(L, -2);
        lua_rawseti(L, -4, ++n);
        lua_rawseti(L, -3, ++n);
    }
    lua_pushinteger(L, n);
    lua_pushcclosure(L, &runWithFreshGlobals, 3);
    a->runner = luaL_ref(L, LUA_REGISTRYINDEX);
    return 0;
}

int collectAll(lua_State* L)
{
    lua_gc(L, LUA_GCCOLLECT, 0);
    return 0;
}

// Whether the metatable of the binding still holds exactly its accessors,
// and nothing else (a script may reach it through getmetatable).
bool bindingIntact(lua_State* L, const std::string& name, const luaL_Reg* reg)
{
    const int top = lua_gettop(L);
    luaL_getmetatable(L, name.c_str());
    bool intact = lua_istable(L, -1);
    if (intact && lua_getmetatable(L, -1)) {
        lua_pop(L, 1);
        intact = false;
    }
    int entries = 0;
    if (intact) {
        lua_pushnil(L);
        while (lua_next(L, -2) != 0) {
            lua_pop(L, 1);
            ++entries;
        }
    }
    int expected = 0;
    for (; intact && reg[expected].name; ++expected) {
        lua_pushstring(L, reg[expected].name);
        lua_rawget(L, -2);
        intact = lua_tocfunction(L, -1) == reg[expected].func;
        lua_pop(L, 1);
    }
    lua_settop(L, top);
    return intact && entries == expected;
}

}  // namespace

struct ScriptCache::entry_t {
    std::string prefix, script;
    std::string file;                        // prefix joined with script
    std::unique_ptr<LuaI<formation_t>> lua;  // null until compiled, and after a failure
    int runner = LUA_NOREF;                  // the compiled script in runWithFreshGlobals, in the registry
    file_stamp_t stamp;                      // the file that was compiled
    bool trusted = false;                    // the stamp tells a later edit
    bool own_globals = false;                // runs in the state's own globals
    formation_t** slot = nullptr;            // the object the script sees

    void drop()
    {
        lua.reset();
        runner = LUA_NOREF;
        slot = nullptr;
        trusted = false;
    }
};

ScriptCache::ScriptCache() {}

ScriptCache::~ScriptCache() {}

ScriptCache::ScriptCache(const ScriptCache& o) : settle_time(o.settle_time) {}

ScriptCache& ScriptCache::operator=(const ScriptCache& o)
{
    settle_time = o.settle_time;
    return *this;
}

ScriptCache::entry_t& ScriptCache::entry(const std::string& prefix, const std::string& script)
{
    for (const std::unique_ptr<entry_t>& e : m_entries)
        if (e->script == script && e->prefix == prefix) return *e;
    m_entries.emplace_back(new entry_t);
    entry_t& e = *m_entries.back();
    e.prefix = prefix;
    e.script = script;
    e.file = scriptFile(prefix, script);
    return e;
}

// Compiles e's file into a new state. On failure the message goes to out
// and e is left without a state.
bool ScriptCache::compile(entry_t& e, formation_t& out)
{
    e.drop();
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    file_stamp_t stamp;
    // Stamped before reading: an edit after the stamp shows in the next one.
    const bool stamped = stampOf(e.file, stamp);

    std::unique_ptr<LuaI<formation_t>> lua(
        new LuaI<formation_t>(nullptr, formation_t::luaName(), formation_t::luaReg));
    ++m_compiles;
    if (!lua->m_lua) {
        out.m_lua.m_errMsg = lua->errMsg();
        return false;
    }
    compile_args args = {e.file.c_str(), formation_t::luaName().c_str(), LUA_NOREF, false, nullptr};
    if (lua_cpcall(lua->m_lua, &compileRunner, &args) != 0) {
        out.m_lua.m_errMsg = luaErrorText(lua->m_lua);
        return false;
    }
    // The state keeps little alive from run to run but the script's
    // garbage: collected once its memory has grown tenfold rather than
    // twofold, a collection falls on a think ten times less often (the
    // state stays within some hundred kilobytes).
    lua_gc(lua->m_lua, LUA_GCSETPAUSE, 1000);
    e.runner = args.runner;
    e.own_globals = args.own_globals;
    e.slot = args.slot;
    e.lua = std::move(lua);
    e.stamp = stamp;
    const long long settle = static_cast<long long>(settle_time * 1e9);
    e.trusted = stamped && nanoseconds(now) >= std::max(stamp.mtime, stamp.ctime) + settle;
    return true;
}

bool ScriptCache::run(const std::string& prefix, const std::string& script, const vec2d& ball,
                      formation_t& out)
{
    entry_t& e = entry(prefix, script);
    file_stamp_t stamp;
    const bool current = e.lua && e.trusted && stampOf(e.file, stamp) && stamp == e.stamp;
    if (!current && !compile(e, out)) return false;
    *e.slot = &out;
    e.lua->m_p = &out;
    out.m_input = ball;

    lua_State* L = e.lua->m_lua;
    const int base = lua_gettop(L);
    lua_pushvalue(L, LUA_GLOBALSINDEX);
    lua_rawgeti(L, LUA_REGISTRYINDEX, e.runner);
    const bool ok = lua_pcall(L, 0, 0, 0) == 0;
    if (!ok) out.m_lua.m_errMsg = luaErrorText(L);
    lua_pushvalue(L, base + 1);
    lua_replace(L, LUA_GLOBALSINDEX);
    lua_settop(L, base);
    *e.slot = nullptr;
    e.lua->m_p = nullptr;
    // What a script that reaches its globals left behind is collected now,
    // unbound: a finalizer (newproxy) of this run must not act on a later
    // run's formation, as in a new state it would not.
    const bool collected = e.own_globals || lua_cpcall(L, &collectAll, nullptr) == 0;
    if (!collected) lua_settop(L, base);
    // (A script in its own globals cannot reach the binding's metatable.)
    const bool intact = e.own_globals || bindingIntact(L, formation_t::luaName(), formation_t::luaReg);
    if (!ok || !collected || !intact) e.drop();
    return ok;
}

}  // namespace qorvexlib

namespace qorvexlib {

bool ScriptCache::runsInOwnGlobals(const std::string& prefix, const std::string& script) const
{
    for (const std::unique_ptr<entry_t>& e : m_entries)
        if (e->script == script && e->prefix == prefix) return e->lua && e->own_globals;
    return false;
}

}  // namespace qorvexlib
