// Every machine's table against the rules of the step: states numbered from
// 1 with the child machines first (each in the state of its name), an
// initial leaf, transitions between existing states in ascending priority
// within each source, and the log switch reaching all fourteen machines.
#include <cxxabi.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <typeinfo>

#include "behavior/at_ball.h"
#include "behavior/at_push_point.h"
#include "behavior/at_push_point_kick.h"
#include "behavior/att.h"
#include "behavior/dribble.h"
#include "behavior/goto_global_kick_point2.h"
#include "behavior/hfsm.h"
#include "behavior/kick.h"
#include "behavior/look_for_ball.h"
#include "behavior/look_for_coord.h"
#include "behavior/not_at_ball.h"
#include "behavior/not_at_push_point.h"
#include "behavior/play_on.h"
#include "behavior/playing.h"
#include "machine_world.h"

namespace {

std::string type_name(const std::type_info& t)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> n(abi::__cxa_demangle(t.name(), nullptr, nullptr, &status),
                                             std::free);
    return status == 0 ? n.get() : t.name();
}

// Checks one machine; returns its number of states.
template <class M, class Base>
int check(const state_machine_t<M, Base>& m, std::map<std::string, bool>& seen_log)
{
    const std::string name = type_name(typeid(M));
    const auto& t = M::table();
    const int n = t.state_count();
    const int k = static_cast<int>(m.children.size());
    seen_log[name] = m.log;
    EXPECT_GE(n, 2) << name;
    EXPECT_LE(k, n) << name;
    EXPECT_GT(t.initial, k) << name << ": the initial state is a leaf";
    EXPECT_LE(t.initial, n) << name;
    EXPECT_EQ(m.state, t.initial) << name;
    for (int s = 1; s <= k; ++s) {
        EXPECT_EQ(t.states[s - 1].what_to_do, nullptr) << name << " child state " << s;
        EXPECT_EQ(type_name(typeid(*m.children[s - 1])), t.states[s - 1].name) << name << " state " << s;
    }
    EXPECT_EQ(m.transition_result.size(), t.transitions.size()) << name;
    std::map<int, int> last_priority;
    for (const auto& tr : t.transitions) {
        EXPECT_GE(tr.from, 1) << name;
        EXPECT_LE(tr.from, n) << name;
        EXPECT_GE(tr.to, 1) << name;
        EXPECT_LE(tr.to, n) << name;
        EXPECT_NE(tr.test, nullptr) << name;
        EXPECT_GE(tr.priority, 1) << name;
        EXPECT_GE(tr.priority, last_priority[tr.from])
            << name << ": from " << t.name_of(tr.from) << " to " << t.name_of(tr.to);
        last_priority[tr.from] = tr.priority;
    }
    // Every state but the initial one can be entered.
    for (int s = 1; s <= n; ++s) {
        if (s == t.initial) continue;
        bool entered = false;
        for (const auto& tr : t.transitions) entered = entered || tr.to == s;
        EXPECT_TRUE(entered) << name << ": " << t.name_of(s);
    }
    return n;
}

// Checks the fourteen machines of the tree; their total number of states.
int check_tree(hfsm& root, std::map<std::string, bool>& logs)
{
    play_on& po = *root.play_on_fsm;
    playing& pl = *po.playing_fsm;
    att& a = *pl.att_fsm;
    dribble& d = *a.dribble_fsm;
    at_ball& ab = *d.at_ball_fsm;
    kick& k = *a.kick_fsm;
    return check(root, logs) + check(po, logs) + check(pl, logs) + check(*pl.look_for_ball_fsm, logs) +
           check(a, logs) + check(*pl.look_for_coord_fsm, logs) + check(d, logs) +
           check(*d.not_at_ball_fsm, logs) + check(ab, logs) + check(*ab.at_push_point_fsm, logs) +
           check(*ab.not_at_push_point_fsm, logs) + check(k, logs) +
           check(*k.goto_global_kick_point2_fsm, logs) + check(*k.at_push_point_kick_fsm, logs);
}

class MachineTables : public MachineWorld {};

TEST_F(MachineTables, EveryMachineFollowsTheRulesOfTheStep)
{
    hfsm root(agent.get(), false);
    std::map<std::string, bool> logs;
    EXPECT_EQ(check_tree(root, logs), 11 + 3 + 5 + 2 + 3 + 2 + 3 + 4 + 3 + 3 + 3 + 6 + 3 + 3);
    EXPECT_EQ(logs.size(), 14u);
    for (const auto& l : logs) EXPECT_FALSE(l.second) << l.first;

    root.SetLog();
    check_tree(root, logs);
    for (const auto& l : logs) EXPECT_TRUE(l.second) << l.first;
}

}  // namespace
