#pragma once
// The largest magnitude a computed sample may reach.
//
// Samples read from files lie in [-1, 1]. A filter the player builds may be unstable, and its
// output then grows without end until it overflows to infinity and NaN, which would poison
// every analysis and plot made from it. Computed samples are therefore held within
// +-2^20 (about 120 dB above full scale):
// - no stable filter of the exercises comes near it with a full-scale input (a resonance with
//   poles at radius 0.99 gains about 10^4), so sound filters are never touched;
// - everything derived stays finite: a spectrogram part is at most 1024 * 2^20 = 2^30, a
//   spectrum bin at most (2048 * 2^20)^2 = 2^62 per window and 2^83 summed over the at most
//   2^21 windows of an int-sized signal, far below the float limit of about 2^128;
// - a plot that multiplies a sample by a height of up to 1024 pixels stays inside int.

#include <cmath>

namespace dsp {

inline constexpr float SAMPLE_LIMIT = 1048576.0f; // 2^20

// v held within [-SAMPLE_LIMIT, SAMPLE_LIMIT]; NaN (from inf - inf) becomes 0.
inline float LimitSample(float v) {
    if (std::fabs(v) <= SAMPLE_LIMIT)
        return v;
    if (v > 0.0f)
        return SAMPLE_LIMIT;
    if (v < 0.0f)
        return -SAMPLE_LIMIT;
    return 0.0f;
}

} // namespace dsp
