// The sine disturbance with its soft onset and end.
#include "dsp/CSinNoise.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

// Buffers longer than 4096 samples fade in and out over 1024 samples; shorter ones do not.
TEST(SinNoise, AddsTheToneWithItsRamps) {
    const float omega = 37 * std::numbers::pi_v<float> / 256;
    const struct {
        int count, i;
        double envelope;
    } cases[] = {{4096, 5, 1.0}, {4096, 4093, 1.0}, {4097, 5, 5 / 1024.0}, {4097, 512, 0.5},
                 {4097, 2000, 1.0}, {4097, 4094, 2 / 1024.0}, {10000, 5000, 1.0}};
    for (const auto& c : cases) {
        std::vector<float> buffer(c.count, 0.25f);
        dsp::CSinNoise(0.1f, omega).AddTo(buffer.data(), c.count);
        EXPECT_NEAR(buffer[c.i], 0.25 + 0.1 * c.envelope * std::sin(double(omega) * c.i), 3e-5)
            << "count " << c.count << " i " << c.i;
    }
    dsp::CSinNoise(0.1f, omega).AddTo(nullptr, 10); // no buffer: nothing to add to, no crash
}

} // namespace
