#pragma once
// Signals made in code for the analysis and filter tests.

#include "dsp/CSignal.h"

#include <memory>
#include <vector>

namespace testsignals {

std::unique_ptr<dsp::CSignal> Make(const std::vector<float>& samples, unsigned rate = 8000);
// Uniform noise in [-amplitude, amplitude], repeatable per seed.
std::vector<float> Noise(int count, float amplitude, unsigned seed);
// amplitude * sin(2 pi cycles i / period)
std::vector<float> Tone(int count, float amplitude, double cycles, int period);
// Derives a signal from source and fills it through b = {gain}, a = {1}.
std::unique_ptr<dsp::CSignal> Scaled(dsp::CSignal& source, float gain);
bool AllFinite(const float* values, std::size_t count);

} // namespace testsignals
