#include "PlotFixture.h"
#include "common/ReferenceFilter.h"
#include "game/CConstFilter.h"
#include "game/CGameSlide.h"
#include "game/CSpectrumPlot.h"

#include <complex>

using game::CConstFilter;
using game::ERR_NONE;

static constexpr COLORREF GREEN = RGB(90, 197, 99), RED = RGB(200, 0, 0);

// |B(w)|^2 / |A(w)|^2 in double precision.
static double PowerGain(const std::vector<double>& a, const std::vector<double>& b, double w) {
    const auto at = [w](const std::vector<double>& c) {
        std::complex<double> sum;
        for (std::size_t k = 0; k < c.size(); ++k)
            sum += c[k] * std::polar(1.0, -w * static_cast<double>(k));
        return std::norm(sum);
    };
    return at(b) / at(a);
}

// The coefficient children of a filter b / a (coefficients of at most six decimals).
static std::string Children(const std::vector<double>& a, const std::vector<double>& b) {
    const auto child = [](const std::string& tag, const std::vector<double>& v) {
        std::string s = "<" + tag + " order='" + std::to_string(v.size()) + "'>";
        for (const double d : v)
            s += std::to_string(d) + " ";
        return s + "</" + tag + ">";
    };
    return child("a", a) + child("b", b);
}

class FilterPlotTest : public PlotFixture<CConstFilter> {
protected:
    // A fresh fixed filter of signal 5 with the given attributes and coefficient children.
    void Prepare(const std::vector<float>& samples, const std::string& attributes,
                 const std::string& children = "<b order='1'>1</b>",
                 DWORD style = WS_CHILD | WS_VISIBLE) {
        plot.reset(); // before its input goes
        ReadAndPrepare(MakeSignal(samples),
                       "<afilter id='7' example_from='5' " + attributes + ">" + children +
                           "</afilter>",
                       style);
    }
    dsp::CSignal& Output() { return *plot->GetOutput(); }
};

// The curve reaches, in every column, the row of the gain at the column's frequency (linear:
// scaled to the largest gain up to 10 it can show, an arrow up from the top edge where the gain
// leaves the plot); the output, published under the element's id, is the input filtered. Combs
// (FIR 0.5 +- 0.5 z^-N, recursive 0.2 / (1 - 0.8 z^-D) as on the bundled slide) keep every tooth
// and gap, at multiples of pi / N, within a pixel wherever they fall between the columns.
TEST_F(FilterPlotTest, ResponseCurveTeethAndOutputAgainstDoublePrecision) {
    const auto comb = [](int delay, double first, double last) {
        std::vector<double> c(static_cast<std::size_t>(delay) + 1);
        c.front() = first;
        c.back() = last;
        return c;
    };
    const struct {
        std::string scale;
        std::vector<double> a, b;
        int width = 256;
        bool teeth = false;
    } cases[] = {
        {"log", {1, -1.719606, 0.81}, {1, -1.910673, 1}}, // a notch at 0.3
        {"log", {1, -0.5}, {1, 1}},
        {"", {1}, {0.25, 0.25}}, // peak gain 0.5: drawn at its true size
        {"", {1}, {2, 2}},       // peak gain 4: scaled so that the peak touches the top
        {"", {1, 0.9}, {1}},     // high-pass resonance: peak 10 at half the sample rate
        {"", {1, -1}, {1}},      // pole at z = 1
        {"", {1, 0, 1}, {1}},    // poles at +-j: a quarter of the sample rate
        {"", comb(5, 1, -0.8), {0.2}, 256, true},   {"log", comb(10, 1, -0.8), {0.2}, 256, true},
        {"", comb(20, 1, -0.8), {0.2}, 256, true},  {"log", comb(20, 1, -0.8), {0.2}, 300, true},
        {"log", {1}, comb(8, 0.5, 0.5), 512, true}, {"", {1}, comb(13, 0.5, -0.5), 300, true},
        {"log", {1}, comb(40, 0.5, 0.5), 512, true},
    };
    const std::vector<float> input = Noise(3000, 1);
    const double pi = std::numbers::pi;
    for (const auto& [scale, a, b, width, teeth] : cases) {
        SCOPED_TRACE(scale + Children(a, b) + std::to_string(width));
        const bool log = scale == "log";
        Prepare(input, "scale='" + scale + "' width='" + std::to_string(width) + "' height='128'",
                Children(a, b));
        Show();
        const QImage image = Grab();
        const auto& curve = plot->GetTransferCurve(); // the top and bottom row of each column
        ASSERT_EQ(curve.size(), 2u * width);
        double peak = 1; // a response crossing 10 comes as close as the columns allow
        for (int i = 0; i <= 100000; ++i)
            if (const double h2 = PowerGain(a, b, i * pi / 100000); h2 <= 100)
                peak = std::max(peak, h2);
        const auto row = [&](double h2) {
            const double level = log ? (std::log(h2) + 15) / 15.5 : std::sqrt(h2 / peak);
            return std::min(127.0, 128 - 128 * level);
        };
        for (int x = 0; x < width; ++x) {
            const double h2 = PowerGain(a, b, x * pi / width);
            const int top = curve[2 * x].y, bottom = curve[2 * x + 1].y;
            const bool off = !log && h2 > 150;
            EXPECT_EQ(curve[2 * x].x, x);
            EXPECT_TRUE(off ? top == 0
                            : (!log && h2 >= 25) || (row(h2) > top - 1.5 && row(h2) < bottom + 1.5))
                << "column " << x << ": " << top << " to " << bottom << ", not " << row(h2);
            EXPECT_TRUE(log || (h2 <= 150 && h2 >= 66) ||
                        (PixelOf(image, x, 5) == RED) == (off || (top <= 5 && bottom >= 5)))
                << "column " << x << ": an arrow on row 5, or the curve itself passing there";
        }
        // Column x shows the frequencies within half a column of x pi / width.
        const int delay = static_cast<int>(std::max(a.size(), b.size())) - 1;
        for (int m = 0; teeth && 2 * m * width < (2 * width - 1) * delay; ++m) {
            const double h2 = PowerGain(a, b, m * pi / delay);
            const bool tooth = h2 > PowerGain(a, b, (m + 0.5) * pi / delay);
            // A zero on the unit circle lies deeper than any frequency a log plot samples.
            if (!tooth && log && h2 < 1e-6)
                continue;
            const int x = static_cast<int>(std::lround(m * static_cast<double>(width) / delay));
            int drawn = tooth ? 1000 : -1;
            for (int n = std::max(0, x - 1); n <= std::min(width - 1, x + 1); ++n)
                drawn = tooth ? std::min(drawn, curve[2 * n].y)
                              : std::max(drawn, curve[2 * n + 1].y);
            EXPECT_NEAR(drawn, row(h2), 1.01) << (tooth ? " tooth " : " gap ") << m;
        }
        ASSERT_EQ(context.FindSignal(7), plot->GetOutput());
        EXPECT_EQ(plot->GetInput()->GetListeners().count(plot.get()), 1u);
        EXPECT_EQ(Output().GetListeners().count(plot.get()), 1u);
        const std::vector<double> y = ReferenceFilter(a, b, input);
        ASSERT_EQ(Output().GetSampleCount(), 3000);
        for (int n = 0; n < 3000; ++n)
            ASSERT_NEAR(Output().GetSamples()[n], y[n], 1e-4 * (1 + std::fabs(y[n]))) << n;
    }
}

// Pass-through, a pole on the unit circle and an unstable filter draw a finite curve and give
// finite output; a runaway output plays silent. A response or input spectrum below the plot's
// range (no gain at all, a level under the log floor, a zero of the response, silence) runs along
// the bottom row instead of vanishing.
TEST_F(FilterPlotTest, DegenerateFiltersStayFiniteAndOnThePlot) {
    const std::string LOG = "scale='log' spec_in='1'";
    const struct {
        std::string attributes, children;
        int firstRow = -1;       // of the response at frequency 0; -1: not checked
        float playbackGain = -1; // -1: not checked
        COLORREF bottom = 0;     // along the bottom row (green: the spectrum of silence)
        int step = 1;            // between the columns checked there
    } cases[] = {
        {LOG, "<a>1</a>", 128 - static_cast<int>(15 / 15.5f * 128), 1.0f}, // no denominator
        {LOG, "<a order='2'>1 -1</a>", 128 - static_cast<int>(128 * 3.0f)}, // pole at z = 1
        {LOG, "<a order='2'>1 -2.5</a>", -1, 0.0f},                         // unstable
        {LOG, "<a order='2'>1 -1</a><b order='2'>1 -1</b>", 5, 1.0f},       // pole and zero cancel
        {LOG, "<b order='1'>4</b>", -1, 0.5f},  // peak 2: played scaled, not clipped
        {LOG, "<b order='1'>0</b>", 127, 1.0f}, // no response at all: the bottom row
        {"", "<b order='1'>0</b>", -1, -1, RED}, {"scale='log'", "<b order='1'>0</b>", -1, -1, RED},
        {"scale='log'", "<b order='1'>0.0001</b>", -1, -1, RED},      // -80 dB
        {"", "<b order='5'>0.5 0 0 0 -0.5</b>", -1, -1, RED, 128},    // zeros at 0 and pi / 2
        {"spec_in='1' transfer='0'", "<b>1</b>", -1, -1, GREEN},
        {"scale='log' spec_in='1' transfer='0'", "<b>1</b>", -1, -1, GREEN},
    };
    std::vector<float> noise = Noise(5000, 3);
    noise[0] = 0.5f;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attributes + c.children);
        Prepare(c.bottom == GREEN ? std::vector<float>(5000, 0.0f) : noise,
                c.attributes + " width='256' height='128'", c.children);
        Show();
        const QImage image = Grab();
        EXPECT_TRUE(c.firstRow < 0 || plot->GetTransferCurve()[0].y == c.firstRow);
        for (const CPoint& p : plot->GetTransferCurve())
            EXPECT_TRUE(p.y >= -256 && p.y <= 384);
        for (int n = 0; n < Output().GetSampleCount(); ++n)
            ASSERT_TRUE(std::isfinite(Output().GetSamples()[n]));
        EXPECT_TRUE(c.playbackGain < 0 || Output().GetPlaybackGain() == c.playbackGain);
        EXPECT_TRUE(Output().EnsureSpectrum());
        for (int k = 0; k < Output().GetSpectrum().GetBins(); ++k)
            ASSERT_TRUE(std::isfinite(Output().GetSpectrum().GetPower()[k]));
        for (int x = 0; c.bottom != 0 && x < 255; x += c.step) // the last left out: a line's end
            EXPECT_EQ(PixelOf(image, x, 127), c.bottom) << x;
    }
}

// The log spectrum is relative to the data: the weakest bin on the bottom row, power 1 on the
// top edge; a spectrum without any power below 1 draws every non-zero bin on the top edge.
TEST_F(FilterPlotTest, LogSpectrumSpansTheData) {
    std::vector<float> tone(8192); // exactly on bin 256 of 2048: every other bin far weaker
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<float>(std::sin(2 * std::numbers::pi * 256 * i / 2048.0));
    Prepare(tone, "scale='log' spec_in='1' width='1025' height='100'");
    const float* power = plot->GetInput()->GetSpectrum().GetPower();
    int weakest = 256;
    for (int k = 0; k < 1025; ++k)
        if (power[k] > 0.0f && power[k] < power[weakest])
            weakest = k;
    const auto& rows = plot->GetColumns().TopRows();
    EXPECT_EQ(rows[weakest], 99);
    for (const int k : {255, 256, 257}) { // the tone and its neighbours, between the edges
        const double level = std::log(power[k]) / std::fabs(std::log(power[weakest])) + 1;
        EXPECT_NEAR(rows[k], 100 - 100 * level, 1) << k;
    }
    Prepare(Noise(20000, 5), "", "<b order='1'>100</b>");
    const auto louder = std::move(plot); // filter 8 takes its hundredfold louder output
    ASSERT_EQ(Read("<afilter id='8' example_from='7' scale='log' spec_in='1' width='300' "
                   "height='100'><b>1</b></afilter>"),
              ERR_NONE);
    ASSERT_EQ(plot->Prepare(), ERR_NONE);
    EXPECT_EQ(plot->GetColumns().BottomRows(), std::vector<int>(300, 0));
}

// Only news about the input re-filters; the output's and a stranger's are ignored, and a
// hidden window re-filters as well, so that what depends on it stays up to date.
TEST_F(FilterPlotTest, ReFiltersOnlyWhenTheInputChanges) {
    context.SetSignal(9, MakeSignal(std::vector<float>(10, 0.5f)));
    for (const bool visible : {true, false}) {
        Prepare(std::vector<float>(400, 0.5f), "width='100' height='50'", "<b order='1'>2</b>",
                WS_CHILD | (visible ? WS_VISIBLE : 0));
        Show();
        EXPECT_EQ(plot->IsWindowVisible(), visible);
        for (const int id : {7, 9, 5}) {
            Output().GetSamples()[0] = -3.0f; // a mark the filter would overwrite
            plot->SendMessage(dsp::CSignal::UpdateMessage(),
                              reinterpret_cast<WPARAM>(context.FindSignal(id)), 0);
            EXPECT_FLOAT_EQ(Output().GetSamples()[0], id == 5 ? 1.0f : -3.0f)
                << "signal " << id << (visible ? " visible" : " hidden");
        }
    }
}

// Noise through a low-pass: the response falls from the top-left corner; the spectrum of the
// noise fills the bottom with green columns on white.
TEST_F(FilterPlotTest, PaintsSpectrumAndResponse) {
    Prepare(Noise(20000, 4), "spec_in='1' width='256' height='128'", "<b order='2'>0.5 0.5</b>");
    Show();
    const QImage image = Grab();
    EXPECT_EQ(PixelOf(image, 0, 0), RED) << "gain 1 at frequency 0 on the top edge";
    EXPECT_EQ(plot->GetTransferCurve().back().y, 127) << "a zero at half the sample rate";
    EXPECT_GT(Count(image, GREEN), 256) << "every column has spectrum";
    EXPECT_GT(Count(image, RGB(255, 255, 255)), 256 * 64) << "on white";
    // Magnitudes in columns of four bins from their top to their bottom row, and an unbroken
    // response curve across every column.
    const float* power = plot->GetInput()->GetSpectrum().GetPower();
    const auto& columns = plot->GetColumns();
    int span = 0, filled = 0;
    for (int x = 0; x < 256; ++x) {
        const float top = *std::max_element(power + 4 * x, power + 4 * x + 4);
        EXPECT_NEAR(columns.TopRows()[x], 128 - std::sqrt(top) * 128, 1) << x;
        for (int y = columns.TopRows()[x]; y < columns.BottomRows()[x]; ++y, ++span)
            filled += PixelOf(image, x, y) == GREEN;
        EXPECT_GT(Count(image.copy(x, 0, 1, 128), RED), 0) << x;
    }
    EXPECT_GT(filled, span * 9 / 10);
    plot->SetMark(game::MARK_WRONG);
    EXPECT_NE(Grab(), image) << "the mark is drawn";
    plot->MoveWindow(CRect{0, 0, 256, 64}); // only lower: the curve is remapped all the same
    CApplication::ProcessMessages();
    EXPECT_EQ(plot->GetTransferCurve().back().y, 63);
    plot->MoveWindow(CRect{0, 0, 200, 64});
    CApplication::ProcessMessages();
    EXPECT_EQ(plot->GetColumns().Width(), 200);
    EXPECT_EQ(plot->GetTransferCurve().back().x, 199);
}

// The display attributes, and spectrum columns of as many bins as the width allows (the last
// bin left out), or the mean line only. The coefficient children: numbers after runs of
// separators, each ending at the first character that cannot continue a number; a missing child
// is the single coefficient 1.
TEST_F(FilterPlotTest, ReadsItsDisplayAttributesAndCoefficients) {
    const struct {
        std::string attributes;
        bool log, spectrum, transfer;
        int width, perColumn;
    } cases[] = {
        {"", false, false, true, 0, 0},           {"scale='log'", true, false, true, 0, 0},
        {"scale='LOG'", false, false, true, 0, 0}, {"transfer='0'", false, false, false, 0, 0},
        {"transfer='2'", false, false, false, 0, 0}, {"transfer='ja'", false, false, true, 0, 0},
        {"spec_in='2'", false, false, true, 0, 0}, {"spec_in='ja'", false, false, true, 0, 0},
        {"spec_in='1' width='256'", false, true, true, 256, 4},
        {"spec_in='1x' width='300'", false, true, true, 300, 3},
        {"spec_in='1' width='1100'", false, true, true, 1100, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attributes);
        Prepare(Noise(8000, 2), c.attributes);
        EXPECT_EQ(plot->IsLogarithmic(), c.log);
        EXPECT_EQ(plot->ShowsSpectrum(), c.spectrum);
        EXPECT_EQ(plot->ShowsTransfer(), c.transfer);
        EXPECT_EQ(plot->GetColumns().Width(), c.width);
        EXPECT_EQ(plot->GetColumns().ValuesPerColumn(), c.perColumn);
        EXPECT_EQ(plot->GetColumns().HasRange(), c.perColumn > 0);
    }
    using V = std::vector<float>;
    const struct {
        std::string children;
        V a, b;
    } accepted[] = {
        {"<b order='3'>1 2 1</b>", V{1}, V{1, 2, 1}}, {"<a>1 0.5</a>", V{}, V{1}},
        {"<a order='3'>1, -1.8, 0.81</a>", V{1, -1.8f, 0.81f}, V{1}},
        {"<b order='2'>1 2 3</b>", V{1}, V{1, 2}}, {"<b order='1'>,,\n 0.5</b>", V{1}, V{0.5f}},
        {"<b order='2'>1e-3 2</b>", V{1}, V{0.001f, 2}}, {"<b order='2'>1-2 3</b>", V{1}, V{1, 3}},
        {"<b order='2'>-.5 +2.</b>", V{1}, V{-0.5f, 2}}, {"<b/>", V{1}, V{}},
    };
    for (const auto& c : accepted) {
        ASSERT_EQ(Read("<afilter example_from='5'>" + c.children + "</afilter>"), ERR_NONE);
        const dsp::CFilter& f = plot->GetFilter();
        EXPECT_EQ(Values(f.GetDenominator(), f.GetDenominatorCount()), c.a) << c.children;
        EXPECT_EQ(Values(f.GetNumerator(), f.GetNumeratorCount()), c.b) << c.children;
    }
    for (const std::string refused :
         {"<b order='3'>1, 2,</b>", "<b order='2'>1E-3 2</b>", "<b order='1'>x1</b>",
          "<b order='2'>1e999 1</b>", "<b order='2'>1e39 1</b>", "<b order='2'>1 nan</b>",
          "<b order='1'>inf</b>", "<b order='1'>0x10</b>", "<b order='1'>+-1</b>",
          "<a order='2'>0 1</a>", "<a order='2'>1e-39 1</a>", // too small to divide by
          "<b order='2000000000'>1 2 3</b>", "<b order='-1'>1</b>", ""})
        EXPECT_EQ(Read("<afilter example_from='5'>" + refused + "</afilter>"),
                  game::ERR_MISSING_ELEMENT)
            << refused;
    EXPECT_EQ(Read("<filter example_from='5'><b>1</b></filter>"), game::ERR_XML_TITLE);
    EXPECT_EQ(Read("<afilter><b>1</b></afilter>"), game::ERR_EXAMPLE_NOT_FOUND);
    // The element reports its extent to the table that places it.
    tinyxml2::XMLDocument xml;
    xml.Parse("<afilter example_from='5' width='300' height='90'><b>1</b></afilter>");
    CRect area{20, 30, 999, 999};
    ASSERT_EQ(CConstFilter(&context).ReadXml(*xml.RootElement(), area, WS_CHILD), ERR_NONE);
    EXPECT_EQ(area, (CRect{20, 30, 320, 120}));
}

// A hidden chain of two fixed filters, written in reverse order, the first of an example of its
// own, feeds a visible spectrum plot: the plot shows the twice-filtered example, and nothing of
// the chain is seen.
TEST(HiddenChain, FeedsVisiblePlotsAndStaysOutOfSight) {
    CTempFolder folder;
    std::vector<std::int16_t> pcm(4000);
    for (std::size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = static_cast<std::int16_t>(8000 * std::sin(i * 0.9) + 4000 * std::sin(i * 0.05));
    const std::string xml =
        "<GameSlide><hidden><afilter id='3' example_from='2'><b order='2'>0.5 0.5</b></afilter>"
        "<afilter id='2' example='" +
        CText::ToNarrow(folder.Write("x.wav", CWaveBytes::Mono16(pcm))) +
        "'><a order='2'>1 -0.5</a><b order='1'>0.5</b></afilter></hidden><table rows='1' "
        "cols='1'><row><spectrum id='4' example_from='3'/></row></table></GameSlide>";
    tinyxml2::XMLDocument document(true, tinyxml2::COLLAPSE_WHITESPACE);
    ASSERT_EQ(document.Parse(xml.c_str()), tinyxml2::XML_SUCCESS);
    game::CGameContext master;
    game::CGameSlide slide(master, L"kette");
    CRect area{0, 0, 800, 400};
    ASSERT_EQ(slide.ReadXml(*document.RootElement(), area, WS_CHILD | WS_VISIBLE), ERR_NONE);
    EXPECT_EQ(slide.GetMaxPoints(), 1) << "the hidden filters count for nothing";
    const std::vector<double> twice =
        ReferenceFilter({1}, {0.5, 0.5}, ReferenceFilter({1, -0.5}, {0.5}, pcm));
    const auto* shown = dynamic_cast<game::CSpectrumPlot*>(slide.Context().FindElement(4));
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown->GetSignal()->GetSampleCount(), 4000);
    for (int n = 0; n < 4000; ++n)
        ASSERT_NEAR(shown->GetSignal()->GetSamples()[n], twice[n] / 32768, 1e-5) << n;
    CWnd host; // made before it is shown, as the dialog puts a prepared slide on screen
    ASSERT_TRUE(host.Create(L"Host", L"", 0, CRect{0, 0, 800, 400}, nullptr, 0));
    ASSERT_EQ(slide.CreateElementWindow(&host, 1), ERR_NONE);
    host.ShowWindow(true);
    CApplication::ProcessMessages();
    for (const int id : {2, 3}) {
        EXPECT_FALSE(slide.Context().FindElement(id)->IsWindowVisible()) << id;
        EXPECT_FALSE(slide.Context().FindElement(id)->GetParent()->IsWindowVisible()) << id;
    }
    slide.DestroyWindow();
}
