#include "behavior/hfsm_run.h"

#include "behavior/play_on.h"

#include "skills/NaoBehavior_run.h"

namespace run {

namespace {

// The result of the transition of table row `row` in the last step.
int result(const std::vector<bool>& results, int row) { return results[static_cast<size_t>(row)] ? 1 : 0; }

}  // namespace

// ---------------------------------------------------------------- root

hfsm::hfsm(NaoBehavior* agent_object, bool log_on)
    : state_machine_t(log_on, nullptr),
      run_agent(agent_object),
      lines(agent_object ? agent_object->getName() : ""),
      play_on_fsm(new play_on(agent_object, this, log_on))
{
    children = {play_on_fsm.get()};
}

hfsm::~hfsm() = default;

namespace {
enum hfsm_rows { ROOT_TO_PLAY_ON, PLAY_ON_TO_ROOT };
}

const hfsm::table_t& hfsm::table()
{
    using m = hfsm;
    static const table_t t = {ROOT,
                              {{"play_on", nullptr}, {"root", nullptr}},
                              {
                                  {ROOT, PLAY_ON, 1, &m::transition_from_root_to_play_on_1_test,
                                   &m::transition_from_root_to_play_on_1_do},
                                  {PLAY_ON, ROOT, 1, &m::transition_from_play_on_to_root_1_test, nullptr},
                              }};
    return t;
}

void hfsm::Apply_behavior()
{
    lines.begin_step();
    const int from = state;
    state_machine_t::Apply_behavior();
    if (log) {
        if (from == PLAY_ON)
            lines.write(0, "L1, MS:play_on/->root:%d", result(transition_result, PLAY_ON_TO_ROOT));
        else if (from == ROOT)
            lines.write(0, "L1, S:root/->play_on:%d", result(transition_result, ROOT_TO_PLAY_ON));
    }
    lines.end_step();
}

// ---------------------------------------------------------------- play_on

play_on::play_on(NaoBehavior* agent_object, hfsm* root_machine, bool log_on)
    : state_machine_t(log_on, nullptr, nullptr),
      run_agent(agent_object),
      run_root(root_machine),
      playing_fsm(new playing(agent_object, root_machine, log_on))
{
    children = {playing_fsm.get()};
}

play_on::~play_on() = default;

namespace {
// The rows of play_on_table.
enum play_on_rows {
    INIT_TO_PLAYING,
    PLAYING_TO_STAND_UP,
    PLAYING_TO_INIT,
    STAND_UP_TO_PLAYING,
    STAND_UP_TO_INIT
};
}  // namespace

const play_on::table_t& play_on::table() { return play_on_table<play_on>(); }

void play_on::Apply_behavior()
{
    const int from = state;
    state_machine_t::Apply_behavior();
    if (!log) return;
    const std::vector<bool>& r = transition_result;
    if (from == INIT)
        run_root->lines.write(1, "L2, S:init/->playing:%d", result(r, INIT_TO_PLAYING));
    else if (from == STAND_UP)
        run_root->lines.write(1, "L2, S:stand_up/->playing:%d", result(r, STAND_UP_TO_PLAYING));
    else if (from == PLAYING)
        run_root->lines.write(1, "L2, MS:playing/->stand_up:%d/->init:%d", result(r, PLAYING_TO_STAND_UP),
                              result(r, PLAYING_TO_INIT));
}

// ---------------------------------------------------------------- playing

playing::playing(NaoBehavior*, hfsm* root_machine, bool log_on)
    : state_machine_t(log_on, nullptr, nullptr), run_root(root_machine)
{
}

const playing::table_t& playing::table()
{
    static const table_t t = {INIT, {{"init", nullptr}}, {}};
    return t;
}

void playing::Apply_behavior()
{
    const int from = state;
    state_machine_t::Apply_behavior();
    if (log && from == INIT) run_root->lines.write(2, "L3, S:init");
}

}  // namespace run
