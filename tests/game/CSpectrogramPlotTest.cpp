#include "game/CSpectrogramPlot.h"
#include "PlotFixture.h"
#include "game/CColourTable.h"
#include "game/CSpectrogramImage.h"
#include "platform/CImageBuffer.h"
#include "platform/CSystemColors.h"

using game::CColourTable;
using game::CSpectrogramImage;

static constexpr COLORREF EMPTY_CELL = RGB(0, 0, 143);

// A tone in the middle of spectrogram bin `bin`, whatever the sample rate.
static std::vector<float> Tone(int count, int bin) {
    std::vector<float> samples(count);
    for (int i = 0; i < count; ++i)
        samples[i] = 0.5f * std::sin(2.0 * std::numbers::pi * bin * i / 1024.0);
    return samples;
}

using SpectrogramPlotTest = PlotFixture<game::CSpectrogramPlot>;

static std::string Spectrogram(const std::string& fmax) { // 512 x 256
    return "<spectrogram example_from='5' width='512' height='256' fmax='" + fmax + "'/>";
}

// Silence and no number are darkest blue, full power dark red, every colour reached in turn.
TEST(ColourTable, PowerRisesThroughEveryColourInTurn) {
    EXPECT_EQ(CColourTable::ColourOf(0.0f), EMPTY_CELL);
    EXPECT_EQ(CColourTable::ColourOf(std::nanf("")), EMPTY_CELL);
    EXPECT_EQ(CColourTable::ColourOf(1e30f), RGB(127, 0, 0));
    int previous = 0;
    for (double x = -20.0; x <= 0.0; x += 0.01) {
        const int row = CColourTable::IndexOf(static_cast<float>(std::exp(x)));
        ASSERT_TRUE(row == previous || row == previous + 1) << "ln p " << x;
        previous = row;
    }
    EXPECT_EQ(previous, 63);
    EXPECT_EQ(CColourTable::Row(39), RGB(255, 255, 0)) << "yellow two thirds up";
}

// One column per frame, bin k in row rows - 1 - k in the colour of its power, rows above half
// the rate empty cells; no frames, no image.
TEST(SpectrogramImage, RowsHoldTheBinsFromTheBottomUp) {
    for (const auto& [rate, rows] : {std::pair{44100u, 187}, {16000u, 513}, {8000u, 1026}}) {
        auto signal = MakeSignal(Tone(8192, 100), rate);
        ASSERT_TRUE(signal->EnsureSpectrogram());
        const dsp::CSpectrogram& spectrogram = signal->GetSpectrogram();
        CImageBuffer image;
        ASSERT_TRUE(CSpectrogramImage::Render(spectrogram, rate, 8, image));
        ASSERT_EQ(image.Width(), spectrogram.GetFrames());
        ASSERT_EQ(image.Height(), rows);
        const int bins = std::min(rows, 513);
        for (int t = 0; t < image.Width(); ++t) {
            for (int k : {0, 100, 104, bins - 1}) // 104: a side lobe, drawn in mid-scale
                ASSERT_EQ(image.GetPixel(t, rows - 1 - k),
                          CColourTable::ColourOf(std::norm(spectrogram.GetValue(k, t))))
                    << rate << " Hz, bin " << k << ", frame " << t;
            EXPECT_GE(CColourTable::IndexOf(std::norm(spectrogram.GetValue(100, t))), 62);
            for (int r = 0; r < rows - bins; ++r)
                ASSERT_EQ(image.GetPixel(t, r), EMPTY_CELL) << "row " << r;
        }
    }
    auto tenSeconds = MakeSignal(Tone(441000, 40), 44100);
    ASSERT_TRUE(tenSeconds->EnsureSpectrogram());
    CImageBuffer image;
    ASSERT_TRUE(CSpectrogramImage::Render(tenSeconds->GetSpectrogram(), 44100, 8, image));
    EXPECT_EQ(image.Width(), 860);
    auto noFrames = MakeSignal(Tone(1023, 40), 44100);
    ASSERT_TRUE(noFrames->EnsureSpectrogram());
    EXPECT_FALSE(CSpectrogramImage::Render(noFrames->GetSpectrogram(), 44100, 8, image));
    EXPECT_FALSE(image.IsCreated()) << "the image from before is gone";
    // An fmax in Hz by mistake would need 860 x 186,122 pixels: refused.
    EXPECT_FALSE(CSpectrogramImage::Render(tenSeconds->GetSpectrogram(), 44100, 8000, image));
}

// The image is stretched with averaging onto the element; painting renders nothing again.
TEST_F(SpectrogramPlotTest, PaintsTheStretchedImage) {
    ReadAndPrepare(MakeSignal(Tone(80000, 128), 8000), Spectrogram("8"));
    Show();
    const qint64 rendered = plot->GetImage().Image().cacheKey();
    const QImage picture = Grab();
    EXPECT_EQ(plot->GetImage().Image().cacheKey(), rendered);
    ASSERT_EQ(picture.size(), QSize(512, 256));
    ASSERT_EQ(plot->GetImage().Height(), 1026);
    const CImageBuffer expected = plot->GetImage().AreaAveraged(512, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 512; ++x)
            ASSERT_EQ(PixelOf(picture, x, y), expected.GetPixel(x, y)) << x << "," << y;
    for (int y = 0; y < 128; ++y)
        ASSERT_EQ(PixelOf(picture, 256, y), EMPTY_CELL) << y;
}

// Without columns (shorter than one window) or rows (fmax <= 0): background and mark only.
TEST_F(SpectrogramPlotTest, NothingToShowDrawsBackgroundAndMark) {
    for (const auto& [samples, fmax] : {std::pair{1023, "8"}, {8192, "0"}}) {
        SCOPED_TRACE(std::to_string(samples) + " samples, fmax " + fmax);
        ReadAndPrepare(MakeSignal(Tone(samples, 100), 8000), Spectrogram(fmax));
        Show();
        plot->SetMark(game::MARK_WRONG);
        const QImage picture = Grab();
        int marked = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                if (PixelOf(picture, x, y) == CSystemColors::ButtonFace())
                    continue;
                ++marked;
                // The 128 x 128 mark is centred on the 512 x 256 element.
                ASSERT_TRUE(x >= 192 && x < 320 && y >= 64 && y < 192) << x << "," << y;
            }
        EXPECT_GT(marked, 0);
    }
}
