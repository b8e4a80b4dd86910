#include "ScratchFolder.h"

#include "dsp/CSignal.h"
#include "platform/CText.h"
#include "tools/CExampleSet.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

namespace {

using examples::CExampleSet;
using examples::Example;

// Every example is written twice, into two folders, once for all tests of this file.
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
    // The samples as the game sees them: the first channel, read by the game's own reader.
    static std::vector<float> Load(const std::string& name, dsp::CSignal& signal) {
        if (signal.LoadWave((s_first->Path() / (name + ".wav")).wstring()) != 0)
            return {};
        return {signal.GetSamples(), signal.GetSamples() + signal.GetSampleCount()};
    }
    static std::vector<float> Load(const std::string& name) {
        dsp::CSignal signal;
        return Load(name, signal);
    }
    static std::unique_ptr<ScratchFolder> s_first, s_second;
};

std::unique_ptr<ScratchFolder> Examples::s_first;
std::unique_ptr<ScratchFolder> Examples::s_second;

TEST_F(Examples, GameReadsEveryExampleInItsFormat) {
    for (const Example& example : CExampleSet::All()) {
        SCOPED_TRACE(example.name);
        dsp::CSignal signal;
        const std::vector<float> samples = Load(example.name, signal);
        ASSERT_FALSE(samples.empty());
        const dsp::CWaveFormat& format = signal.GetFormat();
        EXPECT_EQ(format.formatTag, 1);
        EXPECT_EQ(format.sampleRate, example.format.sampleRate);
        EXPECT_EQ(format.channels, example.format.channels);
        EXPECT_EQ(format.bitsPerSample, example.format.bitsPerSample);
        EXPECT_EQ(format.blockAlign, example.format.channels * example.format.bitsPerSample / 8);
        EXPECT_EQ(format.bytesPerSecond, format.sampleRate * format.blockAlign);
        EXPECT_EQ(signal.GetSampleCount(), example.Frames());
        const float peak = std::fabs(*std::max_element(
            samples.begin(), samples.end(), [](float a, float b) { return std::fabs(a) < std::fabs(b); }));
        EXPECT_GT(peak, 0.05f) << "silent";
        EXPECT_LT(peak, 0.999f) << "clipped";
    }
}

// The description beside each wave is one UTF-8 line the tooltip can hold (at most 255).
TEST_F(Examples, GeneratingTwiceGivesTheSameBytesAndADescriptionLine) {
    for (const Example& example : CExampleSet::All()) {
        for (const char* extension : {".wav", ".txt"}) {
            const std::string file = example.name + extension;
            const std::string first = ReadBytes(s_first->Path() / file);
            EXPECT_FALSE(first.empty()) << file;
            EXPECT_TRUE(first == ReadBytes(s_second->Path() / file)) << file;
        }
        const std::string text = ReadBytes(s_first->Path() / (example.name + ".txt"));
        EXPECT_TRUE(CText::IsValidUtf8(text)) << example.name;
        EXPECT_EQ(text.find('\n'), text.size() - 1) << example.name;
        EXPECT_LT(CText::ToWide(text).size(), 255u) << example.name;
    }
}

// Amplitude of the sine component at a frequency (a single-bin Fourier sum).
double AmplitudeAt(const std::vector<float>& x, double rate, double frequency) {
    double re = 0.0, im = 0.0;
    for (std::size_t n = 0; n < x.size(); ++n) {
        const double phase = 2.0 * std::numbers::pi * frequency * n / rate;
        re += x[n] * std::cos(phase);
        im += x[n] * std::sin(phase);
    }
    return 2.0 * std::hypot(re, im) / static_cast<double>(x.size());
}

TEST_F(Examples, SoundsHaveTheirFrequencies) {
    const struct {
        const char* name;
        double rate, strong, weak; // the strong frequency far above the weak one
    } cases[] = {
        {"sinus_440hz", 8000, 440, 880},
        {"sinus_1000hz_8bit", 8000, 1000, 1500},
        {"stereo_440_660hz", 44100, 440, 660}, // the game reads the left channel
        {"rechteck_220hz", 8000, 660, 440},    // odd harmonics only
        {"saegezahn_500hz", 8000, 1000, 750},  // every harmonic, nothing between
        {"fm_ton", 8000, 2200, 2100},          // side lines 200 Hz apart, none between
        {"abtastung_7000hz", 8000, 1000, 3000}, // folded back below half the rate
    };
    for (const auto& c : cases) {
        const std::vector<float> x = Load(c.name);
        ASSERT_FALSE(x.empty()) << c.name;
        const double strong = AmplitudeAt(x, c.rate, c.strong);
        EXPECT_GT(strong, 0.03) << c.name << " at " << c.strong;
        EXPECT_GT(strong, 5.0 * AmplitudeAt(x, c.rate, c.weak)) << c.name;
    }
}

// Neighbouring samples of white noise are unrelated; a tone moves smoothly.
TEST_F(Examples, NoiseIsRoughAndAToneIsSmooth) {
    const auto roughness = [](const std::vector<float>& x) {
        double difference = 0.0, energy = 0.0;
        for (std::size_t n = 1; n < x.size(); ++n) {
            difference += std::pow(x[n] - x[n - 1], 2.0);
            energy += double(x[n]) * x[n];
        }
        return difference / energy;
    };
    EXPECT_NEAR(roughness(Load("rauschen_weiss")), 2.0, 0.2);
    EXPECT_LT(roughness(Load("rauschen_rosa")), 0.6);
    EXPECT_LT(roughness(Load("sinus_100hz")), 0.01);
}

double Rms(const std::vector<float>& x) {
    double energy = 0.0;
    for (const float v : x)
        energy += double(v) * v;
    return std::sqrt(energy / static_cast<double>(x.size()));
}

// Sounds an exercise compares by one property differ in nothing else: the three timbres
// have the same pitch and level, the three loudness steps the same pitch.
TEST_F(Examples, ComparedSoundsDifferOnlyInWhatIsAsked) {
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
