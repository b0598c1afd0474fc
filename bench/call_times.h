// Per-call times of a benchmark loop, for the percentiles of single calls
// that Google Benchmark's averages over an iteration batch do not show.
#ifndef BREVANE_BENCH_CALL_TIMES_H
#define BREVANE_BENCH_CALL_TIMES_H

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <vector>

class CallTimes {
public:
    using clock = std::chrono::steady_clock;

    explicit CallTimes(const benchmark::State& state)
    {
        m_ns.reserve(static_cast<size_t>(state.max_iterations));
    }

    // Times one call of f.
    template <class F>
    void time(F&& f)
    {
        const clock::time_point t0 = clock::now();
        f();
        const clock::time_point t1 = clock::now();
        m_ns.push_back(std::chrono::duration<double, std::nano>(t1 - t0).count());
    }

    // The counters "p50_us" and "p99_us" of the calls timed so far.
    void report(benchmark::State& state)
    {
        if (m_ns.empty()) return;
        state.counters["p50_us"] = percentile(0.50) / 1000.0;
        state.counters["p99_us"] = percentile(0.99) / 1000.0;
    }

private:
    double percentile(double q)
    {
        const size_t k = std::min(m_ns.size() - 1, static_cast<size_t>(q * static_cast<double>(m_ns.size())));
        std::nth_element(m_ns.begin(), m_ns.begin() + static_cast<std::ptrdiff_t>(k), m_ns.end());
        return m_ns[k];
    }

    std::vector<double> m_ns;
};

#endif
