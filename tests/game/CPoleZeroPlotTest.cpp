#include "game/CPoleZeroPlot.h"
#include "PlotFixture.h"
#include "common/CTestSoundOutput.h"
#include "common/ReferenceFilter.h"
#include "platform/CButton.h"
#include "platform/CText.h"

#include <complex>
#include <numbers>

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
    std::vector<float> Numerator() const {
        return {plot->GetNumerator().begin(),
                plot->GetNumerator().begin() + plot->GetNumeratorCount()};
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
    EXPECT_EQ(plot->GetZeros().size(), 1u) << "the design given stands";
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
