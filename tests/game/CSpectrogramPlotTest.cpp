#include "game/CSpectrogramPlot.h"
#include "common/TestPanel.h"
#include "dsp/CSignal.h"
#include "dsp/CSinNoise.h"
#include "game/CColourTable.h"
#include "game/CGameContext.h"
#include "game/CGameSlide.h"
#include "game/CSpectrogramImage.h"
#include "game/CSpectrumPlot.h"
#include "platform/CApplication.h"
#include "platform/CImageBuffer.h"
#include "platform/CQtColor.h"
#include "platform/CSystemColors.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <QImage>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <numbers>

using game::CColourTable;
using game::CSpectrogramImage;
using game::CSpectrogramPlot;
using game::ERR_NONE;

namespace {

constexpr COLORREF EMPTY_CELL = RGB(0, 0, 143);

std::unique_ptr<dsp::CSignal> MakeSignal(const std::vector<float>& samples, unsigned rate) {
    auto signal = std::make_unique<dsp::CSignal>();
    const dsp::CWaveFormat format{1, 1, rate, rate * 2, 2, 16, 0};
    signal->CreateFromSamples(format, samples.data(), static_cast<int>(samples.size()));
    return signal;
}

// A tone in the middle of spectrogram bin `bin`, whatever the sample rate.
std::vector<float> Tone(int count, int bin, float amplitude = 0.5f) {
    std::vector<float> samples(count);
    for (int i = 0; i < count; ++i)
        samples[i] = amplitude * std::sin(2.0 * std::numbers::pi * bin * i / 1024.0);
    return samples;
}

COLORREF PixelOf(const QImage& image, int x, int y) {
    return CQtColor::FromRgb(image.pixel(x, y));
}

// A spectrogram element read from XML, its signal stored under id 5 of the context, optionally
// shown in a host window.
class SpectrogramPlotTest : public ::testing::Test {
protected:
    int Read(const std::string& xml) {
        document = std::make_unique<tinyxml2::XMLDocument>(true, tinyxml2::COLLAPSE_WHITESPACE);
        if (document->Parse(xml.c_str()) != tinyxml2::XML_SUCCESS)
            return -1;
        plot = std::make_unique<CSpectrogramPlot>(&context);
        CRect area{0, 0, 1000, 1000};
        return plot->ReadXml(*document->RootElement(), area, WS_CHILD | WS_VISIBLE);
    }
    // Reads, prepares and shows a plot of the signal.
    void Show(std::unique_ptr<dsp::CSignal> signal, const std::string& attributes = "") {
        context.SetSignal(5, std::move(signal));
        ASSERT_EQ(Read("<spectrogram id='1' example_from='5' width='512' height='256' " +
                       attributes + "/>"),
                  ERR_NONE);
        ASSERT_EQ(plot->Prepare(), ERR_NONE);
        // The picture is made on the user-interface thread, with the window.
        ASSERT_FALSE(plot->GetImage().IsCreated());
        ASSERT_TRUE(host.Create(L"Host", L"", WS_VISIBLE, CRect{0, 0, 600, 300}, nullptr, 0));
        ASSERT_EQ(plot->CreateElementWindow(&host, 1), ERR_NONE);
        CApplication::ProcessMessages();
    }
    QImage Grab() const { return plot->Widget()->grab().toImage(); }

    game::CGameContext context;
    std::unique_ptr<tinyxml2::XMLDocument> document;
    std::unique_ptr<CSpectrogramPlot> plot;
    CWnd host;
};

TEST(ColourTable, TellingRowsAndTheEnds) {
    const struct {
        int row;
        COLORREF colour;
    } rows[] = {{0, RGB(0, 0, 143)},    {7, RGB(0, 0, 255)},      {8, RGB(0, 15, 255)},
                {23, RGB(0, 255, 255)}, {31, RGB(127, 255, 127)}, {39, RGB(255, 255, 0)},
                {47, RGB(255, 127, 0)}, {55, RGB(255, 0, 0)},     {63, RGB(127, 0, 0)},
                {-1, RGB(0, 0, 143)},   {64, RGB(127, 0, 0)}};
    for (const auto& r : rows)
        EXPECT_EQ(CColourTable::Row(r.row), r.colour) << "row " << r.row;
}

TEST(ColourTable, PowerToRow) {
    const struct {
        float power;
        int row;
    } cases[] = {
        {0.0f, 0},
        {-1.0f, 0},
        {std::nanf(""), 0},
        {std::exp(-25.0f), 0},
        {std::exp(-20.0f), 0},
        {std::exp(-10.0f), 32},
        {std::exp(-5.0f), 48},
        {0.64f, 62},
        {1.0f, 63},
        {1.28f, 63},
        {1e30f, 63},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CColourTable::IndexOf(c.power), c.row) << "power " << c.power;
        EXPECT_EQ(CColourTable::ColourOf(c.power), CColourTable::Row(c.row));
    }
    // Every row is reached, one after the other, as ln p rises from -20 to 0.
    int previous = 0;
    for (double x = -20.0; x <= 0.0; x += 0.01) {
        const int row = CColourTable::IndexOf(static_cast<float>(std::exp(x)));
        ASSERT_TRUE(row == previous || row == previous + 1) << "ln p " << x;
        previous = row;
    }
    EXPECT_EQ(previous, 63);
}

TEST(SpectrogramImage, RowsForTheHighestFrequency) {
    const struct {
        int fmax;
        unsigned rate;
        int rows;
    } cases[] = {{8, 44100, 187}, {8, 16000, 513}, {8, 8000, 1026},
                 {4, 8000, 513},  {1, 44100, 24},  {0, 44100, 0},
                 {-3, 8000, 0},   {8, 0, 0},       {2000000000, 8000, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(CSpectrogramImage::RowsFor(c.fmax, c.rate), c.rows)
            << c.fmax << " kHz at " << c.rate << " Hz";
}

// Bin k is drawn in row rows - 1 - k in the colour of its power; rows above half the sample
// rate are empty cells.
TEST(SpectrogramImage, RowsHoldTheBinsFromTheBottomUp) {
    const struct {
        unsigned rate;
        int rows;
    } cases[] = {{44100, 187}, {16000, 513}, {8000, 1026}};
    for (const auto& c : cases) {
        auto signal = MakeSignal(Tone(8192, 100), c.rate);
        ASSERT_TRUE(signal->EnsureSpectrogram());
        const dsp::CSpectrogram& spectrogram = signal->GetSpectrogram();
        CImageBuffer image;
        ASSERT_TRUE(CSpectrogramImage::Render(spectrogram, c.rate, 8, image));
        ASSERT_EQ(image.Width(), spectrogram.GetFrames());
        ASSERT_EQ(image.Height(), c.rows);
        const int bins = std::min(c.rows, 513);
        for (int k : {0, 1, 99, 100, 101, bins - 1}) {
            for (int t = 0; t < image.Width(); ++t) {
                const float power = std::norm(spectrogram.GetValue(k, t));
                ASSERT_EQ(image.GetPixel(t, c.rows - 1 - k), CColourTable::ColourOf(power))
                    << c.rate << " Hz, bin " << k << ", frame " << t;
            }
        }
        // The tone's bin is the strongest: colour 62 or 63 in every frame.
        for (int t = 0; t < image.Width(); ++t)
            EXPECT_GE(CColourTable::IndexOf(std::norm(spectrogram.GetValue(100, t))), 62);
        for (int r = 0; r < c.rows - bins; ++r)
            for (int t = 0; t < image.Width(); ++t)
                ASSERT_EQ(image.GetPixel(t, r), EMPTY_CELL) << "row " << r;
    }
}

TEST(SpectrogramImage, OneColumnPerFrame) {
    auto tenSeconds = MakeSignal(Tone(441000, 40), 44100);
    ASSERT_TRUE(tenSeconds->EnsureSpectrogram());
    CImageBuffer image;
    ASSERT_TRUE(CSpectrogramImage::Render(tenSeconds->GetSpectrogram(), 44100, 8, image));
    EXPECT_EQ(image.Width(), 860);
    EXPECT_EQ(image.Height(), 187);

    // Nothing to show: no frames, or no rows. The image from before is gone.
    auto shortSignal = MakeSignal(Tone(1023, 40), 44100);
    ASSERT_TRUE(shortSignal->EnsureSpectrogram());
    EXPECT_FALSE(CSpectrogramImage::Render(shortSignal->GetSpectrogram(), 44100, 8, image));
    EXPECT_FALSE(image.IsCreated());
    EXPECT_FALSE(CSpectrogramImage::Render(tenSeconds->GetSpectrogram(), 44100, 0, image));
    EXPECT_FALSE(image.IsCreated());
    // An fmax in Hz by mistake would need 860 x 186,122 pixels: refused like a failed image.
    EXPECT_FALSE(CSpectrogramImage::Render(tenSeconds->GetSpectrogram(), 44100, 8000, image));
    EXPECT_FALSE(image.IsCreated());
}

TEST_F(SpectrogramPlotTest, ReadsFmaxAndItsExample) {
    const struct {
        std::string xml;
        int result;
        int fmax;
    } cases[] = {
        {"<spectrogram example_from='5'/>", ERR_NONE, 8},
        {"<spectrogram example_from='5' fmax='4'/>", ERR_NONE, 4},
        {"<spectrogram example_from='5' fmax='high'/>", ERR_NONE, 8},
        {"<spectrogram fmax='4'/>", game::ERR_EXAMPLE_NOT_FOUND, 4},
        {"<spectrum example_from='5' fmax='4'/>", game::ERR_XML_TITLE, 8},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Read(c.xml), c.result) << c.xml;
        EXPECT_EQ(plot->GetFmax(), c.fmax) << c.xml;
        EXPECT_EQ(plot->GetRect(), (CRect{0, 0, 256, 128})) << c.xml;
    }
}

// Preparing a plot: its signal, the element that makes the signal first, the analysis; the
// same for both plot kinds. A slide prepares its elements at the end of reading.
TEST(PlotPreparation, SignalOwnerAndAnalysis) {
    testing_panels::RegisterTestPanels();
    const struct {
        std::string tag;
        int analysisFailure;
    } kinds[] = {{"spectrum", game::ERR_PREPARE_FFT}, {"spectrogram", game::ERR_PREPARE_STFT}};
    const struct {
        const char* owner; // the element that owns signal 5, or another cell
        std::vector<float> samples;
        const char* source;
        int expected; // < 0: the kind's analysis failure
    } cases[] = {
        {"<wave id='7'/>", Tone(4096, 10), "5", ERR_NONE},
        {"<wave id='7'/>", Tone(4096, 10), "6", game::ERR_EXAMPLE_NOT_FOUND},
        {"<wave id='5' prepare='9'/>", Tone(4096, 10), "5", game::ERR_MISSING_ELEMENT},
        {"<wave id='5'/>", Tone(4096, 10), "5", ERR_NONE},
        {"<wave id='7'/>", {}, "5", -1},
    };
    for (const auto& kind : kinds) {
        for (const auto& c : cases) {
            const std::string xml =
                "<GameSlide><table rows='1' cols='2'><row>" + std::string(c.owner) + "<" +
                kind.tag + " id='1' example_from='" + c.source + "'/></row></table></GameSlide>";
            game::CGameContext master;
            game::CGameSlide slide(master, L"test");
            slide.Context().SetSignal(5, MakeSignal(c.samples, 8000));
            tinyxml2::XMLDocument document(true, tinyxml2::COLLAPSE_WHITESPACE);
            ASSERT_EQ(document.Parse(xml.c_str()), tinyxml2::XML_SUCCESS);
            CRect area{0, 0, 1000, 1000};
            const int expected = c.expected < 0 ? kind.analysisFailure : c.expected;
            EXPECT_EQ(slide.ReadXml(*document.RootElement(), area, WS_CHILD), expected) << xml;
            game::CElement* plot = slide.Context().FindElement(1);
            ASSERT_NE(plot, nullptr);
            dsp::CSignal* signal = slide.Context().FindSignal(5);
            EXPECT_EQ(signal->GetListeners().count(plot), expected == ERR_NONE ? 1u : 0u) << xml;
            // A failed preparation binds nothing, so it fails again; a successful one is done.
            EXPECT_EQ(plot->Prepare(), expected) << xml;
        }
    }
}

// The picture is the image stretched with half-tone averaging onto the element: above half the
// sample rate (the top half at 8 kHz) empty cells, the tone as the hottest row.
TEST_F(SpectrogramPlotTest, PaintsTheStretchedImage) {
    Show(MakeSignal(Tone(80000, 128), 8000));
    // Painting copies the picture rendered when the window was made; it renders nothing.
    const qint64 rendered = plot->GetImage().Image().cacheKey();
    const QImage picture = Grab();
    EXPECT_EQ(plot->GetImage().Image().cacheKey(), rendered);
    ASSERT_EQ(picture.width(), 512);
    ASSERT_EQ(picture.height(), 256);
    ASSERT_EQ(plot->GetImage().Width(), (80000 - 512) / 512);
    ASSERT_EQ(plot->GetImage().Height(), 1026);
    const CImageBuffer expected = plot->GetImage().AreaAveraged(512, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 512; ++x)
            ASSERT_EQ(PixelOf(picture, x, y), expected.GetPixel(x, y)) << x << "," << y;
    for (int y = 0; y < 128; ++y)
        ASSERT_EQ(PixelOf(picture, 256, y), EMPTY_CELL) << y;
    int hottest = 0;
    for (int y = 1; y < 256; ++y)
        if (GetRValue(PixelOf(picture, 256, y)) > GetRValue(PixelOf(picture, 256, hottest)))
            hottest = y;
    // Bin 128 of 1026 rows sits in row 897, that is 897 / 1026 of the way down.
    EXPECT_NEAR(hottest, 897 * 256 / 1026, 1);
}

// Without columns (a signal shorter than one window) or rows (fmax 0) only the background and
// the mark are drawn.
TEST_F(SpectrogramPlotTest, NothingToShowDrawsBackgroundAndMark) {
    const struct {
        int samples;
        const char* fmax;
    } cases[] = {{1023, "8"}, {8192, "0"}, {8192, "-1"}};
    const COLORREF face = CSystemColors::ButtonFace();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.samples) + " samples, fmax " + c.fmax);
        plot.reset();
        host.DestroyWindow();
        Show(MakeSignal(Tone(c.samples, 100), 8000), std::string("fmax='") + c.fmax + "'");
        EXPECT_FALSE(plot->GetImage().IsCreated());
        QImage picture = Grab();
        for (int y = 0; y < picture.height(); y += 5)
            for (int x = 0; x < picture.width(); x += 5)
                ASSERT_EQ(PixelOf(picture, x, y), face) << x << "," << y;
        plot->SetMark(game::MARK_WRONG);
        picture = Grab();
        int marked = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                if (PixelOf(picture, x, y) == face)
                    continue;
                ++marked;
                // The 128 x 128 mark is centred on the 512 x 256 element.
                ASSERT_TRUE(x >= 192 && x < 320 && y >= 64 && y < 192) << x << "," << y;
            }
        EXPECT_GT(marked, 0);
    }
}

// A changed signal is rendered again; news of other signals is ignored.
TEST_F(SpectrogramPlotTest, RendersAgainWhenItsSignalChanges) {
    Show(MakeSignal(std::vector<float>(16384, 0.0f), 8000));
    dsp::CSignal* signal = context.FindSignal(5);
    const int toneRow = 1025 - 128;
    EXPECT_EQ(plot->GetImage().GetPixel(8, toneRow), EMPTY_CELL);

    // Another signal's update changes nothing, even though the samples did.
    auto other = MakeSignal(Tone(4096, 1), 8000);
    for (int i = 0; i < signal->GetSampleCount(); ++i)
        signal->GetSamples()[i] = 0.25f * std::sin(2 * std::numbers::pi * 128 * i / 1024.0);
    signal->RefreshAnalyses();
    plot->SendMessage(dsp::CSignal::UpdateMessage(), reinterpret_cast<WPARAM>(other.get()), 0);
    EXPECT_EQ(plot->GetImage().GetPixel(8, toneRow), EMPTY_CELL);

    // The signal's own news, posted as a filter or tone generator does.
    const dsp::CSinNoise tone(0.5f, static_cast<float>(2 * std::numbers::pi * 128 / 1024));
    ASSERT_TRUE(signal->ApplyNoise(tone));
    CApplication::ProcessMessagesFor(50);
    EXPECT_GE(CColourTable::IndexOf(std::norm(signal->GetSpectrogram().GetValue(128, 8))), 62);
    EXPECT_EQ(plot->GetImage().GetPixel(8, toneRow),
              CColourTable::ColourOf(std::norm(signal->GetSpectrogram().GetValue(128, 8))));
}

// The table factory makes both plot kinds, so a slide can pair spectra and spectrograms.
TEST(PlotFactory, TablesHoldSpectraAndSpectrograms) {
    game::CGameContext master;
    game::CGameSlide slide(master, L"test");
    slide.Context().SetSignal(5, MakeSignal(Tone(8192, 100), 8000));
    tinyxml2::XMLDocument document(true, tinyxml2::COLLAPSE_WHITESPACE);
    ASSERT_EQ(document.Parse("<GameSlide><table rows='1' cols='2'><row>"
                             "<spectrum id='1' example_from='5' scale='log'/>"
                             "<spectrogram id='2' example_from='5' fmax='4'/>"
                             "</row></table></GameSlide>"),
              tinyxml2::XML_SUCCESS);
    CRect area{0, 0, 1000, 1000};
    ASSERT_EQ(slide.ReadXml(*document.RootElement(), area, WS_CHILD), ERR_NONE);
    auto* spectrum = dynamic_cast<game::CSpectrumPlot*>(slide.Context().FindElement(1));
    auto* spectrogram = dynamic_cast<CSpectrogramPlot*>(slide.Context().FindElement(2));
    ASSERT_NE(spectrum, nullptr);
    ASSERT_NE(spectrogram, nullptr);
    EXPECT_TRUE(spectrum->IsLogarithmic());
    EXPECT_EQ(spectrogram->GetFmax(), 4);
    EXPECT_EQ(spectrum->GetSignal(), spectrogram->GetSignal());
    EXPECT_EQ(spectrum->GetEnvelope().Width(), 256);
}

} // namespace
