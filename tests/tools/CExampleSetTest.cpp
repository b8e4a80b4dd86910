#include "ScratchFolder.h"

#include "dsp/CSignal.h"
#include "platform/CText.h"
#include "tools/CExampleSet.h"
#include "tools/CWaveWriter.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <set>

namespace {

using examples::CExampleSet;
using examples::Example;

// Every example is written once for all tests of this file, and a second time elsewhere to
// see that the generator repeats itself exactly.
class Examples : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_first = std::make_unique<ScratchFolder>("examples_first");
        s_second = std::make_unique<ScratchFolder>("examples_second");
        for (const Example& example : CExampleSet::All()) {
            ASSERT_TRUE(CExampleSet::Write(example, s_first->Path())) << example.name;
            ASSERT_TRUE(CExampleSet::Write(example, s_second->Path())) << example.name;
        }
    }
    static void TearDownTestSuite() {
        s_first.reset();
        s_second.reset();
    }

    static std::filesystem::path FileOf(const std::string& name, const char* extension) {
        return s_first->Path() / (name + extension);
    }
    static const Example& Find(const std::string& name) {
        const auto& all = CExampleSet::All();
        const auto it =
            std::find_if(all.begin(), all.end(), [&](const Example& e) { return e.name == name; });
        if (it == all.end())
            throw std::runtime_error("no example " + name);
        return *it;
    }
    // The samples as the game sees them: the first channel, read by the game's own reader.
    static std::vector<float> Load(const std::string& name) {
        dsp::CSignal signal;
        if (signal.LoadWave(FileOf(name, ".wav").wstring()) != dsp::CSignal::RESULT_OK)
            return {};
        return {signal.GetSamples(), signal.GetSamples() + signal.GetSampleCount()};
    }

    static std::unique_ptr<ScratchFolder> s_first;
    static std::unique_ptr<ScratchFolder> s_second;
};

std::unique_ptr<ScratchFolder> Examples::s_first;
std::unique_ptr<ScratchFolder> Examples::s_second;

// Amplitude of the sine component at frequency (a single-bin Fourier sum over the signal).
double AmplitudeAt(const std::vector<float>& x, double rate, double frequency) {
    double re = 0.0, im = 0.0;
    for (std::size_t n = 0; n < x.size(); ++n) {
        const double phase = 2.0 * std::numbers::pi * frequency * n / rate;
        re += x[n] * std::cos(phase);
        im += x[n] * std::sin(phase);
    }
    return 2.0 * std::hypot(re, im) / static_cast<double>(x.size());
}

// Frequency from the sign changes within a window centred at a time.
double FrequencyAround(const std::vector<float>& x, double rate, double time, double window) {
    const auto first = static_cast<std::size_t>((time - window / 2) * rate);
    const auto last = std::min(x.size(), static_cast<std::size_t>((time + window / 2) * rate));
    int changes = 0;
    float previous = 0.0f;
    for (std::size_t n = first; n < last; ++n) {
        if (x[n] == 0.0f)
            continue; // a sample on zero is no change of sign by itself
        if (previous != 0.0f && (x[n] > 0.0f) != (previous > 0.0f))
            ++changes;
        previous = x[n];
    }
    return changes / (2.0 * window);
}

double Rms(const std::vector<float>& x, std::size_t first, std::size_t last) {
    double sum = 0.0;
    for (std::size_t n = first; n < last; ++n)
        sum += static_cast<double>(x[n]) * x[n];
    return std::sqrt(sum / static_cast<double>(last - first));
}

float Peak(const std::vector<float>& x) {
    float peak = 0.0f;
    for (const float v : x)
        peak = std::max(peak, std::fabs(v));
    return peak;
}

TEST_F(Examples, GameReadsEveryExampleInItsFormat) {
    for (const Example& example : CExampleSet::All()) {
        SCOPED_TRACE(example.name);
        dsp::CSignal signal;
        ASSERT_EQ(signal.LoadWave(FileOf(example.name, ".wav").wstring()), dsp::CSignal::RESULT_OK);
        const dsp::CWaveFormat& format = signal.GetFormat();
        EXPECT_EQ(format.formatTag, 1);
        EXPECT_EQ(format.sampleRate, example.format.sampleRate);
        EXPECT_EQ(format.channels, example.format.channels);
        EXPECT_EQ(format.bitsPerSample, example.format.bitsPerSample);
        EXPECT_EQ(format.blockAlign, example.format.channels * example.format.bitsPerSample / 8);
        EXPECT_EQ(format.bytesPerSecond, format.sampleRate * format.blockAlign);
        EXPECT_EQ(signal.GetSampleCount(), example.Frames());
        const double seconds = static_cast<double>(signal.GetSampleCount()) / format.sampleRate;
        EXPECT_GE(seconds, 1.5);
        EXPECT_LE(seconds, 4.0);
        const std::vector<float> samples(signal.GetSamples(),
                                         signal.GetSamples() + signal.GetSampleCount());
        EXPECT_GT(Peak(samples), 0.05f) << "silent";
        EXPECT_LT(Peak(samples), 0.999f) << "clipped";
    }
}

TEST_F(Examples, GeneratingTwiceGivesTheSameBytes) {
    for (const Example& example : CExampleSet::All()) {
        for (const char* extension : {".wav", ".txt"}) {
            const std::string file = example.name + extension;
            const std::string first = ReadBytes(s_first->Path() / file);
            EXPECT_FALSE(first.empty()) << file;
            EXPECT_TRUE(first == ReadBytes(s_second->Path() / file)) << file;
        }
    }
}

TEST_F(Examples, DescriptionIsOneUtf8LineBesideTheWave) {
    for (const Example& example : CExampleSet::All()) {
        // The wave plot swaps the last three characters of the path: x.wav -> x.txt.
        const std::string text = ReadBytes(FileOf(example.name, ".txt"));
        EXPECT_TRUE(CText::IsValidUtf8(text)) << example.name;
        EXPECT_GT(text.size(), 10u) << example.name;
        EXPECT_EQ(text.find('\n'), text.size() - 1) << example.name;
        EXPECT_EQ(text.find('\r'), std::string::npos) << example.name;
        // The tooltip takes at most 255 characters of the line.
        EXPECT_LT(CText::ToWide(text).size(), 255u) << example.name;
    }
}

TEST_F(Examples, SetOffersTheFormatsTheSlidesAskFor) {
    const auto& all = CExampleSet::All();
    EXPECT_GE(all.size(), 16u);
    std::set<std::uint32_t> rates;
    std::set<std::string> names;
    bool stereo = false, eightBit = false, sixteenBit = false;
    for (const Example& example : all) {
        rates.insert(example.format.sampleRate);
        stereo |= example.format.channels == 2;
        eightBit |= example.format.bitsPerSample == 8;
        sixteenBit |= example.format.bitsPerSample == 16;
        EXPECT_TRUE(names.insert(example.name).second) << "twice: " << example.name;
        EXPECT_TRUE(std::all_of(example.name.begin(), example.name.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
        })) << example.name;
    }
    EXPECT_EQ(rates, (std::set<std::uint32_t>{8000, 11025, 16000, 22050, 44100}));
    EXPECT_TRUE(stereo && eightBit && sixteenBit);
}

TEST_F(Examples, SoundsHaveTheirLevels) {
    const struct {
        const char* name;
        float peak;
    } cases[] = {
        {"sinus_440hz", 0.5f},         {"sinus_880hz_leise", 0.1f}, {"sinus_220hz_laut", 0.9f},
        {"sinus_1000hz_8bit", 0.7f},   {"stereo_440_660hz", 0.5f},  {"klickfolge", 0.9f},
        {"schwebung_440_444hz", 0.8f},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(Peak(Load(c.name)), c.peak, 0.02f) << c.name;
}

TEST_F(Examples, SoundsHaveTheirFrequencies) {
    // In each row the first frequency must be far stronger than the second.
    const struct {
        const char* name;
        double strong;
        double weak;
    } cases[] = {
        {"sinus_440hz", 440, 880},
        {"sinus_880hz_leise", 880, 440},
        {"sinus_220hz_laut", 220, 330},
        {"sinus_100hz", 100, 150},
        {"sinus_1000hz_8bit", 1000, 1500},
        {"zweiklang_440_660", 440, 550},
        {"zweiklang_440_660", 660, 550},
        {"akkord_c_dur", 261.63, 293.66},
        {"akkord_c_dur", 392.0, 349.23},
        {"rechteck_220hz", 660, 440}, // odd harmonics only
        {"rechteck_220hz", 1100, 880},
        {"saegezahn_220hz", 440, 330}, // every harmonic
        {"gezupft_330hz", 330, 412},
        {"am_ton", 900, 950}, // the side bands
        {"am_ton", 1100, 1050},
        {"vokal_a", 720, 1800},         // the harmonic in the first formant
        {"stereo_440_660hz", 440, 660}, // the game reads the left channel
        {"schwebung_440_444hz", 444, 448},
    };
    for (const auto& c : cases) {
        const std::vector<float> x = Load(c.name);
        ASSERT_FALSE(x.empty()) << c.name;
        const double rate = Find(c.name).format.sampleRate;
        const double strong = AmplitudeAt(x, rate, c.strong);
        EXPECT_GT(strong, 0.03) << c.name << " at " << c.strong;
        EXPECT_GT(strong, 5.0 * AmplitudeAt(x, rate, c.weak))
            << c.name << ": " << c.strong << " against " << c.weak;
    }
}

TEST_F(Examples, SweepsMoveThroughTheirFrequencies) {
    const struct {
        const char* name;
        double time;
        double window;
        double hertz;
    } cases[] = {
        {"chirp_linear", 0.75, 0.1, 1075},     {"chirp_linear", 1.5, 0.1, 2050},
        {"chirp_linear", 2.25, 0.1, 3025},     {"chirp_exponentiell", 0.75, 0.1, 283},
        {"chirp_exponentiell", 1.5, 0.1, 800}, {"chirp_exponentiell", 2.25, 0.1, 2263},
        {"fm_ton", 0.05, 0.02, 1148},          {"fm_ton", 0.15, 0.02, 852},
        {"sinus_440hz", 1.0, 0.5, 440},
    };
    for (const auto& c : cases) {
        const double rate = Find(c.name).format.sampleRate;
        EXPECT_NEAR(FrequencyAround(Load(c.name), rate, c.time, c.window), c.hertz, 0.05 * c.hertz)
            << c.name << " at " << c.time << " s";
    }
}

TEST_F(Examples, NoiseAndTransientsHaveTheirShape) {
    // Neighbouring samples of white noise are unrelated; pink noise moves slowly.
    const auto roughness = [](const std::vector<float>& x) {
        double difference = 0.0, energy = 0.0, sum = 0.0;
        for (std::size_t n = 1; n < x.size(); ++n) {
            difference += std::pow(x[n] - x[n - 1], 2.0);
            energy += static_cast<double>(x[n]) * x[n];
            sum += x[n];
        }
        EXPECT_LT(std::fabs(sum / static_cast<double>(x.size())), 0.02) << "offset";
        return difference / energy;
    };
    EXPECT_NEAR(roughness(Load("rauschen_weiss")), 2.0, 0.2);
    EXPECT_LT(roughness(Load("rauschen_rosa")), 0.6);

    const std::vector<float> pluck = Load("gezupft_330hz");
    const std::size_t quarter = static_cast<std::size_t>(0.25 * 22050);
    EXPECT_LT(Rms(pluck, pluck.size() - quarter, pluck.size()), 0.2 * Rms(pluck, 0, quarter));

    const std::vector<float> clicks = Load("klickfolge");
    EXPECT_EQ(std::count_if(clicks.begin(), clicks.end(), [](float v) { return v > 0.5f; }), 20);
    EXPECT_EQ(
        std::count_if(clicks.begin(), clicks.end(), [](float v) { return v != 0.0f && v < 0.5f; }),
        0)
        << "silence between the clicks";
}

TEST(WaveWriter, GameReadsBackWhatWasWritten) {
    ScratchFolder folder("wavewriter");
    const std::vector<float> values = {0.0f, 0.5f, -0.5f, 1.0f, -1.0f, 1.7f, -3.0f};
    const struct {
        std::uint16_t bits;
        std::uint16_t channels;
        float step; // one quantisation step of the format
    } cases[] = {
        {16, 1, 1.0f / 32768}, {16, 2, 1.0f / 32768}, {8, 1, 1.0f / 128}, {8, 2, 1.0f / 128}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, " << c.channels << " channels");
        // The second channel holds the negated samples; the game must show the first.
        examples::CWaveWriter::Channels channels{values};
        if (c.channels == 2) {
            channels.emplace_back();
            for (const float v : values)
                channels.back().push_back(-v);
        }
        const auto bytes = examples::CWaveWriter::Encode({8000, c.channels, c.bits}, channels);
        // Odd-sized data is padded to an even size, and the RIFF size says so.
        EXPECT_EQ(bytes.size() % 2, 0u);
        EXPECT_EQ(bytes[4] | bytes[5] << 8 | bytes[6] << 16 | bytes[7] << 24,
                  static_cast<int>(bytes.size()) - 8);
        const std::filesystem::path file = folder.Path() / "x.wav";
        ASSERT_TRUE(examples::CWaveWriter::Save(file, bytes));
        dsp::CSignal signal;
        ASSERT_EQ(signal.LoadWave(file.wstring()), dsp::CSignal::RESULT_OK);
        ASSERT_EQ(signal.GetSampleCount(), static_cast<int>(values.size()));
        for (std::size_t n = 0; n < values.size(); ++n)
            EXPECT_NEAR(signal.GetSamples()[n], std::clamp(values[n], -1.0f, 1.0f), c.step)
                << "sample " << n;
    }
}

} // namespace
