// What the filter elements cost on the user-interface thread for a ten-second example:
// - one change of the input travelling through a chain of two filter elements into a spectrum
//   and a spectrogram plot (both links re-filtered, their analyses refreshed, the filter plots'
//   columns and curves recomputed, the spectrogram picture rendered and everything repainted);
// - one click on a notch or a pole-zero plot, from the release to the last window repainted
//   that shows the output (wave, spectrum and spectrogram plots);
// - one paint of a 512 x 256 filter plot, which only draws what was computed before.
// The first two are set beside the bare loop of 860 transforms in the same run.

#include "BenchApplication.h"
#include "BenchSignals.h"
#include "CPairedRatio.h"

#include "dsp/CNoise.h"
#include "game/CElementFactory.h"
#include "game/CGameContext.h"
#include "game/CNotchFilter.h"
#include "game/CPoleZeroPlot.h"

#include <QTest>

#include <benchmark/benchmark.h>
#include <tinyxml2.h>

#include <memory>
#include <string>
#include <vector>

using namespace benchsignals;

namespace {

// A slide-like set of elements around a ten-second noise signal under id 1, shown in a host.
class CFilterScene {
public:
    // Each entry: the element's xml; all are read, prepared and shown in this order.
    explicit CFilterScene(const std::vector<std::string>& elements) {
        EnsureApplication();
        m_context.SetSignal(1, MakeSignal(Noise(TEN_SECONDS), TEN_SECONDS));
        m_ok = m_host.Create(L"Host", L"", WS_VISIBLE, CRect{0, 0, 1600, 600}, nullptr, 0);
        int x = 0;
        for (const std::string& xml : elements) {
            auto document = std::make_unique<tinyxml2::XMLDocument>();
            document->Parse(xml.c_str());
            auto element =
                game::CElementFactory::Create(document->RootElement()->Name(), &m_context);
            CRect area{x, 0, x + 600, 300};
            m_ok = m_ok && element != nullptr &&
                   element->ReadXml(*document->RootElement(), area, WS_CHILD | WS_VISIBLE) ==
                       game::ERR_NONE;
            x = area.right + 4;
            m_documents.push_back(std::move(document));
            m_elements.push_back(std::move(element));
        }
        for (auto& element : m_elements)
            m_ok = m_ok && element->Prepare() == game::ERR_NONE &&
                   element->CreateElementWindow(&m_host, 1) == game::ERR_NONE;
        CApplication::ProcessMessages();
    }
    ~CFilterScene() {
        m_host.DestroyWindow();
        m_elements.clear();
    }

    bool IsShown() const { return m_ok; }
    dsp::CSignal& Input() { return *m_context.FindSignal(1); }
    game::CElement& Element(std::size_t i) { return *m_elements[i]; }
    // Until every message the change set off (one link per message) has been handled.
    static void Settle() {
        for (int i = 0; i < 6; ++i)
            CApplication::ProcessMessages();
    }

private:
    game::CGameContext m_context;
    std::vector<std::unique_ptr<tinyxml2::XMLDocument>> m_documents;
    std::vector<std::unique_ptr<game::CElement>> m_elements;
    CWnd m_host;
    bool m_ok = false;
};

// A change of the samples by a hair, as a notch's tone or an upstream filter would make it.
class CNudge final : public dsp::CNoise {
public:
    void AddTo(float* buffer, int count) const override {
        for (int i = 0; i < count; i += 997)
            buffer[i] += 1e-6f;
    }
};

void BM_InputChangeThroughTwoFilters(benchmark::State& state) {
    CFilterScene scene({
        "<afilter id='2' example_from='1' spec_in='1' width='512' height='256'>"
        "<a order='3'>1 -1.2 0.5</a><b order='3'>0.1 0.2 0.1</b></afilter>",
        "<afilter id='3' example_from='2' spec_in='1' width='512' height='256' scale='log'>"
        "<a order='3'>1 0.3 0.2</a><b order='3'>1 -2 1</b></afilter>",
        "<spectrum id='4' example_from='3' width='512' height='256'/>",
        "<spectrogram id='5' example_from='3' width='512' height='256'/>",
    });
    if (!scene.IsShown()) {
        state.SkipWithError("scene not shown");
        return;
    }
    CPairedRatio ratio(state);
    const CNudge nudge;
    for (auto _ : state)
        ratio.Measure([&] {
            scene.Input().ApplyNoise(nudge);
            CFilterScene::Settle();
        });
}
BENCHMARK(BM_InputChangeThroughTwoFilters)->UseManualTime()->Unit(benchmark::kMillisecond);

// A click on a filter that three plots listen to through its output.
void MeasureClicks(benchmark::State& state, const std::string& filter,
                   const std::vector<std::pair<Qt::MouseButton, QPoint>>& clicks) {
    CFilterScene scene({
        filter,
        "<wave id='3' example_from='2' width='512' height='256'/>",
        "<spectrum id='4' example_from='2' width='512' height='256'/>",
        "<spectrogram id='5' example_from='2' width='512' height='256'/>",
    });
    if (!scene.IsShown()) {
        state.SkipWithError("scene not shown");
        return;
    }
    CPairedRatio ratio(state);
    std::size_t next = 0;
    for (auto _ : state) {
        const auto& [button, point] = clicks[next++ % clicks.size()];
        ratio.Measure([&] {
            QTest::mouseClick(scene.Element(0).Widget(), button, {}, point);
            CFilterScene::Settle();
        });
    }
}

void BM_NotchClick(benchmark::State& state) {
    MeasureClicks(state, "<notch id='2' example_from='1' spec_in='1' width='512' height='256'/>",
                  {{Qt::LeftButton, QPoint(100, 50)}, {Qt::LeftButton, QPoint(300, 50)}});
}
BENCHMARK(BM_NotchClick)->UseManualTime()->Unit(benchmark::kMillisecond);

// A pole pair placed and removed in turn: every click rebuilds the filter.
void BM_PoleZeroClick(benchmark::State& state) {
    MeasureClicks(state, "<polezero id='2' example_from='1' width='512' height='256'/>",
                  {{Qt::RightButton, QPoint(300, 80)}, {Qt::RightButton, QPoint(300, 80)}});
}
BENCHMARK(BM_PoleZeroClick)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_PaintFilterPlot(benchmark::State& state) {
    CFilterScene scene({"<afilter id='2' example_from='1' spec_in='1' width='512' "
                        "height='256'><a order='3'>1 -1.2 0.5</a><b order='1'>1</b></afilter>"});
    if (!scene.IsShown()) {
        state.SkipWithError("scene not shown");
        return;
    }
    for (auto _ : state) {
        scene.Element(0).Invalidate(true);
        scene.Element(0).UpdateWindow();
    }
}
BENCHMARK(BM_PaintFilterPlot)->Unit(benchmark::kMillisecond);

} // namespace
