#include "tools/CSynth.h"

#include "tools/CPseudoRandom.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace examples {

namespace {

constexpr double TWO_PI = 2.0 * std::numbers::pi;

// Paul Kellett's filter bank: white noise in, about -3 dB per octave out.
class PinkFilter {
public:
    double Next(double white) {
        m_b[0] = 0.99886 * m_b[0] + white * 0.0555179;
        m_b[1] = 0.99332 * m_b[1] + white * 0.0750759;
        m_b[2] = 0.96900 * m_b[2] + white * 0.1538520;
        m_b[3] = 0.86650 * m_b[3] + white * 0.3104856;
        m_b[4] = 0.55000 * m_b[4] + white * 0.5329522;
        m_b[5] = -0.7616 * m_b[5] - white * 0.0168980;
        const double pink =
            m_b[0] + m_b[1] + m_b[2] + m_b[3] + m_b[4] + m_b[5] + m_b[6] + white * 0.5362;
        m_b[6] = white * 0.115926;
        return pink;
    }

private:
    double m_b[7] = {};
};

// Two-pole resonator with unit gain at its centre frequency.
class Resonator {
public:
    Resonator(const Formant& formant, double sampleRate) {
        const double r = std::exp(-std::numbers::pi * formant.bandwidth / sampleRate);
        const double theta = TWO_PI * formant.frequency / sampleRate;
        m_a1 = 2.0 * r * std::cos(theta);
        m_a2 = -r * r;
        m_gain = (1.0 - r) * std::sqrt(1.0 - 2.0 * r * std::cos(2.0 * theta) + r * r);
    }
    double Next(double x) {
        const double y = m_gain * x + m_a1 * m_y1 + m_a2 * m_y2;
        m_y2 = m_y1;
        m_y1 = y;
        return y;
    }

private:
    double m_a1, m_a2, m_gain;
    double m_y1 = 0.0, m_y2 = 0.0;
};

} // namespace

CSynth::CSynth(std::uint32_t sampleRate, int frames)
    : m_sampleRate(sampleRate), m_frames(std::max(frames, 0)) {}

CSynth::Samples CSynth::FromPhase(double amplitude, auto phaseAt) const {
    Samples out(static_cast<std::size_t>(m_frames));
    for (int n = 0; n < m_frames; ++n)
        out[n] = static_cast<float>(amplitude * std::sin(phaseAt(Time(n))));
    return out;
}

CSynth::Samples CSynth::Sine(double frequency, double amplitude) const {
    return FromPhase(amplitude, [=](double t) { return TWO_PI * frequency * t; });
}

CSynth::Samples CSynth::Tones(const std::vector<double>& frequencies, double amplitude) const {
    Samples out(static_cast<std::size_t>(m_frames), 0.0f);
    const double each =
        amplitude / static_cast<double>(std::max<std::size_t>(frequencies.size(), 1));
    for (const double frequency : frequencies) {
        const Samples tone = Sine(frequency, each);
        std::transform(out.begin(), out.end(), tone.begin(), out.begin(), std::plus<float>());
    }
    return out;
}

template <class Weight, class Decay, class Phase>
CSynth::Samples CSynth::Harmonics(double frequency, Weight weight, Decay decay,
                                  Phase phase) const {
    std::vector<double> sum(static_cast<std::size_t>(m_frames), 0.0);
    for (int k = 1; k * frequency < Nyquist(); ++k) {
        const double a = weight(k);
        if (a == 0.0)
            continue;
        const double rate = decay(k);
        const double start = phase(k);
        for (int n = 0; n < m_frames; ++n) {
            const double t = Time(n);
            sum[n] += a * std::exp(-rate * t) * std::sin(TWO_PI * k * frequency * t + start);
        }
    }
    return Samples(sum.begin(), sum.end());
}

CSynth::Samples CSynth::Square(double frequency, double amplitude) const {
    const double scale = amplitude * 4.0 / std::numbers::pi;
    return Harmonics(
        frequency, [=](int k) { return k % 2 == 1 ? scale / k : 0.0; }, [](int) { return 0.0; });
}

CSynth::Samples CSynth::Sawtooth(double frequency, double amplitude) const {
    const double scale = amplitude * 2.0 / std::numbers::pi;
    return Harmonics(
        frequency, [=](int k) { return (k % 2 == 1 ? scale : -scale) / k; },
        [](int) { return 0.0; });
}

CSynth::Samples CSynth::PhasedHarmonics(double frequency,
                                         const std::vector<double>& phases) const {
    return Harmonics(
        frequency, [](int k) { return 1.0 / k; }, [](int) { return 0.0; },
        [&](int k) { return static_cast<std::size_t>(k) <= phases.size() ? phases[k - 1] : 0.0; });
}

CSynth::Samples CSynth::LinearChirp(double from, double to, double amplitude) const {
    const double sweep = (to - from) / Time(m_frames); // Hz per second
    return FromPhase(amplitude,
                     [=](double t) { return TWO_PI * (from * t + 0.5 * sweep * t * t); });
}

CSynth::Samples CSynth::ExponentialChirp(double from, double to, double amplitude) const {
    const double duration = Time(m_frames);
    const double logRatio = std::log(to / from);
    return FromPhase(amplitude, [=](double t) {
        return TWO_PI * from * duration / logRatio * (std::exp(logRatio * t / duration) - 1.0);
    });
}

CSynth::Samples CSynth::Pluck(double frequency, double amplitude) const {
    // A string plucked near a quarter of its length: the harmonics near multiples of four
    // are weak.
    constexpr double PLUCK_POINT = 0.27;
    Samples out = Harmonics(
        frequency, [](int k) { return std::sin(k * std::numbers::pi * PLUCK_POINT) / (k * k); },
        [](int k) { return 1.2 + 0.35 * k * k; });
    NormalisePeak(out, amplitude);
    return out;
}

CSynth::Samples CSynth::AmTone(double carrier, double modulation, double depth,
                               double amplitude) const {
    Samples out(static_cast<std::size_t>(m_frames));
    for (int n = 0; n < m_frames; ++n) {
        const double t = Time(n);
        const double envelope = (1.0 + depth * std::sin(TWO_PI * modulation * t)) / (1.0 + depth);
        out[n] = static_cast<float>(amplitude * envelope * std::sin(TWO_PI * carrier * t));
    }
    return out;
}

CSynth::Samples CSynth::FmTone(double carrier, double rate, double deviation,
                               double amplitude) const {
    // The phase is the integral of carrier + deviation * sin(2 pi rate t).
    const double index = deviation / rate;
    return FromPhase(amplitude, [=](double t) {
        return TWO_PI * carrier * t + index * (1.0 - std::cos(TWO_PI * rate * t));
    });
}

CSynth::Samples CSynth::Vowel(double pitch, const std::vector<Formant>& formants,
                              double amplitude) const {
    // A band-limited sawtooth falls by 6 dB per octave, roughly what leaves a singer's lips.
    Samples source = Sawtooth(pitch, 1.0);
    // The resonators work in parallel: each formant stands out as its own peak.
    std::vector<Resonator> resonators;
    for (const Formant& formant : formants)
        resonators.emplace_back(formant, static_cast<double>(m_sampleRate));
    Samples out(source.size());
    for (std::size_t n = 0; n < source.size(); ++n) {
        double y = 0.0;
        for (Resonator& resonator : resonators)
            y += resonator.Next(source[n]);
        out[n] = static_cast<float>(y);
    }
    NormalisePeak(out, amplitude);
    return out;
}

CSynth::Samples CSynth::ClickTrain(double perSecond, double amplitude) const {
    Samples out(static_cast<std::size_t>(m_frames), 0.0f);
    for (int i = 0;; ++i) {
        const double t = 0.05 + i / perSecond;
        const long n = std::lround(t * m_sampleRate);
        if (n >= m_frames)
            break;
        out[static_cast<std::size_t>(n)] = static_cast<float>(amplitude);
    }
    return out;
}

CSynth::Samples CSynth::WhiteNoise(std::uint64_t seed, double amplitude) const {
    CPseudoRandom random(seed);
    Samples out(static_cast<std::size_t>(m_frames));
    for (float& sample : out)
        sample = static_cast<float>(amplitude * random.Uniform());
    return out;
}

CSynth::Samples CSynth::PinkNoise(std::uint64_t seed, double amplitude) const {
    CPseudoRandom random(seed);
    PinkFilter filter;
    // The slowest section needs a few thousand samples to settle; drop them.
    constexpr int SETTLE = 8000;
    for (int n = 0; n < SETTLE; ++n)
        filter.Next(random.Uniform());
    Samples out(static_cast<std::size_t>(m_frames));
    for (float& sample : out)
        sample = static_cast<float>(filter.Next(random.Uniform()));
    NormalisePeak(out, amplitude);
    return out;
}

void CSynth::Fade(Samples& samples, double inSeconds, double outSeconds) const {
    const auto ramp = [&](double seconds) {
        return std::min<std::size_t>(static_cast<std::size_t>(seconds * m_sampleRate),
                                     samples.size());
    };
    const std::size_t in = ramp(inSeconds);
    const std::size_t out = ramp(outSeconds);
    // Raised-cosine ramps: no corner where they meet the sound.
    for (std::size_t n = 0; n < in; ++n)
        samples[n] *= static_cast<float>(0.5 - 0.5 * std::cos(std::numbers::pi * n / in));
    for (std::size_t n = 0; n < out; ++n)
        samples[samples.size() - 1 - n] *=
            static_cast<float>(0.5 - 0.5 * std::cos(std::numbers::pi * n / out));
}

void CSynth::NormalisePeak(Samples& samples, double peak) {
    float largest = 0.0f;
    for (const float sample : samples)
        largest = std::max(largest, std::fabs(sample));
    if (largest == 0.0f)
        return;
    const float scale = static_cast<float>(peak / largest);
    for (float& sample : samples)
        sample *= scale;
}

void CSynth::NormaliseRms(Samples& samples, double rms) {
    double energy = 0.0;
    for (const float sample : samples)
        energy += static_cast<double>(sample) * sample;
    if (energy == 0.0)
        return;
    const float scale = static_cast<float>(rms / std::sqrt(energy / samples.size()));
    for (float& sample : samples)
        sample *= scale;
}

} // namespace examples
