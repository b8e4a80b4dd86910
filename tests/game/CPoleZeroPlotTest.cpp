#include "game/CPoleZeroPlot.h"
#include "PlotFixture.h"
#include "common/ReferenceFilter.h"

#include <gmock/gmock.h>

#include <complex>
#include <sstream>

using game::CPoleZeroPlot;
using game::ERR_NONE;
using testing::DoubleNear;
using testing::Pointwise;

static constexpr COLORREF BLACK = RGB(0, 0, 0), RED = RGB(200, 0, 0), GREEN = RGB(90, 197, 99);

// The coefficients of prod (1 - r z^-1) over the roots at these pixel offsets (radius 90), a
// root off the axis with its conjugate, in double precision.
static std::vector<double> FromRoots(const std::vector<CPoint>& offsets) {
    std::vector<std::complex<double>> c{1.0};
    for (const CPoint p : offsets)
        for (const int sign : p.y == 0 ? std::vector{1} : std::vector{1, -1}) {
            const std::complex<double> r(p.x / 90.0, sign * p.y / 90.0);
            c.push_back(0.0);
            for (std::size_t k = c.size() - 1; k >= 1; --k)
                c[k] -= r * c[k - 1];
        }
    std::vector<double> real;
    for (const auto& v : c)
        real.push_back(v.real());
    return real;
}

// The largest power gain of b / a at the frequencies j / 49 of pi (to 4 places).
static double PeakGain(const std::vector<float>& b, const std::vector<double>& a) {
    double largest = 0.0;
    for (int j = 0; j < 50; ++j) {
        const double w = std::round(j / 49.0 * 1e4) / 1e4 * std::numbers::pi;
        const auto at = [w](const auto& c) {
            std::complex<double> sum;
            for (std::size_t k = 0; k < c.size(); ++k)
                sum += static_cast<double>(c[k]) * std::polar(1.0, -w * static_cast<double>(k));
            return std::norm(sum);
        };
        largest = std::max(largest, at(b) / at(a));
    }
    return largest;
}

class PoleZeroTest : public PlotFixture<CPoleZeroPlot> {
protected:
    // A 200 x 100 plot (radius 90, centre (100, 95)), shown.
    void SetUp() override {
        std::vector<float> samples(300);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<float>(std::sin(0.3 * i) + (i == 20 ? 0.8 : 0.0));
        context.SetSignal(5, MakeSignal(samples));
        Make();
    }
    // A fresh plot of signal 5, prepared and shown.
    void Make(const std::string& children = "",
              const std::string& attributes = "width='200' height='100' points='2'") {
        plot.reset();
        ASSERT_EQ(Read("<polezero id='7' example_from='5' " + attributes + ">" + children +
                       "</polezero>"),
                  ERR_NONE);
        ASSERT_EQ(plot->Prepare(), ERR_NONE);
        Show();
    }
    void Zero(int x, int y) { QTest::mouseClick(plot->Widget(), Qt::LeftButton, {}, {x, y}); }
    void Pole(int x, int y) { QTest::mouseClick(plot->Widget(), Qt::RightButton, {}, {x, y}); }
    // The steps, apart by spaces, each a letter and its points "x,y/x,y...": 'z' a click for a
    // zero, 'p' for a pole, 'c' a double click as Qt delivers it (press, release, double click,
    // release), 'd' a press at the first point, moves through all and a release at the last
    // ('D': held there), 'u' Ctrl+Z.
    void Do(const std::string& steps) {
        QWidget* widget = plot->Widget();
        std::istringstream in(steps);
        for (std::string step; in >> step;) {
            std::vector<QPoint> path;
            std::istringstream points(step.substr(1));
            for (int x = 0, y = 0; points >> x && points.ignore() && points >> y; points.ignore())
                path.emplace_back(x, y);
            const char kind = step[0];
            if (kind == 'u')
                QTest::keyClick(widget, Qt::Key_Z, Qt::ControlModifier);
            if (kind == 'z' || kind == 'p')
                QTest::mouseClick(widget, kind == 'z' ? Qt::LeftButton : Qt::RightButton, {},
                                  path[0]);
            if (kind != 'c' && kind != 'd' && kind != 'D')
                continue;
            QTest::mousePress(widget, Qt::LeftButton, {}, path[0]);
            if (kind == 'c') {
                QTest::mouseRelease(widget, Qt::LeftButton, {}, path[0]);
                QTest::mouseDClick(widget, Qt::LeftButton, {}, path[0]);
            }
            for (const QPoint p : kind == 'c' ? std::vector<QPoint>{} : path) {
                QTest::mouseMove(widget, p);
                CApplication::ProcessMessages();
            }
            held = path.back();
            if (kind != 'D')
                QTest::mouseRelease(widget, Qt::LeftButton, {}, held);
        }
    }
    std::vector<float> Numerator() const {
        return Values(plot->GetNumerator().data(), plot->GetNumeratorCount());
    }
    std::vector<float> Denominator() const {
        return Values(plot->GetDenominator().data(), plot->GetDenominatorCount());
    }
    // The numerator over its first coefficient: the zeros' polynomial.
    std::vector<double> Monic() const {
        const std::vector<float> b = Numerator();
        std::vector<double> monic;
        for (const float c : b)
            monic.push_back(c / b[0]);
        return monic;
    }
    QPoint held; // where the last drag ended
};

// A click adds a root (a pair off the axis, snapped onto it near it) or removes the first placed
// within 4 pixels; a double click is one click; a dragged root follows the pointer while the
// button is held (a press moving at most 3 pixels is a click); Ctrl+Z takes back clicks and
// whole drags one at a time. The polynomials are the products of the roots, the numerator
// scaled to a peak gain of 1, and the filter heard (and its output) is the one drawn.
TEST_F(PoleZeroTest, GesturesPlaceTheRootsTheFilterIsBuiltFrom) {
    const std::string drag = " d130,55/140,50/150,45/150,90 ";
    const struct {
        std::string steps;
        std::vector<CPoint> zeros, poles; // afterwards, from the centre
    } cases[] = {
        {"z145,92", {{45, 0}}, {}},
        {"z130,55 z133,57", {}, {}},
        {"z60,40 z66,40 z63,40", {{-34, -55}}, {}},
        {"z82,14 p163,50", {{-18, -81}}, {{63, -45}}},
        {"z130,55 D131,56/140,50/150,45", {{50, -50}}, {}},
        {"z130,55 D130,55/135,70/140,92", {{40, 0}}, {}},
        {"z145,95 D145,95/145,80/145,60", {{45, -35}}, {}},
        {"z130,55 z60,40 D60,40/50,30/40,20", {{30, -40}, {-60, -75}}, {}},
        {"p160,50 D160,50/140,40/120,30", {}, {{20, -65}}},
        {"z130,55 d130,55/132,57", {}, {}},
        {"c130,55", {{30, -40}}, {}},
        {"z130,55 c131,56", {}, {}},
        {"c130,55 z60,40", {{30, -40}, {-40, -55}}, {}},
        {"z130,55 u", {}, {}},
        {"z130,55 p160,50 z132,57 u", {{30, -40}}, {{60, -45}}},
        {"z60,95 z130,55" + drag + "u", {{-40, 0}, {30, -40}}, {}},
        {"z130,55" + drag + "p160,50 u u", {{30, -40}}, {}},
        {"z130,55 p160,50 z60,95 u u u", {}, {}},
        {"z130,55 u u", {}, {}}, // nothing left to take back
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.steps);
        ASSERT_NO_FATAL_FAILURE(Make());
        const auto expect = [&](const char* when) {
            EXPECT_EQ(plot->GetZeros(), c.zeros) << when;
            EXPECT_EQ(plot->GetPoles(), c.poles) << when;
            const std::vector<double> a = FromRoots(c.poles);
            EXPECT_THAT(Monic(), Pointwise(DoubleNear(1e-5), FromRoots(c.zeros))) << when;
            EXPECT_THAT(Denominator(), Pointwise(DoubleNear(1e-5), a)) << when;
            const std::vector<float> b = Numerator();
            EXPECT_NEAR(PeakGain(b, a), 1.0, 1e-4) << when;
            const dsp::CSignal& in = *plot->GetInput(); // what is heard is the design drawn
            const std::vector<double> y = ReferenceFilter(
                a, {b.begin(), b.end()}, Values(in.GetSamples(), in.GetSampleCount()));
            for (std::size_t n = 0; n < y.size(); ++n)
                ASSERT_NEAR(plot->GetOutput()->GetSamples()[n], y[n], 1e-4 * (1 + std::fabs(y[n])))
                    << when << " " << n;
        };
        Do(c.steps);
        if (c.steps.find('D') != std::string::npos) {
            expect("button held");
            QTest::mouseRelease(plot->Widget(), Qt::LeftButton, {}, held);
        }
        CApplication::ProcessMessages();
        expect("released");
    }
    EXPECT_TRUE(plot->HasFocus()) << "a click gives the plot the keys";
}

// A design holds up to 19 numerator and 20 denominator coefficients: a root that does not fit
// is ignored, and a removal makes room again.
TEST_F(PoleZeroTest, RootsBeyondTheLimitAreIgnored) {
    Zero(66, 40);
    for (int i = 0; i < 8; ++i) { // pairs: 19 and 17 coefficients
        Zero(10 + 20 * i, 20);
        Pole(5 + 20 * i, 30);
    }
    EXPECT_EQ(plot->GetNumeratorCount(), 19);
    for (const auto& [click, count] :
         {std::pair{"z190,90", 19}, {"z66,40", 17}, {"z195,53", 19}, {"z195,10", 19},
          {"p190,93", 18}, {"p180,10", 20}, {"p170,94", 20}}) {
        Do(click);
        EXPECT_EQ(click[0] == 'p' ? plot->GetDenominatorCount() : plot->GetNumeratorCount(), count)
            << click;
    }
}

// A resized plot keeps the roots' pixel offsets and its polynomials; new roots use the new
// radius, and a removal rebuilds the rest with it.
TEST_F(PoleZeroTest, SizeChangeKeepsPixelOffsets) {
    Zero(145, 95); // 0.5 with radius 90
    const std::vector<float> before = Numerator();
    plot->MoveWindow(CRect{0, 0, 400, 200});
    CApplication::ProcessMessages();
    EXPECT_EQ(plot->GetRadius(), 180);
    EXPECT_EQ(plot->GetCentre(), (CPoint{200, 195}));
    EXPECT_EQ(plot->GetZeros(), (std::vector<CPoint>{{45, 0}}));
    EXPECT_EQ(Numerator(), before);
    Zero(290, 195); // 0.5 again, multiplied into the old one
    EXPECT_THAT(Monic(), Pointwise(DoubleNear(1e-5), std::vector{1.0, -1.0, 0.25}));
    Zero(290, 195); // the old 45 pixels are now 0.25
    EXPECT_THAT(Monic(), Pointwise(DoubleNear(1e-5), std::vector{1.0, -0.25}));
}

// Black axes and unit circle, a pole as a red diagonal cross, a zero as a hollow green ring.
TEST_F(PoleZeroTest, PaintsAxesCircleAndMarkers) {
    Do("z55,65 p130,35");
    const QImage image = Grab();
    const auto near = [&](int x, int y, COLORREF colour) {
        return Count(image.copy(x - 1, y - 1, 3, 3), colour) > 0;
    };
    EXPECT_EQ(PixelOf(image, 20, 95), BLACK) << "real axis";
    EXPECT_EQ(PixelOf(image, 100, 20), BLACK) << "imaginary axis";
    EXPECT_TRUE(near(164, 31, BLACK) && near(36, 31, BLACK)) << "unit circle";
    EXPECT_NE(PixelOf(image, 145, 50), BLACK) << "inside the circle";
    EXPECT_TRUE(PixelOf(image, 127, 32) == RED && PixelOf(image, 134, 39) == RED) << "cross";
    EXPECT_NE(PixelOf(image, 130, 32), RED) << "not a plus";
    EXPECT_TRUE(near(60, 65, GREEN) && near(55, 60, GREEN)) << "ring";
    EXPECT_NE(PixelOf(image, 55, 65), GREEN) << "hollow";
}

// In a plot a few pixels high, roots far out overflow a polynomial: zeros are rebuilt within
// float after a removal (the numerator is normalised anyway), a pole that would overflow the
// denominator is refused, so the filter heard stays the one drawn and the plot says why.
TEST_F(PoleZeroTest, RootsFarOutNeverLeaveAPassThrough) {
    for (const int height : {2, 20}) { // radius 1 and 18
        ASSERT_NO_FATAL_FAILURE(Make("", "width='1000' height='" + std::to_string(height) + "'"));
        for (int i = 0; i < 16; ++i)
            Zero(995 - 6 * i, height - 1); // on the axis, 405 to 495 pixels right of the centre
        Zero(995, height - 1);             // removes the first
        ASSERT_EQ(plot->GetZeros().size(), 15u) << height;
        const dsp::CFilter& f = plot->GetFilter();
        ASSERT_EQ(f.GetNumeratorCount(), 16) << height;
        EXPECT_NEAR(PeakGain(Values(f.GetNumerator(), 16), {1.0}), 1.0, 0.01) << height;
        for (int i = 0; i < 18; ++i)
            Pole(995 - 6 * i, height - 1);
        EXPECT_LT(plot->GetPoles().size(), 18u) << height;
        EXPECT_EQ(f.GetDenominatorCount(), static_cast<int>(plot->GetPoles().size()) + 1);
        EXPECT_EQ(f.GetNumeratorCount(), 16) << height;
    }
    // The 20 pixels high plot has room for the reason.
    EXPECT_LT(Count(Grab().copy(0, 0, 300, 12), RGB(255, 255, 255)), 300 * 12 - 30);
}

// The target of the lowpass exercise: a zero at z = -1 and a pole at z = 0.8, which lie at
// pixels 10 and 172 on the axis of the 200 x 100 plot.
static const std::string LOWPASS = "<target zeros='-1' poles='0.8'/>";

// The design scores when its response is close to the target's; without a target the points
// stand as written; a target the game could not use refuses the slide and says why.
TEST_F(PoleZeroTest, ScoresADesignCloseToTheTargetAndRefusesBrokenTargets) {
    const std::string AT_90 = "<target zeros='1@90' tolerance_db='1'/>";
    for (const auto& [target, roots, points] :
         {std::tuple{LOWPASS, "z10,95 p172,95", 2},
          {LOWPASS, "z10,95 p170,95", 2}, // 0.78 instead of 0.8
          {LOWPASS, "z10,95 p28,95", 0},  // the pole mirrored: flat
          {LOWPASS, "z190,95 p28,95", 0}, // the highpass
          {LOWPASS, "", 0},               // nothing placed
          {AT_90, "z100,5", 2}, {AT_90, "z100,30", 0}, {"", "", 2}}) {
        ASSERT_NO_FATAL_FAILURE(Make(target));
        Do(roots);
        EXPECT_EQ(plot->GetPoints(), points)
            << target << " " << roots << ": " << plot->Deviation() << " dB off";
        EXPECT_EQ(plot->GetMaxPoints(), 2);
    }
    for (const auto& [target, reason] :
         {std::pair{"<target zeros='abc'/>", L"„abc“"}, {"<target poles='3'/>", L"„3“"},
          {"<target poles='0.9@200'/>", L"„0.9@200“"},
          {"<target/>", L"weder Nullstellen noch Pole"},
          {"<target zeros='-1' tolerance_db='-1'/>", L"Toleranz „-1“"},
          {"<target zeros='-1' tolerance_db='nan'/>", L"Toleranz „nan“"},
          {"<target zeros='1@10 1@20 1@30 1@40 1@50 1@60 1@70 1@80 1@90 1@100'/>", L"mehr"}}) {
        game::CGameContext fresh; // the first failure of a slide is the one it keeps
        tinyxml2::XMLDocument xml;
        const std::string text = "<polezero id='7' example_from='5'>" + std::string(target);
        xml.Parse((text + "</polezero>").c_str());
        CRect area{0, 0, 200, 100};
        EXPECT_EQ(CPoleZeroPlot(&fresh).ReadXml(*xml.RootElement(), area, WS_CHILD),
                  game::ERR_UNKNOWN_ELEMENT)
            << target;
        EXPECT_EQ(fresh.FailedElement(), 7) << target;
        const std::wstring& why = fresh.FailureReason();
        EXPECT_TRUE(why.find(reason) != why.npos && why.find(L"Zeile 1") != why.npos)
            << target << ": " << CText::ToNarrow(why);
    }
}

// Once evaluated, and only then, the target's roots appear where they belong and its response
// is drawn dashed over the player's, on the rows the filter plots use; the player's design
// stays as it was given, and it and the target can be heard in turn while the output plays.
TEST_F(PoleZeroTest, EvaluationShowsAndPlaysTheTarget) {
    const ScopedDevice sound;
    std::vector<float> impulse(300);
    impulse[20] = 0.8f;
    context.SetSignal(5, MakeSignal(impulse));
    ASSERT_NO_FATAL_FAILURE(Make(LOWPASS));
    Zero(190, 95); // a highpass
    const auto count = [&](int x, int y, int half, COLORREF colour) {
        return Count(Grab().copy(std::max(0, x - half), y - half, 2 * half + 1, 2 * half + 1),
                     colour);
    };
    const COLORREF BLUE = RGB(0, 0, 255);
    EXPECT_EQ(count(10, 95, 9, BLUE) + count(172, 95, 9, BLUE), 0) << "nothing before evaluation";
    dsp::CSignal& output = *plot->GetOutput();
    ASSERT_TRUE(output.Play());
    plot->RevealAnswer();
    EXPECT_GT(count(10, 95, 9, BLUE), 10) << "the zero at -1";
    EXPECT_GT(count(172, 95, 9, BLUE), 10) << "the pole at 0.8";
    // |H| scaled to its peak, from the bottom edge (row 100) to the top (row 0), at the
    // curve's points 10, 25, 50, 75 of 200 across the width: the target's dashes start there.
    const auto row = [](double level) { return std::clamp(100 - int(100 * level), 2, 97); };
    for (const int i : {10, 25, 50, 75}) { // left of the buttons
        const int x = 200 * i / 199;
        const std::complex<double> z = std::polar(1.0, -std::numbers::pi * x / 200);
        EXPECT_GT(count(x, row(std::abs((1.0 + z) / (1.0 - 0.8 * z)) / 10.0), 2, BLUE), 0) << x;
        EXPECT_GT(count(x, row(std::abs(1.0 - z) / 2.0), 2, RED), 0) << x << ": the design's own";
    }
    using game::CListeningButtons;
    for (const auto& [button, lowpass] : {std::pair{CListeningButtons::ID_RIGHT_SOLUTION, true},
                                          {CListeningButtons::ID_PLAYER_SOLUTION, false}}) {
        PressButton(button);
        double low = 0.0, high = 0.0; // gains at 0 Hz and half the rate, for one impulse
        for (int n = 0; n < output.GetSampleCount(); ++n) {
            low += output.GetSamples()[n];
            high += (n % 2 == 0 ? 1.0 : -1.0) * output.GetSamples()[n];
        }
        EXPECT_GT(std::fabs(lowpass ? low : high), 100 * std::fabs(lowpass ? high : low));
        EXPECT_TRUE(output.IsPlaying());
    }
    EXPECT_EQ(sound.device->OpenCount(), 1) << "never started again";
    Do("z100,40 p100,40 d190,95/170,70/150,50");
    EXPECT_EQ(plot->GetZeros(), (std::vector<CPoint>{{90, 0}})) << "the design given stands";
    EXPECT_TRUE(plot->GetPoles().empty());
    sound.PlayOut(output);
    plot.reset();
}
