#pragma once
// The sounds of the audio examples, computed for one sample rate and length. Every sound is
// made from formulas and the examples' own noise source only, so it comes out the same on
// every build. Amplitudes are peak values of full scale 1.

#include <cstdint>
#include <vector>

namespace examples {

struct Formant {
    double frequency; // Hz
    double bandwidth; // Hz
};

class CSynth {
public:
    using Samples = std::vector<float>;

    CSynth(std::uint32_t sampleRate, int frames);

    Samples Sine(double frequency, double amplitude) const;
    // Equally loud sines whose sum peaks at most at amplitude.
    Samples Tones(const std::vector<double>& frequencies, double amplitude) const;
    // Square and sawtooth are summed from their harmonics below half the sample rate: a
    // naive waveform would fold its upper harmonics back into the audible band.
    Samples Square(double frequency, double amplitude) const;
    Samples Sawtooth(double frequency, double amplitude) const;
    // Harmonic k of frequency (below half the sample rate) with amplitude 1 / k and the phase
    // phases[k - 1] in radians (0 where the list ends): with all phases 0 it is a sawtooth's
    // spectrum, with others the same spectrum under another waveform.
    Samples PhasedHarmonics(double frequency, const std::vector<double>& phases) const;
    Samples LinearChirp(double from, double to, double amplitude) const;
    Samples ExponentialChirp(double from, double to, double amplitude) const;
    // A plucked string: harmonics that die away, the higher ones faster.
    Samples Pluck(double frequency, double amplitude) const;
    Samples AmTone(double carrier, double modulation, double depth, double amplitude) const;
    // Vibrato: the frequency swings rate times per second by deviation around the carrier.
    Samples FmTone(double carrier, double rate, double deviation, double amplitude) const;
    // A buzzing source at pitch through resonators at the formants, like a sung vowel.
    Samples Vowel(double pitch, const std::vector<Formant>& formants, double amplitude) const;
    // Single-sample impulses, the first one at a twentieth of a second.
    Samples ClickTrain(double perSecond, double amplitude) const;
    Samples WhiteNoise(std::uint64_t seed, double amplitude) const;
    Samples PinkNoise(std::uint64_t seed, double amplitude) const;

    // Ramps at both ends so that playback neither starts nor stops with a crack.
    void Fade(Samples& samples, double inSeconds, double outSeconds) const;
    static void NormalisePeak(Samples& samples, double peak);
    // Scales to a root-mean-square level: sounds of different shape then sound equally loud.
    static void NormaliseRms(Samples& samples, double rms);

private:
    double Time(int frame) const { return frame / static_cast<double>(m_sampleRate); }
    double Nyquist() const { return m_sampleRate / 2.0; }
    struct NoPhase {
        double operator()(int) const { return 0.0; }
    };
    // Sum of sines at the harmonics of frequency below Nyquist, harmonic k weighted by
    // weight(k) (and, for the pluck, decaying at decay(k) per second), starting at the phase
    // phase(k) in radians.
    template <class Weight, class Decay, class Phase = NoPhase>
    Samples Harmonics(double frequency, Weight weight, Decay decay, Phase phase = {}) const;
    Samples FromPhase(double amplitude, auto phaseAt) const;

    std::uint32_t m_sampleRate;
    int m_frames;
};

} // namespace examples
