#include "game/CSpectrumPlot.h"
#include "PlotFixture.h"

#include <tuple>

using game::CSpectrumPlot;

static constexpr COLORREF CURVE = RGB(90, 197, 99);
static constexpr int BINS = 1025;

// 0.6 of a tone exactly on bin 100 and the given amplitude of one on bin 300.
static std::vector<float> Tones(double third) {
    std::vector<float> tones(40960);
    for (int i = 0; i < 40960; ++i)
        tones[i] = static_cast<float>(0.6 * std::sin(std::numbers::pi * 100 * i / 1024.0) +
                                      third * std::sin(std::numbers::pi * 300 * i / 1024.0));
    return tones;
}

class SpectrumPlotTest : public PlotFixture<CSpectrumPlot> {
protected:
    // A plot of the signal (noise if none), 128 high, shown if asked.
    void Prepare(int width, const std::string& scale, bool show = false,
                 std::unique_ptr<dsp::CSignal> signal = MakeSignal(Noise(20000, 7))) {
        ReadAndPrepare(std::move(signal), "<spectrum example_from='5' width='" +
                                              std::to_string(width) + "' height='128' scale='" +
                                              scale + "'/>");
        if (show)
            Show();
    }
    const float* Power() const { return context.FindSignal(5)->GetSpectrum().GetPower(); }
    const game::CColumnEnvelope& Envelope() const { return plot->GetEnvelope(); }
};

// "log" alone is logarithmic; a cell is 256 x 128 unless told and tells the table its extent.
TEST_F(SpectrumPlotTest, ReadsTheScaleAndReportsItsExtent) {
    for (const auto& [scale, log] : {std::pair{"log", true}, {"LOG", false}, {"", false}}) {
        EXPECT_EQ(Read(std::string("<spectrum example_from='5' scale='") + scale + "'/>"),
                  game::ERR_NONE);
        EXPECT_EQ(plot->IsLogarithmic(), log) << scale;
        EXPECT_EQ(plot->GetRect(), (CRect{0, 0, 256, 128}));
    }
    tinyxml2::XMLDocument xml;
    xml.Parse("<spectrum example_from='5' width='300' height='90'/>");
    CRect area{20, 30, 999, 999};
    ASSERT_EQ(CSpectrumPlot(&context).ReadXml(*xml.RootElement(), area, WS_CHILD), game::ERR_NONE);
    EXPECT_EQ(area, (CRect{20, 30, 320, 120}));
}

// Linear: a quarter of the power at half height. Levels below the plot (silence, or under the
// log floor) run along the bottom row, not under it.
TEST_F(SpectrumPlotTest, LevelsOnThePlotAndBelowItsRange) {
    Prepare(1025, "", false, MakeSignal(Tones(0.3)));
    EXPECT_EQ(Envelope().TopRows()[100], 0);
    EXPECT_NEAR(Envelope().TopRows()[300], 64, 1);
    const std::vector<float> silence(8192, 0.0f);
    // The scale, the samples and the first column that must show the bottom row.
    const std::tuple<std::string, std::vector<float>, int> cases[] = {
        {"", silence, 0}, {"log", silence, 0}, {"log", Tones(0), 100}, {"", Tones(0), 100}};
    for (const auto& [scale, samples, from] : cases) {
        Prepare(512, scale, true, MakeSignal(samples));
        const QImage image = Grab();
        for (int x = from; x < 511; ++x)
            ASSERT_EQ(PixelOf(image, x, 127), CURVE) << scale << " column " << x;
        if (from == 0) {
            EXPECT_EQ(Envelope().TopRows(), std::vector<int>(512, 127)) << scale;
        }
        plot.reset();
    }
}

// Every one of the 1025 bins stands in its column, trunc(i x 512 / 1025), at its own row, the
// strongest at row 5 of 128 on the log scale; the curve on white, with each column's bar from
// its top row; painting computes nothing, and a resized plot maps the bins again.
TEST_F(SpectrumPlotTest, EveryBinIsPaintedInItsColumn) {
    Prepare(512, "log", true);
    std::vector<int> top(512, 1000), bottom(512, -1000);
    for (int i = 0; i < BINS; ++i) {
        const int row = CSpectrumPlot::RowOf(CSpectrumPlot::DisplayValue(Power()[i], true), 128);
        top[i * 512 / BINS] = std::min(top[i * 512 / BINS], row);
        bottom[i * 512 / BINS] = std::max(bottom[i * 512 / BINS], row);
    }
    EXPECT_EQ(Envelope().TopRows(), top);
    EXPECT_EQ(Envelope().BottomRows(), bottom);
    const int strongest = static_cast<int>(std::max_element(Power(), Power() + BINS) - Power());
    EXPECT_EQ(top[strongest * 512 / BINS], 5);
    EXPECT_EQ(*std::min_element(top.begin(), top.end()), 5);
    const int* computed = Envelope().TopRows().data();
    const QImage picture = Grab();
    ASSERT_EQ(picture.size(), QSize(512, 128));
    EXPECT_EQ(Envelope().TopRows().data(), computed);
    for (int x = 0; x < 512; ++x) {
        for (int y = 0; y < 128; ++y) {
            const COLORREF pixel = PixelOf(picture, x, y);
            ASSERT_TRUE(pixel == RGB(255, 255, 255) || pixel == CURVE) << x << "," << y;
        }
        if (top[x] < bottom[x] && top[x] < 128) {
            EXPECT_EQ(PixelOf(picture, x, top[x]), CURVE) << x;
        }
    }
    for (const int width : {300, 200}) { // lower and narrower, then only narrower
        plot->MoveWindow(CRect{0, 0, width, 64});
        CApplication::ProcessMessages();
        EXPECT_EQ(Envelope().Width(), width);
        EXPECT_EQ(*std::min_element(Envelope().TopRows().begin(), Envelope().TopRows().end()), 3);
    }
}
