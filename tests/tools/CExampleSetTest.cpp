#include "common/CTempFolder.h"

#include "dsp/CSignal.h"
#include "platform/CText.h"
#include "tools/CExampleSet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace {

using examples::CExampleSet;
using examples::Example;

// Every example, written once for all tests of this file.
const CTempFolder& Written() {
    static const CTempFolder folder;
    [[maybe_unused]] static const bool written = [] {
        for (const Example& example : CExampleSet::All())
            EXPECT_TRUE(CExampleSet::Write(example, folder.Folder())) << example.name;
        return true;
    }();
    return folder;
}

// The first channel, read by the game's own reader.
std::vector<float> Load(const std::string& name, dsp::CSignal* into = nullptr) {
    dsp::CSignal own;
    dsp::CSignal& signal = into != nullptr ? *into : own;
    if (signal.LoadWave(Written().PathOf(name + ".wav")) != 0)
        return {};
    return {signal.GetSamples(), signal.GetSamples() + signal.GetSampleCount()};
}

// The game reads every example in its format, rewriting gives its bytes, one-line description.
TEST(Examples, GameReadsEveryExampleAndWritingIsRepeatable) {
    CTempFolder again;
    for (const Example& example : CExampleSet::All()) {
        SCOPED_TRACE(example.name);
        dsp::CSignal signal;
        const std::vector<float> x = Load(example.name, &signal);
        ASSERT_FALSE(x.empty());
        const dsp::CWaveFormat& format = signal.GetFormat();
        EXPECT_EQ(format, (dsp::CWaveFormat{1, example.format.channels, example.format.sampleRate,
                                            format.sampleRate * format.blockAlign,
                                            std::uint16_t(example.format.channels *
                                                          example.format.bitsPerSample / 8),
                                            example.format.bitsPerSample, 0}));
        EXPECT_EQ(signal.GetSampleCount(), example.Frames());
        const auto [low, high] = std::minmax_element(x.begin(), x.end());
        EXPECT_GT(std::max(-*low, *high), 0.005f) << "silent"; // -40 dB of 0.8 is 0.008
        EXPECT_LT(std::max(-*low, *high), 0.999f) << "clipped";
        ASSERT_TRUE(CExampleSet::Write(example, again.Folder()));
        for (const std::string& file : {example.name + ".wav", example.name + ".txt"})
            EXPECT_TRUE(ReadFile(again.PathOf(file)) == ReadFile(Written().PathOf(file))) << file;
        const std::string text = ReadFile(Written().PathOf(example.name + ".txt"));
        EXPECT_TRUE(CText::IsValidUtf8(text));
        EXPECT_EQ(text.find('\n'), text.size() - 1);
        EXPECT_LT(CText::ToWide(text).size(), 255u);
    }
    EXPECT_FALSE(CExampleSet::Write(CExampleSet::All()[0], again.PathOf("none/none")));
}

// Amplitude of the sine component at a frequency (a single-bin Fourier sum).
double AmplitudeAt(const std::vector<float>& x, double rate, double frequency) {
    std::complex<double> sum;
    for (std::size_t n = 0; n < x.size(); ++n)
        sum += double(x[n]) * std::polar(1.0, 2.0 * std::numbers::pi * frequency * n / rate);
    return 2.0 * std::abs(sum) / double(x.size());
}

double Rms(const std::vector<float>& x) {
    double energy = 0.0;
    for (const float v : x)
        energy += double(v) * v;
    return std::sqrt(energy / double(x.size()));
}

TEST(Examples, SoundsHaveTheirFrequencies) {
    const struct {
        const char* name;
        double rate, strong, weak; // the strong frequency far above the weak one
    } cases[] = {
        {"sinus_440hz", 8000, 440, 880},        {"sinus_1000hz_8bit", 8000, 1000, 1500},
        {"stereo_440_660hz", 44100, 440, 660},  // the game reads the left channel
        {"rechteck_220hz", 8000, 660, 440},     // odd harmonics only
        {"saegezahn_500hz", 8000, 1000, 750},   // every harmonic, nothing between
        {"fm_ton", 8000, 2200, 2100},           // side lines 200 Hz apart, none between
        {"abtastung_7000hz", 8000, 1000, 3000}, // folded back below half the rate
    };
    for (const auto& c : cases) {
        const std::vector<float> x = Load(c.name);
        ASSERT_FALSE(x.empty()) << c.name;
        const double strong = AmplitudeAt(x, c.rate, c.strong);
        EXPECT_GT(strong, 0.03) << c.name << " at " << c.strong;
        EXPECT_GT(strong, 5.0 * AmplitudeAt(x, c.rate, c.weak)) << c.name;
    }
    // Neighbouring samples of white noise are unrelated; pink noise and a tone move smoothly.
    const auto roughness = [](const std::vector<float>& x) {
        double difference = 0.0;
        for (std::size_t n = 1; n < x.size(); ++n)
            difference += std::pow(x[n] - x[n - 1], 2.0);
        return difference / std::pow(Rms(x), 2.0) / double(x.size());
    };
    EXPECT_NEAR(roughness(Load("rauschen_weiss")), 2.0, 0.2);
    EXPECT_LT(roughness(Load("rauschen_rosa")), 0.6);
    EXPECT_LT(roughness(Load("sinus_100hz")), 0.01);
}

// Compared sounds differ only in what is asked: timbre at equal pitch and level, loudness.
TEST(Examples, ComparedSoundsDifferOnlyInWhatIsAsked) {
    for (const char* name : {"sinus_220hz", "rechteck_220hz", "saegezahn_220hz"}) {
        const std::vector<float> x = Load(name);
        ASSERT_FALSE(x.empty()) << name;
        EXPECT_NEAR(Rms(x), 0.25, 0.01) << name;
        EXPECT_GT(AmplitudeAt(x, 8000, 220), 0.25) << name;
    }
    double previous = 0.0;
    for (const char* name : {"sinus_440hz_leise", "sinus_440hz", "sinus_440hz_laut"}) {
        const std::vector<float> x = Load(name);
        ASSERT_FALSE(x.empty()) << name;
        const double level = AmplitudeAt(x, 8000, 440);
        EXPECT_GT(level, 2.5 * previous) << name; // clearly louder than the step before
        EXPECT_NEAR(Rms(x) * std::sqrt(2.0), level, 0.02) << name; // and nothing but 440 Hz
        previous = level;
    }
}

} // namespace
