#include "CEndToEndProbes.h"

#include "app/CVelmoraDlg.h"
#include "dsp/CAnalysisMemory.h"
#include "dsp/CFilter.h"
#include "dsp/CSignal.h"
#include "game/CGameContext.h"
#include "game/CGameSlide.h"
#include "platform/CApplication.h"
#include "platform/CWindowMessages.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <cstring>
#include <ctime>
#include <memory>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// The main dialog that reports, once its first paint is done, and ends the process there (no
// statistics saved, nothing torn down: the figure is the way to the menu).
class CMenuProbeDlg : public CVelmoraDlg {
protected:
    void OnPaint(CDC& dc) override {
        CVelmoraDlg::OnPaint(dc);
        // Posted: it arrives after the whole window, menu buttons included, is painted.
        if (!m_posted)
            m_posted = PostMessage(PaintedMessage(), 0, 0);
    }
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != PaintedMessage())
            return CVelmoraDlg::OnMessage(message, wParam, lParam);
        std::printf("%.3f\n", CEndToEndProbes::NowMs());
        std::fflush(stdout);
        std::_Exit(0);
    }

private:
    static UINT PaintedMessage() {
        static const UINT message = CWindowMessages::Register("VELMORA_BENCH_MENU_PAINTED");
        return message;
    }
    bool m_posted = false;
};

double PeakKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss);
}

} // namespace

double CEndToEndProbes::NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1e3 + now.tv_nsec * 1e-6;
}

bool CEndToEndProbes::IsProbe(int argc, char** argv) {
    return argc >= 3 && std::strncmp(argv[1], "--probe=", 8) == 0;
}

int CEndToEndProbes::Run(int argc, char** argv) {
    if (!IsProbe(argc, argv) || chdir(argv[2]) != 0)
        return 2;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::string kind = argv[1] + 8;
    if (kind == "menu")
        return RunMenu();
    if (kind == "memory")
        return RunMemory();
    if (kind == "analyses")
        return RunAnalyses();
    return 2;
}

// Prints: main entered, window system made, dialog made; the paint prints the last reading.
int CEndToEndProbes::RunMenu() {
    std::printf("%.3f\n", NowMs());
    dsp::CAnalysisMemory::KeepFreedMemory();
    int argc = 1;
    char name[] = "velmora";
    char* argv[] = {name, nullptr};
    CApplication application(argc, argv);
    std::printf("%.3f\n", NowMs());
    CMenuProbeDlg dialog;
    std::printf("%.3f\n", NowMs());
    dialog.DoModal();
    return 1; // the paint ends the process; returning means it never came
}

// Prints the peak resident memory in KiB: after start, with the window system and a painted
// window, with the slide read and prepared, and with its windows made and painted.
int CEndToEndProbes::RunMemory() {
    std::printf("%.0f\n", PeakKb());
    dsp::CAnalysisMemory::KeepFreedMemory();
    int argc = 1;
    char name[] = "velmora";
    char* argv[] = {name, nullptr};
    CApplication application(argc, argv);
    CWnd host;
    if (!host.Create(L"Host", L"", WS_VISIBLE, CRect{0, 0, 1200, 900}, nullptr, 0))
        return 1;
    CApplication::ProcessMessages();
    std::printf("%.0f\n", PeakKb());
    game::CGameContext master;
    tinyxml2::XMLDocument document(true, tinyxml2::COLLAPSE_WHITESPACE);
    if (document.LoadFile("slide.xml") != tinyxml2::XML_SUCCESS || !document.RootElement())
        return 1;
    auto slide = std::make_unique<game::CGameSlide>(master, L"slide.xml");
    CRect area{0, 0, 1200, 900};
    if (slide->ReadXml(*document.RootElement(), area, WS_CHILD) != game::ERR_NONE)
        return 1;
    std::printf("%.0f\n", PeakKb());
    if (slide->CreateElementWindow(&host, 100) != game::ERR_NONE)
        return 1;
    slide->ShowWindow(true);
    slide->UpdateWindow();
    CApplication::ProcessMessages();
    std::printf("%.0f\n", PeakKb());
    std::fflush(stdout);
    std::_Exit(0);
}

// The median of repeated timings of work (milliseconds); setUp runs untimed before each.
template <typename SetUp, typename Work> double MedianMs(SetUp setUp, Work work) {
    std::vector<double> times;
    for (int i = 0; i < 31; ++i) {
        setUp();
        const double start = CEndToEndProbes::NowMs();
        work();
        times.push_back(CEndToEndProbes::NowMs() - start);
    }
    std::nth_element(times.begin(), times.begin() + 15, times.end());
    return times[15];
}

// Reads signal.f32 (raw 32-bit floats at 44.1 kHz) and prints the median milliseconds of: a new
// signal's spectrogram, the filter b = {1, -2 cos 1, 1}, a = {1, -1.9 cos 1, 0.9025} on its own,
// and a filter change (that filter, then the spectrogram and spectrum of the output).
int CEndToEndProbes::RunAnalyses() {
    dsp::CAnalysisMemory::KeepFreedMemory();
    std::ifstream in("signal.f32", std::ios::binary);
    std::vector<float> samples;
    for (float value; in.read(reinterpret_cast<char*>(&value), sizeof value);)
        samples.push_back(value);
    const int count = static_cast<int>(samples.size());
    const dsp::CWaveFormat format{1, 1, 44100, 88200, 2, 16, 0};
    dsp::CSignal root;
    if (count == 0 || root.CreateFromSamples(format, samples.data(), count) != 0)
        return 1;
    root.EnsureSpectrogram(); // the process's first plan is measured here, as in the game
    const float c = -2.0f * 0.5403023f;
    const float b[] = {1.0f, c, 1.0f}, a[] = {1.0f, 0.95f * c, 0.9025f};
    dsp::CFilter filter;
    filter.SetCoefficients(a, 3, b, 3);
    std::unique_ptr<dsp::CSignal> fresh;
    const double spectrogram = MedianMs(
        [&] {
            fresh = std::make_unique<dsp::CSignal>();
            fresh->CreateFromSamples(format, samples.data(), count);
        },
        [&] { fresh->EnsureSpectrogram(); });
    std::vector<float> output(samples.size());
    const double filtering =
        MedianMs([] {}, [&] { filter.Apply(samples.data(), count, output.data()); });
    dsp::CSignal derived;
    derived.CreateFrom(&root);
    derived.EnsureSpectrogram();
    derived.EnsureSpectrum();
    const double change = MedianMs([] {}, [&] { derived.ApplyFilter(filter); });
    std::printf("%.4f\n%.4f\n%.4f\n", spectrogram, filtering, change);
    return 0;
}

std::vector<double> CEndToEndProbes::Spawn(const std::string& kind, const std::string& folder,
                                           double& started) {
    int out[2];
    if (pipe(out) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string probe = "--probe=" + kind;
    char* argv[] = {const_cast<char*>("velmora_bench"), const_cast<char*>(probe.c_str()),
                    const_cast<char*>(folder.c_str()), nullptr};
    pid_t child = 0;
    started = NowMs();
    const int spawned = posix_spawn(&child, "/proc/self/exe", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string text;
    char buffer[256];
    for (ssize_t n; spawned == 0 && (n = read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    close(out[0]);
    int status = 0;
    if (spawned != 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return {};
    std::vector<double> numbers;
    for (const char* p = text.c_str(); *p != '\0';) {
        char* end = nullptr;
        const double value = std::strtod(p, &end);
        if (end == p)
            break;
        numbers.push_back(value);
        p = end;
    }
    return numbers;
}
