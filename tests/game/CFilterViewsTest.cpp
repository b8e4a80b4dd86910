// The impulse-response and phase views of a filter element: what they show against a plain
// double-precision computation, and on screen, following the filter as the player moves it.
#include "PlotFixture.h"
#include "SlideFixture.h"

#include "common/ReferenceFilter.h"
#include "dsp/CImpulseResponse.h"
#include "game/CImpulseResponsePlot.h"
#include "game/CNotchFilter.h"
#include "game/CPhaseResponsePlot.h"

#include <complex>

namespace {

using Complex = std::complex<double>;
constexpr double PI = std::numbers::pi;

// sum c[k] e^-jwk, term by term.
Complex At(const std::vector<double>& c, double omega) {
    Complex sum = 0.0;
    for (std::size_t k = 0; k < c.size(); ++k)
        sum += c[k] * std::polar(1.0, -omega * static_cast<double>(k));
    return sum;
}

std::string List(const std::vector<double>& c) {
    std::string text;
    for (const double v : c)
        text += (text.empty() ? "" : ", ") + std::to_string(v);
    return text;
}

// Each coefficient as the game holds it, in single precision.
std::vector<double> AsFloat(const std::vector<double>& c) {
    std::vector<double> rounded;
    for (const double v : c)
        rounded.push_back(static_cast<float>(v));
    return rounded;
}

class FilterViews : public SlideFixture {
protected:
    std::string Example() {
        std::vector<std::int16_t> pcm;
        for (const float v : Noise(4000, 3, 8000))
            pcm.push_back(static_cast<std::int16_t>(v));
        return CText::ToNarrow(folder.Write("rauschen.wav", CWaveBytes::Mono16(pcm, 8000)));
    }
    CTempFolder folder;
};

// Filters of every kind the slides teach: the views agree with filtering a unit impulse and
// with H(e^jw) = B / A evaluated directly, the phase unwrapped into one continuous line
// wherever no zero lies on the unit circle, the group delay its slope.
TEST_F(FilterViews, ShowTheImpulseResponseAndPhaseOfTheFilter) {
    const struct {
        std::vector<double> a, b;
        const char* samples;
        std::size_t shown;
        bool zeroOnCircle = false;
    } cases[] = {
        {{1}, {0.2, 0.2, 0.2, 0.2, 0.2}, "12", 12, true},   // moving average (FIR)
        {{1, -0.8}, {0.2}, "", 32},                          // one pole (IIR), default length
        {{1, -1.3435, 0.9025}, {0.1, 0.05}, "600", 512},     // resonator; length held at 512
        {{1}, {0, 0, 0, 0, 0, 0, 1}, "1", 2},                // delay of 6: linear phase
        {{2, 0, 0, 0, 0, 0, 0, 0, -1.6}, {0.4}, "40", 40},   // comb, a[0] = 2
        {{1, -0.5}, {-0.5, 1}, "20", 20},                    // all-pass
        {{1, 1.9, 0.95}, {1, 2, 1}, "30", 30, true},         // sharp high-frequency resonance
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("a = " + List(c.a) + ", b = " + List(c.b));
        const std::string xml =
            "<afilter id='11' example='" + Example() + "'><a order='" + std::to_string(c.a.size()) +
            "'>" + List(c.a) + "</a><b order='" + std::to_string(c.b.size()) + "'>" + List(c.b) +
            "</b></afilter><impulse id='21' example_from='11' samples='" + c.samples +
            "'/><phase id='22' example_from='11' width='300'/><phase id='23' example_from='11' "
            "width='300' delay='1'/>";
        ASSERT_EQ(Read("<GameSlide><table rows='1' cols='4'><row>" + xml + "</row></table></GameSlide>"),
                  game::ERR_NONE);
        const std::vector<double> a = AsFloat(c.a), b = AsFloat(c.b);
        std::vector<double> impulse(c.shown, 0.0);
        impulse[0] = 1.0;
        const std::vector<double> expected = ReferenceFilter(a, b, impulse);
        const std::vector<double>& shown = Panel<game::CImpulseResponsePlot>(21)->GetResponse();
        ASSERT_EQ(shown.size(), c.shown);
        for (std::size_t n = 0; n < c.shown; ++n)
            ASSERT_NEAR(shown[n], expected[n], 1e-9 * (1 + std::fabs(expected[n]))) << n;

        const std::vector<double>& phase = Panel<game::CPhaseResponsePlot>(22)->GetValues();
        const std::vector<double>& delay = Panel<game::CPhaseResponsePlot>(23)->GetValues();
        ASSERT_EQ(phase.size(), 300u);
        ASSERT_EQ(delay.size(), 300u);
        EXPECT_GT(phase[0], -PI - 1e-9);
        EXPECT_LE(phase[0], PI + 1e-9);
        for (std::size_t x = 0; x < 300; ++x) {
            const double omega = PI * static_cast<double>(x) / 300;
            const Complex h = At(b, omega) / At(a, omega);
            if (std::abs(h) < 1e-6)
                continue;
            EXPECT_NEAR(std::remainder(phase[x] - std::arg(h), 2 * PI), 0.0, 1e-6) << x;
            if (x > 0 && !c.zeroOnCircle) {
                EXPECT_LT(std::fabs(phase[x] - phase[x - 1]), 1.0) << "unwrapped at " << x;
            }
            const double step = 1e-5;
            const double slope = std::arg((At(b, omega + step) / At(a, omega + step)) /
                                          (At(b, omega - step) / At(a, omega - step))) / (2 * step);
            EXPECT_NEAR(delay[x], -slope, 1e-4 * (1 + std::fabs(slope))) << x;
        }
    }
}

// On screen both views draw what they computed, and when the player moves the notch they show
// the new filter at once.
TEST_F(FilterViews, DrawTheirValuesAndFollowTheFilter) {
    Show("<table rows='1' cols='3'><row><notch id='11' example='" + Example() +
         "'/><impulse id='21' example_from='11' samples='16'/><phase id='22' example_from='11'/>"
         "</row></table>");
    auto* notch = Panel<game::CNotchFilter>(11);
    auto* impulse = Panel<game::CImpulseResponsePlot>(21);
    auto* phase = Panel<game::CPhaseResponsePlot>(22);
    const auto drawn = [&] {
        const QImage stems = impulse->Widget()->grab().toImage();
        for (int n = 0; n < 16; ++n)
            EXPECT_EQ(PixelOf(stems, impulse->ColumnOf(n), impulse->RowOf(impulse->GetResponse()[n])),
                      RGB(0, 0, 200))
                << "stem " << n;
        const QImage line = phase->Widget()->grab().toImage();
        for (int x = 0; x < line.width(); ++x)
            EXPECT_EQ(PixelOf(line, x, phase->RowOf(phase->GetValues()[x])), RGB(200, 0, 0)) << x;
    };
    drawn();
    const std::vector<double> before = impulse->GetResponse();
    const std::vector<double> phaseBefore = phase->GetValues();
    for (int i = 0; i < 20; ++i)
        QTest::keyClick(notch->Widget(), Qt::Key_Right);
    CApplication::ProcessMessages();
    EXPECT_EQ(impulse->GetResponse(), dsp::CImpulseResponse::Compute(notch->GetFilter(), 16));
    EXPECT_NE(impulse->GetResponse(), before);
    EXPECT_NE(phase->GetValues(), phaseBefore);
    drawn();
}

} // namespace
