// Loading WAV files into signals, the sample conversions both ways and derived signals.

#include "common/CTempFolder.h"
#include "common/CWaveBytes.h"

#include "dsp/CSignal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

using dsp::CSignal;
using W = CWaveBytes;

namespace {

struct WaveCase {
    const char* name;
    std::string bytes;
    std::vector<float> samples; // expected; empty = the load must fail
    std::uint16_t channels = 1;
    std::uint16_t blockAlign = 0;
};

std::string Fmt(std::uint16_t channels, std::uint16_t blockAlign, std::uint16_t bits,
                std::uint32_t rate = 8000) {
    return W::Chunk("fmt ", W::Format(channels, rate, blockAlign, bits));
}

// A file cut off inside its data: the headers were written for 1000 bytes of data, 5 are left
// (two whole 16-bit frames and one byte of a third).
std::string Truncated() {
    const std::string data = W::Pcm16({16384, -16384}) + std::string(996, '\x7f');
    std::string full = W::Riff(Fmt(1, 2, 16) + W::Chunk("data", data));
    full.resize(12 + 24 + 8 + 5);
    return full;
}

std::vector<WaveCase> WaveCases() {
    const std::string data16 = W::Chunk("data", W::Pcm16({0, 16384, -32768, 32767}));
    const std::vector<float> values16 = {0.0f, 0.5f, -1.0f, 32767.0f / 32768.0f};
    return {
        {"8-bit",
         W::Riff(Fmt(1, 1, 8) + W::Chunk("data", W::Pcm8({128, 0, 255, 192}))),
         {0.0f, -1.0f, 0.9921875f, 0.5f},
         1,
         1},
        {"16-bit", W::Riff(Fmt(1, 2, 16) + data16), values16, 1, 2},
        {"stereo takes the left channel",
         W::Riff(Fmt(2, 4, 16) + W::Chunk("data", W::Pcm16({16384, 32767, -16384, 0}))),
         {0.5f, -0.5f},
         2,
         4},
        {"LIST before fmt",
         W::Riff(W::Chunk("LIST", "INFO" + W::Chunk("ISFT", std::string("ab\0", 3))) +
                 Fmt(1, 2, 16) + data16),
         values16, 1, 2},
        {"odd chunk with pad byte before fmt",
         W::Riff(W::Chunk("junk", "abc") + Fmt(1, 2, 16) + data16), values16, 1, 2},
        {"fmt longer than 16 bytes",
         W::Riff(W::Chunk("fmt ", W::Format(1, 8000, 2, 16) + W::Le16(0)) + data16), values16, 1,
         2},
        {"partial last frame is dropped",
         W::Riff(Fmt(1, 2, 16) + W::Chunk("data", W::Pcm16({16384, -16384}) + "\x01")),
         {0.5f, -0.5f},
         1,
         2},
        {"data claiming more than the file holds", Truncated(), {0.5f, -0.5f}, 1, 2},
        {"data before fmt", W::Riff(data16 + Fmt(1, 2, 16)), {}},
        {"short fmt",
         W::Riff(W::Chunk("fmt ", W::Format(1, 8000, 2, 16).substr(0, 14)) + data16),
         {}},
        {"fmt cut off by the end of file", W::Riff("fmt " + W::Le32(16) + W::Le16(1)), {}},
        {"empty data", W::Riff(Fmt(1, 2, 16) + W::Chunk("data", "")), {}},
        {"no data", W::Riff(Fmt(1, 2, 16)), {}},
        {"less than one frame of data", W::Riff(Fmt(2, 4, 16) + W::Chunk("data", "abc")), {}},
        {"24-bit", W::Riff(Fmt(1, 3, 24) + W::Chunk("data", "abcdef")), {}},
        {"32-bit", W::Riff(Fmt(1, 4, 32) + W::Chunk("data", "abcdefgh")), {}},
        {"block alignment 0", W::Riff(Fmt(1, 0, 16) + data16), {}},
        {"block alignment smaller than a sample", W::Riff(Fmt(1, 1, 16) + data16), {}},
        {"sample rate too low for playback blocks", W::Riff(Fmt(1, 2, 16, 39) + data16), {}},
        {"not RIFF", "RIFX" + W::Riff(Fmt(1, 2, 16) + data16).substr(4), {}},
        {"not WAVE", W::Riff(Fmt(1, 2, 16) + data16, "AVI "), {}},
        {"empty file", "", {}},
    };
}

class WaveLoading : public testing::TestWithParam<WaveCase> {
protected:
    CTempFolder m_folder;
};

TEST_P(WaveLoading, ReadsSamplesOrFailsEmpty) {
    const WaveCase& c = GetParam();
    CSignal signal;
    // Every load starts from a signal that held something: a failure must leave nothing behind.
    ASSERT_EQ(signal.LoadWave(m_folder.Write("good.wav", W::Mono16({1, 2, 3}))), 0u);
    const std::wstring path = m_folder.Write("case.wav", c.bytes);
    const CSignal::Result result = signal.LoadWave(path);

    if (c.samples.empty()) {
        EXPECT_EQ(result, CSignal::RESULT_FAIL);
        EXPECT_EQ(signal.GetSampleCount(), 0);
        EXPECT_EQ(signal.GetSamples(), nullptr);
        EXPECT_EQ(signal.GetFormat(), dsp::CWaveFormat{});
        return;
    }
    ASSERT_EQ(result, CSignal::RESULT_OK);
    EXPECT_EQ(signal.GetFileName(), path);
    EXPECT_EQ(signal.GetFormat().channels, c.channels);
    EXPECT_EQ(signal.GetFormat().blockAlign, c.blockAlign);
    EXPECT_EQ(signal.GetFormat().sampleRate, 8000u);
    EXPECT_EQ(signal.GetFormat().extraSize, 0);
    EXPECT_EQ(signal.GetBlockLength(), 200);
    ASSERT_EQ(signal.GetSampleCount(), static_cast<int>(c.samples.size()));
    for (std::size_t i = 0; i < c.samples.size(); ++i)
        EXPECT_EQ(signal.GetSamples()[i], c.samples[i]) << "sample " << i;
}

INSTANTIATE_TEST_SUITE_P(Files, WaveLoading, testing::ValuesIn(WaveCases()),
                         [](const testing::TestParamInfo<WaveCase>& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

TEST(WaveLoading, MissingFileFails) {
    CSignal signal;
    EXPECT_EQ(signal.LoadWave(L"/nonexistent/velmora/none.wav"), CSignal::RESULT_FAIL);
    EXPECT_EQ(signal.GetSampleCount(), 0);
}

TEST(WaveLoading, LongFileCrossesReadPieces) {
    CTempFolder folder;
    std::vector<std::int16_t> values(100003);
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<std::int16_t>(i * 7919);
    CSignal signal;
    ASSERT_EQ(signal.LoadWave(folder.Write("long.wav", W::Mono16(values, 44100))), 0u);
    ASSERT_EQ(signal.GetSampleCount(), 100003);
    EXPECT_EQ(signal.GetBlockLength(), 1102);
    for (std::size_t i = 0; i < values.size(); i += 997)
        ASSERT_EQ(signal.GetSamples()[i], values[i] / 32768.0f) << i;
    EXPECT_EQ(signal.GetSamples()[100002], values[100002] / 32768.0f);
}

// Damaged files of every kind: the loader must neither crash nor read out of bounds, and what
// it accepts must be sound.
TEST(WaveLoading, SurvivesTruncatedAndRandomFiles) {
    CTempFolder folder;
    const std::string good = W::Riff(W::Chunk("LIST", "INFO") + Fmt(2, 4, 16) +
                                     W::Chunk("data", W::Pcm16({100, -100, 200, -200, 300})));
    std::mt19937 random(12345);
    std::vector<std::string> files;
    for (std::size_t length = 0; length <= good.size(); ++length)
        files.push_back(good.substr(0, length));
    for (int i = 0; i < 300; ++i) {
        std::string damaged = good;
        for (int flips = 1 + i % 4; flips > 0; --flips)
            damaged[random() % damaged.size()] = static_cast<char>(random());
        files.push_back(damaged);
        std::string noise(random() % 80, '\0');
        for (char& ch : noise)
            ch = static_cast<char>(random());
        files.push_back(random() % 2 ? "RIFF" + noise : noise);
    }
    CSignal signal;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::wstring path = folder.Write("fuzz.wav", files[i]);
        if (signal.LoadWave(path) != CSignal::RESULT_OK) {
            ASSERT_EQ(signal.GetSampleCount(), 0) << "file " << i;
            continue;
        }
        ASSERT_GT(signal.GetSampleCount(), 0);
        ASSERT_GE(signal.GetFormat().blockAlign, signal.GetFormat().bitsPerSample / 8);
        for (int k = 0; k < signal.GetSampleCount(); ++k)
            ASSERT_TRUE(std::fabs(signal.GetSamples()[k]) <= 1.0f) << "file " << i;
        EXPECT_TRUE(signal.EnsureSpectrum());
    }
}

struct ToSampleCase {
    float value;
    int bits;
    int expected;
};

TEST(SampleConversion, FloatToSampleLimitsAndTruncates) {
    const ToSampleCase cases[] = {
        {1.0f, 16, 32767},      {1.5f, 16, 32767},
        {-1.0f, 16, -32768},    {-7.0f, 16, -32768},
        {0.5f, 16, 16384},      {-0.00002f, 16, 0},
        {0.99999f, 16, 32767},  {-0.5f, 16, -16384},
        {std::nanf(""), 16, 0}, {1.0f, 8, 255},
        {-1.0f, 8, 0},          {0.0f, 8, 128},
        {0.5f, 8, 192},         {-0.5f, 8, 64},
        {-0.004f, 8, 128},      {std::numeric_limits<float>::infinity(), 8, 255},
    };
    for (const ToSampleCase& c : cases) {
        std::uint8_t frame[2] = {0xAA, 0xAA};
        ASSERT_TRUE(CSignal::FloatToSample(c.value, frame, c.bits));
        const int written =
            c.bits == 16 ? static_cast<std::int16_t>(frame[0] | frame[1] << 8) : frame[0];
        EXPECT_EQ(written, c.expected) << c.value << " at " << c.bits << " bits";
        if (c.bits == 8) {
            EXPECT_EQ(frame[1], 0xAA) << "an 8-bit sample is one byte";
        }
    }
}

TEST(SampleConversion, OtherWidthsWriteNothing) {
    std::uint8_t frame[4] = {1, 2, 3, 4};
    EXPECT_FALSE(CSignal::FloatToSample(0.5f, frame, 24));
    EXPECT_EQ(frame[0], 1);
    EXPECT_EQ(frame[3], 4);
}

// Reading a sample and writing it back must give the same bytes for every value, or playback
// would not sound like the file.
TEST(SampleConversion, EverySampleSurvivesTheRoundTrip) {
    for (int s = -32768; s <= 32767; ++s) {
        const std::uint8_t in[2] = {static_cast<std::uint8_t>(s & 0xFF),
                                    static_cast<std::uint8_t>((s >> 8) & 0xFF)};
        std::uint8_t out[2] = {};
        CSignal::FloatToSample(CSignal::SampleToFloat(in, 16), out, 16);
        ASSERT_TRUE(in[0] == out[0] && in[1] == out[1]) << s;
    }
    for (int b = 0; b < 256; ++b) {
        const std::uint8_t in = static_cast<std::uint8_t>(b);
        std::uint8_t out = 0;
        CSignal::FloatToSample(CSignal::SampleToFloat(&in, 8), &out, 8);
        ASSERT_EQ(out, in);
    }
}

TEST(DerivedSignal, IsSilentCopyOfSourceLengthAndFormat) {
    CTempFolder folder;
    CSignal root;
    ASSERT_EQ(root.LoadWave(folder.Write("root.wav", W::Mono16({1000, 2000, 3000}, 44100))), 0u);
    CSignal derived;
    ASSERT_EQ(derived.CreateFrom(&root), CSignal::RESULT_OK);
    EXPECT_EQ(derived.GetSource(), &root);
    EXPECT_EQ(derived.GetRoot(), &root);
    EXPECT_EQ(derived.GetFormat(), root.GetFormat());
    EXPECT_EQ(derived.GetBlockLength(), 1102);
    EXPECT_TRUE(derived.GetFileName().empty());
    ASSERT_EQ(derived.GetSampleCount(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(derived.GetSamples()[i], 0.0f);

    CSignal second;
    ASSERT_EQ(second.CreateFrom(&derived), 0u);
    EXPECT_EQ(second.GetRoot(), &root);
}

TEST(DerivedSignal, RefusesSourcesThatCannotBeDerivedFrom) {
    CSignal empty;
    CSignal a;
    const float samples[] = {0.1f, 0.2f};
    ASSERT_EQ(a.CreateFromSamples({1, 1, 8000, 16000, 2, 16, 0}, samples, 2), 0u);
    CSignal b;
    ASSERT_EQ(b.CreateFrom(&a), 0u);
    EXPECT_EQ(b.CreateFrom(nullptr), CSignal::RESULT_FAIL);
    EXPECT_EQ(b.CreateFrom(&empty), CSignal::RESULT_FAIL);
    EXPECT_EQ(b.CreateFrom(&b), CSignal::RESULT_FAIL);
    ASSERT_EQ(b.CreateFrom(&a), 0u);
    // a derived from its own derivative would leave the pair without a root.
    EXPECT_EQ(a.CreateFrom(&b), CSignal::RESULT_FAIL);
    EXPECT_EQ(b.GetRoot(), &a);
}

TEST(DerivedSignal, RootCanBeRemadeFromItsOwnSamples) {
    auto signal = std::make_unique<CSignal>();
    const float samples[] = {0.1f, 0.2f, 0.3f};
    ASSERT_EQ(signal->CreateFromSamples({1, 1, 8000, 16000, 2, 16, 0}, samples, 3), 0u);
    // Both arguments belong to the signal itself and must be read before it lets go of them.
    ASSERT_EQ(signal->CreateFromSamples(signal->GetFormat(), signal->GetSamples() + 1, 2), 0u);
    EXPECT_EQ(signal->GetFormat().sampleRate, 8000u);
    ASSERT_EQ(signal->GetSampleCount(), 2);
    EXPECT_EQ(signal->GetSamples()[0], 0.2f);
    EXPECT_EQ(signal->GetSamples()[1], 0.3f);
}

TEST(DerivedSignal, ClearKeepsNameAndSource) {
    CTempFolder folder;
    CSignal root;
    const std::wstring path = folder.Write("r.wav", W::Mono16(std::vector<std::int16_t>(3000, 99)));
    ASSERT_EQ(root.LoadWave(path), 0u);
    ASSERT_TRUE(root.EnsureSpectrogram() && root.EnsureSpectrum());
    CSignal derived;
    ASSERT_EQ(derived.CreateFrom(&root), 0u);
    root.Clear();
    derived.Clear();
    EXPECT_EQ(root.GetFileName(), path);
    EXPECT_EQ(derived.GetSource(), &root);
    EXPECT_EQ(root.GetSampleCount(), 0);
    EXPECT_FALSE(root.GetSpectrogram().Exists());
    EXPECT_FALSE(root.GetSpectrum().Exists());
    EXPECT_EQ(root.GetFormat(), dsp::CWaveFormat{});
    EXPECT_FALSE(root.EnsureSpectrum());
}

} // namespace
