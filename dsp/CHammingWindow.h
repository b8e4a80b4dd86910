#pragma once
// The symmetric Hamming windows of the two analyses,
// w[i] = 0.54 - 0.46 cos(2 pi i / (N - 1)), held with six decimals as the tables always had,
// so every analysis, and every test, sees exactly the same numbers.

#include <span>

namespace dsp {

class CHammingWindow {
public:
    // The table for N = 1024 or N = 2048; empty for any other length.
    static std::span<const float> Table(int length);
    // The formula's value for i of length, rounded to six decimals.
    static float Value(int i, int length);
};

} // namespace dsp
