// The whole work of one filter change: filtering a ten-second signal with 3 + 3 coefficients and
// refreshing its spectrogram and spectrum.

#include "BenchSignals.h"

#include "dsp/CFilter.h"
#include "dsp/CSignal.h"

#include <benchmark/benchmark.h>

#include <cmath>

using namespace benchsignals;

namespace {

void BM_FilterChange(benchmark::State& state) {
    const auto root = MakeSignal(Noise(TEN_SECONDS));
    dsp::CSignal output;
    output.CreateFrom(root.get());
    output.EnsureSpectrogram();
    output.EnsureSpectrum();
    dsp::CFilter filter;
    double notch = 0.3;
    for (auto _ : state) {
        // A notch that moves each time, as when the player drags it.
        notch = notch < 2.5 ? notch + 0.01 : 0.3;
        const float c = static_cast<float>(-2.0 * std::cos(notch));
        const float b[] = {1.0f, c, 1.0f};
        const float a[] = {1.0f, 0.95f * c, 0.9025f};
        filter.SetCoefficients(a, 3, b, 3);
        benchmark::DoNotOptimize(output.ApplyFilter(filter));
    }
}
BENCHMARK(BM_FilterChange)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
