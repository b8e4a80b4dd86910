// The answer of every scored table of the bundled slides is the order its author wrote. Here it
// is worked out again from the sounds and filter coefficients alone, by the rules a teacher
// would use (which line is strongest, where the zeros lie, what the formula under a panel does),
// without the game's elements: a slide whose key contradicts its own signals fails.
#include "common/ReferenceFilter.h"
#include "dsp/CSignal.h"
#include "platform/CText.h"

#include <fftw3.h>
#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <complex>
#include <filesystem>
#include <map>
#include <numbers>
#include <optional>
#include <regex>
#include <set>
#include <sstream>

namespace {

using Complex = std::complex<double>;
using Coefficients = std::vector<double>;
constexpr double PI = std::numbers::pi;

struct Filter {
    Coefficients b{1.0}, a{1.0};

    Complex At(double omega) const {
        const auto poly = [omega](const Coefficients& c) {
            Complex sum;
            for (std::size_t k = 0; k < c.size(); ++k)
                sum += c[k] * std::polar(1.0, -omega * double(k));
            return sum;
        };
        return poly(b) / poly(a);
    }
    std::vector<double> Apply(const std::vector<double>& x) const {
        return ReferenceFilter(a, b, x);
    }
};

// What a panel shows: a sound, and the filter it came through last (if any).
struct Panel {
    std::vector<double> x;
    double rate = 0.0;
    std::optional<Filter> filter;
};

// Roots of a polynomial in z^-1 of at most three coefficients.
std::vector<Complex> Roots(const Coefficients& c) {
    if (c.size() == 2)
        return {-c[1] / c[0]};
    if (c.size() != 3)
        return {};
    const Complex root = std::sqrt(Complex(c[1] * c[1] - 4.0 * c[0] * c[2]));
    return {(-c[1] + root) / (2.0 * c[0]), (-c[1] - root) / (2.0 * c[0])};
}

// The numbers a German label names: "−0,8" is -0.8.
std::vector<double> Numbers(std::string text) {
    text = std::regex_replace(text, std::regex("\xE2\x88\x92"), "-");
    std::vector<double> numbers;
    const std::regex number("-?\\d+(,\\d+)?");
    for (std::sregex_iterator it(text.begin(), text.end(), number), end; it != end; ++it)
        numbers.push_back(std::stod(std::regex_replace(it->str(), std::regex(","), ".")));
    return numbers;
}

// A difference equation as written under a panel, e.g. "y[n] = (x[n] + x[n-1]) / 2" or
// "y[n] = x[n] − 0,6 y[n−800]".
Filter FromEquation(std::string text) {
    text = std::regex_replace(text, std::regex("\xE2\x88\x92"), "-");
    text = std::regex_replace(text, std::regex("\xC2\xA0"), " ");
    text = std::regex_replace(text, std::regex("(\\d),(\\d)"), "$1.$2");
    text = text.substr(text.find('=') + 1);
    double scale = 1.0;
    std::smatch group;
    if (std::regex_search(text, group, std::regex("\\(([^)]*)\\)\\s*/\\s*(\\d+)"))) {
        scale = 1.0 / std::stod(group[2]);
        text = group[1];
    }
    Filter filter{{0.0}, {1.0}};
    const std::regex term("([+-])?\\s*([\\d.]+)?\\s*([xy])\\[n(-(\\d+))?\\]");
    for (std::sregex_iterator it(text.begin(), text.end(), term), end; it != end; ++it) {
        const std::smatch& m = *it;
        const double value = (m[1] == "-" ? -1.0 : 1.0) * (m[2].matched ? std::stod(m[2]) : 1.0);
        const std::size_t delay = m[5].matched ? std::stoul(m[5]) : 0;
        Coefficients& side = m[3] == "x" ? filter.b : filter.a;
        side.resize(std::max(side.size(), delay + 1), 0.0);
        side[delay] += m[3] == "x" ? value * scale : -value;
    }
    return filter;
}

// Magnitude of a Hann-windowed, zero-padded Fourier transform, and the width of its bins.
struct Spectrum {
    std::vector<double> magnitude;
    double hzPerBin;

    explicit Spectrum(const Panel& panel) {
        const std::size_t n = std::bit_ceil(std::max<std::size_t>(4 * panel.x.size(), 16384));
        std::vector<float> in(n, 0.0f);
        for (std::size_t i = 0; i < panel.x.size(); ++i)
            in[i] = float(panel.x[i] * (0.5 - 0.5 * std::cos(2.0 * PI * i / panel.x.size())));
        std::vector<fftwf_complex> out(n / 2 + 1);
        const fftwf_plan plan = fftwf_plan_dft_r2c_1d(int(n), in.data(), out.data(), FFTW_ESTIMATE);
        fftwf_execute(plan);
        fftwf_destroy_plan(plan);
        for (const fftwf_complex& bin : out)
            magnitude.push_back(std::hypot(bin[0], bin[1]));
        hzPerBin = panel.rate / double(n);
    }
    double Strongest() const {
        return hzPerBin *
               double(std::max_element(magnitude.begin(), magnitude.end()) - magnitude.begin());
    }
    // The strongest magnitude within a quarter of spacing around a frequency.
    double Near(double hz, double spacing) const {
        const auto from = std::size_t((hz - spacing / 4) / hzPerBin);
        const auto to = std::min(magnitude.size(), std::size_t((hz + spacing / 4) / hzPerBin));
        return from < to
                   ? *std::max_element(magnitude.begin() + long(from), magnitude.begin() + long(to))
                   : 0.0;
    }
    // Local maxima above a fifth of the strongest, above 20 Hz.
    std::vector<double> Lines() const {
        const double floor = 0.2 * *std::max_element(magnitude.begin(), magnitude.end());
        std::vector<double> lines;
        for (std::size_t k = std::size_t(20 / hzPerBin) + 1; k + 1 < magnitude.size(); ++k)
            if (magnitude[k] > floor && magnitude[k] > magnitude[k - 1] &&
                magnitude[k] >= magnitude[k + 1])
                lines.push_back(double(k) * hzPerBin);
        return lines;
    }
};

double Rms(const std::vector<double>& x) {
    double energy = 0.0;
    for (const double v : x)
        energy += v * v;
    return std::sqrt(energy / double(x.size()));
}

// Lowest and highest frequency pass, or only the middle, or everything but the middle.
std::string Kind(const Filter& filter) {
    double peak = 0.0, dip = 1e9;
    for (int i = 0; i <= 512; ++i) {
        peak = std::max(peak, std::abs(filter.At(PI * i / 512)));
        dip = std::min(dip, std::abs(filter.At(PI * i / 512)));
    }
    const bool low = std::abs(filter.At(0.0)) > 0.5 * peak;
    const bool high = std::abs(filter.At(PI)) > 0.5 * peak;
    if (low && high)
        return dip < 0.1 * peak ? "Bandsperre" : "Allpass";
    return low ? "Tiefpass" : high ? "Hochpass" : "Bandpass";
}

std::vector<double> Impulse(const Filter& filter) {
    std::vector<double> impulse(2000, 0.0);
    impulse[0] = 1.0;
    return filter.Apply(impulse);
}

// The RMS of the last quarter against that of the first.
double Decay(const Panel& panel) {
    const long quarter = long(panel.x.size() / 4);
    return Rms({panel.x.end() - quarter, panel.x.end()}) /
           Rms({panel.x.begin(), panel.x.begin() + quarter});
}

// Harmonic k of the strongest line, relative to that line.
double Harmonic(const Spectrum& spectrum, int k) {
    const double f = spectrum.Strongest();
    return spectrum.Near(k * f, f) / spectrum.Near(f, f);
}

double Crest(const Panel& panel) {
    double peak = 0.0;
    for (const double v : panel.x)
        peak = std::max(peak, std::abs(v));
    return peak / Rms(panel.x);
}

// The strongest frequency of each tenth of a second: steady, rising evenly, rising by equal
// ratios, or anywhere.
std::string Track(const Panel& panel) {
    std::vector<double> track;
    const long frame = long(panel.rate / 10);
    for (long at = 0; at + frame <= long(panel.x.size()); at += frame)
        track.push_back(
            Spectrum({{panel.x.begin() + at, panel.x.begin() + at + frame}, panel.rate, {}})
                .Strongest());
    const double first = track.front(), last = track.back(), middle = track[track.size() / 2];
    std::size_t rising = 0;
    for (std::size_t i = 1; i < track.size(); ++i)
        rising += track[i] > track[i - 1];
    if (std::max(first, last) < 1.02 * std::min(first, last))
        return "Sinuston";
    if (rising < 0.8 * double(track.size()))
        return "Rauschen";
    const bool linear =
        std::abs(middle - (first + last) / 2) < std::abs(middle - std::sqrt(first * last));
    return linear ? "linearer Chirp" : "exponentieller Chirp";
}

// Which of a few kinds of sound a panel is, in the words of the labels.
std::string Sound(const Panel& panel, const std::string& question) {
    const Spectrum spectrum(panel);
    const std::vector<double> found = spectrum.Lines();
    const std::size_t lines = found.size();
    if (question == "waveform") // a square has odd harmonics only, a sawtooth every one at 1 / k
        return Harmonic(spectrum, 2) > 0.2   ? "Sägezahn"
               : Harmonic(spectrum, 3) > 0.2 ? "Rechteck"
                                             : "Sinus";
    if (question == "modulation") // AM adds one side line either side of the carrier, FM many
        return lines == 1 ? "Sinus" : lines == 3 ? "AM" : "FM";
    if (question == "tone, sound, noise")
        return lines == 1 ? "Ton" : lines < 30 ? "Klang" : "Geräusch";
    if (question == "envelope") // clicks stand out of silence, a plucked string dies away
        return Crest(panel) > 8 ? "Klickfolge" : Decay(panel) < 0.3 ? "gezupfte Saite" : "Vokal";
    if (question == "two tones") // two lines far apart, two a beat apart, or many side lines
        return lines > 2                                ? "Vibrato"
               : lines == 2 && found[1] - found[0] > 20 ? "Zweiklang"
                                                        : "Schwebung";
    if (question == "dither") { // rounding a quiet tone makes harmonics, dither makes noise
        double harmonics = 0.0;
        for (int k = 2; k < 10 && k * spectrum.Strongest() < panel.rate / 2; ++k)
            harmonics = std::max(harmonics, Harmonic(spectrum, k));
        return harmonics < 0.008 ? "mit Dither" : "nur gerundet";
    }
    if (question == "vowel") { // the first formant lies near 700 Hz in "a", near 450 Hz in "o"
        const auto from = spectrum.magnitude.begin() + long(300 / spectrum.hzPerBin);
        const auto formant = std::max_element(from, from + long(700 / spectrum.hzPerBin));
        return double(formant - spectrum.magnitude.begin()) * spectrum.hzPerBin > 550 ? "a" : "o";
    }
    if (question == "colour of noise") { // white noise is as strong high as low, pink weaker
        double low = 0.0, high = 0.0;
        for (std::size_t k = 0; k < spectrum.magnitude.size(); ++k)
            (2 * k < spectrum.magnitude.size() ? low : high) += std::pow(spectrum.magnitude[k], 2);
        // A vowel's lines tower over the gaps between them; noise has no gaps.
        std::vector<double> band(spectrum.magnitude.begin() + long(100 / spectrum.hzPerBin),
                                 spectrum.magnitude.begin() + long(2000 / spectrum.hzPerBin));
        std::nth_element(band.begin(), band.begin() + long(band.size() / 2), band.end());
        const bool lined = *std::max_element(band.begin(), band.end()) > 30 * band[band.size() / 2];
        return lined ? "Vokal" : high > 0.5 * low ? "weißes Rauschen" : "rosa Rauschen";
    }
    if (question == "bit depth")
        return std::set<double>(panel.x.begin(), panel.x.end()).size() <= 256 ? "8 Bit" : "16 Bit";
    if (question == "phases") { // sines that start at phase 0 lie at -90 degrees
        bool zero = true;
        for (int k = 1; k <= 5; ++k) {
            Complex sum;
            for (std::size_t n = 0; n < panel.x.size(); ++n)
                sum += panel.x[n] *
                       std::polar(1.0, -2 * PI * k * spectrum.Strongest() * n / panel.rate);
            zero = zero && std::abs(std::arg(sum * Complex(0, 1))) < 0.2;
        }
        return zero ? "alle Phasen 0" : "zufällige Phasen";
    }
    return question == "track" ? Track(panel) : "";
}

bool Near(double value, double want, double tolerance) {
    return std::abs(value - want) <= tolerance;
}

// Whether panel i of a row is what a label says, by one kind of question.
bool Fits(const std::string& question, const std::vector<Panel>& panels, std::size_t i,
          const std::string& label) {
    const Panel& panel = panels[i];
    const std::vector<double> named = Numbers(label);
    const double number = named.empty() ? NAN : named[0];
    if (question == "lines") { // the named frequencies, as sampled: folded
        const std::vector<double> lines = Spectrum(panel).Lines();
        bool all = lines.size() == named.size();
        for (std::size_t k = 0; all && k < lines.size(); ++k)
            all =
                Near(lines[k], std::abs(named[k] - panel.rate * std::round(named[k] / panel.rate)),
                     std::max(1.0, 0.03 * named[k]));
        return all;
    }
    if (question == "duration") {
        const auto sounding = [](double v) { return std::abs(v) > 1e-4; };
        const auto first = std::find_if(panel.x.begin(), panel.x.end(), sounding);
        const auto last = std::find_if(panel.x.rbegin(), panel.x.rend(), sounding).base();
        return Near(1000.0 * double(last - first) / panel.rate, number,
                    0.05 * number + 2000 / panel.rate);
    }
    if (question == "sample rate")
        return panel.rate == number;
    if (question == "halved rate") // a low-pass before halving silences the chirp's upper half
        return panel.rate == number && (Decay(panel) < 0.1) == label.ends_with("mit Tiefpass");
    if (question == "rising pitch" || question == "rising level") {
        const auto measure = [&question](const Panel& p) {
            return question == "rising level" ? Rms(p.x) : Spectrum(p).Strongest();
        };
        const std::vector<std::string> scale =
            question == "rising level" ? std::vector<std::string>{"leise", "mittel", "laut"}
                                       : std::vector<std::string>{"tief", "mittel", "hoch"};
        std::size_t rank = 0;
        for (const Panel& other : panels)
            rank += measure(other) < measure(panel);
        return rank < scale.size() && scale[rank] == label;
    }
    if (question == "decibels")
        return Near(20.0 * std::log10(Rms(panel.x) / Rms(panels[0].x)), number, 0.5);
    if (const std::string kind = Sound(panel, question); !kind.empty())
        return label.starts_with(kind) || (label == "dein Pfiff" && kind.ends_with("Chirp"));
    const Filter& filter = panel.filter.value();
    if (question == "filter kind")
        return Kind(filter) == label;
    if (question == "delay") {
        const std::vector<double> h = Impulse(filter);
        return std::max_element(h.begin(), h.end()) - h.begin() == long(number);
    }
    if (question == "average length") { // an average over N values cancels first at rate / N
        int first = 1;
        while (first < 4096 && std::abs(filter.At(PI * first / 4096)) > 1e-3)
            ++first;
        return Near(2.0 * 4096 / first, number, 0.1);
    }
    const std::vector<Complex> zeros = Roots(filter.b), poles = Roots(filter.a);
    if (question == "zero angle")
        return std::all_of(zeros.begin(), zeros.end(), [number](Complex z) {
            return Near(std::abs(std::arg(z)) * 180 / PI, number, 1.0);
        });
    if (question == "zero and pole")
        return named.size() == 2 && zeros.size() == 1 && poles.size() == 1 &&
               std::abs(zeros[0] - named[0]) < 1e-6 && std::abs(poles[0] - named[1]) < 1e-6;
    if (question == "pole radius")
        return Near(poles.empty() ? 0.0 : std::abs(poles[0]), number, 1e-3);
    if (question == "equation") { // the formula under the panel makes the same impulse response
        const Filter written = FromEquation(label);
        const std::vector<double> want = Impulse(written), got = Impulse(filter);
        bool same = true;
        for (std::size_t n = 0; same && n < want.size(); ++n)
            same = Near(got[n], want[n], 1e-3);
        return same && (label.find("IR:") == std::string::npos ||
                        label.starts_with("FIR") == (written.a.size() == 1));
    }
    ADD_FAILURE() << "no such question: " << question;
    return false;
}

// Resolves ids to what the panel with that id shows, following example_from and filters.
class SlideSignals {
public:
    explicit SlideSignals(const tinyxml2::XMLDocument& slide) { Index(slide.RootElement()); }

    Panel Of(const tinyxml2::XMLElement& element) const {
        Panel panel;
        if (const char* file = element.Attribute("example")) {
            dsp::CSignal signal;
            EXPECT_EQ(signal.LoadWave(CText::ToWide((CONTENT / file).string())), 0) << file;
            panel.x.assign(signal.GetSamples(), signal.GetSamples() + signal.GetSampleCount());
            panel.rate = signal.GetFormat().sampleRate;
        } else if (const char* from = element.Attribute("example_from")) {
            panel = Of(*m_byId.at(from));
        }
        if (element.FirstChildElement("a") != nullptr) {
            panel.filter = Filter{Read(element, "b"), Read(element, "a")};
            panel.x = panel.filter->Apply(panel.x);
        }
        return panel;
    }

private:
    const std::filesystem::path CONTENT = CONTENT_FOLDER;
    std::map<std::string, const tinyxml2::XMLElement*> m_byId;

    void Index(const tinyxml2::XMLElement* element) {
        for (; element != nullptr; element = element->NextSiblingElement()) {
            if (const char* id = element->Attribute("id"))
                m_byId[id] = element;
            Index(element->FirstChildElement());
        }
    }
    static Coefficients Read(const tinyxml2::XMLElement& element, const char* side) {
        Coefficients c;
        std::stringstream text(element.FirstChildElement(side)->GetText());
        for (std::string item; std::getline(text, item, ',');)
            c.push_back(std::stod(item));
        return c;
    }
};

std::vector<const tinyxml2::XMLElement*> Cells(const tinyxml2::XMLElement* row) {
    std::vector<const tinyxml2::XMLElement*> cells;
    for (auto* cell = row->FirstChildElement(); cell != nullptr; cell = cell->NextSiblingElement())
        cells.push_back(cell);
    return cells;
}

// How far apart two sounds are in the power they have in each of 128 bands.
double Distance(const Panel& one, const Panel& other) {
    const double top = std::max(one.rate, other.rate) / 2;
    const auto bands = [top](const Panel& panel) {
        const Spectrum spectrum(panel);
        std::vector<double> power(128, 0.0);
        double total = 0.0;
        for (std::size_t k = 0; k < spectrum.magnitude.size(); ++k) {
            const double energy = spectrum.magnitude[k] * spectrum.magnitude[k];
            power[std::min<std::size_t>(127, std::size_t(128 * k * spectrum.hzPerBin / top))] +=
                energy;
            total += energy;
        }
        for (double& p : power)
            p = std::sqrt(p / total);
        return power;
    };
    const std::vector<double> a = bands(one), b = bands(other);
    double distance = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        distance += std::abs(a[i] - b[i]);
    return distance;
}

std::string Text(const tinyxml2::XMLElement* element) {
    return element != nullptr && element->GetText() != nullptr ? element->GetText() : "";
}

bool AllText(const tinyxml2::XMLElement* row) {
    const std::vector<const tinyxml2::XMLElement*> cells = Cells(row);
    return std::all_of(cells.begin(), cells.end(),
                       [](const auto* cell) { return std::string(cell->Name()) == "static"; });
}

// The rule by which each slide's labels are checked; a labelled table not named here fails, so
// that a new slide gets its rule. Tables without labels are matched panel to panel.
const std::map<std::string, std::string> SLIDE_RULES = {
    {"abtast_1_periode", "lines"},
    {"spektrum_6_aufloesung", "lines"},
    {"spektrum_7_dauer", "duration"},
    {"klang_3_tonhoehe", "rising pitch"},
    {"klang_2_lautstaerke", "rising level"},
    {"pegel_1_dezibel", "decibels"},
    {"filter_2_kurven", "filter kind"},
    {"filter_3_hoeren", "filter kind"},
    {"filter_5_mittelwert_aufgabe", "average length"},
    {"pz_2_winkel", "zero angle"},
    {"pz_4_tiefpass_hochpass", "zero and pole"},
    {"stoer_5_breite", "pole radius"},
    {"filter_10_fir_iir", "equation"},
    {"filter_13_echo", "equation"},
    {"klang_4_klangfarbe", "waveform"},
    {"klang_5_rauschen", "tone, sound, noise"},
    {"abtast_5_bittiefe", "bit depth"},
    {"pegel_2_phase", "phases"},
    {"abtast_6_halbieren", "halved rate"},
    {"abtast_4_aliasing", "lines"},
    {"abtast_2_abtastrate", "sample rate"},
    {"spektrogramm_2_chirps", "track"},
    {"spektrogramm_6_pfeifen", "track"},
    {"abtast_7_dither", "dither"},
    {"filter_12_phase_verzoegerung", "delay"},
    {"spektrogramm_4_klaenge", "envelope"},
    {"pegel_3_resonanz", "pole radius"},
    {"spektrogramm_3_toene", "two tones"},
    {"spektrum_3_obertoene", "waveform"},
    {"klang_6_eigene_vokale", "vowel"},
    {"spektrum_5_modulation", "modulation"},
    {"spektrum_4_rauschen", "colour of noise"},
    {"spektrogramm_5_abtastrate", "sample rate"},
};

// Each panel of a shuffled row is nearer in sound to the panel the author put in its column of
// the neighbouring row than to any other panel there.
void ExpectMatching(const SlideSignals& signals, const tinyxml2::XMLElement* shuffled,
                    const tinyxml2::XMLElement* partner) {
    std::vector<Panel> ours, theirs;
    for (const auto* cell : Cells(shuffled))
        ours.push_back(signals.Of(*cell));
    for (const auto* cell : Cells(partner))
        theirs.push_back(signals.Of(*cell));
    ASSERT_EQ(ours.size(), theirs.size());
    for (std::size_t i = 0; i < ours.size(); ++i)
        for (std::size_t j = 0; j < theirs.size(); ++j) {
            if (j != i) {
                EXPECT_LT(Distance(ours[i], theirs[i]), Distance(ours[i], theirs[j]))
                    << "column " << i + 1 << " is nearer to column " << j + 1;
            }
        }
}

// Each panel of a shuffled row is what the label of its column says, and not what another
// column's label says: the key holds, and no two panels could swap places.
void ExpectLabelsFit(const std::string& question, const SlideSignals& signals,
                     const tinyxml2::XMLElement* shuffled, const tinyxml2::XMLElement* labels) {
    std::vector<Panel> panels;
    std::vector<std::string> texts;
    for (const auto* cell : Cells(shuffled))
        panels.push_back(signals.Of(*cell));
    for (const auto* cell : Cells(labels))
        texts.push_back(Text(cell));
    ASSERT_EQ(panels.size(), texts.size());
    for (std::size_t i = 0; i < panels.size(); ++i)
        for (std::size_t j = 0; j < texts.size(); ++j)
            EXPECT_EQ(Fits(question, panels, i, texts[j]), i == j)
                << "column " << i + 1 << " as \"" << texts[j] << "\"";
}

// A filter built from a target's roots ("-1", "0.9@90": radius at degrees, with its mirror).
Filter FromRoots(const char* zeros, const char* poles) {
    const auto polynomial = [](const char* list) {
        std::vector<Complex> c{1.0};
        std::stringstream text(list != nullptr ? list : "");
        for (std::string root; text >> root;) {
            const std::size_t at = root.find('@');
            const double angle = at == std::string::npos ? 0.0 : std::stod(root.substr(at + 1));
            const Complex r = std::polar(std::stod(root.substr(0, at)), angle * PI / 180);
            for (const Complex z :
                 std::abs(r.imag()) > 1e-9 ? std::vector{r, std::conj(r)} : std::vector{r}) {
                c.push_back(0.0);
                for (std::size_t k = c.size() - 1; k > 0; --k)
                    c[k] -= z * c[k - 1];
            }
        }
        Coefficients real;
        for (const Complex v : c)
            real.push_back(v.real());
        return real;
    };
    return {polynomial(zeros), polynomial(poles)};
}

std::vector<const tinyxml2::XMLElement*> Find(const tinyxml2::XMLElement* root, const char* tag) {
    std::vector<const tinyxml2::XMLElement*> found;
    for (auto* child = root->FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement()) {
        if (std::string(child->Name()) == tag)
            found.push_back(child);
        const std::vector<const tinyxml2::XMLElement*> deeper = Find(child, tag);
        found.insert(found.end(), deeper.begin(), deeper.end());
    }
    return found;
}

// A pole-zero target is the kind of filter its slide asks for, at the frequency it names.
void ExpectTargetAsAsked(const tinyxml2::XMLDocument& slide, const Panel& input,
                         const Filter& target) {
    std::string text;
    for (const auto* line : Find(slide.RootElement(), "static"))
        text += Text(line) + " ";
    const std::string kind = Kind(target);
    EXPECT_NE(text.find(kind == "Bandsperre" ? "Kerbe" : kind), std::string::npos) << kind;
    if (kind != "Bandsperre")
        return;
    int dip = 0;
    for (int i = 0; i <= 4096; ++i)
        if (std::abs(target.At(PI * i / 4096)) < std::abs(target.At(PI * dip / 4096)))
            dip = i;
    const std::vector<double> named = Numbers(text);
    const double hz = input.rate / 2 * dip / 4096;
    EXPECT_TRUE(
        std::any_of(named.begin(), named.end(), [hz](double n) { return std::abs(n - hz) < 5; }))
        << "the notch lies at " << hz << " Hz";
}

} // namespace

TEST(SlideAnswers, EveryKeyFollowsFromTheSignals) {
    int tables = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(CONTENT_FOLDER) / "slides")) {
        const std::string name = entry.path().stem().string();
        SCOPED_TRACE(name);
        tinyxml2::XMLDocument slide;
        ASSERT_EQ(slide.LoadFile(entry.path().c_str()), tinyxml2::XML_SUCCESS);
        const SlideSignals signals(slide);
        for (auto* table = slide.RootElement()->FirstChildElement("table"); table != nullptr;
             table = table->NextSiblingElement("table")) {
            const std::vector<const tinyxml2::XMLElement*> rows = Cells(table);
            for (std::size_t r = 0; r < rows.size(); ++r) {
                if (!rows[r]->BoolAttribute("shuffle"))
                    continue;
                ++tables;
                const tinyxml2::XMLElement* labels = nullptr;
                for (std::size_t above = r; above-- > 0 && labels == nullptr;)
                    labels = AllText(rows[above]) ? rows[above] : nullptr;
                if (labels == nullptr || Text(labels->FirstChildElement()).empty()) {
                    for (const std::size_t next : {r - 1, r + 1})
                        if (next < rows.size() && !AllText(rows[next])) {
                            ExpectMatching(signals, rows[r], rows[next]);
                            break;
                        }
                    continue;
                }
                if (!SLIDE_RULES.contains(name)) {
                    ADD_FAILURE() << "no rule for its labels";
                    continue;
                }
                ExpectLabelsFit(SLIDE_RULES.at(name), signals, rows[r], labels);
            }
        }
        for (const auto* target : Find(slide.RootElement(), "target"))
            ExpectTargetAsAsked(slide, signals.Of(*target->Parent()->ToElement()),
                                FromRoots(target->Attribute("zeros"), target->Attribute("poles")));
    }
    EXPECT_GE(tables, 40);
}
