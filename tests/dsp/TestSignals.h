#pragma once
// Signals made in code for the analysis and filter tests.
#include "dsp/CFilter.h"
#include "dsp/CSignal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

namespace testsignals {

inline std::unique_ptr<dsp::CSignal> Make(const std::vector<float>& samples, unsigned rate = 8000) {
    auto signal = std::make_unique<dsp::CSignal>();
    const dsp::CWaveFormat format{1, 1, rate, rate * 2, 2, 16, 0};
    if (signal->CreateFromSamples(format, samples.data(), int(samples.size())) != 0)
        return nullptr;
    return signal;
}

// Uniform in [-amplitude, amplitude], repeatable.
inline std::vector<float> Noise(int count, float amplitude, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> uniform(-amplitude, amplitude);
    std::vector<float> samples(count);
    std::generate(samples.begin(), samples.end(), [&] { return uniform(random); });
    return samples;
}

inline std::vector<float> Tone(int count, float amplitude, double cycles, int period) {
    std::vector<float> samples(count);
    for (int i = 0; i < count; ++i)
        samples[i] = float(amplitude * std::sin(2.0 * std::numbers::pi * cycles * i / period));
    return samples;
}

inline dsp::CFilter Filter(const std::vector<float>& a, const std::vector<float>& b) {
    dsp::CFilter filter;
    EXPECT_TRUE(filter.SetCoefficients(a.data(), int(a.size()), b.data(), int(b.size())));
    return filter;
}

inline bool AllFinite(const float* values, std::size_t count) {
    return std::all_of(values, values + count, [](float v) { return std::isfinite(v); });
}

} // namespace testsignals
