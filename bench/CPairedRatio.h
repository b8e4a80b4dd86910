#pragma once
// Measures a piece of work against the bare transforms inside one benchmark, iteration by
// iteration, so that a change of load on a shared machine hits both sides alike. Before each
// timed piece of work the baseline runs twice, the second time timed: it is measured warm, as in
// a loop of its own, while the work meets whatever the baseline left in the caches.
// The benchmark's time is the work's own (use manual time); the counters "bare_ms" and "ratio"
// give the baseline and the ratio of the sums.

#include "CBareTransforms.h"

#include <benchmark/benchmark.h>

#include <chrono>

class CPairedRatio {
public:
    explicit CPairedRatio(benchmark::State& state) : m_state(state) {}
    ~CPairedRatio() {
        if (m_runs > 0 && m_bare > 0) {
            m_state.counters["bare_ms"] = 1e3 * m_bare / m_runs;
            m_state.counters["ratio"] = m_work / m_bare;
        }
    }
    CPairedRatio(const CPairedRatio&) = delete;
    CPairedRatio& operator=(const CPairedRatio&) = delete;

    template <typename Work> void Measure(Work&& work) {
        m_baseline.Run();
        m_bare += Seconds([this] { m_baseline.Run(); });
        const double seconds = Seconds(work);
        m_work += seconds;
        ++m_runs;
        m_state.SetIterationTime(seconds);
    }

private:
    template <typename Work> static double Seconds(Work&& work) {
        const auto start = std::chrono::steady_clock::now();
        work();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    benchmark::State& m_state;
    CBareTransforms m_baseline;
    double m_work = 0;
    double m_bare = 0;
    int m_runs = 0;
};
