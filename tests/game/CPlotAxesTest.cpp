#include "game/CPlotAxes.h"
#include "PlotFixture.h"
#include "dsp/CSinNoise.h"
#include "game/CElementFactory.h"

#include <QApplication>
#include <QMouseEvent>

#include <tuple>

using game::CPlotAxes;

namespace {

constexpr COLORREF READOUT_BACK = RGB(255, 255, 225);

// Any plot kind, read by the factory from its tag, on noise of the given rate and length.
class PlotAxesTest : public ::testing::Test {
protected:
    game::CElement& Show(const std::string& xml, unsigned rate = 8000, int samples = 16000) {
        plot.reset(); // it listens to the signals of the old context
        context = std::make_unique<game::CGameContext>();
        context->SetSignal(5, MakeSignal(Noise(samples, 3), rate));
        document = std::make_unique<tinyxml2::XMLDocument>(true, tinyxml2::COLLAPSE_WHITESPACE);
        EXPECT_EQ(document->Parse(xml.c_str()), tinyxml2::XML_SUCCESS);
        const tinyxml2::XMLElement& node = *document->RootElement();
        plot = game::CElementFactory::Create(node.Name(), context.get());
        CRect area{0, 0, 3000, 1000};
        EXPECT_EQ(plot->ReadXml(node, area, WS_CHILD | WS_VISIBLE), game::ERR_NONE) << xml;
        EXPECT_EQ(plot->Prepare(), game::ERR_NONE) << xml;
        if (!host.HasWindow())
            host.Create(L"Host", L"", WS_VISIBLE, CRect{0, 0, 2200, 600}, nullptr, 0);
        EXPECT_EQ(plot->CreateElementWindow(&host, 1), game::ERR_NONE);
        CApplication::ProcessMessages();
        return *plot;
    }
    QImage Grab() const { return plot->Widget()->grab().toImage(); }
    CRect Margins() const { return plot->GetNonClientMargins(); }
    void MoveTo(QPoint window) {
        QMouseEvent move(QEvent::MouseMove, window, plot->Widget()->mapToGlobal(window),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(plot->Widget(), &move);
    }

    std::unique_ptr<game::CGameContext> context;
    std::unique_ptr<tinyxml2::XMLDocument> document;
    std::unique_ptr<game::CElement> plot;
    CWnd host;
};

std::string Sized(const std::string& tag, int width, const std::string& more = "") {
    const std::string open = "<" + tag + " example_from='5' axes='1' width='" +
                             std::to_string(width) + "' height='100' " + more;
    return tag == "afilter" ? open + "><b order='1'>1</b></afilter>" : open + "/>";
}

} // namespace

// The tick labelled 1000 Hz (0.5 s) stands on the column that shows 1000 Hz (0.5 s), in the
// list of ticks and as a mark below the plot.
TEST_F(PlotAxesTest, TicksStandOnTheColumnsOfTheirValues) {
    // The plot, the rate and length of its noise, the label and the column of its tick.
    const std::tuple<std::string, unsigned, int, std::wstring, int> cases[] = {
        // 1000 Hz is bin 256 of 1025 at 8 kHz, bin 46 at 44.1 kHz: 5 bins a column on 200,
        // bin i in column trunc(i x width / 1025) on wider plots.
        {Sized("spectrum", 200, "scale='log'"), 8000, 16000, L"1 k", 51},
        {Sized("spectrum", 512), 8000, 16000, L"1 k", 127},
        {Sized("spectrum", 2000), 44100, 44100, L"1 k", 89},
        // Column x of a filter is x pi / width.
        {Sized("afilter", 256), 8000, 16000, L"1 k", 64},
        {Sized("afilter", 1000, "scale='log'"), 44100, 44100, L"1 k", 45},
        // 0.5 s is sample 4000 of 16000 (80 a column), 22050 of 30000 (75 a column).
        {Sized("wave", 200), 8000, 16000, L"0,5 s", 50},
        {Sized("wave", 400), 44100, 30000, L"0,5 s", 294},
        // 30 frames of 512 samples over 300 columns.
        {Sized("spectrogram", 300), 8000, 16000, L"0,5 s", 78},
    };
    for (const auto& [xml, rate, samples, label, column] : cases) {
        SCOPED_TRACE(xml);
        const auto ticks = Show(xml, rate, samples).GetPlotAxes()->HorizontalTicks();
        const auto tick = std::find_if(ticks.begin(), ticks.end(),
                                       [&](const CPlotAxes::Tick& t) { return t.label == label; });
        ASSERT_NE(tick, ticks.end());
        EXPECT_EQ(tick->pixel, column);
        const QImage image = Grab();
        const int x = Margins().left + column, below = Margins().top + 100 + 2;
        EXPECT_EQ(PixelOf(image, x, below), RGB(0, 0, 0));
        EXPECT_NE(PixelOf(image, x + 1, below), RGB(0, 0, 0));
    }
}

// Over the plot the read-out names the value under the pointer; over the axes and after the
// pointer has gone there is none.
TEST_F(PlotAxesTest, ReadoutNamesTheValueUnderThePointer) {
    const std::string filter = "readout='1' width='256' height='128'><b order='1'>1</b></afilter>";
    const std::string pz = "<polezero example_from='5' readout='1' width='300' height='160'/>";
    const std::tuple<std::string, CPoint, std::wstring> cases[] = {
        {"<afilter example_from='5' scale='log' " + filter, {64, 64}, L"1000 Hz (H5), −31,5 dB"},
        {"<afilter example_from='5' axes='1' " + filter, {3, 10}, L"47 Hz (Fis1)"},
        {"<afilter example_from='5' " + filter, {0, 10}, L"0 Hz"},
        // Column 128 of 512 holds bins 257 and 258; column 40 of 200 bins 200 .. 204.
        {"<spectrum example_from='5' readout='1' width='512'/>", {128, 5}, L"1005 Hz (H5)"},
        {"<spectrum example_from='5' readout='1' width='200' height='128' scale='log'/>",
         {40, 32}, L"789 Hz (G5), −14,7 dB"},
        {"<wave example_from='5' readout='1' width='400'/>", {100, 5}, L"0,502 s"},
        // 30 frames of 512 samples over 300 columns; 513 rows (4 kHz) over 128.
        {"<spectrogram example_from='5' readout='1' fmax='4' width='300' height='128'/>",
         {150, 64}, L"0,96 s, 1984 Hz (H6)"},
        {pz, {150 + 72, 155 - 72}, L"r = 0,71, 45°, 1000 Hz"},
        {pz, {150, 155 - 72}, L"r = 0,5, 90°, 2000 Hz"},
        {pz, {150 - 144, 155}, L"r = 1, 180°, 4000 Hz"},
    };
    for (const auto& [xml, point, text] : cases) {
        SCOPED_TRACE(xml);
        const CPlotAxes& axes = *Show(xml).GetPlotAxes();
        const QPoint inside(Margins().left + point.x, Margins().top + point.y);
        MoveTo(inside);
        EXPECT_EQ(axes.CurrentReadout(), text);
        EXPECT_GT(Count(Grab(), READOUT_BACK), 0);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(plot->Widget(), &leave);
        EXPECT_EQ(axes.CurrentReadout(), L"");
        EXPECT_EQ(Count(Grab(), READOUT_BACK), 0);
        if (Margins().bottom > 0) {
            MoveTo(inside);
            MoveTo(QPoint(inside.x(), plot->Widget()->height() - 1));
            EXPECT_EQ(axes.CurrentReadout(), L"") << "on the axis";
        }
    }
}

// A switch that is neither 0 nor 1 refuses the element and names its line.
TEST_F(PlotAxesTest, MalformedSwitchesAreRefused) {
    for (const auto& [attribute, reason] :
         {std::pair{"axes='ja'", L"Zeile 1: axes=\"ja\""}, {"readout='2'", L"Zeile 1: readout=\"2\""},
          {"axes=''", L"Zeile 1: axes=\"\""}}) {
        game::CGameContext refusing;
        tinyxml2::XMLDocument xml;
        xml.Parse((std::string("<wave id='3' example_from='5' ") + attribute + "/>").c_str());
        auto wave = game::CElementFactory::Create("wave", &refusing);
        CRect area{0, 0, 500, 500};
        EXPECT_EQ(wave->ReadXml(*xml.RootElement(), area, WS_CHILD), game::ERR_UNKNOWN_ELEMENT);
        EXPECT_EQ(refusing.FailedElement(), 3);
        EXPECT_NE(refusing.FailureReason().find(reason), std::wstring::npos)
            << CText::ToNarrow(refusing.FailureReason());
    }
}

// Every plot the player arranges draws its mark once evaluated, and the plots of a signal show
// it again when the signal changes.
TEST_F(PlotAxesTest, EveryPlotDrawsItsMarkAndFollowsItsSignal) {
    for (const std::string tag : {"wave", "spectrum", "spectrogram", "afilter"}) {
        const bool ofTheSignal = tag != "afilter";
        Show("<" + tag + " example_from='5' width='300'" +
             (ofTheSignal ? "/>" : "><b order='1'>1</b></afilter>"));
        const QImage plain = Grab();
        plot->SetMark(game::MARK_CORRECT);
        const QImage marked = Grab();
        EXPECT_TRUE(marked != plain) << tag << ": the mark is not drawn";
        if (!ofTheSignal)
            continue;
        struct : QObject {
            int count = 0;
            bool eventFilter(QObject*, QEvent* event) override {
                count += event->type() == QEvent::Paint;
                return false;
            }
        } paints;
        plot->Widget()->installEventFilter(&paints);
        ASSERT_TRUE(context->FindSignal(5)->ApplyNoise(
            dsp::CSinNoise(0.5f, static_cast<float>(2 * std::numbers::pi * 100 / 2048))));
        CApplication::ProcessMessagesFor(50);
        EXPECT_GT(paints.count, 0) << tag << ": not drawn again";
        EXPECT_TRUE(Grab() != marked) << tag << ": the changed signal is not shown";
    }
}
