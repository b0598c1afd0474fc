#ifndef QORVEXLIB_STRATEGY_H
#define QORVEXLIB_STRATEGY_H

#include <string>
#include <vector>

#include "qorvexlib/formation.h"
#include "qorvexlib/math.h"
#include "qorvexlib/script_cache.h"

namespace qorvexlib {

// Strategies are written for BLUE; RED is looked up through the field centre.
enum Side : unsigned char { NONE = 0, BLUE = 1, RED = 2 };

// A list of formations read from an XML file; gives every player a target
// position as a function of the ball position.
class Strategy {
public:
    std::vector<formation_t> m_formations;  // file order
    std::string m_prefix;                   // directory the scripts are resolved in
    // The compiled scripts of interpolate; a copy of the strategy compiles
    // its own.
    mutable ScriptCache m_scripts;

    Strategy();
    virtual ~Strategy();

    // Replaces everything on success; a false result changes nothing.
    bool load(const std::string& file);
    bool save(const std::string& file);

    // First formation, in list order, whose ball area holds ball.
    bool fetchFormation(const vec2d& ball, formation_t& out) const;
    // The formation for ball with its script applied, for the given side.
    // The script runs in the strategy's compiled copy of it (m_scripts), on
    // out, with the result of a run in out's own state; a failure's message
    // is left in out's Lua interface.
    bool interpolate(const vec2d& ball, Side side, formation_t& out) const;

    void addFormation(const formation_t& f);
    void clear();

    const std::string& prefix() const { return m_prefix; }
    const std::vector<formation_t>& formations() const { return m_formations; }
    void setPrefix(const std::string& p) { m_prefix = p; }

    // The prefixes are not compared.
    bool operator==(const Strategy& o) const;
    bool operator!=(const Strategy& o) const { return !(*this == o); }
};

}  // namespace qorvexlib

#endif
