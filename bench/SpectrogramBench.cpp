// What a spectrogram costs compared with the bare transforms it is made of.

#include "BenchSignals.h"

#include "dsp/CFftwBuffer.h"
#include "dsp/CFftwPlanner.h"
#include "dsp/CFloatBlocks.h"
#include "dsp/CHammingWindow.h"
#include "dsp/CSignal.h"

#include <benchmark/benchmark.h>

using namespace benchsignals;

namespace {

// Output rows padded to 64 bytes, so that every row keeps the alignment the plan was made for.
constexpr int ROW = 520;

// Windowing as fast as the spectrogram's own, so that the baseline flatters nobody.
void Window(const float* frame, float* input) {
    dsp::CFloatBlocks::Multiply<1024>(frame, dsp::CHammingWindow::Table(1024).data(), input);
}

// The baseline: 860 windowed, contiguous 1024-point transforms, each kept in its own row.
void BM_BareTransforms(benchmark::State& state) {
    const std::vector<float> samples = Noise(TEN_SECONDS);
    dsp::CFftwBuffer<float> input;
    dsp::CFftwBuffer<fftwf_complex> output;
    input.Allocate(1024);
    output.Allocate(std::size_t(TEN_SECOND_FRAMES) * ROW);
    const dsp::CFftwPlan plan =
        dsp::CFftwPlanner::PlanRealToComplex(1024, input.Get(), output.Get(), FFTW_MEASURE);
    for (auto _ : state) {
        for (int t = 0; t < TEN_SECOND_FRAMES; ++t) {
            Window(samples.data() + t * 512, input.Get());
            fftwf_execute_dft_r2c(plan.Get(), input.Get(), output.Get() + std::size_t(t) * ROW);
        }
        benchmark::DoNotOptimize(output.Get());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BareTransforms)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same transforms into one output buffer that stays in the cache: a lower bound.
void BM_BareTransformsOneBuffer(benchmark::State& state) {
    const std::vector<float> samples = Noise(TEN_SECONDS);
    dsp::CFftwBuffer<float> input;
    dsp::CFftwBuffer<fftwf_complex> output;
    input.Allocate(1024);
    output.Allocate(ROW);
    const dsp::CFftwPlan plan =
        dsp::CFftwPlanner::PlanRealToComplex(1024, input.Get(), output.Get(), FFTW_MEASURE);
    for (auto _ : state) {
        for (int t = 0; t < TEN_SECOND_FRAMES; ++t) {
            Window(samples.data() + t * 512, input.Get());
            fftwf_execute(plan.Get());
        }
        benchmark::DoNotOptimize(output.Get());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BareTransformsOneBuffer)->Unit(benchmark::kMillisecond)->UseRealTime();

// A new ten-second signal's first spectrogram: allocation, plan, transforms, scatter, scaling.
void BM_EnsureSpectrogram(benchmark::State& state) {
    const std::vector<float> samples = Noise(TEN_SECONDS);
    for (auto _ : state) {
        state.PauseTiming();
        auto signal = MakeSignal(samples);
        state.ResumeTiming();
        benchmark::DoNotOptimize(signal->EnsureSpectrogram());
        state.PauseTiming();
        signal.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_EnsureSpectrogram)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every iteration a signal with a frame count not seen before (860 +- 400 frames, in a
// scattered order): a planner that had to measure per length would show here.
void BM_EnsureSpectrogramNewLength(benchmark::State& state) {
    const std::vector<float> samples = Noise(TEN_SECONDS + 512 * 400);
    int k = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const int extraFrames = (k++ * 7919) % 801 - 400; // distinct for 801 iterations
        auto signal = MakeSignal(samples, TEN_SECONDS + 512 * extraFrames);
        state.ResumeTiming();
        benchmark::DoNotOptimize(signal->EnsureSpectrogram());
        state.PauseTiming();
        signal.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_EnsureSpectrogramNewLength)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(801);

// For comparison only: measuring a plan that writes straight to bin-major places, whose output
// stride (the frame count) differs from signal to signal.
void BM_MeasureStridedPlan(benchmark::State& state) {
    int frames = 2000;
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
