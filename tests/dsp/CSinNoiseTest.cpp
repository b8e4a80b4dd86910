// The sine disturbance and its soft onset and end.

#include "TestSignals.h"

#include "dsp/CSignal.h"
#include "dsp/CSinNoise.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

using dsp::CSinNoise;
namespace ts = testsignals;

namespace {

// The gain the tone should have at sample i of count: ramps of 1024 samples on long buffers.
double Envelope(int i, int count) {
    if (count <= 4096)
        return 1.0;
    return std::min({i, count - 1 - i, 1024}) / 1024.0;
}

TEST(SinNoise, AddsTheToneWithItsRamps) {
    const float amplitude = 0.1f;
    const float omega = 37 * std::numbers::pi_v<float> / 256;
    for (const int count : {1, 1000, 4096, 4097, 10000}) {
        std::vector<float> buffer(count, 0.25f);
        CSinNoise(amplitude, omega).AddTo(buffer.data(), count);
        for (int i = 0; i < count; ++i) {
            const double expected =
                0.25 + amplitude * Envelope(i, count) * std::sin(double(omega) * i);
            // The phase is formed in single precision: up to ~2.5e-4 rad off at i = 10000.
            ASSERT_NEAR(buffer[i], expected, 3e-5) << "count " << count << " i " << i;
        }
    }
}

// The notch exercise disturbs an example with a tone at m / 512 of the sample rate; the
// spectrum made before must show it afterwards.
TEST(ApplyNoise, ToneShowsInTheSpectrum) {
    auto signal = ts::Make(ts::Noise(20000, 0.001f, 4));
    ASSERT_TRUE(signal->EnsureSpectrum());
    ASSERT_TRUE(signal->ApplyNoise(CSinNoise(0.1f, 64 * std::numbers::pi_v<float> / 256)));
    const float* power = signal->GetSpectrum().GetPower();
    EXPECT_EQ(std::max_element(power, power + 1025) - power, 256);
    EXPECT_FLOAT_EQ(power[256], 1.0f);
}

TEST(ApplyNoise, SumIsHeldFinite) {
    auto signal = ts::Make(ts::Noise(5000, 1.0f, 4));
    ASSERT_TRUE(signal->EnsureSpectrogram() && signal->EnsureSpectrum());
    ASSERT_TRUE(signal->ApplyNoise(CSinNoise(3e38f, 0.2f)));
    ASSERT_TRUE(signal->ApplyNoise(CSinNoise(3e38f, 0.2f)));
    EXPECT_TRUE(ts::AllFinite(signal->GetSamples(), 5000));
    EXPECT_TRUE(ts::AllFinite(signal->GetSpectrum().GetPower(), 1025));
    EXPECT_GT(signal->GetSpectrum().GetFactor(), 0.0f);
}

} // namespace
