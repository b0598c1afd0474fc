#ifndef QORVEXLIB_SCRIPT_CACHE_H
#define QORVEXLIB_SCRIPT_CACHE_H

#include <memory>
#include <string>
#include <vector>

#include "qorvexlib/math.h"

namespace qorvexlib {

class formation_t;

// The formation scripts of a strategy, each compiled once into a Lua state
// of its own and run again for every ball position, for whichever
// formation object asks. A player asks for its place at every think call;
// opening a state and compiling the script each time cost most of that.
//
// A script is compiled again when its file has changed since: another
// size, modification or status-change time, or another file (a file
// replaced by rename), so that a strategy edited while a team runs takes
// effect at the next query. Timestamps are coarse (a clock tick, up to 2 s
// on some filesystems), so a file whose times were not yet settle_time old
// when it was compiled is compiled again at every query until they are: an
// edit within the same tick as the compile is not missed.
//
// Each run sees what a new state would show: a fresh table of globals
// (a copy of those of the opened state, `_G` bound to it, also for code
// that the script loads), so nothing a script keeps in its globals reaches
// the next run. A script whose compiled code assigns no global and reads
// only globals that cannot reach the table of globals (formation, math,
// ipairs, ...) cannot change it: it runs in the state's own, spared the
// copy. What the other scripts leave behind is collected after each run,
// so that no finalizer of theirs acts on a later run's formation. The
// standard library tables themselves are shared between runs, as modules
// are: a script must not keep its own data in them. A script that changed
// the binding's metatable is given a new state.
//
// A failed compile or run is reported in the formation's Lua interface, as
// if the script had run in the formation's own state, and drops the state:
// the next query starts again from a new state and the file.
class ScriptCache {
public:
    double settle_time = 2.0;  // s; tests shorten it

    ScriptCache();
    ~ScriptCache();
    // States are never shared: a copy starts empty, an assignment keeps
    // the target's own.
    ScriptCache(const ScriptCache&);
    ScriptCache& operator=(const ScriptCache&);

    // Runs the script file prefix / script (scriptFile) on out with
    // out.m_input = ball (set once the script has compiled): the result and
    // the message of a failure are those of out.interpolate(ball, prefix).
    bool run(const std::string& prefix, const std::string& script, const vec2d& ball, formation_t& out);

    // Compilations so far, for tests.
    int compiles() const { return m_compiles; }
    // Whether the script, as last compiled, runs in its state's own globals
    // (it assigns no global and reads none that could reach them), for
    // tests.
    bool runsInOwnGlobals(const std::string& prefix, const std::string& script) const;

    struct entry_t;

private:
    std::vector<std::unique_ptr<entry_t>> m_entries;
    int m_compiles = 0;

    entry_t& entry(const std::string& prefix, const std::string& script);
    bool compile(entry_t& e, formation_t& out);
};

}  // namespace qorvexlib

#endif
