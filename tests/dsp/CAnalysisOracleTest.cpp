// Whole analyses of a WAV file, also after a filter or tone, against a double-precision FFT.
#include "TestSignals.h"

#include "common/CTempFolder.h"
#include "common/CWaveBytes.h"
#include "common/ReferenceFilter.h"

#include "dsp/CSinNoise.h"

#include <complex>
#include <numbers>

using dsp::CSignal;
using W = CWaveBytes;
namespace ts = testsignals;

namespace {

// 99 spectrogram frames (an odd count, over three worker pieces) and 49 spectrum frames (three
// pieces), and a tail.
constexpr int LENGTH = 51300;
constexpr int SPECTROGRAM_FRAMES = 99, SPECTRUM_FRAMES = 49;
constexpr double PI = std::numbers::pi;

// Float transforms stay below 2e-7 and 6e-7 here; a window digit off is far more.
constexpr double SPECTROGRAM_TOLERANCE = 2e-6;
constexpr double SPECTRUM_TOLERANCE = 5e-6;

// A textbook recursive radix-2 transform in double precision: nothing shared with FFTW.
void Fft(std::vector<std::complex<double>>& a) {
    const std::size_t n = a.size();
    if (n == 1)
        return;
    std::vector<std::complex<double>> even(n / 2), odd(n / 2);
    for (std::size_t i = 0; i < n / 2; ++i)
        even[i] = a[2 * i], odd[i] = a[2 * i + 1];
    Fft(even);
    Fft(odd);
    for (std::size_t k = 0; k < n / 2; ++k) {
        const std::complex<double> t = std::polar(1.0, -2 * PI * double(k) / double(n)) * odd[k];
        a[k] = even[k] + t;
        a[k + n / 2] = even[k] - t;
    }
}

// frames x (length / 2 + 1) bins of the windowed transform, frame-major.
std::vector<std::complex<double>> Dft(const std::vector<double>& x, int length) {
    const int hop = length / 2, bins = length / 2 + 1, frames = (int(x.size()) - hop) / hop;
    std::vector<double> w(length); // the window as stored: rounded to six decimals, a float
    for (int i = 0; i < length; ++i)
        w[i] = float(std::round((0.54 - 0.46 * std::cos(2 * PI * i / (length - 1))) * 1e6) / 1e6);
    std::vector<std::complex<double>> out, frame(length);
    for (int t = 0; t < frames; ++t) {
        for (int i = 0; i < length; ++i)
            frame[i] = x[t * hop + i] * w[i];
        Fft(frame);
        out.insert(out.end(), frame.begin(), frame.begin() + bins);
    }
    return out;
}

struct CReference {
    std::vector<std::complex<double>> grid; // spectrogram, frame-major, unscaled
    std::vector<double> power;              // spectrum, summed over frames, unscaled
    double gridFactor, powerFactor;         // what makes the largest value 0.8 and 1.0
};

CReference Reference(const std::vector<double>& x) {
    CReference r{Dft(x, 1024), std::vector<double>(1025, 0.0), 0, 0};
    for (std::size_t i = 0; const auto& bin : Dft(x, 2048))
        r.power[i++ % 1025] += std::norm(bin);
    double largest = 0;
    for (const auto& v : r.grid)
        largest = std::max({largest, std::abs(v.real()), std::abs(v.imag())});
    r.gridFactor = 0.8 / largest;
    r.powerFactor = 1.0 / *std::max_element(r.power.begin(), r.power.end());
    return r;
}

// Both whole analyses against r on the scales of scale (a derived signal: its root's).
void ExpectMatches(const char* name, const CSignal& signal, const CReference& r,
                   const CReference& scale) {
    SCOPED_TRACE(name);
    const dsp::CSpectrogram& s = signal.GetSpectrogram();
    ASSERT_EQ(s.GetFrames(), SPECTROGRAM_FRAMES);
    double worst = 0;
    for (int t = 0; t < SPECTROGRAM_FRAMES; ++t)
        for (int k = 0; k < 513; ++k) {
            const std::complex<float> got = s.GetValue(k, t);
            const std::complex<double> want = r.grid[t * 513 + k] * scale.gridFactor;
            worst = std::max(
                {worst, std::abs(got.real() - want.real()), std::abs(got.imag() - want.imag())});
        }
    EXPECT_LT(worst, SPECTROGRAM_TOLERANCE);
    EXPECT_NEAR(s.GetFactor(), scale.gridFactor, scale.gridFactor * 1e-5);

    const dsp::CSpectrum& p = signal.GetSpectrum();
    ASSERT_EQ(p.GetFrames(), SPECTRUM_FRAMES);
    worst = 0;
    for (int k = 0; k < 1025; ++k)
        worst = std::max(worst, std::abs(p.GetPower()[k] - r.power[k] * scale.powerFactor));
    EXPECT_LT(worst, SPECTRUM_TOLERANCE);
    EXPECT_NEAR(p.GetFactor(), scale.powerFactor, scale.powerFactor * 1e-5);
}

void AddTone(std::vector<double>& x, float amplitude, float omega) {
    const int n = int(x.size());
    for (int i = 0; i < n; ++i) {
        const double gain = i < 1024 ? i / 1024.0 : i >= n - 1024 ? (n - 1 - i) / 1024.0 : 1.0;
        x[i] += amplitude * gain * std::sin(double(omega * float(i)));
    }
}

// A loaded file's analyses, and after a filter or tone: derived on its root's scale, a root on
// its own.
TEST(AnalysisOracle, AnalysesFollowFiltersAndTonesOnTheRootsScale) {
    // A chirp from 1% to 45% of the sample rate, and at 3000 a click at half the rate (last
    // bin), as the file holds it.
    std::vector<double> x(LENGTH);
    std::vector<std::int16_t> values(LENGTH);
    for (int i = 0; i < LENGTH; ++i) {
        x[i] = 0.5 * std::sin(2 * PI * (0.01 * i + 0.44 * i * double(i) / (2.0 * LENGTH)));
        if (i >= 3000 && i < 3016)
            x[i] = (i % 2 ? -0.4 : 0.4) + 0.5 * x[i];
        values[i] = std::int16_t(std::lround(x[i] * 32767));
        x[i] = values[i] / 32768.0;
    }
    CTempFolder folder;
    CSignal root, derived;
    ASSERT_EQ(root.LoadWave(folder.Write("root.wav", W::Mono16(values))), 0u);
    ASSERT_EQ(derived.CreateFrom(&root), 0u);
    ASSERT_TRUE(derived.EnsureSpectrogram() && derived.EnsureSpectrum());
    ASSERT_TRUE(root.EnsureSpectrogram() && root.EnsureSpectrum());
    const CReference rootRef = Reference(x);
    ExpectMatches("root", root, rootRef, rootRef);
    ASSERT_TRUE(derived.ApplyFilter(ts::Filter({1.0f, -0.5f}, {0.25f, 0.25f})));
    std::vector<double> y = ReferenceFilter<double>({1.0, -0.5}, {0.25, 0.25}, x);
    ExpectMatches("filtered", derived, Reference(y), rootRef);
    const float omega = 40 * std::numbers::pi_v<float> / 256;
    ASSERT_TRUE(derived.ApplyNoise(dsp::CSinNoise(0.1f, omega)));
    AddTone(y, 0.1f, omega);
    ExpectMatches("filtered with a tone", derived, Reference(y), rootRef);
    ASSERT_TRUE(root.ApplyNoise(dsp::CSinNoise(0.3f, omega)));
    AddTone(x, 0.3f, omega);
    const CReference louder = Reference(x);
    ExpectMatches("root with a tone", root, louder, louder);
}

} // namespace
