#include "PlotFixture.h"
#include "common/ReferenceFilter.h"
#include "game/CConstFilter.h"

#include <complex>

using game::CConstFilter;
using game::ERR_NONE;

static constexpr COLORREF RED = RGB(200, 0, 0);

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

static std::string Text(const std::vector<double>& v) {
    std::string s;
    for (const double d : v)
        s += std::to_string(d) + " ";
    return s;
}

// The coefficients as the slide's text has them.
static std::vector<double> Rounded(std::vector<double> v) {
    for (double& d : v)
        d = std::stod(std::to_string(d));
    return v;
}

// The coefficient children of a filter b / a.
static std::string Children(const std::vector<double>& a, const std::vector<double>& b) {
    return "<a order='" + std::to_string(a.size()) + "'>" + Text(a) + "</a><b order='" +
           std::to_string(b.size()) + "'>" + Text(b) + "</b>";
}

class FilterPlotTest : public PlotFixture<CConstFilter> {
protected:
    // A fixed filter of signal 5 with the given attributes and coefficient children.
    void Prepare(const std::vector<float>& samples, const std::string& attributes,
                 const std::string& children = "<b order='1'>1</b>",
                 DWORD style = WS_CHILD | WS_VISIBLE) {
        ReadAndPrepare(MakeSignal(samples),
                       "<afilter id='7' example_from='5' " + attributes + ">" + children +
                           "</afilter>",
                       style);
    }
    dsp::CSignal& Output() { return *plot->GetOutput(); }
};

// The curve reaches, in every column, the row of the gain at the column's frequency (linear:
// scaled to the largest gain up to 10 it can show, an arrow up from the top edge where the gain
// leaves the plot); the output, published under the element's id, is the input filtered.
TEST_F(FilterPlotTest, ResponseCurveAndOutputAgainstDoublePrecision) {
    const struct {
        std::string scale;
        std::vector<double> a, b;
    } cases[] = {
        {"log", {1, -1.8 * std::cos(0.3), 0.81}, {1, -2 * std::cos(0.3), 1}},
        {"log", {1, -0.5}, {1, 1}},
        {"", {1}, {0.25, 0.25}}, // peak gain 0.5: drawn at its true size
        {"", {1}, {2, 2}},       // peak gain 4: scaled so that the peak touches the top
        {"", {1, 0.9}, {1}},     // high-pass resonance: peak 10 at half the sample rate
        {"", {1, -1}, {1}},      // pole at z = 1
        {"", {1, 0, 1}, {1}},    // poles at +-j: a quarter of the sample rate
    };
    for (const auto& c : cases) {
        const std::vector<double> a = Rounded(c.a), b = Rounded(c.b); // as the slide has them
        SCOPED_TRACE(c.scale + " " + Text(a) + "/ " + Text(b));
        const std::vector<float> x = Noise(3000, 1);
        Prepare(x, "scale='" + c.scale + "' width='256' height='128'", Children(a, b));
        Show();
        const QImage image = Grab();
        const auto& curve = plot->GetTransferCurve();
        ASSERT_EQ(curve.size(), 512u);
        double peak = 1; // a response crossing 10 comes as close as the columns allow
        for (int i = 0; i <= 100000; ++i)
            if (const double h2 = PowerGain(a, b, i * std::numbers::pi / 100000); h2 <= 100)
                peak = std::max(peak, h2);
        for (int x = 0; x < 256; ++x) {
            const double h2 = PowerGain(a, b, x * std::numbers::pi / 256);
            const int top = curve[2 * x].y, bottom = curve[2 * x + 1].y;
            const bool log = c.scale == "log", off = !log && h2 > 150;
            const double row = std::min(
                127.0, 128 - 128 * (log ? (std::log(h2) + 15) / 15.5 : std::sqrt(h2 / peak)));
            EXPECT_EQ(curve[2 * x].x, x);
            EXPECT_TRUE(off ? top == 0 : (!log && h2 >= 25) || (row > top - 1.5 && row < bottom + 1.5))
                << "column " << x << ": " << top << " to " << bottom << ", not " << row;
            EXPECT_TRUE(log || (h2 <= 150 && h2 >= 66) ||
                        (PixelOf(image, x, 5) == RED) == (off || (top <= 5 && bottom >= 5)))
                << "column " << x << ": an arrow on row 5, or the curve itself passing there";
        }
        ASSERT_EQ(context.FindSignal(7), plot->GetOutput());
        EXPECT_EQ(plot->GetInput()->GetListeners().count(plot.get()), 1u);
        EXPECT_EQ(Output().GetListeners().count(plot.get()), 1u);
        const std::vector<double> y = ReferenceFilter(a, b, x);
        ASSERT_EQ(Output().GetSampleCount(), 3000);
        for (int n = 0; n < 3000; ++n)
            ASSERT_NEAR(Output().GetSamples()[n], y[n], 1e-4 * (1 + std::fabs(y[n]))) << n;
        plot.reset();
    }
}

// Pass-through, a pole on the unit circle and an unstable filter draw a finite curve and give
// finite output; a runaway output plays silent.
TEST_F(FilterPlotTest, DegenerateAndUnstableFiltersStayFinite) {
    const struct {
        std::string children;
        int firstRow;       // row of the response at frequency 0 in the log display
        float playbackGain; // -1: not checked
    } cases[] = {
        {"<a>1</a>", 128 - static_cast<int>(15 / 15.5f * 128), 1.0f},      // no denominator
        {"<a order='2'>1 -1</a>", 128 - static_cast<int>(128 * 3.0f), -1}, // pole at z = 1
        {"<a order='2'>1 -2.5</a>", -1, 0.0f},                             // unstable
        {"<a order='2'>1 -1</a><b order='2'>1 -1</b>", 5, 1.0f},           // pole and zero cancel
        {"<b order='1'>4</b>", -1, 0.5f},  // peak 2: played scaled, not clipped
        {"<b order='1'>0</b>", 127, 1.0f}, // no response at all: the bottom row
    };
    for (const auto& c : cases) {
        std::vector<float> x = Noise(5000, 3);
        x[0] = 0.5f;
        Prepare(x, "scale='log' spec_in='1' width='256' height='128'", c.children);
        SCOPED_TRACE(c.children);
        EXPECT_TRUE(c.firstRow < 0 || plot->GetTransferCurve()[0].y == c.firstRow);
        for (const CPoint& p : plot->GetTransferCurve())
            EXPECT_TRUE(p.y >= -256 && p.y <= 384);
        for (int n = 0; n < Output().GetSampleCount(); ++n)
            ASSERT_TRUE(std::isfinite(Output().GetSamples()[n]));
        EXPECT_TRUE(c.playbackGain < 0 || Output().GetPlaybackGain() == c.playbackGain);
        EXPECT_TRUE(Output().EnsureSpectrum());
        for (int k = 0; k < Output().GetSpectrum().GetBins(); ++k)
            ASSERT_TRUE(std::isfinite(Output().GetSpectrum().GetPower()[k]));
    }
}
