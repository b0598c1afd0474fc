#ifndef QORVEXLIB_FORMATION_H
#define QORVEXLIB_FORMATION_H

#include <string>
#include <vector>

#include "qorvexlib/math.h"

// The Lua types stay opaque here, so that users of the strategy library need
// not see Lua's headers.
struct lua_State;
struct luaL_Reg;

namespace qorvexlib {

// Binds one object of the program to a Lua 5.1 state of its own: the object
// is reachable from scripts as a global userdata whose metatable holds the
// accessors given at construction. The state is owned and closed here; the
// object is not owned. Not copyable: two owners of one state would close it
// twice, and a copied binding would still point at the original object.
// Defined in formation.cpp, for formation_t only.
template <typename T>
class LuaI {
public:
    lua_State* m_lua;
    T* m_p;
    std::string m_name;
    std::string m_errMsg;
    std::vector<std::string> m_paths;  // search paths; kept, not used

    LuaI(T* p, const std::string& name, const luaL_Reg* reg);
    virtual ~LuaI();

    LuaI(const LuaI&) = delete;
    LuaI& operator=(const LuaI&) = delete;

    const std::string& name() const { return m_name; }
    const std::string& errMsg() const { return m_errMsg; }

    // Compiles the file; the chunk stays on the stack for run().
    bool load(const std::string& file);
    // Runs the chunk left by load().
    bool run();

    // The object stored in argument 1, checked against the metatable name
    // (a Lua error otherwise). name must outlive the call: the check may leave
    // this frame by a Lua error, which skips C++ destructors.
    static T* getUserData(lua_State* L, const std::string& name);

private:
    struct Setup {
        T* p;
        const char* name;
        const luaL_Reg* reg;
    };
    static int setup(lua_State* L);
    void takeError();
};

// The file of a formation script: prefix / script, or script alone when the
// prefix is empty.
std::string scriptFile(const std::string& prefix, const std::string& script);

// One formation of a strategy: the region of ball positions where it
// applies, a reference ball position, one position per player and the Lua
// script that moves them for the actual ball.
class formation_t {
public:
    vec2d ball;
    bboxd ballArea;
    std::vector<vec2d> players;  // file order, not tied to uniform numbers
    std::string script;          // relative to the strategy file's directory
    LuaI<formation_t> m_lua;
    vec2d m_input;  // ball of the last script run

    static const luaL_Reg luaReg[3];
    // The name of the script's global and of the metatable: "formation".
    static const std::string& luaName();

    formation_t();
    // A copy gets a Lua state of its own bound to itself and a zero input.
    // There is no move: moves copy, so no binding can be left pointing at a
    // moved-from or freed object (as when a vector grows).
    formation_t(const formation_t& o);
    // Copies the data only; each side keeps its own state and input.
    formation_t& operator=(const formation_t& o);
    ~formation_t();

    // Runs prefix/script with m_input = ball.
    bool interpolate(const vec2d& ball, const std::string& prefix);
    // Ascending distance to m_input.
    void sort();
    // Ascending distance to ref plus twice the bearing off heading.
    void sortWith(vec2d& ref, double heading);
    // Mirrors through the field centre.
    void revert();
    bool playerPos(int i, vec2d& out) const;

    const LuaI<formation_t>& lua() const { return m_lua; }
    const vec2d& input() const { return m_input; }

    bool operator==(const formation_t& o) const;
    bool operator!=(const formation_t& o) const { return !(*this == o); }

    // Accessors called by Lua for reads and writes of formation.key.
    static int lua_get(lua_State* L);
    static int lua_set(lua_State* L);
    // The writable field named by key; throws int -1 for any other key.
    static double& getRef(formation_t& f, const std::string& key);
};

}  // namespace qorvexlib

#endif
