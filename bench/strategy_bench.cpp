// Cost of one formation place of the play strategy: the assist player's
// query (Strategy::interpolate, then formation_t::sort) for ball positions
// all over the field, for either side, with the shipped strategy.
//
// Run: scripts/bench.sh --benchmark_filter=FormationPlace, or
//   build/bench/bench_strategy_bench
// from any directory. The counters p50_us and p99_us are percentiles of
// single queries.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "call_times.h"
#include "qorvexlib/Strategy.h"
#include "support/test_files.h"

namespace {

using qorvexlib::formation_t;
using qorvexlib::Strategy;
using qorvexlib::vec2d;

const Strategy& play_strategy()
{
    static Strategy s = [] {
        Strategy t;
        if (!t.load(BREVANE_SOURCE_DIR "/strategies/marvessa/common.xml")) {
            std::fprintf(stderr, "cannot load strategies/marvessa/common.xml\n");
            std::exit(1);
        }
        return t;
    }();
    return s;
}

struct Query {
    vec2d ball;
    qorvexlib::Side side;
};

// Ball positions on a 1 m grid over the field and 1 m around it, for the
// team on either side.
const std::vector<Query>& queries()
{
    static const std::vector<Query> q = [] {
        std::vector<Query> v;
        for (int x = -16; x <= 16; ++x)
            for (int y = -11; y <= 11; ++y)
                for (qorvexlib::Side side : {qorvexlib::BLUE, qorvexlib::RED})
                    v.push_back({vec2d(x + 0.25, y - 0.25), side});
        return v;
    }();
    return q;
}

void fail(benchmark::State& state, const Query& q, const formation_t& f)
{
    std::fprintf(stderr, "no place for the ball (%.2f %.2f): %s\n", q.ball.x, q.ball.y,
                 f.lua().errMsg().c_str());
    state.SkipWithError("interpolate failed");
    std::exit(1);
}

// The query as the assist state makes it, into its formation object.
void BM_FormationPlace(benchmark::State& state)
{
    const Strategy& s = play_strategy();
    const std::vector<Query>& qs = queries();
    formation_t places;
    CallTimes times(state);
    size_t i = 0;
    for (auto _ : state) {
        const Query& q = qs[i++ % qs.size()];
        bool ok = false;
        times.time([&] {
            ok = s.interpolate(q.ball, q.side, places);
            places.sort();
        });
        if (!ok) fail(state, q, places);
        benchmark::DoNotOptimize(places.players.data());
    }
    times.report(state);
}
BENCHMARK(BM_FormationPlace)->Unit(benchmark::kMicrosecond);

// The same query into a new formation object each time, with its own Lua
// state, made and destroyed within the timed call.
void BM_FormationPlace_NewObject(benchmark::State& state)
{
    const Strategy& s = play_strategy();
    const std::vector<Query>& qs = queries();
    CallTimes times(state);
    size_t i = 0;
    for (auto _ : state) {
        const Query& q = qs[i++ % qs.size()];
        times.time([&] {
            formation_t places;
            if (!s.interpolate(q.ball, q.side, places)) fail(state, q, places);
            places.sort();
            benchmark::DoNotOptimize(places.players.data());
        });
    }
    times.report(state);
}
BENCHMARK(BM_FormationPlace_NewObject)->Unit(benchmark::kMicrosecond);

}  // namespace
