// Cost of the agent's think cycle on a recorded play-on perception, by the
// motion that runs, and the agent's start-up cost.
//
// Run: scripts/bench.sh (all benchmarks), or
//   build/bench/bench_think_bench [--benchmark_filter=Think]
// from any directory. Goals: one Think well under 1 ms while walking (a
// sub-step has 10 ms), start-up (constructor and Init) under 200 ms.
//
// The agent plays under the team name "Qorvex-SIe", for which the root state
// machine never enters the play states: the motion that runs is the one the
// benchmark asks for, while parsing, localisation, the state machine step,
// the motion interface and the head scan all run as in a match. The column
// "intended" is the share of the timed calls made in the measured state.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "motioninterface/naomove.h"
#include "skills/NaoBehavior.h"
#include "support/test_files.h"
#include "walk/walk.h"

namespace {

const char* const kTeam = "Qorvex-SIe";

// The motion code reports its parameters on stderr at start-up; keep the
// benchmark table readable.
class QuietStderr {
public:
    QuietStderr()
    {
        std::fflush(stderr);
        m_saved = dup(2);
        int null_fd = open("/dev/null", O_WRONLY);
        if (null_fd >= 0) {
            dup2(null_fd, 2);
            close(null_fd);
        }
    }
    ~QuietStderr()
    {
        std::fflush(stderr);
        if (m_saved >= 0) {
            dup2(m_saved, 2);
            close(m_saved);
        }
    }

private:
    int m_saved;
};

std::vector<std::string> play_on_messages()
{
    std::ifstream f(BREVANE_SOURCE_DIR "/tests/data/server_play_on.txt");
    std::vector<std::string> msgs;
    std::string line;
    while (std::getline(f, line))
        if (line.find("(pm PlayOn)") != std::string::npos) msgs.push_back(line);
    return msgs;
}

// One agent per process (the motion code keeps per-process state), shared
// by the think benchmarks; stderr is silenced while it starts.
struct Agent {
    // The agent rewrites "dataWalk/stand3.dat" at start-up: it works in a
    // private directory that sees the parameter and strategy files.
    ScratchWorkDir dir;
    InWorkDir in_dir{dir.path()};
    std::vector<std::string> msgs;
    size_t next = 0;
    NaoBehavior* behavior = nullptr;

    Agent() : msgs(play_on_messages())
    {
        if (msgs.empty()) {
            std::fprintf(stderr, "no play-on messages found\n");
            std::exit(1);
        }
        QuietStderr quiet;
        behavior = new NaoBehavior(2, 0, kTeam);
        behavior->Init();
        behavior->Think(msgs[0]);  // the init message
    }

    std::string think()
    {
        const std::string& m = msgs[next];
        next = (next + 1) % msgs.size();
        return behavior->Think(m);
    }

    // Brings the motion interface to rest: a walk the engine no longer has
    // is closed by the interface within two cycles.
    void settle()
    {
        NaoMove* m = behavior->move;
        NaoParse::fall_down_detected = false;
        NaoParse::back_fall_down_detected = false;
        NaoParse::front_fall_down_detected = false;
        for (int i = 0; i < 5000 && m->kick; ++i) think();
        m->walk_engine->ResetWalk();
        for (int i = 0; i < 100 && (m->trans || m->rot); ++i) think();
    }
};

Agent& agent()
{
    static Agent a;
    return a;
}

void BM_Think_Standing(benchmark::State& state)
{
    Agent& a = agent();
    NaoMove* m = a.behavior->move;
    a.settle();
    double active = 0;
    for (auto _ : state) {
        std::string s = a.think();
        benchmark::DoNotOptimize(s);
        active += !(m->trans || m->rot || m->kick || NaoParse::fall_down_detected);
    }
    state.counters["intended"] = benchmark::Counter(active, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Think_Standing)->Unit(benchmark::kMicrosecond);

void BM_Think_Walking(benchmark::State& state)
{
    Agent& a = agent();
    NaoMove* m = a.behavior->move;
    a.settle();
    auto start_walk = [&] {
        m->new_trans2013(1000.0, 0.0);
        for (int i = 0; i < 100 && !m->walking; ++i) a.think();
    };
    start_walk();
    double active = 0;
    for (auto _ : state) {
        if (!m->trans) {
            state.PauseTiming();
            start_walk();
            state.ResumeTiming();
        }
        std::string s = a.think();
        benchmark::DoNotOptimize(s);
        active += m->walking;
    }
    state.counters["intended"] = benchmark::Counter(active, benchmark::Counter::kAvgIterations);
    a.settle();
}
BENCHMARK(BM_Think_Walking)->Unit(benchmark::kMicrosecond);

void BM_Think_Kicking(benchmark::State& state)
{
    Agent& a = agent();
    NaoMove* m = a.behavior->move;
    a.settle();
    // The stand pose and the clearing cycle before the kick are not timed.
    auto start_kick = [&] {
        m->new_kick2012(NaoMove::KICK_RIGHT);
        for (int i = 0; i < 100 && m->kick && m->motion_cycles < 15 * a.behavior->sub_steps + 2; ++i)
            a.think();
    };
    start_kick();
    double active = 0;
    for (auto _ : state) {
        if (!m->kick || m->kick_done) {
            state.PauseTiming();
            a.settle();
            start_kick();
            state.ResumeTiming();
        }
        std::string s = a.think();
        benchmark::DoNotOptimize(s);
        active += m->kick && !m->kick_done;
    }
    state.counters["intended"] = benchmark::Counter(active, benchmark::Counter::kAvgIterations);
    a.settle();
}
BENCHMARK(BM_Think_Kicking)->Unit(benchmark::kMicrosecond);

void BM_Think_StandingUp(benchmark::State& state)
{
    Agent& a = agent();
    a.settle();
    double active = 0;
    for (auto _ : state) {
        // The fall stays latched; once a stand-up ends the next one starts.
        NaoParse::fall_down_detected = true;
        NaoParse::back_fall_down_detected = true;
        std::string s = a.think();
        benchmark::DoNotOptimize(s);
        active += NaoParse::fall_down_detected;
    }
    state.counters["intended"] = benchmark::Counter(active, benchmark::Counter::kAvgIterations);
    a.settle();
}
BENCHMARK(BM_Think_StandingUp)->Unit(benchmark::kMicrosecond);

void BM_StartUp(benchmark::State& state)
{
    agent();  // the working directory
    QuietStderr quiet;
    for (auto _ : state) {
        // The agent object is never destroyed in a match; neither is it here.
        NaoBehavior* b = new NaoBehavior(2, 0, kTeam);
        std::string scene = b->Init();
        benchmark::DoNotOptimize(scene);
    }
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond);

}  // namespace
