// What dragging a root on the pole-zero plane costs while its filtered output plays: a drag of
// 100 pointer moves over a plot of a three-second example, each move followed by one turn of the
// event loop, as the window system delivers them. Playback runs on the test sound device, its
// blocks taken back at the real-time rate, so the player reads the output while it is refiltered.
//
// updates/s: rebuilds of the filter that were refiltered and painted, per second of wall time;
// us/move: the wall time of the drag divided by its moves.

#include "BenchApplication.h"
#include "BenchSignals.h"

#include "common/CTestSoundOutput.h"
#include "game/CGameContext.h"
#include "game/CPoleZeroPlot.h"
#include "platform/CApplication.h"

#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QObject>
#include <QWidget>

#include <benchmark/benchmark.h>
#include <tinyxml2.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <thread>

using namespace benchsignals;

namespace {

constexpr int MOVES = 100;

// Counts the paints a widget receives.
class CPaintCounter : public QObject {
public:
    int Count() const { return m_count; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++m_count;
        return QObject::eventFilter(watched, event);
    }

private:
    int m_count = 0;
};

// Takes back the queued blocks at the pace a sound card would play them.
class CRealTimeDevice {
public:
    explicit CRealTimeDevice(std::shared_ptr<CTestSoundOutput::Device> device,
                             std::chrono::microseconds block)
        : m_thread([this, device, block] {
              while (!m_stop) {
                  device->FinishNext(std::chrono::milliseconds(1));
                  std::this_thread::sleep_for(block);
              }
          }) {}
    ~CRealTimeDevice() {
        m_stop = true;
        m_thread.join();
    }

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

void Send(QWidget* widget, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons,
          QPointF at) {
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void BM_DragRootWhilePlaying(benchmark::State& state) {
    EnsureApplication();
    const auto device = std::make_shared<CTestSoundOutput::Device>();
    const CSoundOutput::Factory previous = CTestSoundOutput::Install(device);
    {
        game::CGameContext context;
        context.SetSignal(5, MakeSignal(Noise(TEN_SECONDS), 3 * RATE));
        tinyxml2::XMLDocument document;
        document.Parse("<polezero id='7' example_from='5' width='400' height='200'/>");
        game::CPoleZeroPlot plot(&context);
        CWnd host;
        CRect area{0, 0, 400, 200};
        if (plot.ReadXml(*document.RootElement(), area, WS_CHILD | WS_VISIBLE) != game::ERR_NONE ||
            plot.Prepare() != game::ERR_NONE ||
            !host.Create(L"Host", L"", WS_VISIBLE, CRect{0, 0, 400, 200}, nullptr, 0) ||
            plot.CreateElementWindow(&host, 1) != game::ERR_NONE) {
            state.SkipWithError("no plot");
            CSoundOutput::SetFactory(previous);
            return;
        }
        CApplication::ProcessMessages();
        QWidget* widget = plot.Widget();
        const CPoint c = plot.GetCentre();
        const double r = plot.GetRadius();
        const QPointF zero(c.x + 0.5 * r, c.y - 0.5 * r), pole(c.x - 0.3 * r, c.y - 0.6 * r);
        for (const auto& [at, button] :
             {std::pair{zero, Qt::LeftButton}, {pole, Qt::RightButton}}) {
            Send(widget, QEvent::MouseButtonPress, button, button, at);
            Send(widget, QEvent::MouseButtonRelease, button, Qt::NoButton, at);
        }
        dsp::CSignal& output = *plot.GetOutput();
        const auto block = std::chrono::microseconds(1'000'000LL * output.GetBlockLength() / RATE);
        output.Play();
        const CRealTimeDevice playing(device, block);

        CPaintCounter paints;
        widget->installEventFilter(&paints);
        double seconds = 0.0;
        int updates = 0;
        for (auto _ : state) {
            const int before = paints.Count();
            const auto start = std::chrono::steady_clock::now();
            Send(widget, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, zero);
            QPointF at = zero;
            for (int i = 1; i <= MOVES; ++i) {
                // Along the circle through the zero and back towards where it started.
                const double angle = 0.785 + 1.5 * std::sin(3.14159 * i / MOVES);
                at = QPointF(c.x + 0.7 * r * std::cos(angle), c.y - 0.7 * r * std::sin(angle));
                Send(widget, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, at);
                CApplication::ProcessMessages();
            }
            Send(widget, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, at);
            seconds +=
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            updates += paints.Count() - before;
        }
        widget->removeEventFilter(&paints);
        state.counters["updates/s"] = updates / seconds;
        state.counters["us/move"] =
            1e6 * seconds / (MOVES * static_cast<double>(state.iterations()));
        state.counters["playing"] = output.IsPlaying() ? 1 : 0;
        output.StopPlayback();
        host.DestroyWindow();
    }
    CSoundOutput::SetFactory(previous);
}
BENCHMARK(BM_DragRootWhilePlaying)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace
