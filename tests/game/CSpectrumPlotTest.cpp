#include "game/CSpectrumPlot.h"
#include "PlotFixture.h"

using game::CSpectrumPlot;

static constexpr int BINS = 1025;

class SpectrumPlotTest : public PlotFixture<CSpectrumPlot> {
protected:
    // A plot of noise, 128 high.
    void Prepare(int width, const std::string& scale) {
        ReadAndPrepare(MakeSignal(Noise(20000, 7)), "<spectrum example_from='5' width='" +
                                                        std::to_string(width) +
                                                        "' height='128' scale='" + scale + "'/>");
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
