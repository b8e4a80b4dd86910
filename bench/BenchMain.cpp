// Runs the benchmarks and reports each cost as a ratio to the bare transforms measured in the
// same run, since absolute times on shared machines say little.

#include "BenchSignals.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>

namespace {

class CRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            // With repetitions the median stands for the benchmark; otherwise its only run.
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (!run.error_occurred && (single || run.aggregate_name == "median"))
                m_times[run.run_name.function_name] = {run.GetAdjustedRealTime(),
                                                       run.GetAdjustedCPUTime()};
        }
    }

    // Wall-clock and CPU time both: on a loaded machine the CPU time is the steadier of the two.
    void PrintRatios() const {
        const auto base = m_times.find("BM_BareTransforms");
        if (base == m_times.end() || base->second.real <= 0 || base->second.cpu <= 0)
            return;
        std::printf("\nRatios to BM_BareTransforms in this run:\n");
        std::printf("  %-32s %10s %7s %10s %7s\n", "", "real ms", "ratio", "cpu ms", "ratio");
        for (const auto& [name, t] : m_times)
            std::printf("  %-32s %10.3f %6.2fx %10.3f %6.2fx\n", name.c_str(), t.real,
                        t.real / base->second.real, t.cpu, t.cpu / base->second.cpu);
    }

private:
    struct Times {
        double real = 0; // milliseconds per iteration
        double cpu = 0;
    };
    std::map<std::string, Times> m_times;
};

// The process's first spectrogram pays for measuring the transform; every benchmark after it
// finds the plan in what the planner has learned.
void PayFirstPlan() {
    auto signal = benchsignals::MakeSignal(benchsignals::Noise(2048));
    const auto start = std::chrono::steady_clock::now();
    signal->EnsureSpectrogram();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    std::printf("First spectrogram of the process (measures the transform): %.1f ms\n",
                took.count());
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    PayFirstPlan();
    CRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
