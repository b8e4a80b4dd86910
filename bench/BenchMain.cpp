// Runs the benchmarks and reports each cost as a ratio to the bare transforms measured in the
// same run, since absolute times on shared machines say little.

#include "BenchSignals.h"
#include "dsp/CAnalysisMemory.h"

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
            // A repeated benchmark is represented by its median, another by its only run.
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (run.error_occurred || !(single || run.aggregate_name == "median"))
                continue;
            Row& row = m_rows[run.run_name.function_name];
            row.ms = run.GetAdjustedRealTime();
            if (const auto paired = run.counters.find("ratio"); paired != run.counters.end())
                row.paired = paired->second.value;
        }
    }

    void PrintRatios() const {
        const auto base = m_rows.find("BM_BareTransforms");
        if (base == m_rows.end() || base->second.ms <= 0)
            return;
        std::printf("\nRatios to the bare transforms (medians of this run):\n");
        std::printf("  %-32s %12s %14s %14s\n", "", "ms", "to benchmark", "run beside");
        for (const auto& [name, row] : m_rows) {
            std::printf("  %-32s %12.3f %13.2fx", name.c_str(), row.ms, row.ms / base->second.ms);
            if (row.paired > 0)
                std::printf(" %13.2fx", row.paired);
            std::printf("\n");
        }
    }

private:
    struct Row {
        double ms = 0;     // per iteration
        double paired = 0; // ratio to the baseline run beside it, 0 if none
    };
    std::map<std::string, Row> m_rows;
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
    dsp::CAnalysisMemory::KeepFreedMemory(); // as the program does
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
