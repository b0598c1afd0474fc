#include <benchmark/benchmark.h>

#include <cstdio>

#include "motions/naomoveSuperClass.h"
#include "support/test_files.h"

namespace {

// The walking engine reads the parameter files and rewrites
// "dataWalk/stand3.dat" relative to the working directory: the benchmarks
// work in a private directory that sees the source tree's files, and run
// from anywhere.
struct WorkDir {
    ScratchWorkDir dir;
    InWorkDir in_dir{dir.path()};
};

void enter_work_dir() { static WorkDir w; }

// Construction of the whole-body motion object: the walking engine with its
// model and parameter files, and every kick and stand-up prepared once.
void BM_ConstructMotionObject(benchmark::State& state)
{
    enter_work_dir();
    // The walking engine reports its parameters on standard error each time.
    if (std::freopen("/dev/null", "w", stderr) == nullptr) state.SkipWithError("cannot silence stderr");
    for (auto _ : state) {
        NaoMoveSuperClass m(0.01, 1, 0, 0, "./");
        benchmark::DoNotOptimize(m.q_left_leg[0]);
    }
}
BENCHMARK(BM_ConstructMotionObject)->Unit(benchmark::kMillisecond);

// One control cycle of the generic kick, the one the agent plays.
void BM_GenericKickCycle(benchmark::State& state)
{
    enter_work_dir();
    if (std::freopen("/dev/null", "w", stderr) == nullptr) state.SkipWithError("cannot silence stderr");
    NaoMoveSuperClass m(0.01, 1, 0, 0, "./");
    for (auto _ : state) {
        double g = 1;
        benchmark::DoNotOptimize(m.check_rightKick(g, 1));
    }
}
BENCHMARK(BM_GenericKickCycle)->Unit(benchmark::kMicrosecond);

}  // namespace
