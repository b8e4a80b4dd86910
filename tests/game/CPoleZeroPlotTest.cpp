#include "game/CPoleZeroPlot.h"
#include "PlotFixture.h"
#include "common/CTestSoundOutput.h"
#include "common/ReferenceFilter.h"
#include "platform/CButton.h"
#include "platform/CText.h"

#include <complex>
#include <numbers>
#include <tuple>

using game::CPoleZeroPlot;
using game::ERR_NONE;

static constexpr COLORREF BLACK = RGB(0, 0, 0), RED = RGB(200, 0, 0), GREEN = RGB(90, 197, 99);

// The coefficients of prod (1 - r z^-1) over the roots, in double precision.
static std::vector<double> FromRoots(const std::vector<std::complex<double>>& roots) {
    std::vector<std::complex<double>> c{1.0};
    for (const auto& r : roots) {
        c.push_back(0.0);
        for (std::size_t k = c.size() - 1; k >= 1; --k)
            c[k] -= r * c[k - 1];
    }
    std::vector<double> real;
    for (const auto& v : c)
        real.push_back(v.real());
    return real;
}

class PoleZeroTest : public PlotFixture<CPoleZeroPlot> {
protected:
    // A 200 x 100 plot (radius 90, centre (100, 95)) of signal 5, shown.
    void SetUp() override {
        std::vector<float> samples(300);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<float>(std::sin(0.3 * i) + (i == 20 ? 0.8 : 0.0));
        ReadAndPrepare(MakeSignal(samples), "<polezero id='7' example_from='5' width='200' "
                                            "height='100'/>");
        Show();
    }
    void Zero(int x, int y) { QTest::mouseClick(plot->Widget(), Qt::LeftButton, {}, {x, y}); }
    void Pole(int x, int y) { QTest::mouseClick(plot->Widget(), Qt::RightButton, {}, {x, y}); }
    // A left press at the first point, moves through the others as the event loop delivers
    // them, and the release at the last one.
    void Press(CPoint at) { QTest::mousePress(plot->Widget(), Qt::LeftButton, {}, {at.x, at.y}); }
    void MoveTo(CPoint at) {
        QTest::mouseMove(plot->Widget(), {at.x, at.y});
        CApplication::ProcessMessages();
    }
    void Release(CPoint at) {
        QTest::mouseRelease(plot->Widget(), Qt::LeftButton, {}, {at.x, at.y});
    }
    void Drag(const std::vector<CPoint>& path) {
        Press(path.front());
        for (const CPoint at : path)
            MoveTo(at);
        Release(path.back());
    }
    std::vector<float> Numerator() const {
        return {plot->GetNumerator().begin(),
                plot->GetNumerator().begin() + plot->GetNumeratorCount()};
    }
    std::vector<float> Denominator() const {
        return {plot->GetDenominator().begin(),
                plot->GetDenominator().begin() + plot->GetDenominatorCount()};
    }
};

TEST_F(PoleZeroTest, RealZeroSnapsAndIsNormalised) {
    ASSERT_EQ(plot->GetRadius(), 90);
    ASSERT_EQ(plot->GetCentre(), (CPoint{100, 95}));
    Zero(100 + 45, 95 - 3);
    ASSERT_EQ(plot->GetZeros().size(), 1u);
    EXPECT_EQ(plot->GetZeros()[0], (CPoint{45, 0})) << "moved onto the axis";
    // 1 - 0.5 z^-1 has its largest gain 1.5 at half the sample rate.
    ASSERT_EQ(Numerator().size(), 2u);
    EXPECT_NEAR(Numerator()[0], 1 / 1.5, 1e-6);
    EXPECT_NEAR(Numerator()[1], -0.5 / 1.5, 1e-6);
    EXPECT_EQ(plot->GetFilter().GetNumerator()[1], Numerator()[1]);
}

TEST_F(PoleZeroTest, ClicksAddAndRemoveRoots) {
    Zero(130, 55); // 40 above the axis: a conjugate pair
    EXPECT_EQ(plot->GetNumeratorCount(), 3);
    Zero(133, 57); // within 4 pixels: removed
    EXPECT_EQ(plot->GetNumeratorCount(), 1);
    EXPECT_EQ(plot->GetFilter().GetNumeratorCount(), 1) << "the filter follows a removal";
    EXPECT_TRUE(plot->GetZeros().empty());
    EXPECT_FLOAT_EQ(Numerator()[0], 1.0f);

    // Two close zeros: a click near both removes the one placed first.
    Zero(60, 40);
    Zero(66, 40);
    Zero(63, 40);
    ASSERT_EQ(plot->GetZeros().size(), 1u);
    EXPECT_EQ(plot->GetZeros()[0], (CPoint{-34, -55}));

    // Up to 18 coefficients a pair is accepted; from 19 on every new root is ignored.
    for (int i = 0; plot->GetNumeratorCount() < 18; ++i)
        Zero(10 + 20 * (i % 9), 20 + 25 * (i / 9));
    ASSERT_EQ(plot->GetNumeratorCount(), 19) << "pairs from 3: 3, 5, ... 19";
    const auto before = plot->GetZeros();
    Zero(190, 90);
    EXPECT_EQ(plot->GetZeros(), before);
    // A removal from 19 still works, and then a pair fits again: 17 + 2.
    Zero(66, 40);
    EXPECT_EQ(plot->GetNumeratorCount(), 17);
    Zero(195, 93 - 40);
    Zero(195, 10);
    EXPECT_EQ(plot->GetNumeratorCount(), 19);
    for (int i = 0; i < 8; ++i)
        Pole(5 + 20 * i, 30);
    EXPECT_EQ(plot->GetDenominatorCount(), 17);
    Pole(190, 93);
    EXPECT_EQ(plot->GetDenominatorCount(), 18);
    Pole(180, 10);
    EXPECT_EQ(plot->GetDenominatorCount(), 20) << "a pair fits at 18";
    Pole(170, 94);
    EXPECT_EQ(plot->GetDenominatorCount(), 20) << "full";
}

// The polynomials are the products of the placed roots, the numerator scaled to a peak gain of
// 1, and the output is the input through them, checked in double precision.
TEST_F(PoleZeroTest, OutputFollowsEveryClick) {
    Zero(82, 14);  // -0.2 + 0.9i
    Pole(163, 50); // 0.7 + 0.5i
    const std::complex<double> z0(-18 / 90.0, -81 / 90.0), p0(63 / 90.0, -45 / 90.0);
    const std::vector<double> a = FromRoots({p0, std::conj(p0)});
    const std::vector<double> zeros = FromRoots({z0, std::conj(z0)});
    const std::vector<float> numerator = Numerator();
    const std::vector<double> b(numerator.begin(), numerator.end());
    ASSERT_EQ(b.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(plot->GetDenominator()[k], a[k], 1e-6) << k;
        EXPECT_NEAR(b[k] / b[0], zeros[k], 1e-5) << k;
    }
    double largest = 0.0; // the peak over the test frequencies j / 49 of pi is scaled to 1
    for (int j = 0; j < 50; ++j) {
        const double w = std::round(j / 49.0 * 1e4) / 1e4 * std::numbers::pi;
        std::complex<double> A, B;
        for (int k = 0; k < 3; ++k)
            A += a[k] * std::polar(1.0, -w * k), B += b[k] * std::polar(1.0, -w * k);
        largest = std::max(largest, std::norm(B) / std::norm(A));
    }
    EXPECT_NEAR(largest, 1.0, 1e-4);
    const dsp::CSignal& input = *plot->GetInput();
    const std::vector<double> y =
        ReferenceFilter(a, b, std::vector<float>(input.GetSamples(), input.GetSamples() + 300));
    for (int n = 0; n < 300; ++n)
        ASSERT_NEAR(plot->GetOutput()->GetSamples()[n], y[n], 1e-4 * (1 + std::fabs(y[n]))) << n;
}

// A dragged root takes the pointer's place while the button is held, the filter heard with it;
// near the axis it snaps onto it, and the release neither adds nor removes a root. A press that
// moves no more than 3 pixels is a click.
TEST_F(PoleZeroTest, DraggedRootsCarryTheFilterWithThem) {
    const struct {
        CPoint pole;                // placed first with a right click unless (0, 0)
        std::vector<CPoint> zeros;  // placed first with left clicks
        std::vector<CPoint> path;   // press, moves, release
        std::vector<CPoint> placed; // the zeros (or the pole) afterwards, from the centre
    } cases[] = {
        {{}, {{130, 55}}, {{131, 56}, {140, 50}, {150, 45}}, {{50, -50}}},
        {{}, {{130, 55}}, {{130, 55}, {135, 70}, {140, 92}}, {{40, 0}}},   // snaps onto the axis
        {{}, {{145, 95}}, {{145, 95}, {145, 80}, {145, 60}}, {{45, -35}}}, // off the axis: a pair
        {{}, {{130, 55}, {60, 40}}, {{60, 40}, {50, 30}, {40, 20}}, {{30, -40}, {-60, -75}}},
        {{160, 50}, {}, {{160, 50}, {140, 40}, {120, 30}}, {{20, -65}}}, // a pole, dragged left
        {{}, {{130, 55}}, {{130, 55}, {132, 57}}, {}}, // a click: removes the zero
    };
    for (const auto& c : cases) {
        plot.reset();
        SetUp();
        if (c.pole != CPoint{})
            Pole(c.pole.x, c.pole.y);
        for (const CPoint zero : c.zeros)
            Zero(zero.x, zero.y);
        const auto expect = [&](const char* when) {
            const bool pole = c.pole != CPoint{};
            EXPECT_EQ(pole ? plot->GetPoles() : plot->GetZeros(), c.placed) << when;
            std::vector<std::complex<double>> roots;
            for (const CPoint p : c.placed) {
                roots.push_back({p.x / 90.0, -p.y / 90.0});
                if (p.y != 0)
                    roots.push_back({p.x / 90.0, p.y / 90.0});
            }
            const std::vector<double> wanted = FromRoots(roots);
            const std::vector<float> got = pole ? Denominator() : Numerator();
            ASSERT_EQ(got.size(), wanted.size()) << when;
            for (std::size_t k = 0; k < got.size(); ++k)
                EXPECT_NEAR(got[k] / got[0], wanted[k], 1e-5) << when << " " << k;
            const float* heard =
                pole ? plot->GetFilter().GetDenominator() : plot->GetFilter().GetNumerator();
            EXPECT_EQ(std::vector<float>(heard, heard + got.size()), got)
                << when << ": the filter heard is the one drawn";
        };
        Press(c.path.front());
        for (const CPoint at : c.path)
            MoveTo(at);
        if (c.path.size() > 2)
            expect("button held");
        Release(c.path.back());
        CApplication::ProcessMessages();
        expect("released");
    }
}

// Ctrl+Z takes back clicks and whole drags one at a time, to the very coefficients and output
// the design had before.
TEST_F(PoleZeroTest, UndoRestoresTheDesignExactly) {
    struct Step {
        char kind; // 'z' zero click, 'p' pole click, 'd' drag along path
        std::vector<CPoint> path;
    };
    const Step zero{'z', {{130, 55}}}, pole{'p', {{160, 50}}}, removal{'z', {{132, 57}}},
        drag{'d', {{130, 55}, {140, 50}, {150, 45}, {150, 90}}}, real{'z', {{60, 95}}};
    const struct {
        std::vector<Step> steps;
        int undos;
    } cases[] = {
        {{zero}, 1},
        {{zero, pole, removal}, 1},
        {{real, zero, drag}, 1}, // the whole drag at once
        {{zero, drag, pole}, 2},
        {{zero, pole, real}, 3},
        {{zero}, 2}, // nothing left to take back
    };
    using Design = std::tuple<std::vector<float>, std::vector<float>, std::vector<float>,
                              std::vector<float>, std::vector<float>>;
    const auto design = [this] {
        const dsp::CFilter& f = plot->GetFilter();
        const float* out = plot->GetOutput()->GetSamples();
        return Design{Numerator(),
                      Denominator(),
                      {f.GetNumerator(), f.GetNumerator() + f.GetNumeratorCount()},
                      {f.GetDenominator(), f.GetDenominator() + f.GetDenominatorCount()},
                      {out, out + plot->GetOutput()->GetSampleCount()}};
    };
    for (const auto& c : cases) {
        plot.reset();
        SetUp();
        std::vector<Design> designs{design()};
        for (const Step& step : c.steps) {
            const CPoint at = step.path.front();
            step.kind == 'd'   ? Drag(step.path)
            : step.kind == 'z' ? Zero(at.x, at.y)
                               : Pole(at.x, at.y);
            designs.push_back(design());
        }
        ASSERT_NE(designs.back(), designs.front());
        for (int i = 0; i < c.undos; ++i)
            QTest::keyClick(plot->Widget(), Qt::Key_Z, Qt::ControlModifier);
        const std::size_t back = std::max<int>(0, static_cast<int>(c.steps.size()) - c.undos);
        EXPECT_TRUE(design() == designs[back]) << c.steps.size() << " steps, " << c.undos;
    }
    EXPECT_TRUE(plot->HasFocus()) << "a click gives the plot the keys";
}

// A double click arrives as press, release, double click, release: it counts as one click.
TEST_F(PoleZeroTest, DoubleClickIsOneClick) {
    const auto doubleClick = [this](CPoint at) {
        QTest::mouseClick(plot->Widget(), Qt::LeftButton, {}, {at.x, at.y});
        QTest::mouseDClick(plot->Widget(), Qt::LeftButton, {}, {at.x, at.y});
        QTest::mouseRelease(plot->Widget(), Qt::LeftButton, {}, {at.x, at.y});
    };
    const struct {
        std::vector<CPoint> before; // zeros clicked first
        CPoint twice;
        std::vector<CPoint> after; // clicked once more
        std::size_t zeros;
    } cases[] = {
        {{}, {130, 55}, {}, 1},
        {{{130, 55}}, {131, 56}, {}, 0},
        {{}, {130, 55}, {{60, 40}}, 2}, // a click after it is a click again
    };
    for (const auto& c : cases) {
        plot.reset();
        SetUp();
        for (const CPoint at : c.before)
            Zero(at.x, at.y);
        doubleClick(c.twice);
        for (const CPoint at : c.after)
            Zero(at.x, at.y);
        EXPECT_EQ(plot->GetZeros().size(), c.zeros) << c.twice.x;
    }
}

TEST_F(PoleZeroTest, SizeChangeKeepsPixelOffsets) {
    Zero(100 + 45, 95); // real zero 0.5 with radius 90
    const std::vector<float> before = Numerator();
    plot->MoveWindow(CRect{0, 0, 400, 200});
    CApplication::ProcessMessages();
    EXPECT_EQ(plot->GetRadius(), 180);
    EXPECT_EQ(plot->GetCentre(), (CPoint{200, 195}));
    EXPECT_EQ(plot->GetZeros()[0], (CPoint{45, 0}));
    EXPECT_EQ(Numerator(), before) << "polynomials are not rebuilt";
    // A new real zero 90 pixels right of the new centre is 0.5, multiplied into the old one.
    Zero(200 + 90, 195);
    const double g = Numerator()[0];
    EXPECT_NEAR(Numerator()[1] / g, -(0.5 + 0.5), 1e-5);
    EXPECT_NEAR(Numerator()[2] / g, 0.25, 1e-5);
    // A removal rebuilds from the stored offsets with the new radius: 45 px is now 0.25.
    Zero(200 + 90, 195);
    EXPECT_NEAR(Numerator()[1] / Numerator()[0], -0.25, 1e-5);
}

// True when the colour is within one pixel of (x, y).
static bool Near(const QImage& image, int x, int y, COLORREF colour) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (PixelOf(image, x + dx, y + dy) == colour)
                return true;
    return false;
}

TEST_F(PoleZeroTest, PaintsAxesCircleAndMarkers) {
    Zero(100 - 45, 95 - 30);
    Pole(100 + 30, 95 - 60);
    const QImage image = Grab();
    EXPECT_EQ(PixelOf(image, 20, 95), BLACK) << "real axis";
    EXPECT_EQ(PixelOf(image, 100, 20), BLACK) << "imaginary axis";
    EXPECT_TRUE(Near(image, 100 + 64, 95 - 64, BLACK)) << "unit circle at 45 degrees";
    EXPECT_TRUE(Near(image, 100 - 64, 95 - 64, BLACK)) << "unit circle at 135 degrees";
    EXPECT_NE(PixelOf(image, 100 + 45, 95 - 45), BLACK) << "inside the circle";
    EXPECT_EQ(PixelOf(image, 100 + 30 - 3, 95 - 60 - 3), RED) << "cross";
    EXPECT_EQ(PixelOf(image, 100 + 30 + 3, 95 - 60 - 3), RED) << "cross";
    EXPECT_NE(PixelOf(image, 100 + 30, 95 - 60 - 3), RED) << "not a plus";
    EXPECT_EQ(PixelOf(image, 100 + 30 + 4, 95 - 60 + 4), RED) << "5 pixels each way";
    EXPECT_NE(PixelOf(image, 100 + 30 + 6, 95 - 60 + 6), RED) << "and no further";
    EXPECT_TRUE(Near(image, 100 - 45 + 5, 95 - 30, GREEN)) << "circle";
    EXPECT_TRUE(Near(image, 100 - 45, 95 - 30 - 5, GREEN)) << "circle";
    EXPECT_NE(PixelOf(image, 100 - 45, 95 - 30), GREEN) << "hollow";
}

// Zeros at -1, +1 and i are drawn whole, as many ring pixels as one inside the plot, also where
// the plot is so wide or so flat that the circle would touch the border.
TEST_F(PoleZeroTest, MarkersOnTheCircleAreDrawnWhole) {
    for (const CSize size : {CSize{180, 100}, CSize{200, 110}, CSize{300, 60}}) {
        plot.reset();
        ReadAndPrepare(MakeSignal(std::vector<float>(300, 0.5f)),
                       "<polezero id='7' example_from='5' width='" + std::to_string(size.cx) +
                           "' height='" + std::to_string(size.cy) + "'/>");
        Show();
        const CPoint c = plot->GetCentre();
        const int r = plot->GetRadius();
        const CPoint inside{c.x - r / 2, c.y - r / 2};
        for (const CPoint at :
             {CPoint{c.x - r, c.y}, CPoint{c.x + r, c.y}, CPoint{c.x, c.y - r}, inside})
            Zero(at.x, at.y);
        ASSERT_EQ(plot->GetZeros().size(), 4u) << size.cx;
        const QImage image = Grab();
        const auto ring = [&](CPoint at) {
            return Count(image.copy(at.x - 6, at.y - 6, 13, 13), GREEN);
        };
        for (const CPoint at : {CPoint{c.x - r, c.y}, CPoint{c.x + r, c.y}, CPoint{c.x, c.y - r}})
            EXPECT_EQ(ring(at), ring(inside))
                << size.cx << "x" << size.cy << " at " << at.x << "," << at.y;
    }
}

// In a plot a few pixels high, roots far out overflow a polynomial: zeros are rebuilt within
// float after a removal (the numerator is normalised anyway), a pole that would overflow the
// denominator is refused, so the filter heard stays the one drawn and the plot says why.
TEST_F(PoleZeroTest, RootsFarOutNeverLeaveAPassThrough) {
    for (const int height : {2, 20}) { // radius 1 and 18
        plot.reset();
        ReadAndPrepare(MakeSignal(std::vector<float>(300, 0.5f)),
                       "<polezero id='7' example_from='5' width='1000' height='" +
                           std::to_string(height) + "'/>");
        Show();
        for (int i = 0; i < 16; ++i)
            Zero(995 - 6 * i, height - 1); // on the axis, 405 to 495 pixels right of the centre
        Zero(995, height - 1);             // removes the first
        ASSERT_EQ(plot->GetZeros().size(), 15u) << height;
        ASSERT_EQ(plot->GetFilter().GetNumeratorCount(), 16) << height;
        double largest = 0.0;
        for (int j = 0; j < 50; ++j) {
            const double w = std::round(j / 49.0 * 1e4) / 1e4 * std::numbers::pi;
            std::complex<double> b;
            for (int k = 0; k < 16; ++k)
                b += static_cast<double>(plot->GetFilter().GetNumerator()[k]) *
                     std::polar(1.0, -w * k);
            largest = std::max(largest, std::norm(b));
        }
        EXPECT_NEAR(largest, 1.0, 0.01) << height << ": normalised";
        for (int i = 0; i < 18; ++i)
            Pole(995 - 6 * i, height - 1);
        const int poles = static_cast<int>(plot->GetPoles().size());
        EXPECT_LT(poles, 18) << height;
        EXPECT_EQ(plot->GetFilter().GetDenominatorCount(), poles + 1) << height;
        EXPECT_EQ(plot->GetFilter().GetNumeratorCount(), 16) << height;
    }
    const QImage image = Grab(); // the 20 pixels high plot has room for the reason
    int written = 0;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 300; ++x)
            written += PixelOf(image, x, y) != RGB(255, 255, 255);
    EXPECT_GT(written, 30);
}

namespace {

using game::CListeningButtons;

// The target of the lowpass exercise: a zero at z = -1 and a pole at z = 0.8, which lie at
// pixels 10 and 172 on the axis of the 200 x 100 plot.
const std::string LOWPASS = "<target zeros='-1' poles='0.8'/>";

class PoleZeroTargetTest : public PoleZeroTest {
protected:
    // A fresh plot of the same signal with the given children.
    int Remake(const std::string& children, const std::string& attributes = "points='2'") {
        plot.reset();
        const int result = Read("<polezero id='7' example_from='5' width='200' height='100' " +
                                attributes + ">" + children + "</polezero>");
        if (result == ERR_NONE) {
            EXPECT_EQ(plot->Prepare(), ERR_NONE);
            Show();
        }
        return result;
    }
    void Press(UINT button) {
        auto* pressed = dynamic_cast<CButton*>(plot->GetDlgItem(button));
        ASSERT_NE(pressed, nullptr);
        pressed->Click();
        CApplication::ProcessMessages();
    }
    // The output's gain at 0 Hz and at half the sampling rate, from the sums of its samples,
    // for an input that is one impulse.
    std::pair<double, double> LowAndHigh() const {
        const dsp::CSignal& output = *plot->GetOutput();
        double low = 0.0, high = 0.0;
        for (int n = 0; n < output.GetSampleCount(); ++n) {
            low += output.GetSamples()[n];
            high += (n % 2 == 0 ? 1.0 : -1.0) * output.GetSamples()[n];
        }
        return {std::fabs(low), std::fabs(high)};
    }
};

// The design scores when its response is close to the target's; without a target the points
// stand as written; a target the game could not use refuses the slide and says why.
TEST_F(PoleZeroTargetTest, ScoresADesignCloseToTheTargetAndRefusesBrokenTargets) {
    const struct {
        std::string target;
        std::vector<std::pair<CPoint, bool>> roots; // where, and whether a pole
        int points;
    } designs[] = {
        {LOWPASS, {{{10, 95}, false}, {{172, 95}, true}}, 2},
        {LOWPASS, {{{10, 95}, false}, {{170, 95}, true}}, 2}, // 0.78 instead of 0.8
        {LOWPASS, {{{10, 95}, false}, {{28, 95}, true}}, 0},  // the pole mirrored: flat
        {LOWPASS, {{{190, 95}, false}, {{28, 95}, true}}, 0}, // the highpass
        {LOWPASS, {}, 0},                                     // nothing placed
        {"<target zeros='1@90' tolerance_db='1'/>", {{{100, 5}, false}}, 2},
        {"<target zeros='1@90' tolerance_db='1'/>", {{{100, 30}, false}}, 0},
        {"", {}, 2},
    };
    for (const auto& d : designs) {
        ASSERT_EQ(Remake(d.target), ERR_NONE) << d.target;
        for (const auto& [where, pole] : d.roots)
            pole ? Pole(where.x, where.y) : Zero(where.x, where.y);
        EXPECT_EQ(plot->GetPoints(), d.points)
            << d.target << " " << d.roots.size() << " roots, " << plot->Deviation() << " dB off";
        EXPECT_EQ(plot->GetMaxPoints(), 2);
    }
    const struct {
        std::string target;
        const wchar_t* reason;
    } broken[] = {
        {"<target zeros='abc'/>", L"„abc“"},
        {"<target poles='3'/>", L"„3“"},
        {"<target poles='0.9@200'/>", L"„0.9@200“"},
        {"<target zeros='-1' tolerance_db='-1'/>", L"Toleranz „-1“"},
        {"<target zeros='-1' tolerance_db='nan'/>", L"Toleranz „nan“"},
        {"<target/>", L"weder Nullstellen noch Pole"},
        {"<target zeros='1@10 1@20 1@30 1@40 1@50 1@60 1@70 1@80 1@90 1@100'/>", L"mehr"},
    };
    for (const auto& b : broken) {
        game::CGameContext fresh; // the first failure of a slide is the one it keeps
        fresh.SetSignal(5, MakeSignal(std::vector<float>(300, 0.1f)));
        tinyxml2::XMLDocument xml;
        xml.Parse(("<polezero id='7' example_from='5'>" + b.target + "</polezero>").c_str());
        CRect area{0, 0, 200, 100};
        EXPECT_EQ(CPoleZeroPlot(&fresh).ReadXml(*xml.RootElement(), area, WS_CHILD),
                  game::ERR_UNKNOWN_ELEMENT)
            << b.target;
        EXPECT_EQ(fresh.FailedElement(), 7) << b.target;
        EXPECT_NE(fresh.FailureReason().find(b.reason), std::wstring::npos)
            << b.target << ": " << CText::ToNarrow(fresh.FailureReason());
        EXPECT_NE(fresh.FailureReason().find(L"Zeile 1"), std::wstring::npos);
    }
}

// Once evaluated, and only then, the target's roots appear where they belong (upright
// crosses for its poles, rings for its zeros) and its response is drawn dashed over the
// player's, both on the rows the filter plots use; the player's design stays as it was given.
TEST_F(PoleZeroTargetTest, ShowsTheTargetsRootsOnlyOnceEvaluated) {
    ASSERT_EQ(Remake(LOWPASS), ERR_NONE);
    Zero(190, 95);
    const auto blueNear = [&](int x, int y) {
        return Count(Grab().copy(x - 9, y - 9, 19, 19), RGB(0, 0, 255));
    };
    EXPECT_EQ(blueNear(10, 95) + blueNear(172, 95), 0) << "nothing before evaluation";
    plot->RevealAnswer();
    EXPECT_GT(blueNear(10, 95), 10) << "the zero at -1";
    EXPECT_GT(blueNear(172, 95), 10) << "the pole at 0.8";
    // |H| scaled to its peak, from the bottom edge (row 100) to the top (row 0), at the
    // curve's points 10, 25, 50, 75 of 200 across the width: the target's dashes start there.
    const QImage image = Grab();
    const auto near = [&](int x, double level, COLORREF colour) {
        const int y = std::clamp(100 - static_cast<int>(100 * level), 2, 97);
        return Count(image.copy(std::max(0, x - 2), y - 2, 5, 5), colour) > 0;
    };
    for (const int i : {10, 25, 50, 75}) { // left of the buttons
        const int x = 200 * i / 199;
        const std::complex<double> z = std::polar(1.0, -std::numbers::pi * x / 200);
        EXPECT_TRUE(near(x, std::abs((1.0 + z) / (1.0 - 0.8 * z)) / 10.0, RGB(0, 0, 255))) << x;
        EXPECT_TRUE(near(x, std::abs(1.0 - z) / 2.0, RED)) << x << ": the design's own";
    }
    Zero(100, 40);
    Drag({{190, 95}, {170, 70}, {150, 50}});
    const std::vector<CPoint> given{{90, 0}};
    EXPECT_EQ(plot->GetZeros(), given) << "the design given stands";
}

// The player hears the own highpass and the target's lowpass in turn, while the output plays.
TEST_F(PoleZeroTargetTest, BothDesignsCanBeHeardDuringPlayback) {
    const auto device = std::make_shared<CTestSoundOutput::Device>();
    const CSoundOutput::Factory previous = CTestSoundOutput::Install(device);
    plot.reset();
    std::vector<float> impulse(300);
    impulse[20] = 0.8f;
    context.SetSignal(5, MakeSignal(impulse));
    ASSERT_EQ(Remake(LOWPASS), ERR_NONE);
    Zero(190, 95);
    Pole(28, 95);
    dsp::CSignal& output = *plot->GetOutput();
    ASSERT_TRUE(output.Play());
    plot->RevealAnswer();
    for (const auto& [button, lowpass] : {std::pair{CListeningButtons::ID_RIGHT_SOLUTION, true},
                                          {CListeningButtons::ID_PLAYER_SOLUTION, false}}) {
        Press(button);
        const auto [low, high] = LowAndHigh();
        EXPECT_GT(lowpass ? low : high, 100 * (lowpass ? high : low)) << button;
        EXPECT_TRUE(output.IsPlaying());
    }
    EXPECT_EQ(device->OpenCount(), 1) << "never started again";
    while (output.IsPlaying())
        device->FinishNext(std::chrono::milliseconds(20));
    plot.reset();
    CSoundOutput::SetFactory(previous);
}

} // namespace
