// Spectrogram and spectrum of signals, checked against a direct (slow, double-precision)
// Fourier transform and against what a pure tone must give.

#include "TestSignals.h"

#include "dsp/CFftwPlanner.h"
#include "dsp/CFilter.h"
#include "dsp/CHammingWindow.h"
#include "dsp/CSignal.h"
#include "dsp/CSinNoise.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <thread>

using dsp::CHammingWindow;
using dsp::CSignal;
using dsp::CSpectrogram;
using dsp::CSpectrum;
namespace ts = testsignals;

namespace {

double RoundedHamming(int i, int n) {
    return std::round((0.54 - 0.46 * std::cos(2.0 * std::numbers::pi * i / (n - 1))) * 1e6) / 1e6;
}

// Frames of a short-time transform of x, each frame's bins 0 .. n/2, by direct summation.
std::vector<std::vector<std::complex<double>>> DirectFrames(const std::vector<float>& x, int n,
                                                            int hop, int frames) {
    std::vector<std::complex<double>> twiddle(n);
    for (int i = 0; i < n; ++i)
        twiddle[i] = std::polar(1.0, -2.0 * std::numbers::pi * i / n);
    std::vector<std::vector<std::complex<double>>> result(frames);
    for (int t = 0; t < frames; ++t) {
        result[t].resize(n / 2 + 1);
        for (int k = 0; k <= n / 2; ++k) {
            std::complex<double> sum = 0;
            for (int i = 0; i < n; ++i) {
                const float windowed = x[t * hop + i] * static_cast<float>(RoundedHamming(i, n));
                sum += static_cast<double>(windowed) * twiddle[(std::size_t(k) * i) % n];
            }
            result[t][k] = sum;
        }
    }
    return result;
}

TEST(HammingWindow, TablesHoldTheRoundedFormula) {
    for (const int n : {1024, 2048}) {
        const auto table = CHammingWindow::Table(n);
        ASSERT_EQ(table.size(), std::size_t(n));
        for (int i = 0; i < n; ++i) {
            ASSERT_EQ(table[i], static_cast<float>(RoundedHamming(i, n))) << n << " " << i;
            ASSERT_EQ(table[i], table[n - 1 - i]) << "symmetric";
        }
    }
    const struct {
        int n, i;
        float expected;
    } known[] = {{1024, 0, 0.08f},        {1024, 1023, 0.08f},    {1024, 511, 0.999998f},
                 {1024, 512, 0.999998f},  {2048, 0, 0.08f},       {2048, 2047, 0.08f},
                 {2048, 1023, 0.999999f}, {2048, 1024, 0.999999f}};
    for (const auto& k : known)
        EXPECT_EQ(CHammingWindow::Table(k.n)[k.i], k.expected) << k.n << " " << k.i;
    EXPECT_TRUE(CHammingWindow::Table(512).empty());
}

TEST(Analysis, FrameCountsAreWholeWindows) {
    const struct {
        int samples, spectrogramFrames, spectrumFrames;
    } cases[] = {{1536, 2, 0}, {1535, 1, 0}, {1024, 1, 0}, {1023, 0, 0}, {100, 0, 0},
                 {4096, 7, 3}, {4095, 6, 2}, {2048, 3, 1}, {2047, 2, 0}};
    for (const auto& c : cases) {
        auto signal = ts::Make(ts::Noise(c.samples, 0.5f, 1));
        ASSERT_TRUE(signal->EnsureSpectrogram() && signal->EnsureSpectrum()) << c.samples;
        EXPECT_EQ(signal->GetSpectrogram().GetFrames(), c.spectrogramFrames) << c.samples;
        EXPECT_EQ(signal->GetSpectrum().GetFrames(), c.spectrumFrames) << c.samples;
        EXPECT_EQ(signal->GetSpectrogram().GetBins(), 513);
        EXPECT_EQ(signal->GetSpectrogram().GetHop(), 512);
        EXPECT_EQ(signal->GetSpectrum().GetBins(), 1025);
        EXPECT_EQ(signal->GetSpectrum().GetHop(), 1024);
    }
}

TEST(Analysis, EmptySignalHasNoAnalyses) {
    CSignal empty;
    EXPECT_FALSE(empty.EnsureSpectrogram());
    EXPECT_FALSE(empty.EnsureSpectrum());
    EXPECT_EQ(empty.GetSpectrogram().GetBins(), 0);
    EXPECT_EQ(empty.GetSpectrum().GetPower(), nullptr);
}

// 41 frames: more than two of the groups in which frames are transformed and scattered, and a
// last group that is not full.
TEST(Analysis, SpectrogramIsTheNormalisedBinMajorTransform) {
    const int frames = 41;
    const std::vector<float> x = ts::Noise(512 * (frames + 1) + 300, 0.7f, 7);
    auto signal = ts::Make(x);
    ASSERT_TRUE(signal->EnsureSpectrogram());
    const CSpectrogram& s = signal->GetSpectrogram();
    ASSERT_EQ(s.GetFrames(), frames);

    const auto direct = DirectFrames(x, 1024, 512, frames);
    double largest = 0;
    for (const auto& frame : direct)
        for (const auto& v : frame)
            largest = std::max({largest, std::fabs(v.real()), std::fabs(v.imag())});
    const double factor = 0.8 / largest;
    EXPECT_NEAR(s.GetFactor(), factor, factor * 1e-5);
    for (int t = 0; t < frames; ++t)
        for (int k = 0; k < 513; ++k) {
            const fftwf_complex& v = s.GetMatrix()[k * frames + t];
            ASSERT_NEAR(v[0], direct[t][k].real() * factor, 2e-5) << "bin " << k << " frame " << t;
            ASSERT_NEAR(v[1], direct[t][k].imag() * factor, 2e-5) << "bin " << k << " frame " << t;
        }
}

TEST(Analysis, SpectrumIsTheNormalisedSumOfPowers) {
    const int frames = 5;
    const std::vector<float> x = ts::Noise(1024 * (frames + 1) + 500, 0.3f, 11);
    auto signal = ts::Make(x);
    ASSERT_TRUE(signal->EnsureSpectrum());
    ASSERT_EQ(signal->GetSpectrum().GetFrames(), frames);

    const auto direct = DirectFrames(x, 2048, 1024, frames);
    std::vector<double> power(1025, 0.0);
    for (const auto& frame : direct)
        for (int k = 0; k < 1025; ++k)
            power[k] += std::norm(frame[k]);
    const double factor = 1.0 / *std::max_element(power.begin(), power.end());
    EXPECT_NEAR(signal->GetSpectrum().GetFactor(), factor, factor * 1e-4);
    for (int k = 0; k < 1025; ++k)
        ASSERT_NEAR(signal->GetSpectrum().GetPower()[k], power[k] * factor, 1e-5) << k;
}

// A tone in the middle of bin 64 (of 1024): the window's sum decides its level, 0.54 N - 0.46.
TEST(Analysis, PureToneLandsInItsBinAtItsLevel) {
    for (const float amplitude : {0.5f, 0.01f}) {
        const int count = 16384;
        auto signal = ts::Make(ts::Tone(count, amplitude, 64, 1024));
        ASSERT_TRUE(signal->EnsureSpectrogram() && signal->EnsureSpectrum());

        const CSpectrogram& s = signal->GetSpectrogram();
        for (int t = 0; t < s.GetFrames(); ++t) {
            int peak = 0;
            for (int k = 0; k < 513; ++k)
                if (std::abs(s.GetValue(k, t)) > std::abs(s.GetValue(peak, t)))
                    peak = k;
            ASSERT_EQ(peak, 64) << "frame " << t;
            ASSERT_NEAR(std::abs(s.GetValue(64, t)), 0.8, 0.8 * 1e-3);
        }
        EXPECT_NEAR(s.GetFactor(), 0.8 / (amplitude / 2 * 552.5), 0.01 * s.GetFactor());

        const float* power = signal->GetSpectrum().GetPower();
        EXPECT_EQ(std::max_element(power, power + 1025) - power, 128);
        EXPECT_FLOAT_EQ(power[128], 1.0f);
        // The Hamming main lobe one bin off the tone: (0.23 / 0.54)^2 of the peak.
        EXPECT_NEAR(power[127], 0.1814, 0.005);
        EXPECT_LT(power[300], 1e-6);
        const double peakPower = 15 * std::pow(amplitude / 2 * 1105.46, 2);
        EXPECT_NEAR(signal->GetSpectrum().GetFactor(), 1.0 / peakPower, 0.01 / peakPower);
    }
}

// Halving every sample is exact in floating point, so the derived analyses are exactly a
// quarter (power) and a half (spectrogram) of the root's on the root's scale.
TEST(Analysis, DerivedSignalIsDrawnOnItsRootsScale) {
    for (const bool rootFirst : {true, false}) {
        auto root = ts::Make(ts::Noise(20000, 0.6f, 3));
        if (rootFirst) {
            ASSERT_TRUE(root->EnsureSpectrogram() && root->EnsureSpectrum());
        }
        auto half = ts::Scaled(*root, 0.5f);
        ASSERT_TRUE(half && half->EnsureSpectrogram() && half->EnsureSpectrum());

        const CSpectrum& rp = root->GetSpectrum();
        const CSpectrum& hp = half->GetSpectrum();
        EXPECT_EQ(hp.GetFactor(), rp.GetFactor());
        for (int k = 0; k < 1025; ++k)
            ASSERT_FLOAT_EQ(hp.GetPower()[k], rp.GetPower()[k] / 4) << k;

        const CSpectrogram& rs = root->GetSpectrogram();
        const CSpectrogram& hs = half->GetSpectrogram();
        EXPECT_EQ(hs.GetFactor(), rs.GetFactor());
        for (int i = 0; i < rs.GetFrames() * 513; ++i) {
            ASSERT_FLOAT_EQ(hs.GetMatrix()[i][0], rs.GetMatrix()[i][0] / 2) << i;
            ASSERT_FLOAT_EQ(hs.GetMatrix()[i][1], rs.GetMatrix()[i][1] / 2) << i;
        }
    }
}

TEST(Analysis, SilentOrShortSignalsGiveZeroNeverNaN) {
    const struct {
        const char* name;
        std::vector<float> samples;
    } cases[] = {{"silent", std::vector<float>(9000, 0.0f)},
                 {"shorter than both windows", ts::Noise(1000, 0.9f, 5)},
                 {"one spectrogram frame, no spectrum frame", std::vector<float>(1500, 0.0f)},
                 {"single tiny sample", std::vector<float>(1, 1e-30f)}};
    for (const auto& c : cases) {
        auto root = ts::Make(c.samples);
        auto derived = ts::Scaled(*root, 3.0f);
        for (CSignal* signal : {root.get(), derived.get()}) {
            ASSERT_TRUE(signal->EnsureSpectrogram() && signal->EnsureSpectrum()) << c.name;
            const CSpectrogram& s = signal->GetSpectrogram();
            const CSpectrum& p = signal->GetSpectrum();
            EXPECT_EQ(s.GetFactor(), 0.0f) << c.name;
            EXPECT_EQ(p.GetFactor(), 0.0f) << c.name;
            for (int i = 0; i < s.GetFrames() * 513; ++i)
                ASSERT_TRUE(s.GetMatrix()[i][0] == 0.0f && s.GetMatrix()[i][1] == 0.0f);
            for (int k = 0; k < 1025; ++k)
                ASSERT_EQ(p.GetPower()[k], 0.0f) << c.name;
        }
    }
}

TEST(Analysis, RefreshRecomputesOnlyWhatExists) {
    auto root = ts::Make(std::vector<float>(8192, 0.0f));
    ASSERT_TRUE(root->EnsureSpectrogram());
    ASSERT_TRUE(root->ApplyNoise(dsp::CSinNoise(0.1f, 64 * std::numbers::pi_v<float> / 256)));
    EXPECT_FALSE(root->GetSpectrum().Exists());
    // The tone, 64/512 of the sample rate, is bin 128 of 1024.
    const CSpectrogram& s = root->GetSpectrogram();
    EXPECT_NEAR(std::abs(s.GetValue(128, 5)), 0.8f, 0.01f);
    EXPECT_LT(std::abs(s.GetValue(20, 5)), 1e-3f);
}

// Whatever the filter does, nothing the displays read may be infinite or NaN.
TEST(Analysis, UnstableFiltersStayFiniteEverywhere) {
    const struct {
        const char* name;
        std::vector<float> a, b;
    } cases[] = {{"pole at 2", {1.0f, -2.0f}, {1.0f}},
                 {"oscillating pole", {1.0f, 1.9f, 1.2f}, {1.0f, 0.5f, 0.25f}},
                 {"tiny a0", {1e-30f}, {1.0f, 1.0f}},
                 {"huge terms that cancel to NaN", {1.0f, 3e38f}, {3e38f, 3e38f}}};
    for (const auto& c : cases) {
        auto root = ts::Make(ts::Noise(30000, 1.0f, 9));
        ASSERT_TRUE(root->EnsureSpectrogram() && root->EnsureSpectrum());
        CSignal derived;
        ASSERT_EQ(derived.CreateFrom(root.get()), 0u);
        ASSERT_TRUE(derived.EnsureSpectrogram() && derived.EnsureSpectrum());
        dsp::CFilter filter;
        ASSERT_TRUE(
            filter.SetCoefficients(c.a.data(), int(c.a.size()), c.b.data(), int(c.b.size())));
        ASSERT_TRUE(derived.ApplyFilter(filter));
        float largest = 0;
        for (int i = 0; i < derived.GetSampleCount(); ++i) {
            ASSERT_TRUE(std::isfinite(derived.GetSamples()[i])) << c.name << " " << i;
            largest = std::max(largest, std::fabs(derived.GetSamples()[i]));
        }
        EXPECT_LE(largest, 1048576.0f) << c.name;
        const CSpectrogram& s = derived.GetSpectrogram();
        EXPECT_TRUE(ts::AllFinite(&s.GetMatrix()[0][0], 2 * std::size_t(s.GetFrames()) * 513))
            << c.name;
        EXPECT_TRUE(ts::AllFinite(derived.GetSpectrum().GetPower(), 1025)) << c.name;
    }
}

// The measuring planner runs for the first spectrogram of the process; a signal of another
// length must find everything it needs in what the planner already knows.
TEST(Analysis, SecondLengthNeedsNoNewMeasurement) {
    auto first = ts::Make(ts::Noise(44100, 0.5f, 1));
    ASSERT_TRUE(first->EnsureSpectrogram() && first->EnsureSpectrum());
    const std::string known = dsp::CFftwPlanner::ExportWisdom();
    EXPECT_FALSE(known.empty());
    for (const int length : {30011, 90000, 5000}) {
        auto other = ts::Make(ts::Noise(length, 0.5f, 2));
        ASSERT_TRUE(other->EnsureSpectrogram() && other->EnsureSpectrum());
    }
    EXPECT_EQ(dsp::CFftwPlanner::ExportWisdom(), known);
}

// Slides are prepared on a worker thread while the user-interface thread refilters: planning
// and plan destruction may meet and must not corrupt each other.
TEST(Analysis, PlansFromTwoThreadsAtOnce) {
    auto work = [](unsigned seed) {
        for (int round = 0; round < 6; ++round) {
            auto signal = ts::Make(ts::Noise(3000 + 517 * round, 0.5f, seed + round));
            if (!signal || !signal->EnsureSpectrogram() || !signal->EnsureSpectrum() ||
                signal->GetSpectrum().GetFactor() <= 0)
                return false;
        }
        return true;
    };
    bool ok1 = false;
    bool ok2 = false;
    std::thread other([&] { ok1 = work(100); });
    ok2 = work(200);
    other.join();
    EXPECT_TRUE(ok1 && ok2);
}

} // namespace
