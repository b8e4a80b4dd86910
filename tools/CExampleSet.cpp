#include "tools/CExampleSet.h"

#include "tools/CSynth.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>
#include <set>

namespace examples {

namespace {

// Short enough that playback never starts or stops with a crack, short enough to keep a
// pluck's attack.
constexpr double FADE_IN_SECONDS = 0.005;
constexpr double FADE_OUT_SECONDS = 0.02;

using Channels = CWaveWriter::Channels;

PcmFormat Mono(std::uint32_t rate, std::uint16_t bits) {
    return {rate, 1, bits};
}
PcmFormat Stereo(std::uint32_t rate, std::uint16_t bits) {
    return {rate, 2, bits};
}

template <class Make> std::function<Channels(const CSynth&)> MonoSound(Make make) {
    return [make](const CSynth& synth) { return Channels{make(synth)}; };
}

// Examples compared on one slide share one sample rate, so that equal frequencies stand at
// equal places; most use 8 kHz, where a 256-column spectrum gives 15.6 Hz per column.
constexpr std::uint32_t RATE = 8000;
// The level of the sounds whose colour is compared: equal loudness, no clipping.
constexpr double TIMBRE_RMS = 0.25;
// An excerpt long enough to count periods, short enough to see their shape.
constexpr double EXCERPT_SECONDS = 0.02;

CSynth::Samples AtRms(CSynth::Samples samples) {
    CSynth::NormaliseRms(samples, TIMBRE_RMS);
    return samples;
}

std::vector<Example> PartOneList() {
    return {
        {"sinus_440hz", Mono(RATE, 16), 2.0,
         "Sinuston mit 440 Hz (Kammerton a), mittlere Lautstärke",
         MonoSound([](const CSynth& s) { return s.Sine(440.0, 0.25); })},
        {"sinus_440hz_leise", Mono(RATE, 16), 2.0, "Leiser Sinuston mit 440 Hz",
         MonoSound([](const CSynth& s) { return s.Sine(440.0, 0.06); })},
        {"sinus_440hz_laut", Mono(RATE, 16), 2.0, "Lauter Sinuston mit 440 Hz",
         MonoSound([](const CSynth& s) { return s.Sine(440.0, 0.9); })},
        {"sinus_100hz", Mono(11025, 16), 2.0, "Tiefer Sinuston mit 100 Hz",
         MonoSound([](const CSynth& s) { return s.Sine(100.0, 0.6); })},
        {"sinus_1000hz_8bit", Mono(RATE, 8), 2.0,
         "Sinuston mit 1000 Hz, mit 8 kHz abgetastet und mit 8 Bit gespeichert",
         MonoSound([](const CSynth& s) { return s.Sine(1000.0, 0.7); })},
        {"sinus_2000hz", Mono(RATE, 16), 2.0, "Sinuston mit 2000 Hz",
         MonoSound([](const CSynth& s) { return s.Sine(2000.0, 0.5); })},
        {"zweiklang_440_660", Mono(RATE, 16), 2.5,
         "Zweiklang aus 440 Hz und 660 Hz (eine reine Quinte)", MonoSound([](const CSynth& s) {
             return s.Tones({440.0, 660.0}, 0.6);
         })},
        {"akkord_c_dur", Mono(RATE, 16), 3.0,
         "C-Dur-Akkord aus den Tönen c'', e'' und g'' (523, 659 und 784 Hz)",
         MonoSound([](const CSynth& s) {
             return s.Tones({523.25, 659.26, 783.99}, 0.6);
         })},
        {"sinus_220hz", Mono(RATE, 16), 2.0, "Sinuston mit 220 Hz",
         MonoSound([](const CSynth& s) { return AtRms(s.Sine(220.0, 1.0)); })},
        {"rechteck_220hz", Mono(RATE, 16), 2.0,
         "Rechteckklang mit 220 Hz: nur ungeradzahlige Harmonische (f, 3f, 5f, …)",
         MonoSound([](const CSynth& s) { return AtRms(s.Square(220.0, 1.0)); })},
        {"saegezahn_220hz", Mono(RATE, 16), 2.0,
         "Sägezahnklang mit 220 Hz: alle Harmonischen (f, 2f, 3f, …)",
         MonoSound([](const CSynth& s) { return AtRms(s.Sawtooth(220.0, 1.0)); })},
        {"sinus_220hz_ausschnitt", Mono(RATE, 16), EXCERPT_SECONDS,
         "Ausschnitt von 20 ms aus einer Schwingung mit 220 Hz",
         MonoSound([](const CSynth& s) { return AtRms(s.Sine(220.0, 1.0)); }), false},
        {"rechteck_220hz_ausschnitt", Mono(RATE, 16), EXCERPT_SECONDS,
         "Ausschnitt von 20 ms aus einer Schwingung mit 220 Hz",
         MonoSound([](const CSynth& s) { return AtRms(s.Square(220.0, 1.0)); }), false},
        {"saegezahn_220hz_ausschnitt", Mono(RATE, 16), EXCERPT_SECONDS,
         "Ausschnitt von 20 ms aus einer Schwingung mit 220 Hz",
         MonoSound([](const CSynth& s) { return AtRms(s.Sawtooth(220.0, 1.0)); }), false},
        {"rauschen_weiss", Mono(16000, 16), 2.0,
         "Weißes Rauschen: alle Frequenzen sind gleich stark",
         MonoSound([](const CSynth& s) { return s.WhiteNoise(0x5EED0001u, 0.5); })},
        {"rauschen_rosa", Mono(16000, 16), 2.0,
         "Rosa Rauschen: tiefe Frequenzen sind stärker, jede Oktave hat gleich viel Energie",
         MonoSound([](const CSynth& s) { return s.PinkNoise(0x5EED0002u, 0.7); })},
        {"chirp_linear", Mono(16000, 16), 3.0,
         "Linearer Chirp: die Frequenz steigt gleichmäßig von 100 Hz auf 4000 Hz",
         MonoSound([](const CSynth& s) { return s.LinearChirp(100.0, 4000.0, 0.5); })},
        {"chirp_exponentiell", Mono(16000, 16), 3.0,
         "Exponentieller Chirp: die Frequenz verdoppelt sich alle 0,5 s, von 100 Hz auf 6400 Hz",
         MonoSound([](const CSynth& s) { return s.ExponentialChirp(100.0, 6400.0, 0.5); })},
        {"gezupft_330hz", Mono(RATE, 16), 2.0,
         "Gezupfte Saite mit 330 Hz: der Klang verklingt, die hohen Harmonischen zuerst",
         MonoSound([](const CSynth& s) { return s.Pluck(330.0, 0.8); })},
        // Carrier, sidebands and FM lines lie 200 Hz (13 columns) apart at 8 kHz.
        {"am_ton", Mono(RATE, 16), 2.0,
         "Amplitudenmodulierter Ton: Träger 2000 Hz, Modulation mit 200 Hz",
         MonoSound([](const CSynth& s) { return s.AmTone(2000.0, 200.0, 0.8, 0.6); })},
        {"fm_ton", Mono(RATE, 16), 2.0,
         "Frequenzmodulierter Ton: Träger 2000 Hz, Modulation mit 200 Hz, Hub 400 Hz",
         MonoSound([](const CSynth& s) { return s.FmTone(2000.0, 200.0, 400.0, 0.6); })},
        // Slow enough that the spectrogram (a column every 64 ms) follows the swing.
        {"vibrato_ton", Mono(RATE, 16), 3.0,
         "Ton mit Vibrato: 1000 Hz, zweimal pro Sekunde um 200 Hz auf und ab",
         MonoSound([](const CSynth& s) { return s.FmTone(1000.0, 2.0, 200.0, 0.6); })},
        {"vokal_a", Mono(16000, 16), 2.0,
         "Vokalähnlicher Klang „a“: Grundton 120 Hz, Formanten bei 730, 1090 und 2440 Hz",
         MonoSound([](const CSynth& s) {
             return s.Vowel(120.0, {{730.0, 90.0}, {1090.0, 110.0}, {2440.0, 170.0}}, 0.7);
         })},
        // Clicks farther apart than the spectrogram's 128 ms window: each its own line.
        {"klickfolge", Mono(RATE, 8), 2.0, "Klickfolge: drei kurze Klicks pro Sekunde (8 Bit)",
         MonoSound([](const CSynth& s) { return s.ClickTrain(3.0, 0.9); })},
        {"stereo_440_660hz", Stereo(44100, 16), 2.0,
         "Stereo: links 440 Hz, rechts 660 Hz (das Spiel zeigt den linken Kanal)",
         [](const CSynth& s) {
             return Channels{s.Sine(440.0, 0.5), s.Sine(660.0, 0.5)};
         }},
        {"schwebung_440_442hz", Stereo(RATE, 8), 3.0,
         "Schwebung aus 440 Hz und 442 Hz: die Lautstärke schwankt zweimal pro Sekunde "
         "(Stereo, 8 Bit)",
         [](const CSynth& s) {
             const CSynth::Samples beat = s.Tones({440.0, 442.0}, 0.8);
             return Channels{beat, beat};
         }},
    };
}

// One chirp from 100 Hz to 7900 Hz, computed at the sample instants of a rate: above half
// the rate it folds back, as a sampler without anti-aliasing filter would record it.
Example AliasChirp(std::uint32_t rate) {
    return {"chirp_abgetastet_" + std::to_string(rate), Mono(rate, 16), 3.0,
            "Chirp von 100 Hz bis 7900 Hz, mit " + std::to_string(rate) + " Hz abgetastet",
            MonoSound([](const CSynth& s) { return s.LinearChirp(100.0, 7900.0, 0.5); })};
}

Example ToneAt8k(int frequency) {
    return {"abtastung_" + std::to_string(frequency) + "hz", Mono(RATE, 16), 2.0,
            "Sinus mit " + std::to_string(frequency) + " Hz, mit 8000 Hz abgetastet",
            MonoSound([frequency](const CSynth& s) { return s.Sine(frequency, 0.5); })};
}

Example Excerpt(int frequency) {
    return {"ausschnitt_" + std::to_string(frequency) + "hz", Mono(RATE, 16), EXCERPT_SECONDS,
            "Ausschnitt von 20 ms aus einem Sinuston",
            MonoSound([frequency](const CSynth& s) { return s.Sine(frequency, 0.8); }), false};
}

// A tenth of a second of a sine, all at one level: long enough to hear its pitch, short enough
// that its periods can be counted in a plot, and only the density of the waves tells it apart.
Example ShortTone(int frequency) {
    return {"ton_" + std::to_string(frequency) + "hz_kurz", Mono(RATE, 16), 0.1,
            "Sinuston mit " + std::to_string(frequency) + " Hz, eine Zehntelsekunde lang",
            MonoSound([frequency](const CSynth& s) { return s.Sine(frequency, 0.5); })};
}

// A burst of whole periods of 1000 Hz, alone in half a second of silence: the shorter the burst,
// the wider its line in the spectrum (about 2 / duration from null to null). Whole periods
// start and end at zero, so the burst needs no ramp that would widen its line further.
Example Burst(int milliseconds) {
    const std::string ms = std::to_string(milliseconds);
    return {"ton_1000hz_" + ms + "ms", Mono(RATE, 16), 0.5,
            "Sinuston mit 1000 Hz, " + ms + " ms lang, in einer halben Sekunde Stille",
            MonoSound([milliseconds](const CSynth& s) {
                CSynth::Samples samples = s.Sine(1000.0, 0.5);
                const std::size_t length = static_cast<std::size_t>(RATE) * milliseconds / 1000;
                const std::size_t start = (samples.size() - std::min(length, samples.size())) / 2;
                for (std::size_t i = 0; i < samples.size(); ++i)
                    if (i < start || i >= start + length)
                        samples[i] = 0.0f;
                return samples;
            }),
            false};
}

// One tone at a level in dB below 0.8 of full scale, at 1000 Hz, the centre of a spectrum bin.
Example Level(int decibels) {
    const std::string db = std::to_string(decibels);
    return {decibels == 0 ? "pegel_0db" : "pegel_minus_" + db + "db", Mono(RATE, 16), 2.0,
            "Sinuston mit 1000 Hz, " + (decibels == 0 ? "Bezugspegel" : db + " dB leiser"),
            MonoSound([decibels](const CSynth& s) {
                return s.Sine(1000.0, 0.8 * std::pow(10.0, -decibels / 20.0));
            })};
}

// Harmonics of 150 Hz at one RMS level, long to listen to or short to see the waveform,
// all starting together or each at its own phase, drawn from the examples' noise source.
Example Phases(bool random, double seconds) {
    const std::string name = random ? "phasen_zufaellig" : "phasen_null";
    const bool excerpt = seconds < 1.0;
    return {name + (excerpt ? "_ausschnitt" : ""), Mono(RATE, 16), seconds,
            std::string(random ? "Harmonische von 150 Hz mit zufälligen Phasen"
                               : "Harmonische von 150 Hz, alle mit der Phase 0") +
                (excerpt ? ", Ausschnitt" : ""),
            MonoSound([random](const CSynth& s) {
                std::vector<double> phases;
                const CSynth::Samples draws = CSynth(RATE, 30).WhiteNoise(0x5EED0008u, std::numbers::pi);
                if (random)
                    phases.assign(draws.begin(), draws.end());
                return AtRms(s.PhasedHarmonics(150.0, phases));
            }),
            !excerpt};
}

// The chirp of AliasChirp(8000) as a sampler with a low-pass in front records it: silent
// from about 3900 Hz on, where the plain one folds back.
Example LowPassedChirp() {
    return {"chirp_abgetastet_8000_tiefpass", Mono(RATE, 16), 3.0,
            "Chirp von 100 Hz bis 7900 Hz, mit Tiefpass auf 8000 Hz abgetastet",
            MonoSound([](const CSynth& s) {
                CSynth::Samples chirp = s.LinearChirp(100.0, 7900.0, 0.5);
                const double seconds = chirp.size() / static_cast<double>(RATE);
                for (std::size_t n = 0; n < chirp.size(); ++n) {
                    const double hz = 100.0 + 7800.0 * (n / static_cast<double>(RATE)) / seconds;
                    chirp[n] *= static_cast<float>(std::clamp((3900.0 - hz) / 200.0, 0.0, 1.0));
                }
                return chirp;
            })};
}

// The examples of the sampling, filter, notch and pole-zero courses.
std::vector<Example> FilterList() {
    std::vector<Example> list = {
        {"rauschen_8000hz", Mono(RATE, 16), 2.0, "Weißes Rauschen, mit 8000 Hz abgetastet",
         MonoSound([](const CSynth& s) { return s.WhiteNoise(0x5EED0003u, 0.5); })},
        {"rauschen_11025hz", Mono(11025, 16), 2.0, "Weißes Rauschen, mit 11025 Hz abgetastet",
         MonoSound([](const CSynth& s) { return s.WhiteNoise(0x5EED0004u, 0.5); })},
        // A quiet sine: at 8 bit the noise of rounding and dither is only about 20 dB below it.
        {"leise_16bit", Mono(RATE, 16), 2.0, "Leiser Sinuston mit 440 Hz, 16 Bit",
         MonoSound([](const CSynth& s) { return s.Sine(440.0, 0.06); })},
        // Rounding alone repeats with the tone and makes lines instead of a noise floor.
        {"leise_8bit_ohne_dither", Mono(RATE, 8), 2.0,
         "Leiser Sinuston mit 440 Hz, 8 Bit, nur gerundet",
         MonoSound([](const CSynth& s) { return s.Sine(440.0, 0.06); })},
        // Dithered with triangular noise of one step either way, as a careful recording is.
        {"leise_8bit", Mono(RATE, 8), 2.0, "Leiser Sinuston mit 440 Hz, 8 Bit",
         MonoSound([](const CSynth& s) {
             constexpr double HALF_STEP = 0.5 / 127.0;
             CSynth::Samples tone = s.Sine(440.0, 0.06);
             const CSynth::Samples a = s.WhiteNoise(0x5EED0006u, HALF_STEP);
             const CSynth::Samples b = s.WhiteNoise(0x5EED0007u, HALF_STEP);
             for (std::size_t n = 0; n < tone.size(); ++n)
                 tone[n] += a[n] + b[n];
             return tone;
         })},
        {"saegezahn_500hz", Mono(RATE, 16), 2.0,
         "Sägezahnklang mit 500 Hz: Harmonische bei 500, 1000, 1500, … Hz",
         MonoSound([](const CSynth& s) { return s.Sawtooth(500.0, 0.5); })},
        {"einzelklick", Mono(RATE, 16), 1.5, "Ein einzelner Klick",
         MonoSound([](const CSynth& s) { return s.ClickTrain(0.5, 0.5); })},
        // Inputs for the notch exercises: quiet, so that the added tone is the tallest peak.
        {"vokal_o_leise", Mono(RATE, 16), 2.0,
         "Vokalähnlicher Klang „o“: Grundton 150 Hz, Formanten bei 450, 800 und 2830 Hz",
         MonoSound([](const CSynth& s) {
             return s.Vowel(150.0, {{450.0, 80.0}, {800.0, 100.0}, {2830.0, 150.0}}, 0.25);
         })},
        {"akkord_leise", Mono(RATE, 16), 2.0,
         "Leiser C-Dur-Akkord aus c', e' und g' (262, 330 und 392 Hz)",
         MonoSound([](const CSynth& s) { return s.Tones({261.63, 329.63, 392.0}, 0.15); })},
        {"rauschen_rosa_leise", Mono(RATE, 16), 2.0, "Leises rosa Rauschen",
         MonoSound([](const CSynth& s) { return s.PinkNoise(0x5EED0005u, 0.3); })},
    };
    for (const std::uint32_t rate : {16000u, 11025u, 8000u})
        list.push_back(AliasChirp(rate));
    for (const int frequency : {1000, 7000, 5500, 7500})
        list.push_back(ToneAt8k(frequency));
    for (const int frequency : {100, 200, 400})
        list.push_back(Excerpt(frequency));
    return list;
}

std::vector<Example> MakeList() {
    std::vector<Example> list = PartOneList();
    for (const int frequency : {100, 200, 400})
        list.push_back(ShortTone(frequency));
    for (const int milliseconds : {2, 10, 500})
        list.push_back(Burst(milliseconds));
    for (const int decibels : {0, 6, 20, 40})
        list.push_back(Level(decibels));
    for (const bool random : {false, true}) {
        list.push_back(Phases(random, 2.0));
        list.push_back(Phases(random, 0.04));
    }
    list.push_back(LowPassedChirp());
    // Two tones whose distance the spectrum cannot or can resolve.
    for (const int apart : {5, 60})
        list.push_back({"aufloesung_" + std::to_string(apart) + "hz", Mono(RATE, 16), 2.0,
                        "Zwei Sinustöne, 1000 Hz und " + std::to_string(1000 + apart) + " Hz",
                        MonoSound([apart](const CSynth& s) {
                            return s.Tones({1000.0, 1000.0 + apart}, 0.5);
                        })});
    for (Example& example : FilterList())
        list.push_back(std::move(example));
    return list;
}

} // namespace

int Example::Frames() const {
    return static_cast<int>(std::lround(seconds * format.sampleRate));
}

const std::vector<Example>& CExampleSet::All() {
    static const std::vector<Example> list = MakeList();
    return list;
}

std::vector<std::uint8_t> CExampleSet::WaveBytes(const Example& example) {
    const CSynth synth(example.format.sampleRate, example.Frames());
    Channels channels = example.make(synth);
    if (example.fade)
        for (CSynth::Samples& channel : channels)
            synth.Fade(channel, FADE_IN_SECONDS, FADE_OUT_SECONDS);
    return CWaveWriter::Encode(example.format, channels);
}

bool CExampleSet::Write(const Example& example, const std::filesystem::path& folder) {
    const std::vector<std::uint8_t> bytes = WaveBytes(example);
    if (bytes.empty() || !CWaveWriter::Save(folder / (example.name + ".wav"), bytes))
        return false;
    std::ofstream text(folder / (example.name + ".txt"), std::ios::binary | std::ios::trunc);
    text << example.description << '\n';
    return static_cast<bool>(text);
}

std::vector<std::string> CExampleSet::RemoveStale(const std::filesystem::path& folder) {
    std::set<std::string> current;
    for (const Example& example : All()) {
        current.insert(example.name + ".wav");
        current.insert(example.name + ".txt");
    }
    std::vector<std::string> removed;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        const std::string extension = entry.path().extension().string();
        if (!entry.is_regular_file() || (extension != ".wav" && extension != ".txt") ||
            current.count(name) != 0)
            continue;
        if (std::filesystem::remove(entry.path(), error))
            removed.push_back(name);
    }
    std::sort(removed.begin(), removed.end());
    return removed;
}

} // namespace examples
