// End-to-end figures: the start of the program to the main menu painted, the heaviest bundled
// slide made ready (read, examples loaded, analysed, windows made, first paint), and the peak
// memory of a slide with six ten-second examples and all their analyses. Each also reports its
// parts as counters, so that what dominates it can be read off.

#include "BenchApplication.h"
#include "BenchSignals.h"
#include "CEndToEndProbes.h"

#include "dsp/CSignal.h"
#include "game/CGameContext.h"
#include "game/CGameSlide.h"
#include "platform/CApplication.h"

#include <benchmark/benchmark.h>
#include <tinyxml2.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const fs::path CONTENT = fs::path(VELMORA_SOURCE_DIR) / "content";

// A fresh folder under the system's temporary folder for this process.
fs::path MakeFolder(const std::string& name) {
    const fs::path folder = fs::temp_directory_path() /
                            ("velmora_bench_" + name + "_" + std::to_string(getpid()));
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    fs::create_directories(folder);
    return folder;
}

// A game folder as the launcher makes it: the bundled game.xml, examples and slides, no stats.
const fs::path& GameFolder() {
    static const fs::path folder = [] {
        const fs::path made = MakeFolder("game");
        fs::copy_file(CONTENT / "game.xml", made / "game.xml");
        fs::create_directory_symlink(CONTENT / "examples", made / "examples");
        fs::create_directory_symlink(CONTENT / "slides", made / "slides");
        return made;
    }();
    return folder;
}

void BM_StartToMenu(benchmark::State& state) {
    double exec = 0, windowSystem = 0, dialog = 0, initAndPaint = 0;
    for (auto _ : state) {
        double started = 0;
        const auto t = CEndToEndProbes::Spawn("menu", GameFolder().string(), started);
        if (t.size() != 4) {
            state.SkipWithError("the menu was not painted");
            return;
        }
        state.SetIterationTime((t[3] - started) / 1e3);
        exec += t[0] - started;
        windowSystem += t[1] - t[0];
        dialog += t[2] - t[1];
        initAndPaint += t[3] - t[2];
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["exec_ms"] = exec / n;                  // start until main: libraries loaded
    state.counters["window_system_ms"] = windowSystem / n; // the Qt application
    state.counters["dialog_ms"] = dialog / n;              // the dialog object, stats read
    // game.xml, catalogue, fonts, menu buttons, showing and painting
    state.counters["init_paint_ms"] = initAndPaint / n;
}
BENCHMARK(BM_StartToMenu)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(7);

// One bundled slide made ready as the game does it, timed in its parts.
class CSlideTimes {
public:
    double readXml = 0;   // reading, loading the examples, analyses, layout
    double loadWaves = 0; // of which: loading the examples again on their own (cached files)
    double windows = 0;   // windows made, shown and painted

    double Total() const { return readXml + windows; }
    double AfterRead() const { return Total() - loadWaves; }

    bool Measure(const fs::path& file, CWnd& host) {
        const double start = CEndToEndProbes::NowMs();
        game::CGameContext master;
        master.AddExampleFolder(L"examples");
        tinyxml2::XMLDocument document(true, tinyxml2::COLLAPSE_WHITESPACE);
        if (document.LoadFile(file.c_str()) != tinyxml2::XML_SUCCESS || !document.RootElement())
            return false;
        auto slide = std::make_unique<game::CGameSlide>(master, file.filename().wstring());
        CRect area{0, 0, 1000, 700};
        if (slide->ReadXml(*document.RootElement(), area, WS_CHILD) != game::ERR_NONE)
            return false;
        const double read = CEndToEndProbes::NowMs();
        if (slide->CreateElementWindow(&host, 100) != game::ERR_NONE)
            return false;
        slide->ShowWindow(true);
        slide->UpdateWindow();
        CApplication::ProcessMessages();
        const double shown = CEndToEndProbes::NowMs();
        readXml = read - start;
        windows = shown - read;
        loadWaves = LoadAgain(slide->Context());
        slide->DestroyWindow();
        return true;
    }

private:
    static double LoadAgain(const game::CGameContext& context) {
        double total = 0;
        for (const auto& [id, signal] : context.Signals()) {
            if (!signal || signal->GetFileName().empty())
                continue;
            dsp::CSignal again;
            const double start = CEndToEndProbes::NowMs();
            again.LoadWave(signal->GetFileName());
            total += CEndToEndProbes::NowMs() - start;
        }
        return total;
    }
};

// Finds the bundled slide that takes longest to get ready, then times it again and again.
void BM_HeaviestSlideReady(benchmark::State& state) {
    benchsignals::EnsureApplication();
    const fs::path before = fs::current_path();
    fs::current_path(CONTENT);
    CWnd host;
    host.Create(L"Host", L"", WS_VISIBLE, CRect{0, 0, 1000, 700}, nullptr, 0);
    fs::path heaviest;
    double longest = 0;
    int slides = 0;
    for (const auto& entry : fs::directory_iterator(CONTENT / "slides")) {
        CSlideTimes times;
        if (entry.path().extension() != ".xml" || !times.Measure(entry.path(), host))
            continue;
        ++slides;
        if (times.AfterRead() > longest) {
            longest = times.AfterRead();
            heaviest = entry.path();
        }
    }
    CSlideTimes sum;
    for (auto _ : state) {
        CSlideTimes times;
        if (heaviest.empty() || !times.Measure(heaviest, host)) {
            state.SkipWithError("no bundled slide could be read");
            break;
        }
        state.SetIterationTime(times.AfterRead() / 1e3);
        sum.readXml += times.readXml;
        sum.loadWaves += times.loadWaves;
        sum.windows += times.windows;
    }
    host.DestroyWindow();
    fs::current_path(before);
    const double n = std::max<double>(1, static_cast<double>(state.iterations()));
    state.SetLabel(heaviest.filename().string() + " of " + std::to_string(slides));
    state.counters["total_ms"] = sum.Total() / n;
    state.counters["load_waves_ms"] = sum.loadWaves / n;
    state.counters["read_analyse_ms"] = (sum.readXml - sum.loadWaves) / n;
    state.counters["windows_paint_ms"] = sum.windows / n;
}
BENCHMARK(BM_HeaviestSlideReady)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);

// A 16-bit mono WAV file of ten seconds of noise at 44.1 kHz.
void WriteExample(const fs::path& file, unsigned seed) {
    const std::vector<float> samples = benchsignals::Noise(benchsignals::TEN_SECONDS);
    std::ofstream out(file, std::ios::binary);
    auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    const std::uint32_t bytes = 2 * static_cast<std::uint32_t>(samples.size());
    out.write("RIFF", 4);
    u32(36 + bytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(1);
    u32(benchsignals::RATE);
    u32(benchsignals::RATE * 2);
    u16(2);
    u16(16);
    out.write("data", 4);
    u32(bytes);
    for (std::size_t i = 0; i < samples.size(); ++i)
        u16(static_cast<std::uint16_t>(static_cast<std::int16_t>(
            samples[(i + seed * 997) % samples.size()] * 32767)));
}

// Six ten-second examples, each shown as wave, spectrum and spectrogram.
const fs::path& SixExamplesFolder() {
    static const fs::path folder = [] {
        const fs::path made = MakeFolder("memory");
        fs::create_directory(made / "examples");
        std::string waves, spectra, spectrograms;
        for (int i = 1; i <= 6; ++i) {
            const std::string n = std::to_string(i);
            WriteExample(made / "examples" / ("e" + n + ".wav"), i);
            waves += "<wave id='" + n + "' example='examples/e" + n + ".wav'/>";
            spectra += "<spectrum id='1" + n + "' example_from='" + n + "'/>";
            spectrograms += "<spectrogram id='2" + n + "' example_from='" + n + "'/>";
        }
        std::ofstream(made / "slide.xml")
            << "<GameSlide><opt width='180' height='120'/><table rows='3' cols='6'><row>" << waves
            << "</row><row>" << spectra << "</row><row>" << spectrograms
            << "</row></table></GameSlide>";
        return made;
    }();
    return folder;
}

void BM_SixExamplesPeakMemory(benchmark::State& state) {
    std::vector<double> kb;
    for (auto _ : state) {
        double started = 0;
        kb = CEndToEndProbes::Spawn("memory", SixExamplesFolder().string(), started);
        if (kb.size() != 4) {
            state.SkipWithError("the slide could not be shown");
            return;
        }
        state.SetIterationTime((CEndToEndProbes::NowMs() - started) / 1e3);
    }
    state.counters["peak_MiB"] = kb[3] / 1024;
    state.counters["started_MiB"] = kb[0] / 1024;
    state.counters["window_system_MiB"] = kb[1] / 1024;
    state.counters["prepared_MiB"] = kb[2] / 1024;
}
BENCHMARK(BM_SixExamplesPeakMemory)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);

} // namespace
