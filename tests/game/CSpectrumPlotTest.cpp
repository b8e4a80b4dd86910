#include "game/CSpectrumPlot.h"
#include "PlotFixture.h"
#include "dsp/CSignal.h"
#include "dsp/CSinNoise.h"
#include "game/CGameContext.h"
#include "platform/CApplication.h"
#include "platform/CQtColor.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <QImage>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

using game::CSpectrumPlot;
using game::ERR_NONE;

namespace {

constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr COLORREF CURVE = RGB(90, 197, 99);
constexpr int BINS = 1025;

std::vector<float> Noise() {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> uniform(-0.5f, 0.5f);
    std::vector<float> samples(20000);
    for (float& s : samples)
        s = uniform(random);
    return samples;
}

class SpectrumPlotTest : public PlotFixture<CSpectrumPlot> {
protected:
    // A plot of the signal, 128 high, shown if asked.
    void Prepare(std::unique_ptr<dsp::CSignal> signal, int width, const std::string& scale = "",
                 bool show = false) {
        ReadAndPrepare(std::move(signal), "<spectrum example_from='5' width='" +
                                              std::to_string(width) + "' height='128' scale='" +
                                              scale + "'/>");
        if (show)
            Show();
    }
    const float* Power() const { return context.FindSignal(5)->GetSpectrum().GetPower(); }
    int RowOfBin(int bin) const {
        return CSpectrumPlot::RowOf(
            CSpectrumPlot::DisplayValue(Power()[bin], plot->IsLogarithmic()), 128);
    }
    const game::CColumnEnvelope& Envelope() const { return plot->GetEnvelope(); }
};

TEST_F(SpectrumPlotTest, ReadsTheScale) {
    const struct {
        std::string scale;
        bool log;
    } cases[] = {{"log", true}, {"LOG", false}, {"", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(Read("<spectrum example_from='5' scale='" + c.scale + "'/>"), ERR_NONE);
        EXPECT_EQ(plot->IsLogarithmic(), c.log) << c.scale;
    }
    EXPECT_EQ(plot->GetRect(), (CRect{0, 0, 256, 128}));
}

// 200 pixels show whole blocks of 5 bins; 512 pixels put bin i in column trunc(i x 512 / 1025).
TEST_F(SpectrumPlotTest, ColumnsOfBins) {
    const struct { int width, perColumn; } widths[] = {{200, 5}, {512, 2}};
    for (const auto& w : widths) {
        SCOPED_TRACE(w.width);
        Prepare(MakeSignal(Noise()), w.width);
        const game::CColumnEnvelope& envelope = Envelope();
        ASSERT_EQ(envelope.Width(), w.width);
        ASSERT_EQ(envelope.ValuesPerColumn(), w.perColumn);
        std::vector<int> top(w.width, 1000), bottom(w.width, -1000);
        for (int i = 0; i < (w.width == 200 ? 1000 : BINS); ++i) {
            const int column = w.width == 200 ? i / 5 : i * 512 / BINS;
            top[column] = std::min(top[column], RowOfBin(i));
            bottom[column] = std::max(bottom[column], RowOfBin(i));
        }
        EXPECT_EQ(envelope.TopRows(), top);
        EXPECT_EQ(envelope.BottomRows(), bottom);
    }
}

// 2000 pixels: the mean line alone, through every bin's own row.
TEST_F(SpectrumPlotTest, WidePlotsDrawTheMeanLineOnly) {
    Prepare(MakeSignal(Noise()), 2000, "log");
    ASSERT_EQ(Envelope().Width(), 2000);
    EXPECT_FALSE(Envelope().HasRange());
    for (int i = 0; i < BINS; ++i)
        ASSERT_EQ(Envelope().MeanRows()[i * 2000 / BINS], RowOfBin(i)) << "bin " << i;
}

// Log: the strongest bin at row 5 of 128, power 0 on the bottom edge. Linear: a quarter of
// the strongest power at half height.
TEST_F(SpectrumPlotTest, LevelsOnThePlot) {
    Prepare(MakeSignal(Noise()), 1025, "log");
    const std::vector<int>& top = Envelope().TopRows();
    const int strongest = static_cast<int>(std::max_element(Power(), Power() + BINS) - Power());
    EXPECT_EQ(top[strongest], 5);
    EXPECT_EQ(*std::min_element(top.begin(), top.end()), 5);

    for (const std::string scale : {"log", ""}) {
        Prepare(MakeSignal(std::vector<float>(8192, 0.0f)), 300, scale);
        EXPECT_EQ(Envelope().TopRows(), std::vector<int>(300, 128)) << scale;
    }

    std::vector<float> tones(40960);
    for (int i = 0; i < 40960; ++i)
        tones[i] = static_cast<float>(0.6 * std::sin(std::numbers::pi * 100 * i / 1024.0) +
                                      0.3 * std::sin(std::numbers::pi * 300 * i / 1024.0));
    Prepare(MakeSignal(tones), 1025);
    EXPECT_EQ(Envelope().TopRows()[100], 0);
    EXPECT_NEAR(Envelope().TopRows()[300], 64, 1);
}

// The curve on white, with each column's bar from its top row; painting computes nothing.
TEST_F(SpectrumPlotTest, PaintsTheCurve) {
    Prepare(MakeSignal(Noise()), 512, "log", true);
    const int* computed = Envelope().TopRows().data();
    const QImage picture = Grab();
    ASSERT_EQ(picture.size(), QSize(512, 128));
    EXPECT_EQ(Envelope().TopRows().data(), computed);
    for (int x = 0; x < 512; ++x) {
        for (int y = 0; y < 128; ++y) {
            const COLORREF pixel = CQtColor::FromRgb(picture.pixel(x, y));
            ASSERT_TRUE(pixel == WHITE || pixel == CURVE) << x << "," << y;
        }
        const int top = Envelope().TopRows()[x];
        if (top < Envelope().BottomRows()[x] && top < 128) {
            EXPECT_EQ(CQtColor::FromRgb(picture.pixel(x, top)), CURVE) << x;
        }
    }
}

// A resized plot maps the bins again.
TEST_F(SpectrumPlotTest, FollowsItsSize) {
    Prepare(MakeSignal(Noise()), 256, "log", true);
    plot->MoveWindow(CRect{0, 0, 300, 64});
    CApplication::ProcessMessages();
    EXPECT_EQ(Envelope().Width(), 300);
    EXPECT_EQ(*std::min_element(Envelope().TopRows().begin(), Envelope().TopRows().end()), 3);
}

// A changed signal is shown again.
TEST_F(SpectrumPlotTest, FollowsItsSignal) {
    Prepare(MakeSignal(std::vector<float>(8192, 0.0f)), 1025, "", true);
    EXPECT_EQ(Envelope().TopRows()[100], 128);
    ASSERT_TRUE(context.FindSignal(5)->ApplyNoise(
        dsp::CSinNoise(0.5f, static_cast<float>(2 * std::numbers::pi * 100 / 2048))));
    CApplication::ProcessMessagesFor(50);
    const int toneRow = Envelope().TopRows()[100];
    EXPECT_LE(toneRow, 1);
    EXPECT_EQ(CQtColor::FromRgb(Grab().pixel(100, toneRow)), CURVE);
}

} // namespace
