#pragma once
// The signals the benchmarks work on: ten seconds at 44.1 kHz, the length of a typical example.

#include "dsp/CSignal.h"

#include <memory>
#include <random>
#include <vector>

namespace benchsignals {

constexpr int RATE = 44100;
constexpr int TEN_SECONDS = 10 * RATE;
// Spectrogram frames of a ten-second signal: (441000 - 512) / 512.
constexpr int TEN_SECOND_FRAMES = 860;

inline std::vector<float> Noise(int count) {
    std::mt19937 random(42);
    std::uniform_real_distribution<float> uniform(-0.5f, 0.5f);
    std::vector<float> samples(count);
    for (float& s : samples)
        s = uniform(random);
    return samples;
}

// A root signal holding the first count samples.
inline std::unique_ptr<dsp::CSignal> MakeSignal(const std::vector<float>& samples, int count) {
    auto signal = std::make_unique<dsp::CSignal>();
    const dsp::CWaveFormat format{1, 1, RATE, RATE * 2, 2, 16, 0};
    signal->CreateFromSamples(format, samples.data(), count);
    return signal;
}

inline std::unique_ptr<dsp::CSignal> MakeSignal(const std::vector<float>& samples) {
    return MakeSignal(samples, static_cast<int>(samples.size()));
}

} // namespace benchsignals
