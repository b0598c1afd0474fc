// The step rule shared by every machine, on a toy machine with a child:
// which tests run, which transition fires, what runs when none does.
#include "behavior/Behavior_robot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_calls;  // tests, actions and child steps, in order

// A leaf-only child: a (initial) -> b when `go`.
class toy_child final : public state_machine_t<toy_child> {
public:
    enum { A = 1, B };
    bool go = false;
    toy_child() : state_machine_t(false, nullptr, nullptr) {}
    static const table_t& table()
    {
        static const table_t t = {A,
                                  {{"a", &toy_child::what_to_do_in_state_a}, {"b", nullptr}},
                                  {{A, B, 1, &toy_child::transition_from_a_to_b_1_test, nullptr}}};
        return t;
    }
    bool transition_from_a_to_b_1_test()
    {
        g_calls.push_back("child a->b test");
        return go;
    }
    void what_to_do_in_state_a() { g_calls.push_back("child in a"); }
};

// sub (the child machine, state 1), idle (initial), busy. From idle three
// tests: two of priority 1 (to busy, then to sub) and one of priority 2 (to
// busy); from busy one test back to idle; from sub one test back to idle.
class toy final : public state_machine_t<toy> {
public:
    enum { SUB = 1, IDLE, BUSY };
    bool to_busy = false, to_sub = false, late = false, leave_busy = false, leave_sub = false;
    toy_child sub_fsm;

    toy() : state_machine_t(false, nullptr, nullptr) { children = {&sub_fsm}; }

    static const table_t& table()
    {
        using m = toy;
        static const table_t t = {
            IDLE,
            {{"sub", nullptr},
             {"idle", &m::what_to_do_in_state_idle},
             {"busy", &m::what_to_do_in_state_busy}},
            {
                {IDLE, BUSY, 1, &m::transition_from_idle_to_busy_1_test,
                 &m::transition_from_idle_to_busy_1_do},
                {IDLE, SUB, 1, &m::transition_from_idle_to_sub_1_test, &m::transition_from_idle_to_sub_1_do},
                {IDLE, BUSY, 2, &m::transition_from_idle_to_busy_2_test, nullptr},
                {BUSY, IDLE, 1, &m::transition_from_busy_to_idle_1_test, nullptr},
                {SUB, IDLE, 1, &m::transition_from_sub_to_idle_1_test, nullptr},
            }};
        return t;
    }

    bool record(const char* name, bool result)
    {
        g_calls.push_back(name);
        return result;
    }
    bool transition_from_idle_to_busy_1_test() { return record("idle->busy 1 test", to_busy); }
    void transition_from_idle_to_busy_1_do() { g_calls.push_back("idle->busy 1 do"); }
    bool transition_from_idle_to_sub_1_test() { return record("idle->sub 1 test", to_sub); }
    void transition_from_idle_to_sub_1_do() { g_calls.push_back("idle->sub 1 do"); }
    bool transition_from_idle_to_busy_2_test() { return record("idle->busy 2 test", late); }
    bool transition_from_busy_to_idle_1_test() { return record("busy->idle 1 test", leave_busy); }
    bool transition_from_sub_to_idle_1_test() { return record("sub->idle 1 test", leave_sub); }
    void what_to_do_in_state_idle() { g_calls.push_back("in idle"); }
    void what_to_do_in_state_busy() { g_calls.push_back("in busy"); }
};

using Calls = std::vector<std::string>;

class StepRule : public ::testing::Test {
protected:
    void SetUp() override { g_calls.clear(); }
    Calls step()
    {
        g_calls.clear();
        m.Apply_behavior();
        return g_calls;
    }
    toy m;
};

TEST_F(StepRule, ConstructionStartsInTheInitialState)
{
    EXPECT_EQ(m.state, toy::IDLE);
    EXPECT_EQ(m.sub_fsm.state, toy_child::A);
    EXPECT_EQ(m.active, nullptr);
    EXPECT_EQ(m.transition_result.size(), 5u);
    EXPECT_STREQ(m.state_name(), "idle");
}

// Each row: which tests of idle are true, the state after one step and the
// calls it made. Every test of idle runs whatever the earlier ones said.
struct FireCase {
    const char* name;
    bool to_busy, to_sub, late;
    int state_after;
    Calls calls;
    std::vector<bool> results;
};

void PrintTo(const FireCase& c, std::ostream* os) { *os << c.name; }

class FirstTrueFires : public StepRule, public ::testing::WithParamInterface<FireCase> {};

TEST_P(FirstTrueFires, AllTestsRunAndTheFirstTrueOneFires)
{
    const FireCase& c = GetParam();
    m.to_busy = c.to_busy;
    m.to_sub = c.to_sub;
    m.late = c.late;
    EXPECT_EQ(step(), c.calls);
    EXPECT_EQ(m.state, c.state_after);
    EXPECT_EQ(m.transition_result, c.results);
}

const Calls kIdleTests = {"idle->busy 1 test", "idle->sub 1 test", "idle->busy 2 test"};

Calls with(Calls a, const std::string& b)
{
    a.push_back(b);
    return a;
}

INSTANTIATE_TEST_SUITE_P(Table, FirstTrueFires,
                         ::testing::Values(FireCase{"none_runs_the_leaf",
                                                    false,
                                                    false,
                                                    false,
                                                    toy::IDLE,
                                                    with(kIdleTests, "in idle"),
                                                    {false, false, false, false, false}},
                                           FireCase{"first_row",
                                                    true,
                                                    true,
                                                    true,
                                                    toy::BUSY,
                                                    with(kIdleTests, "idle->busy 1 do"),
                                                    {true, true, true, false, false}},
                                           FireCase{"same_priority_in_table_order",
                                                    false,
                                                    true,
                                                    true,
                                                    toy::SUB,
                                                    with(kIdleTests, "idle->sub 1 do"),
                                                    {false, true, true, false, false}},
                                           FireCase{"lower_priority_last",
                                                    false,
                                                    false,
                                                    true,
                                                    toy::BUSY,
                                                    kIdleTests,
                                                    {false, false, true, false, false}}),
                         [](const ::testing::TestParamInfo<FireCase>& i) {
                             return std::string(i.param.name);
                         });

TEST_F(StepRule, ResultsOfAnEarlierStepAreCleared)
{
    m.to_busy = true;
    step();
    ASSERT_EQ(m.state, toy::BUSY);
    EXPECT_EQ(step(), (Calls{"busy->idle 1 test", "in busy"}));
    EXPECT_EQ(m.transition_result, (std::vector<bool>(5, false)));
}

TEST_F(StepRule, EnteringAChildReinitialisesItWithoutSteppingIt)
{
    // The child was left elsewhere by an earlier visit.
    m.sub_fsm.state = toy_child::B;
    m.to_sub = true;
    EXPECT_EQ(step(), with(kIdleTests, "idle->sub 1 do"));
    EXPECT_EQ(m.state, toy::SUB);
    EXPECT_EQ(m.sub_fsm.state, toy_child::A);
    EXPECT_EQ(m.active, nullptr);  // nothing ran below yet

    // Next step: no test out of sub holds, so the child steps.
    EXPECT_EQ(step(), (Calls{"sub->idle 1 test", "child a->b test", "child in a"}));
    EXPECT_EQ(m.active, &m.sub_fsm);

    // Leaving the child does not reset it; a leaf then clears the active child.
    m.sub_fsm.go = true;
    step();
    EXPECT_EQ(m.sub_fsm.state, toy_child::B);
    m.leave_sub = true;
    EXPECT_EQ(step(), (Calls{"sub->idle 1 test"}));
    EXPECT_EQ(m.state, toy::IDLE);
    EXPECT_EQ(m.sub_fsm.state, toy_child::B);
    EXPECT_EQ(m.active, &m.sub_fsm);  // a firing step changes nothing else
    m.to_sub = false;
    step();
    EXPECT_EQ(m.active, nullptr);
}

TEST_F(StepRule, UnknownStateReturnsToTheInitialOneRunningNothing)
{
    for (int bad : {0, -3, 4, 99}) {
        m.state = bad;
        m.active = &m.sub_fsm;
        m.to_busy = true;
        EXPECT_EQ(step(), Calls{}) << bad;
        EXPECT_EQ(m.state, toy::IDLE) << bad;
        EXPECT_EQ(m.active, nullptr) << bad;
        EXPECT_STREQ(toy::table().name_of(bad), "unknown");
    }
}

TEST_F(StepRule, InitAndReinitSetOnlyTheOwnState)
{
    m.state = toy::BUSY;
    m.sub_fsm.state = toy_child::B;
    m.Init_behavior();
    EXPECT_EQ(m.state, toy::IDLE);
    EXPECT_EQ(m.sub_fsm.state, toy_child::B);
    m.state = toy::SUB;
    m.Reinit_behavior();
    EXPECT_EQ(m.state, toy::IDLE);
    EXPECT_EQ(m.sub_fsm.state, toy_child::B);
}

TEST_F(StepRule, SetLogReachesTheChildren)
{
    EXPECT_FALSE(m.log);
    EXPECT_FALSE(m.sub_fsm.log);
    m.SetLog();
    EXPECT_TRUE(m.log);
    EXPECT_TRUE(m.sub_fsm.log);
}

}  // namespace
