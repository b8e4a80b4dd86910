// Spectrogram and spectrum: frame counts, new content, silent, vanishing or unstable signals.
#include "TestSignals.h"

#include "common/CTempFolder.h"
#include "common/CWaveBytes.h"

#include "dsp/CFftwPlanner.h"
#include "dsp/CSinNoise.h"

#include <sys/resource.h>
#include <unistd.h>

#include <climits>
#include <fstream>
#include <functional>
#include <thread>

using dsp::CSignal;
namespace ts = testsignals;

namespace {

TEST(Analysis, FrameCountsAreWholeWindows) {
    const struct {
        int samples, spectrogramFrames, spectrumFrames;
    } cases[] = {{1536, 2, 0}, {1535, 1, 0}, {1023, 0, 0}, {4096, 7, 3}, {4095, 6, 2}};
    for (const auto& c : cases) {
        auto signal = ts::Make(ts::Noise(c.samples, 0.5f, 1));
        ASSERT_TRUE(signal->EnsureSpectrogram() && signal->EnsureSpectrum()) << c.samples;
        EXPECT_EQ(signal->GetSpectrogram().GetFrames(), c.spectrogramFrames) << c.samples;
        EXPECT_EQ(signal->GetSpectrum().GetFrames(), c.spectrumFrames) << c.samples;
        EXPECT_EQ(signal->GetSpectrogram().GetBins() + signal->GetSpectrum().GetBins(), 1538);
    }
    // All power at half the sample rate: the last bin alone sets the scale.
    std::vector<float> samples(4096);
    for (int i = 0; i < 4096; ++i)
        samples[i] = i % 2 ? -0.5f : 0.5f;
    auto signal = ts::Make(samples);
    ASSERT_TRUE(signal->EnsureSpectrogram() && signal->EnsureSpectrum());
    for (int t = 0; t < signal->GetSpectrogram().GetFrames(); ++t)
        EXPECT_NEAR(std::abs(signal->GetSpectrogram().GetValue(512, t)), 0.8f, 1e-6f) << t;
    EXPECT_FLOAT_EQ(signal->GetSpectrum().GetPower()[1024], 1.0f);
}

// Silent, short, vanishing, unstable or huge signals are drawn empty (scale 0) or at least
// finite, never NaN or infinite; at 1e-23 only the spectrum's power vanishes.
TEST(Analysis, DegenerateSignalsGiveZeroOrFiniteAnalyses) {
    EXPECT_FALSE(CSignal().EnsureSpectrogram() || CSignal().EnsureSpectrum());
    const struct {
        std::vector<float> samples, a, b; // the root, the derived signal's filter
        float tone;
        int empty; // 2: both analyses, 1: the spectrum, 0: none
    } cases[] = {{std::vector<float>(9000, 0.0f), {1}, {3}, 0, 2},
                 {ts::Noise(1000, 0.9f, 5), {1}, {3}, 0, 2},
                 {ts::Tone(4096, 1e-23f, 64, 1024), {1}, {3}, 0, 1},
                 {ts::Tone(4096, 1e-42f, 64, 1024), {1}, {3}, 0, 2},
                 {ts::Noise(30000, 1, 9), {1, -2}, {1}, 0, 0},
                 {ts::Noise(30000, 1, 9), {1, 3e38f}, {3e38f, 3e38f}, 0, 0},
                 {ts::Noise(30000, 1e-40f, 9), {1, -2}, {1}, 0, 0},
                 {ts::Noise(30000, 1, 9), {}, {}, 3e38f, 0}};
    const auto zero = [](const float* v, std::size_t n) {
        return std::count(v, v + n, 0.0f) == long(n);
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.samples.size() << " " << c.samples[1] << " " << c.a.size());
        auto root = ts::Make(c.samples);
        CSignal derived;
        ASSERT_EQ(derived.CreateFrom(root.get()), 0u);
        ASSERT_TRUE(derived.EnsureSpectrogram() && derived.EnsureSpectrum());
        ASSERT_TRUE(derived.ApplyFilter(ts::Filter(c.a, c.b)));
        for (CSignal* signal : {root.get(), &derived}) {
            for (int twice = 0; twice < 2 && c.tone > 0; ++twice)
                ASSERT_TRUE(signal->ApplyNoise(dsp::CSinNoise(c.tone, 0.2f)));
            ASSERT_TRUE(signal->EnsureSpectrogram() && signal->EnsureSpectrum());
            const auto& s = signal->GetSpectrogram();
            const auto& p = signal->GetSpectrum();
            EXPECT_TRUE(ts::AllFinite(signal->GetSamples(), signal->GetSampleCount()) &&
                        ts::AllFinite(&s.GetMatrix()[0][0], 2 * std::size_t(s.GetStride()) * 513) &&
                        ts::AllFinite(p.GetPower(), 1025));
            EXPECT_TRUE(c.empty < 1 || (p.GetFactor() == 0.0f && zero(p.GetPower(), 1025)));
            // Displayed values are the matrix's times its scale.
            EXPECT_TRUE(c.empty < 2 || (s.GetFactor() == 0.0f &&
                                        (s.GetMatrixScale() == 0.0f ||
                                         zero(reinterpret_cast<const float*>(s.GetMatrix()),
                                              s.GetStride() * 1026))));
        }
    }
}

// New content, however it comes, drops the old analyses; a file or samples make a root.
TEST(Analysis, NewContentDropsTheOldAnalyses) {
    auto first = ts::Make(ts::Tone(8192, 0.5f, 64, 1024));
    auto other = ts::Make(ts::Tone(3000, 0.2f, 200, 1024));
    std::vector<std::int16_t> values(3000);
    for (int i = 0; i < 3000; ++i)
        values[i] = std::int16_t(std::lround(other->GetSamples()[i] * 32767));
    CTempFolder folder;
    const std::wstring file = folder.Write("other.wav", CWaveBytes::Mono16(values));
    const std::function<void(CSignal&)> ways[] = {
        [&](CSignal& s) { s.CreateFromSamples(other->GetFormat(), other->GetSamples(), 3000); },
        [&](CSignal& s) { s.LoadWave(file); },
        [&](CSignal& s) { s.CreateFrom(other.get()), s.ApplyFilter(dsp::CFilter()); }};
    // From a louder derived signal or a louder root: nothing of the old scale stays.
    for (int way = 0; way < 6; ++way) {
        CSignal signal;
        if (way < 3) {
            ASSERT_EQ(signal.CreateFrom(first.get()), 0u);
            ASSERT_TRUE(signal.ApplyFilter(dsp::CFilter()));
        } else {
            signal.CreateFromSamples(first->GetFormat(), first->GetSamples(), 8192);
        }
        ASSERT_TRUE(signal.EnsureSpectrogram() && signal.EnsureSpectrum());
        ways[way % 3](signal);
        EXPECT_EQ(signal.GetSource(), way % 3 == 2 ? other.get() : nullptr) << way;
        const auto& s = signal.GetSpectrogram();
        const auto& p = signal.GetSpectrum();
        EXPECT_TRUE(!s.Exists() && !p.Exists() && s.GetFactor() + p.GetFactor() == 0.0f &&
                    s.GetFrames() + p.GetFrames() + s.GetBins() + p.GetBins() == 0)
            << way;
        ASSERT_TRUE(signal.EnsureSpectrogram() && signal.EnsureSpectrum());
        EXPECT_EQ(s.GetFrames() * 10 + p.GetFrames(), 41) << way;
        EXPECT_NEAR(std::abs(s.GetValue(200, 3)), 0.8f, 1e-3f) << way;
        EXPECT_FLOAT_EQ(p.GetPower()[400], 1.0f) << way;
    }
}

// Slides are prepared on a worker while the user-interface thread refilters; planning is shared.
TEST(Analysis, PlansFromTwoThreadsAtOnce) {
    auto work = [](unsigned seed) {
        for (int round = 0; round < 6; ++round) {
            auto signal = ts::Make(ts::Noise(3000 + 5170 * round, 0.5f, seed + round));
            if (!signal->EnsureSpectrogram() || !signal->EnsureSpectrum() ||
                signal->GetSpectrum().GetFactor() <= 0)
                return false;
        }
        return true;
    };
    ASSERT_TRUE(work(1)); // the plans, made once
    const std::string known = dsp::CFftwPlanner::ExportWisdom();
    EXPECT_FALSE(known.empty());
    bool other = false;
    std::thread thread([&] { other = work(100); });
    const bool mine = work(200);
    thread.join();
    EXPECT_TRUE(other && mine);
    EXPECT_EQ(dsp::CFftwPlanner::ExportWisdom(), known);
}

// Without memory an analysis fails and keeps nothing half made, and succeeds once memory is back
// (the address space capped a little above what the process uses).
TEST(Analysis, WithoutMemoryFailsAndLaterSucceeds) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers need address space of their own";
#endif
    // Plans and the workers' buffers first; then a signal whose spectrogram needs 72 MB.
    ASSERT_TRUE(ts::Make(ts::Noise(50000, 0.5f, 6))->EnsureSpectrogram());
    auto signal = ts::Make(ts::Noise(9000000, 0.5f, 6));
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    rlimit saved{};
    getrlimit(RLIMIT_AS, &saved);
    const rlimit tight{rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (1 << 20), saved.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_AS, &tight), 0);
    const bool made = signal->EnsureSpectrogram();
    dsp::CSpectrum longest; // the sums of the longest signal there can be: 363 MB
    const bool summed = longest.Create(INT_MAX);
    setrlimit(RLIMIT_AS, &saved);
    const dsp::CSpectrogram& s = signal->GetSpectrogram();
    EXPECT_FALSE(made || s.Exists() || summed || longest.Exists());
    EXPECT_EQ(s.GetFrames() + longest.GetFrames(), 0);
    ASSERT_TRUE(signal->EnsureSpectrogram());
    EXPECT_EQ(s.GetFrames(), 17577);
}

// An analysis of its own pace, asked of the signal like any other: counts how often each piece
// is computed.
template <int STEP> class CPieceCount : public dsp::CAnalysis {
public:
    bool Create(int samples) override { return m_counts.assign(samples / STEP, 0), true; }
    void Release() override { m_counts.clear(); }
    bool Exists() const override { return !m_counts.empty(); }
    float GetFactor() const override { return 1.0f; }
    int BeginCompute(float) override {
        return std::ranges::fill(m_counts, 0), int(m_counts.size());
    }
    void ComputePiece(const float*, int piece, const dsp::CSampleFeed*) override {
        ++m_counts[piece];
    }
    bool FinishCompute() override { return true; }
    bool EachOnce() const { return std::ranges::count(m_counts, 1) == long(m_counts.size()); }
    std::vector<int> m_counts;
};

// Analyses whose pieces run out at different rounds share the filter's refresh: every piece once.
TEST(Analysis, AnalysesOfAnyPaceTakeTurns) {
    for (const int samples : {9000, 44100, 150000}) {
        auto root = ts::Make(ts::Noise(samples, 0.5f, 3));
        CSignal derived;
        ASSERT_EQ(derived.CreateFrom(root.get()), 0u);
        ASSERT_TRUE(derived.Ensure<CPieceCount<700>>() && derived.EnsureSpectrogram() &&
                    derived.Ensure<CPieceCount<9000>>());
        ASSERT_TRUE(derived.ApplyFilter(ts::Filter({1}, {1})));
        EXPECT_TRUE(derived.Get<CPieceCount<700>>().EachOnce()) << samples;
        EXPECT_TRUE(derived.Get<CPieceCount<9000>>().EachOnce()) << samples;
    }
}
} // namespace
