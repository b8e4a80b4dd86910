#pragma once
// Signals made in code for the analysis and filter tests.
#include "dsp/CSignal.h"

#include <memory>
#include <vector>

namespace testsignals {

std::unique_ptr<dsp::CSignal> Make(const std::vector<float>& samples, unsigned rate = 8000);
std::vector<float> Noise(int count, float amplitude, unsigned seed); // uniform, repeatable
std::vector<float> Tone(int count, float amplitude, double cycles, int period);
// A signal derived from source and filled through b = {gain}, a = {1}.
std::unique_ptr<dsp::CSignal> Scaled(dsp::CSignal& source, float gain);
bool AllFinite(const float* values, std::size_t count);

} // namespace testsignals
