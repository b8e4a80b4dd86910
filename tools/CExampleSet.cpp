#include "tools/CExampleSet.h"

#include "tools/CSynth.h"

#include <algorithm>
#include <cmath>
#include <fstream>
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

std::vector<Example> MakeList() {
    return {
        {"sinus_440hz", Mono(44100, 16), 2.0,
         "Sinuston mit 440 Hz (Kammerton a), mittlere Lautstärke",
         MonoSound([](const CSynth& s) { return s.Sine(440.0, 0.5); })},
        {"sinus_880hz_leise", Mono(22050, 16), 2.0,
         "Leiser Sinuston mit 880 Hz, eine Oktave über dem Kammerton",
         MonoSound([](const CSynth& s) { return s.Sine(880.0, 0.1); })},
        {"sinus_220hz_laut", Mono(16000, 16), 2.0,
         "Lauter Sinuston mit 220 Hz, eine Oktave unter dem Kammerton",
         MonoSound([](const CSynth& s) { return s.Sine(220.0, 0.9); })},
        {"sinus_100hz", Mono(11025, 16), 2.0, "Tiefer Sinuston mit 100 Hz",
         MonoSound([](const CSynth& s) { return s.Sine(100.0, 0.6); })},
        {"sinus_1000hz_8bit", Mono(8000, 8), 2.0,
         "Sinuston mit 1000 Hz, mit 8 kHz abgetastet und mit 8 Bit gespeichert",
         MonoSound([](const CSynth& s) { return s.Sine(1000.0, 0.7); })},
        {"zweiklang_440_660", Mono(22050, 16), 2.5,
         "Zweiklang aus 440 Hz und 660 Hz (eine reine Quinte)", MonoSound([](const CSynth& s) {
             return s.Tones({440.0, 660.0}, 0.6);
         })},
        {"akkord_c_dur", Mono(44100, 16), 3.0,
         "C-Dur-Akkord aus den Tönen c', e' und g' (262, 330 und 392 Hz)",
         MonoSound([](const CSynth& s) {
             return s.Tones({261.63, 329.63, 392.0}, 0.6);
         })},
        {"rechteck_220hz", Mono(22050, 16), 2.0,
         "Rechteckschwingung mit 220 Hz: nur ungeradzahlige Obertöne",
         MonoSound([](const CSynth& s) { return s.Square(220.0, 0.5); })},
        {"saegezahn_220hz", Mono(22050, 16), 2.0,
         "Sägezahnschwingung mit 220 Hz: alle ganzzahligen Obertöne",
         MonoSound([](const CSynth& s) { return s.Sawtooth(220.0, 0.5); })},
        {"rauschen_weiss", Mono(16000, 16), 2.0,
         "Weißes Rauschen: alle Frequenzen sind gleich stark",
         MonoSound([](const CSynth& s) { return s.WhiteNoise(0x5EED0001u, 0.5); })},
        {"rauschen_rosa", Mono(22050, 16), 2.0,
         "Rosa Rauschen: tiefe Frequenzen sind stärker, jede Oktave hat gleich viel Energie",
         MonoSound([](const CSynth& s) { return s.PinkNoise(0x5EED0002u, 0.7); })},
        {"chirp_linear", Mono(16000, 16), 3.0,
         "Linearer Chirp: die Frequenz steigt gleichmäßig von 100 Hz auf 4000 Hz",
         MonoSound([](const CSynth& s) { return s.LinearChirp(100.0, 4000.0, 0.5); })},
        {"chirp_exponentiell", Mono(16000, 16), 3.0,
         "Exponentieller Chirp: die Frequenz verdoppelt sich alle 0,5 s, von 100 Hz auf 6400 Hz",
         MonoSound([](const CSynth& s) { return s.ExponentialChirp(100.0, 6400.0, 0.5); })},
        {"gezupft_330hz", Mono(22050, 16), 2.0,
         "Gezupfte Saite mit 330 Hz: der Ton klingt ab, die hohen Obertöne zuerst",
         MonoSound([](const CSynth& s) { return s.Pluck(330.0, 0.8); })},
        {"am_ton", Mono(22050, 16), 2.0,
         "Amplitudenmodulierter Ton: Träger 1000 Hz, Modulation mit 100 Hz",
         MonoSound([](const CSynth& s) { return s.AmTone(1000.0, 100.0, 0.8, 0.6); })},
        {"fm_ton", Mono(22050, 16), 2.0,
         "Frequenzmodulierter Ton: 1000 Hz, fünfmal pro Sekunde um 150 Hz auf und ab",
         MonoSound([](const CSynth& s) { return s.FmTone(1000.0, 5.0, 150.0, 0.6); })},
        {"vokal_a", Mono(16000, 16), 2.0,
         "Vokalähnlicher Klang „a“: Grundton 120 Hz, Formanten bei 730, 1090 und 2440 Hz",
         MonoSound([](const CSynth& s) {
             return s.Vowel(120.0, {{730.0, 90.0}, {1090.0, 110.0}, {2440.0, 170.0}}, 0.7);
         })},
        {"klickfolge", Mono(8000, 8), 2.0, "Klickfolge: zehn kurze Klicks pro Sekunde (8 Bit)",
         MonoSound([](const CSynth& s) { return s.ClickTrain(10.0, 0.9); })},
        {"stereo_440_660hz", Stereo(44100, 16), 2.0,
         "Stereo: links 440 Hz, rechts 660 Hz (das Spiel zeigt den linken Kanal)",
         [](const CSynth& s) {
             return Channels{s.Sine(440.0, 0.5), s.Sine(660.0, 0.5)};
         }},
        {"schwebung_440_444hz", Stereo(11025, 8), 3.0,
         "Schwebung aus 440 Hz und 444 Hz: die Lautstärke schwankt viermal pro Sekunde "
         "(Stereo, 8 Bit)",
         [](const CSynth& s) {
             const CSynth::Samples beat = s.Tones({440.0, 444.0}, 0.8);
             return Channels{beat, beat};
         }},
    };
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
