// Writes the seed corpora of the fuzz targets from the project's own material: the bundled
// game.xml and slides, WAV files made by the example writer, statistics made by the game's own
// statistics store.
//
//   make_fuzz_seeds CONTENT_FOLDER OUTPUT_FOLDER
//
// OUTPUT_FOLDER gets wave/, stats/, config/, slide/ and coefficients/.

#include "app/CGameStatistics.h"
#include "tools/CWaveWriter.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string Wave(std::uint32_t rate, std::uint16_t channels, std::uint16_t bits, int frames) {
    examples::CWaveWriter::Channels samples(channels);
    for (auto& channel : samples)
        for (int i = 0; i < frames; ++i)
            channel.push_back(0.8f * std::sin(0.07f * static_cast<float>(i)));
    const auto bytes = examples::CWaveWriter::Encode({rate, channels, bits}, samples);
    return {bytes.begin(), bytes.end()};
}

std::vector<std::string> Waves() {
    std::vector<std::string> waves = {Wave(8000, 1, 16, 64), Wave(22050, 2, 16, 32),
                                      Wave(11025, 1, 8, 48), Wave(44100, 2, 8, 16)};
    // A list chunk between format and data, and a data chunk claiming more than is there.
    std::string listed = waves[0];
    listed.insert(36, std::string("LIST\x05\0\0\0INFOx\0", 14));
    waves.push_back(listed);
    std::string cut = waves[1];
    cut.resize(cut.size() / 2);
    waves.push_back(cut);
    return waves;
}

std::vector<std::string> StatisticsTexts() {
    CGameStatistics stats;
    std::vector<std::string> texts;
    std::string text;
    const auto add = [&] {
        if (stats.SaveStatistics(text))
            texts.push_back(text);
    };
    add();
    stats.AddSlideResult(L"spektrum.xml", 3, 12.5);
    stats.AddSlideResult(L"Übung & <Test>.xml", 1, 4.25);
    add();
    for (int points = 1; points <= 11; ++points)
        stats.AddCourseResult(L"Filter", points, 60.0 - points);
    stats.SetScoreName(L"Filter", 0, L"Jürgen \"J\" O'Neil");
    stats.GetScores(L"Nie gespielt");
    add();
    texts.push_back(texts.back() + "\r\n");
    return texts;
}

// The bundled slides with their examples renamed to the two files the slide target offers.
std::string WithFuzzExamples(const std::string& slide, int n) {
    static const std::regex example(R"(example="[^"*]*")");
    return std::regex_replace(slide, example, n % 2 == 0 ? "example=\"ex/a.wav\"" : "example=\"b.wav\"");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_fuzz_seeds CONTENT_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    const fs::path content = argv[1];
    const fs::path out = argv[2];
    for (const char* target : {"wave", "stats", "config", "slide", "coefficients"})
        fs::create_directories(out / target);

    const std::vector<std::string> waves = Waves();
    for (std::size_t i = 0; i < waves.size(); ++i)
        Write(out / "wave" / ("seed" + std::to_string(i)), waves[i]);

    const std::vector<std::string> texts = StatisticsTexts();
    for (std::size_t i = 0; i < texts.size(); ++i)
        Write(out / "stats" / ("seed" + std::to_string(i)), texts[i]);

    Write(out / "config" / "bundled", Read(content / "game.xml"));
    Write(out / "config" / "small",
          "<game><audioexamples>ex</audioexamples><slides>.</slides><font size='90' name='Times'/>"
          "<course titel='K' highscore='1'><slide>s.xml</slide></course></game>");

    // Count in two bytes, then the list as a slide author writes it.
    const std::pair<int, std::string> lists[] = {
        {3, "1, -1.8, 0.81"}, {1, "1"}, {4, "\t1.5e-3\r\n-2.25e+1, 0.5 ,7"}, {2, "0.5,,0.25"},
        {5, "1 2 3"}, {0, ""}, {2, "-.5e2 1e-40"}};
    int k = 0;
    for (const auto& [count, list] : lists) {
        const std::string prefix{static_cast<char>(count & 0xFF), static_cast<char>(count >> 8)};
        Write(out / "coefficients" / ("seed" + std::to_string(k++)), prefix + list);
    }

    int n = 0;
    for (const auto& entry : fs::directory_iterator(content / "slides")) {
        const std::string slide = WithFuzzExamples(Read(entry.path()), n);
        // Every other one carries its own small example after a zero byte.
        Write(out / "slide" / entry.path().filename(),
              n % 2 == 0 ? slide : slide + std::string(1, '\0') + waves[n % waves.size()]);
        ++n;
    }
    return 0;
}
