// Runs the benchmarks and reports each cost as a ratio to the bare transforms measured in the
// same run, since absolute times on shared machines say little.

#include "BenchSignals.h"
#include "CEndToEndProbes.h"
#include "dsp/CAnalysisMemory.h"
#include "dsp/CWorkerPool.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <thread>

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
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty())
                name += "/" + run.run_name.args;
            Row& row = m_rows[name];
            row.ms = run.GetAdjustedRealTime();
            if (const auto paired = run.counters.find("ratio"); paired != run.counters.end())
                row.paired = paired->second.value;
            if (const auto peak = run.counters.find("peak_MiB"); peak != run.counters.end())
                row.peakMiB = peak->second.value;
        }
    }

    void PrintRatios() const {
        const auto base = m_rows.find("BM_BareTransforms");
        if (base == m_rows.end() || base->second.ms <= 0)
            return;
        std::printf("\nRatios to the single-threaded bare transforms (medians of this run):\n");
        std::printf("  %-34s %12s %14s %14s\n", "", "ms", "to benchmark", "run beside");
        for (const auto& [name, row] : m_rows) {
            if (IsEndToEnd(name))
                continue;
            std::printf("  %-34s %12.3f %13.2fx", name.c_str(), row.ms, row.ms / base->second.ms);
            if (row.paired > 0)
                std::printf(" %13.2fx", row.paired);
            std::printf("\n");
        }
        std::printf(
            "\nTargets (ratios measured beside the baseline, %d analysis threads by default):\n",
            dsp::CWorkerPool::DefaultThreads());
        PrintTarget("BM_BareTransformsOnPool/2", 0.0, "bare transforms alone, 2 threads");
        PrintTarget("BM_EnsureSpectrogram/2", 0.8, "new 10 s spectrogram, 2 threads");
        PrintTarget("BM_EnsureSpectrogram/1", 1.2, "new 10 s spectrogram, 1 thread");
        PrintTarget("BM_FilterChange/2", 2.0, "filter change, both analyses, 2 threads");
        PrintTarget("BM_FilterChange/1", 0.0, "filter change, both analyses, 1 thread");
        if (const auto menu = m_rows.find("BM_StartToMenu"); menu != m_rows.end())
            PrintFigure(menu->second.ms, 300, "ms", "start to menu painted");
        if (const auto slide = m_rows.find("BM_HeaviestSlideReady"); slide != m_rows.end())
            PrintFigure(slide->second.ms, 50, "ms", "heaviest slide ready after reading");
        if (const auto peak = m_rows.find("BM_SixExamplesPeakMemory"); peak != m_rows.end())
            PrintFigure(peak->second.peakMiB, 150, "MiB", "peak memory, six 10 s examples");
    }

private:
    static bool IsEndToEnd(const std::string& name) {
        return name == "BM_StartToMenu" || name == "BM_HeaviestSlideReady" ||
               name == "BM_SixExamplesPeakMemory";
    }

    static void PrintFigure(double value, double target, const char* unit, const char* what) {
        std::printf("  %-44s %7.1f %s (target <= %.0f %s: %s)\n", what, value, unit, target, unit,
                    value <= target ? "met" : "missed");
    }

    // The ratio measured beside the baseline, against its target (0: reported only).
    void PrintTarget(const std::string& name, double target, const char* what) const {
        const auto row = m_rows.find(name);
        if (row == m_rows.end() || row->second.paired <= 0)
            return;
        if (target > 0)
            std::printf("  %-44s %5.2fx (target <= %.1fx: %s)\n", what, row->second.paired, target,
                        row->second.paired <= target ? "met" : "missed");
        else
            std::printf("  %-44s %5.2fx\n", what, row->second.paired);
    }

    struct Row {
        double ms = 0;      // per iteration
        double paired = 0;  // ratio to the baseline run beside it, 0 if none
        double peakMiB = 0; // peak memory, for the memory figure
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

// The machine is shared: its load says how far the figures can be trusted.
void PrintLoad(const char* when) {
    double one = 0, five = 0, fifteen = 0;
    if (FILE* file = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(file, "%lf %lf %lf", &one, &five, &fifteen) != 3)
            one = five = fifteen = -1;
        std::fclose(file);
    }
    std::printf("Load average %s: %.2f %.2f %.2f on %u hardware threads\n", when, one, five,
                fifteen, std::thread::hardware_concurrency());
}

} // namespace

int main(int argc, char** argv) {
    if (CEndToEndProbes::IsProbe(argc, argv))
        return CEndToEndProbes::Run(argc, argv);
    dsp::CAnalysisMemory::KeepFreedMemory(); // as the program does
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    PrintLoad("before");
    PayFirstPlan();
    CRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    PrintLoad("after");
    benchmark::Shutdown();
    return 0;
}
