// What the signal plots cost on the user-interface thread for a ten-second example: rendering
// a spectrogram's picture once, and every later paint of a spectrogram or spectrum element.
// Each is set beside a floor measured in the same run: writing the same pixels with one
// colour, and painting an element that shows only its background.

#include "BenchApplication.h"
#include "BenchSignals.h"

#include "game/CGameContext.h"
#include "game/CSpectrogramImage.h"
#include "game/CSpectrogramPlot.h"
#include "game/CSpectrumPlot.h"
#include "platform/CApplication.h"
#include "platform/CImageBuffer.h"

#include <benchmark/benchmark.h>
#include <tinyxml2.h>

#include <cstdlib>
#include <memory>
#include <string>

using namespace benchsignals;

namespace {

// A plot of a ten-second noise signal, read, prepared and shown in a host window.
template <typename Plot> class CShownPlot {
public:
    explicit CShownPlot(const std::string& xml) {
        EnsureApplication();
        m_context.SetSignal(5, MakeSignal(Noise(TEN_SECONDS)));
        m_document.Parse(xml.c_str());
        CRect area{0, 0, 600, 300};
        m_ok = m_plot.ReadXml(*m_document.RootElement(), area, WS_CHILD | WS_VISIBLE) ==
                   game::ERR_NONE &&
               m_plot.Prepare() == game::ERR_NONE &&
               m_host.Create(L"Host", L"", WS_VISIBLE, CRect{0, 0, 600, 300}, nullptr, 0) &&
               m_plot.CreateElementWindow(&m_host, 1) == game::ERR_NONE;
        CApplication::ProcessMessages();
    }
    ~CShownPlot() { m_host.DestroyWindow(); }

    bool IsShown() const { return m_ok; }
    // Erases and paints the whole element at once, as after a signal update.
    void Repaint() {
        m_plot.Invalidate(true);
        m_plot.UpdateWindow();
    }

private:
    game::CGameContext m_context;
    tinyxml2::XMLDocument m_document;
    Plot m_plot{&m_context};
    CWnd m_host;
    bool m_ok = false;
};

// Floor of rendering: every pixel of the 860 x 187 picture written with one colour.
void BM_FillSpectrogramImage(benchmark::State& state) {
    CImageBuffer image;
    for (auto _ : state) {
        image.Create(TEN_SECOND_FRAMES, 187);
        for (int r = 0; r < 187; ++r)
            for (int t = 0; t < TEN_SECOND_FRAMES; ++t)
                image.SetPixel(t, r, RGB(0, 0, 143));
        benchmark::DoNotOptimize(image.GetPixel(0, 0));
    }
}
BENCHMARK(BM_FillSpectrogramImage)->Unit(benchmark::kMillisecond)->UseRealTime();

// The picture of a ten-second 44.1 kHz example up to 8 kHz: 860 x 187 cells, each coloured
// by its power.
void BM_RenderSpectrogramImage(benchmark::State& state) {
    auto signal = MakeSignal(Noise(TEN_SECONDS));
    if (!signal->EnsureSpectrogram()) {
        state.SkipWithError("no spectrogram");
        return;
    }
    CImageBuffer image;
    for (auto _ : state) {
        const bool rendered =
            game::CSpectrogramImage::Render(signal->GetSpectrogram(), RATE, 8, image);
        benchmark::DoNotOptimize(rendered);
    }
    state.counters["cells"] = image.Width() * image.Height();
}
BENCHMARK(BM_RenderSpectrogramImage)->Unit(benchmark::kMillisecond)->UseRealTime();

// Floor of painting: a 512 x 256 element that has nothing to show (fmax 0) and only erases
// its background.
void BM_PaintEmptyElement(benchmark::State& state) {
    CShownPlot<game::CSpectrogramPlot> shown(
        "<spectrogram example_from='5' width='512' height='256' fmax='0'/>");
    if (!shown.IsShown()) {
        state.SkipWithError("no window");
        return;
    }
    for (auto _ : state)
        shown.Repaint();
}
BENCHMARK(BM_PaintEmptyElement)->Unit(benchmark::kMillisecond)->UseRealTime();

// A 512 x 256 spectrogram element: the prepared 860 x 187 picture stretched with half-tone
// averaging.
void BM_PaintSpectrogram(benchmark::State& state) {
    CShownPlot<game::CSpectrogramPlot> shown(
        "<spectrogram example_from='5' width='512' height='256'/>");
    if (!shown.IsShown()) {
        state.SkipWithError("no window");
        return;
    }
    for (auto _ : state)
        shown.Repaint();
}
BENCHMARK(BM_PaintSpectrogram)->Unit(benchmark::kMillisecond)->UseRealTime();

// A 512 x 256 spectrum element in the log display: the mean line and 512 bars.
void BM_PaintSpectrum(benchmark::State& state) {
    CShownPlot<game::CSpectrumPlot> shown(
        "<spectrum example_from='5' width='512' height='256' scale='log'/>");
    if (!shown.IsShown()) {
        state.SkipWithError("no window");
        return;
    }
    for (auto _ : state)
        shown.Repaint();
}
BENCHMARK(BM_PaintSpectrum)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
