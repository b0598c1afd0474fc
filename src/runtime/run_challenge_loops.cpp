#include <memory>

#include "runtime/cycle_loop.h"
#include "runtime/run_challenge.h"
#include "skills/NaoBehavior_run.h"
#include "world/teamformation_run.h"

namespace run {

namespace {

std::unique_ptr<NaoBehavior> make_agent()
{
    return std::unique_ptr<NaoBehavior>(
        new NaoBehavior(player_number, penalty_player, llc_player_number, gTeam));
}

}  // namespace

// Each agent lives as long as its loop, which ends only when the program does.
void Run_accel_2013()
{
    std::unique_ptr<NaoBehavior> agent = make_agent();
    agent->tournament.init(ite_number, 10.0, agent->form->x, agent->form->y, 0.0, 0.0, 0.0);
    run_sleeping_loop(*agent);
}

void Run_accel_2_2013()
{
    std::unique_ptr<NaoBehavior> agent = make_agent();
    run_timer_loop(*agent);
}

void Run_accel_2012()
{
    std::unique_ptr<NaoBehavior> agent = make_agent();
    run_interval_loop(*agent);
}

void Run() { Run_accel_2013(); }

}  // namespace run
