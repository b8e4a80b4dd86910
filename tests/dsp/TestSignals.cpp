#include "TestSignals.h"

#include "dsp/CFilter.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace testsignals {

std::unique_ptr<dsp::CSignal> Make(const std::vector<float>& samples, unsigned rate) {
    auto signal = std::make_unique<dsp::CSignal>();
    const dsp::CWaveFormat format{1, 1, rate, rate * 2, 2, 16, 0};
    if (signal->CreateFromSamples(format, samples.data(), static_cast<int>(samples.size())) != 0)
        return nullptr;
    return signal;
}

std::vector<float> Noise(int count, float amplitude, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> uniform(-amplitude, amplitude);
    std::vector<float> samples(count);
    for (float& s : samples)
        s = uniform(random);
    return samples;
}

std::vector<float> Tone(int count, float amplitude, double cycles, int period) {
    std::vector<float> samples(count);
    for (int i = 0; i < count; ++i)
        samples[i] = float(amplitude * std::sin(2.0 * std::numbers::pi * cycles * i / period));
    return samples;
}

std::unique_ptr<dsp::CSignal> Scaled(dsp::CSignal& source, float gain) {
    auto derived = std::make_unique<dsp::CSignal>();
    dsp::CFilter filter;
    const float a[] = {1.0f};
    const float b[] = {gain};
    if (derived->CreateFrom(&source) != 0 || !filter.SetCoefficients(a, 1, b, 1) ||
        !derived->ApplyFilter(filter))
        return nullptr;
    return derived;
}

bool AllFinite(const float* values, std::size_t count) {
    return std::all_of(values, values + count, [](float v) { return std::isfinite(v); });
}

} // namespace testsignals
