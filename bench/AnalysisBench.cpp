// What the analyses and a filter change cost against the bare transforms, two ways: BenchMain
// divides each benchmark's median by BM_BareTransforms' median, and each benchmark also runs the
// baseline beside its own work (CPairedRatio), which stays right when the load of a shared
// machine changes between benchmarks. Every benchmark is repeated and its medians taken.

#include "BenchSignals.h"
#include "CBareTransforms.h"
#include "CPairedRatio.h"

#include "dsp/CFilter.h"
#include "dsp/CSignal.h"
#include "dsp/CWorkerPool.h"

#include <benchmark/benchmark.h>

#include <cmath>

using namespace benchsignals;

namespace {

constexpr int REPETITIONS = 7;

// The analyses' threads for one benchmark (its argument), the machine's number afterwards.
class CPoolThreads {
public:
    explicit CPoolThreads(const benchmark::State& state) {
        dsp::CWorkerPool::Shared().SetThreads(static_cast<int>(state.range(0)));
    }
    ~CPoolThreads() { dsp::CWorkerPool::Shared().SetThreads(dsp::CWorkerPool::DefaultThreads()); }
};

void BM_BareTransforms(benchmark::State& state) {
    CBareTransforms bare;
    for (auto _ : state)
        bare.Run();
}
BENCHMARK(BM_BareTransforms)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(REPETITIONS)
    ->ReportAggregatesOnly(true);

void BM_BareTransformsOneBuffer(benchmark::State& state) {
    CBareTransforms bare(CBareTransforms::EOutput::OneBuffer);
    for (auto _ : state)
        bare.Run();
}
BENCHMARK(BM_BareTransformsOneBuffer)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(REPETITIONS)
    ->ReportAggregatesOnly(true);

// The bare transforms themselves spread over the pool: how much a second thread can give on
// this machine at all, the floor for the spectrogram on that many threads.
void BM_BareTransformsOnPool(benchmark::State& state) {
    const CPoolThreads threads(state);
    CBareTransforms split;
    CPairedRatio paired(state);
    for (auto _ : state)
        paired.Measure([&] { split.RunOnPool(); });
}
BENCHMARK(BM_BareTransformsOnPool)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Repetitions(REPETITIONS)
    ->ReportAggregatesOnly(true);

// A new ten-second signal's first spectrogram: allocation, plan, transforms, scatter, scaling,
// on as many threads as the argument says.
void BM_EnsureSpectrogram(benchmark::State& state) {
    const CPoolThreads threads(state);
    const std::vector<float> samples = Noise(TEN_SECONDS);
    CPairedRatio paired(state);
    for (auto _ : state) {
        auto signal = MakeSignal(samples);
        paired.Measure([&] { benchmark::DoNotOptimize(signal->EnsureSpectrogram()); });
    }
}
BENCHMARK(BM_EnsureSpectrogram)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Repetitions(REPETITIONS)
    ->ReportAggregatesOnly(true);

// Every iteration a signal with a frame count not seen before (860 +- 400 frames, in a
// scattered order): a planner that had to measure per length would show here.
void BM_EnsureSpectrogramNewLength(benchmark::State& state) {
    static int k = 0; // new lengths across repetitions too
    const std::vector<float> samples = Noise(TEN_SECONDS + 512 * 400);
    CPairedRatio paired(state);
    for (auto _ : state) {
        const int extraFrames = (k++ * 7919) % 801 - 400; // distinct for 801 iterations
        auto signal = MakeSignal(samples, TEN_SECONDS + 512 * extraFrames);
        paired.Measure([&] { benchmark::DoNotOptimize(signal->EnsureSpectrogram()); });
    }
}
BENCHMARK(BM_EnsureSpectrogramNewLength)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(801 / REPETITIONS)
    ->Repetitions(REPETITIONS)
    ->ReportAggregatesOnly(true);

// The whole work of one filter change: 3 + 3 coefficients over ten seconds, then the
// spectrogram and the spectrum refreshed (the first while the filter still writes), on as many
// threads as the argument says.
void BM_FilterChange(benchmark::State& state) {
    const CPoolThreads threads(state);
    const auto root = MakeSignal(Noise(TEN_SECONDS));
    dsp::CSignal output;
    output.CreateFrom(root.get());
    output.EnsureSpectrogram();
    output.EnsureSpectrum();
    dsp::CFilter filter;
    double notch = 0.3;
    CPairedRatio paired(state);
    for (auto _ : state) {
        // A notch that moves each time, as when the player drags it.
        notch = notch < 2.5 ? notch + 0.01 : 0.3;
        const float c = static_cast<float>(-2.0 * std::cos(notch));
        const float b[] = {1.0f, c, 1.0f};
        const float a[] = {1.0f, 0.95f * c, 0.9025f};
        paired.Measure([&] {
            filter.SetCoefficients(a, 3, b, 3);
            benchmark::DoNotOptimize(output.ApplyFilter(filter));
        });
    }
}
BENCHMARK(BM_FilterChange)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Repetitions(REPETITIONS)
    ->ReportAggregatesOnly(true);

// For comparison only: measuring a plan that writes straight to bin-major places, whose output
// stride (the frame count) differs from signal to signal.
void BM_MeasureStridedPlan(benchmark::State& state) {
    static int frames = 2000; // a new output stride every time
    dsp::CFftwBuffer<float> input;
    dsp::CFftwBuffer<fftwf_complex> output;
    input.Allocate(1024);
    output.Allocate(std::size_t(513) * 3000);
    for (auto _ : state) {
        const int n[] = {1024};
        ++frames;
        fftwf_plan plan = fftwf_plan_many_dft_r2c(1, n, 1, input.Get(), nullptr, 1, 0, output.Get(),
                                                  nullptr, frames, 0, FFTW_MEASURE);
        benchmark::DoNotOptimize(plan);
        fftwf_destroy_plan(plan);
    }
}
BENCHMARK(BM_MeasureStridedPlan)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace
