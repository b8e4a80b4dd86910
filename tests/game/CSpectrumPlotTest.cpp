#include "game/CSpectrumPlot.h"
#include "PlotFixture.h"

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
    int RowOfBin(int bin) const {
        return CSpectrumPlot::RowOf(
            CSpectrumPlot::DisplayValue(Power()[bin], plot->IsLogarithmic()), 128);
    }
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

// Every one of the 1025 bins stands in its column, trunc(i x 512 / 1025), at its own row.
TEST_F(SpectrumPlotTest, EveryBinStandsInItsColumn) {
    Prepare(512, "log");
    std::vector<int> top(512, 1000), bottom(512, -1000);
    for (int i = 0; i < BINS; ++i) {
        top[i * 512 / BINS] = std::min(top[i * 512 / BINS], RowOfBin(i));
        bottom[i * 512 / BINS] = std::max(bottom[i * 512 / BINS], RowOfBin(i));
    }
    EXPECT_EQ(Envelope().TopRows(), top);
    EXPECT_EQ(Envelope().BottomRows(), bottom);
}

// Log: the strongest bin at row 5 of 128; linear: a quarter of the power at half height. Levels
// below the plot (silence, or under the log floor) run along the bottom row, not under it.
TEST_F(SpectrumPlotTest, LevelsOnThePlotAndBelowItsRange) {
    Prepare(1025, "log");
    const int strongest = static_cast<int>(std::max_element(Power(), Power() + BINS) - Power());
    EXPECT_EQ(Envelope().TopRows()[strongest], 5);
    EXPECT_EQ(*std::min_element(Envelope().TopRows().begin(), Envelope().TopRows().end()), 5);
    Prepare(1025, "", false, MakeSignal(Tones(0.3)));
    EXPECT_EQ(Envelope().TopRows()[100], 0);
    EXPECT_NEAR(Envelope().TopRows()[300], 64, 1);
    const std::vector<float> silence(8192, 0.0f);
    const struct {
        std::string scale;
        std::vector<float> samples;
        int from; // the first column that must show the bottom row
    } cases[] = {{"", silence, 0}, {"log", silence, 0}, {"log", Tones(0), 100}, {"", Tones(0), 100}};
    for (const auto& c : cases) {
        Prepare(512, c.scale, true, MakeSignal(c.samples));
        const QImage image = Grab();
        for (int x = c.from; x < 511; ++x)
            ASSERT_EQ(PixelOf(image, x, 127), CURVE) << c.scale << " column " << x;
        if (c.from == 0) {
            EXPECT_EQ(Envelope().TopRows(), std::vector<int>(512, 127)) << c.scale;
        }
        plot.reset();
    }
}

// The curve on white, with each column's bar from its top row; painting computes nothing.
TEST_F(SpectrumPlotTest, PaintsTheCurve) {
    Prepare(512, "log", true);
    const int* computed = Envelope().TopRows().data();
    const QImage picture = Grab();
    ASSERT_EQ(picture.size(), QSize(512, 128));
    EXPECT_EQ(Envelope().TopRows().data(), computed);
    for (int x = 0; x < 512; ++x) {
        for (int y = 0; y < 128; ++y) {
            const COLORREF pixel = PixelOf(picture, x, y);
            ASSERT_TRUE(pixel == RGB(255, 255, 255) || pixel == CURVE) << x << "," << y;
        }
        const int top = Envelope().TopRows()[x];
        if (top < Envelope().BottomRows()[x] && top < 128) {
            EXPECT_EQ(PixelOf(picture, x, top), CURVE) << x;
        }
    }
    // A resized plot maps the bins again.
    plot->MoveWindow(CRect{0, 0, 300, 64});
    CApplication::ProcessMessages();
    EXPECT_EQ(Envelope().Width(), 300);
    EXPECT_EQ(*std::min_element(Envelope().TopRows().begin(), Envelope().TopRows().end()), 3);
    plot->MoveWindow(CRect{0, 0, 200, 64}); // only narrower
    CApplication::ProcessMessages();
    EXPECT_EQ(Envelope().Width(), 200);
}
