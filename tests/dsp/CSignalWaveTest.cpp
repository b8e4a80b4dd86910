// Loading WAV files into signals, the sample conversions both ways and derived signals.
#include "common/CTempFolder.h"
#include "common/CWaveBytes.h"

#include "dsp/CSignal.h"
#include "dsp/CSinNoise.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

using dsp::CSignal;
using W = CWaveBytes;

namespace {

std::string Fmt(std::uint16_t channels, std::uint16_t blockAlign, std::uint16_t bits,
                std::uint32_t rate = 8000) {
    return W::Chunk("fmt ", W::Format(channels, rate, blockAlign, bits));
}

// The first channel of every legal chunk layout, skipped chunks (odd ones padded) never looked
// into; a file the game cannot read, or cut off anywhere, fails and leaves the signal empty.
TEST(WaveLoading, ReadsTheFirstChannelOrFailsEmpty) {
    const std::string data16 = W::Chunk("data", W::Pcm16({0, 16384, -32768, 32767}));
    const std::vector<float> values16 = {0.0f, 0.5f, -1.0f, 32767.0f / 32768.0f};
    // Headers written for 1000 bytes of data, 5 left: two whole frames and one byte.
    std::string truncated = W::Riff(
        Fmt(1, 2, 16) + W::Chunk("data", W::Pcm16({16384, -16384}) + std::string(996, 'x')));
    truncated.resize(12 + 24 + 8 + 5);
    const std::string fmt = W::Format(1, 8000, 2, 16), mono = W::Chunk("fmt ", fmt);
    const std::string decoy = W::Chunk("data", W::Pcm16({7, 7, 7}));
    const std::string odd = W::Chunk("JUNK", "abc");
    const struct {
        const char* name;
        std::string bytes;
        std::vector<float> samples; // empty: the load must fail
        std::uint16_t channels = 1, blockAlign = 2;
        std::uint32_t rate = 8000;
    } cases[] = {
        {"8-bit", W::Riff(Fmt(1, 1, 8) + W::Chunk("data", W::Pcm8({128, 0, 255, 192}))),
         {0.0f, -1.0f, 0.9921875f, 0.5f}, 1, 1},
        {"16-bit", W::Riff(mono + data16), values16},
        {"stereo takes the left channel",
         W::Riff(Fmt(2, 4, 16) + W::Chunk("data", W::Pcm16({16384, 32767, -16384, 0}))),
         {0.5f, -0.5f}, 2, 4},
        {"partial last frame is dropped",
         W::Riff(mono + W::Chunk("data", W::Pcm16({16384, -16384}) + "\x01")), {0.5f, -0.5f}},
        {"data claiming more than the file holds", truncated, {0.5f, -0.5f}},
        {"fmt with an extension size", W::Riff(W::Chunk("fmt ", fmt + W::Le16(0)) + data16),
         values16},
        {"extensible fmt",
         W::Riff(W::Chunk("fmt ", fmt + W::Le16(22) + std::string(22, '\x11')) + data16), values16},
        {"odd fmt with its pad", W::Riff(W::Chunk("fmt ", fmt + "x") + data16), values16},
        {"odd chunk first", W::Riff(odd + mono + data16), values16},
        {"empty and odd chunks between", W::Riff(mono + W::Chunk("fact", "") + odd + data16),
         values16},
        {"a data chunk before fmt is passed over", W::Riff(decoy + mono + data16), values16},
        {"a data chunk inside a LIST is not seen",
         W::Riff(mono + W::Chunk("LIST", "INFO" + decoy) + data16), values16},
        {"chunks after data", W::Riff(mono + data16 + odd + decoy), values16},
        {"data before fmt", W::Riff(data16 + mono), {}},
        {"short fmt", W::Riff(W::Chunk("fmt ", fmt.substr(0, 15)) + data16), {}},
        {"empty data", W::Riff(mono + W::Chunk("data", "")), {}},
        {"24-bit", W::Riff(Fmt(1, 3, 24) + W::Chunk("data", "abcdef")), {}},
        {"block alignment 0", W::Riff(Fmt(1, 0, 16) + data16), {}},
        {"not WAVE", W::Riff(mono + data16, "AVI "), {}},
        {"lowest rate", W::Riff(Fmt(1, 2, 16, 1000) + data16), values16, 1, 2, 1000},
        {"below the lowest rate", W::Riff(Fmt(1, 2, 16, 999) + data16), {}},
        {"highest rate", W::Riff(Fmt(1, 2, 16, 192000) + data16), values16, 1, 2, 192000},
        {"above the highest rate", W::Riff(Fmt(1, 2, 16, 192001) + data16), {}}};
    CTempFolder folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CSignal signal; // holding something before: a failure must leave nothing behind
        ASSERT_EQ(signal.LoadWave(folder.Write("good.wav", W::Mono16({1, 2, 3}))), 0u);
        const std::wstring path = folder.Write("case.wav", c.bytes);
        const CSignal::Result result = signal.LoadWave(path);
        if (c.samples.empty()) {
            EXPECT_TRUE(result == CSignal::RESULT_FAIL && signal.GetSampleCount() == 0 &&
                        signal.GetFormat() == dsp::CWaveFormat{});
            continue;
        }
        ASSERT_EQ(result, CSignal::RESULT_OK);
        EXPECT_EQ(signal.GetFileName(), path);
        const auto bits = std::uint16_t(8 * c.blockAlign / c.channels);
        EXPECT_EQ(signal.GetFormat(),
                  (dsp::CWaveFormat{1, c.channels, c.rate, c.rate * c.blockAlign, c.blockAlign,
                                    bits, 0}));
        EXPECT_EQ(
            std::vector<float>(signal.GetSamples(), signal.GetSamples() + signal.GetSampleCount()),
            c.samples);
    }
    CSignal signal;
    EXPECT_EQ(signal.LoadWave(L"/nonexistent/velmora/none.wav"), CSignal::RESULT_FAIL);
    // A file cut off anywhere, even inside a header: refused and empty, or what is there.
    const std::string good = W::Riff(W::Chunk("LIST", "INFO") + Fmt(2, 4, 16) +
                                     W::Chunk("data", W::Pcm16({100, -100, 200, -200, 300})));
    for (std::size_t length = 0; length < good.size(); ++length) {
        if (signal.LoadWave(folder.Write("cut.wav", good.substr(0, length))) != 0) {
            ASSERT_EQ(signal.GetSampleCount(), 0) << length;
            continue;
        }
        EXPECT_EQ(signal.GetSampleCount(), length < good.size() - 2 ? 1 : 2) << length;
        EXPECT_EQ(signal.GetSamples()[0], 100 / 32768.0f);
        EXPECT_TRUE(signal.EnsureSpectrum());
    }
}

TEST(SampleConversion, FloatToSampleLimitsAndTruncates) {
    const struct {
        float value;
        int bits, expected;
    } cases[] = {
        {1.5f, 16, 32767},  {-7.0f, 16, -32768},   {0.5f, 16, 16384},
        {-0.00002f, 16, 0}, {0.99999f, 16, 32767}, {std::nanf(""), 16, 0},
        {1.0f, 8, 255},     {-1.0f, 8, 0},         {0.0f, 8, 128},
        {-0.5f, 8, 64},     {-0.004f, 8, 128},     {std::numeric_limits<float>::infinity(), 8, 255},
    };
    for (const auto& c : cases) {
        std::uint8_t frame[2] = {0xAA, 0xAA};
        ASSERT_TRUE(CSignal::FloatToSample(c.value, frame, c.bits));
        const int written = c.bits == 16 ? std::int16_t(frame[0] | frame[1] << 8) : frame[0];
        EXPECT_EQ(written, c.expected) << c.value << " at " << c.bits << " bits";
        EXPECT_TRUE(c.bits == 16 || frame[1] == 0xAA) << "an 8-bit sample is one byte";
    }
    std::uint8_t frame[4] = {1, 2, 3, 4};
    EXPECT_FALSE(CSignal::FloatToSample(0.5f, frame, 24));
    EXPECT_EQ(frame[0], 1);
}

TEST(DerivedSignal, IsASilentCopyOfARootAndNeverItsOwnSource) {
    CTempFolder folder;
    CSignal root, empty, derived, second;
    ASSERT_EQ(root.LoadWave(folder.Write("root.wav", W::Mono16({1000, 2000, 3000}, 44100))), 0u);
    // Both arguments belong to the signal and must be read before it lets go of them.
    ASSERT_EQ(root.CreateFromSamples(root.GetFormat(), root.GetSamples() + 1, 2), 0u);
    ASSERT_EQ(root.GetSampleCount(), 2);
    EXPECT_EQ(root.GetSamples()[0], 2000 / 32768.0f);
    ASSERT_EQ(derived.CreateFrom(&root), CSignal::RESULT_OK);
    EXPECT_EQ(derived.GetSource(), &root);
    EXPECT_EQ(derived.GetFormat(), root.GetFormat());
    EXPECT_EQ(std::vector<float>(derived.GetSamples(), derived.GetSamples() + 2),
              std::vector<float>(2, 0.0f));
    ASSERT_EQ(second.CreateFrom(&derived), 0u);
    EXPECT_EQ(second.GetRoot(), &root);
    for (CSignal* source : {static_cast<CSignal*>(nullptr), &empty, &derived})
        EXPECT_EQ(derived.CreateFrom(source), CSignal::RESULT_FAIL);
    ASSERT_EQ(derived.CreateFrom(&root), 0u);
    EXPECT_EQ(root.CreateFrom(&derived), CSignal::RESULT_FAIL) << "the pair would lose its root";
    EXPECT_EQ(derived.GetRoot(), &root);
    EXPECT_FALSE(derived.EnsureSpectrogram() || derived.EnsureSpectrum()) << "its root is empty";
}

// The level a signal plays at follows its content: louder than full scale is played scaled, a
// runaway held at the sample limit plays silent, and a newly loaded file starts at full level.
TEST(PlaybackGain, FollowsEveryNewContent) {
    CTempFolder folder;
    const std::wstring quiet =
        folder.Write("leise.wav", W::Mono16(std::vector<std::int16_t>(64, 100)));
    CSignal signal;
    const float loud[] = {0.5f, -2.0f}, runaway[] = {0.1f, 1e30f};
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(signal.LoadWave(quiet), 0u);
        EXPECT_EQ(signal.GetPlaybackGain(), 1.0f) << round;
        ASSERT_EQ(signal.CreateFromSamples(signal.GetFormat(), loud, 2), 0u);
        EXPECT_EQ(signal.GetPlaybackGain(), 0.5f);
    }
    ASSERT_EQ(signal.LoadWave(quiet), 0u);
    ASSERT_TRUE(signal.ApplyNoise(dsp::CSinNoise(4.0f, std::numbers::pi_v<float> / 2)));
    const float peak = std::fabs(signal.GetSamples()[1]);
    ASSERT_GT(peak, 4.0f);
    EXPECT_FLOAT_EQ(signal.GetPlaybackGain(), 1.0f / peak);
    ASSERT_EQ(signal.CreateFromSamples(signal.GetFormat(), runaway, 2), 0u);
    EXPECT_EQ(signal.GetPlaybackGain(), 0.0f);
}

} // namespace
