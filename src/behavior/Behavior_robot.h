// The hierarchical state machines of play. Every state of a machine is a
// leaf with an action or a child machine; every transition has a test and
// an action; every machine steps by the one rule of `step_machine` below.
//
// Each machine describes itself in one table (its X.cpp): its states,
// numbered from 1 with the child machines first in the order it creates
// them, its initial state, and its transitions in the order in which they
// are evaluated and preferred (ascending priority, ties in table order).
// The tests and actions that the table names are member functions of the
// machine, named after the transition ("transition_from_init_to_kick_1_test"
// and "..._do") or the leaf state ("what_to_do_in_state_init"); they live in
// X_transitions.cpp and X_what_to_do.cpp. An empty action is left out of the
// table (null) rather than written as an empty function.
#ifndef BREVANE_BEHAVIOR_BEHAVIOR_ROBOT_H
#define BREVANE_BEHAVIOR_BEHAVIOR_ROBOT_H

#include <cstddef>
#include <vector>

class NaoBehavior;
class hfsm;

// Base of every machine.
class Behavior {
public:
    NaoBehavior* agent;  // whose skills, perception and command stream the machine uses
    int state;
    Behavior* active;  // child machine that ran in the last step, null after a leaf

    explicit Behavior(NaoBehavior* a) : agent(a), state(0), active(nullptr) {}

    virtual void Init_behavior() {}
    virtual void Apply_behavior() {}
    virtual void Stop_behavior() {}
    virtual int GetState() { return state; }

protected:
    // Machines are deleted only through their own types (their owners hold
    // them so), never through this base.
    ~Behavior() = default;
};

// Base of the root machine. Like every machine it can be entered afresh
// and passes the log switch on to its children.
class Behavior_robot : public Behavior {
public:
    explicit Behavior_robot(NaoBehavior* a) : Behavior(a) {}

    virtual void Reinit_behavior() = 0;
    virtual void SetLog() = 0;

protected:
    ~Behavior_robot() = default;
};

// A machine as the machine above it sees it: it is entered afresh by
// Reinit_behavior and passes the log switch on to its own children.
class child_machine_t : public Behavior {
public:
    hfsm* root;

    child_machine_t(NaoBehavior* a, hfsm* r) : Behavior(a), root(r) {}

    virtual void Reinit_behavior() = 0;
    virtual void SetLog() = 0;

protected:
    ~child_machine_t() = default;
};

// The description of machine M: states and transitions.
template <class M>
struct machine_table_t {
    struct state_row {
        const char* name;
        void (M::*what_to_do)();  // leaf action; null for a child machine or an empty leaf
    };
    struct transition_row {
        int from;
        int to;
        int priority;         // the number in the generated names
        bool (M::*test)();    // runs whenever `from` is the state, side effects included
        void (M::*action)();  // null: no action
    };

    int initial;
    std::vector<state_row> states;  // state number i is states[i - 1]
    std::vector<transition_row> transitions;

    int state_count() const { return static_cast<int>(states.size()); }
    const char* name_of(int s) const
    {
        return (s >= 1 && s <= state_count()) ? states[s - 1].name : "unknown";
    }
};

// One step of machine m with the table t:
// 1. clear the transition results;
// 2. evaluate every test of the current state in table order, storing each
//    result (all run, so all their side effects happen);
// 3. if one is true, take the first: its action, the new state, and when
//    the new state is a child machine, that child re-entered (it does not
//    step yet; nothing else runs);
// 4. otherwise step the current child machine (which becomes the active
//    one), or run the current leaf's action (no active child);
// 5. a state that is not in the table: no active child, back to the
//    initial state, nothing run.
template <class M>
void step_machine(M& m, const machine_table_t<M>& t, std::vector<bool>& results,
                  const std::vector<child_machine_t*>& children)
{
    for (std::size_t i = 0; i < results.size(); ++i) results[i] = false;
    if (m.state < 1 || m.state > t.state_count()) {
        m.active = nullptr;
        m.state = t.initial;
        return;
    }
    const typename machine_table_t<M>::transition_row* fired = nullptr;
    for (std::size_t i = 0; i < t.transitions.size(); ++i) {
        const auto& tr = t.transitions[i];
        if (tr.from != m.state) continue;
        results[i] = (m.*tr.test)();
        if (results[i] && fired == nullptr) fired = &tr;
    }
    const int nchildren = static_cast<int>(children.size());
    if (fired != nullptr) {
        if (fired->action != nullptr) (m.*fired->action)();
        m.state = fired->to;
        if (m.state >= 1 && m.state <= nchildren) children[m.state - 1]->Reinit_behavior();
        return;
    }
    if (m.state <= nchildren) {
        m.active = children[m.state - 1];
        m.active->Apply_behavior();
    } else {
        m.active = nullptr;
        if (auto a = t.states[m.state - 1].what_to_do) (m.*a)();
    }
}

// What every machine shares: its log switch, the results of its last
// tests, its child machines, and the operations that follow from its table
// (M::table(), a static member of M). Base is child_machine_t for every
// machine but the root, which is a Behavior_robot.
template <class M, class Base = child_machine_t>
class state_machine_t : public Base {
public:
    using table_t = machine_table_t<M>;

    bool log;
    std::vector<bool> transition_result;     // one per table row, last step's results
    std::vector<child_machine_t*> children;  // owned by M's typed members; states 1..k

    template <class... BaseArgs>
    explicit state_machine_t(bool log_on, BaseArgs... base_args)
        : Base(base_args...), log(log_on), transition_result(M::table().transitions.size(), false)
    {
        this->active = nullptr;
        state_machine_t::Init_behavior();
    }

    void Init_behavior() override { this->state = M::table().initial; }
    void Reinit_behavior() override { this->state = M::table().initial; }
    void Apply_behavior() override
    {
        step_machine(static_cast<M&>(*this), M::table(), transition_result, children);
    }
    void SetLog() override
    {
        log = true;
        for (child_machine_t* c : children) c->SetLog();
    }

    const char* state_name() const { return M::table().name_of(this->state); }

protected:
    ~state_machine_t() = default;
};

#endif
