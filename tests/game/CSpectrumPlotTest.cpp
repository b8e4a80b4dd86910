#include "game/CSpectrumPlot.h"
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

std::unique_ptr<dsp::CSignal> MakeSignal(const std::vector<float>& samples) {
    auto signal = std::make_unique<dsp::CSignal>();
    const dsp::CWaveFormat format{1, 1, 8000, 16000, 2, 16, 0};
    signal->CreateFromSamples(format, samples.data(), static_cast<int>(samples.size()));
    return signal;
}

std::vector<float> Noise(int count) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> uniform(-0.5f, 0.5f);
    std::vector<float> samples(count);
    for (float& s : samples)
        s = uniform(random);
    return samples;
}

// Tones in the middle of spectrum bins, given as (bin, amplitude).
std::vector<float> Tones(int count, std::initializer_list<std::pair<int, float>> tones) {
    std::vector<float> samples(count, 0.0f);
    for (const auto& [bin, amplitude] : tones)
        for (int i = 0; i < count; ++i)
            samples[i] += amplitude * std::sin(2.0 * std::numbers::pi * bin * i / 2048.0);
    return samples;
}

class SpectrumPlotTest : public ::testing::Test {
protected:
    int Read(const std::string& xml) {
        document = std::make_unique<tinyxml2::XMLDocument>(true, tinyxml2::COLLAPSE_WHITESPACE);
        if (document->Parse(xml.c_str()) != tinyxml2::XML_SUCCESS)
            return -1;
        plot = std::make_unique<CSpectrumPlot>(&context);
        CRect area{0, 0, 3000, 1000};
        return plot->ReadXml(*document->RootElement(), area, WS_CHILD | WS_VISIBLE);
    }
    // Reads and prepares a plot of the signal, stored under id 5.
    void Prepare(std::unique_ptr<dsp::CSignal> signal, int width, int height,
                 const std::string& scale = "") {
        context.SetSignal(5, std::move(signal));
        ASSERT_EQ(Read("<spectrum example_from='5' width='" + std::to_string(width) + "' height='" +
                       std::to_string(height) + "' scale='" + scale + "'/>"),
                  ERR_NONE);
        ASSERT_EQ(plot->Prepare(), ERR_NONE);
    }
    void Show() {
        ASSERT_TRUE(host.Create(L"Host", L"", WS_VISIBLE, CRect{0, 0, 1200, 600}, nullptr, 0));
        ASSERT_EQ(plot->CreateElementWindow(&host, 1), ERR_NONE);
        CApplication::ProcessMessages();
    }
    const float* Power() const { return context.FindSignal(5)->GetSpectrum().GetPower(); }
    float Level(int bin) const {
        return CSpectrumPlot::DisplayValue(Power()[bin], plot->IsLogarithmic());
    }
    const game::CColumnEnvelope& Envelope() const { return plot->GetEnvelope(); }
    QImage Grab() const { return plot->Widget()->grab().toImage(); }

    game::CGameContext context;
    std::unique_ptr<tinyxml2::XMLDocument> document;
    std::unique_ptr<CSpectrumPlot> plot;
    CWnd host;
};

TEST(SpectrumDisplay, LevelsAndRows) {
    const struct {
        float power;
        bool log;
        float level;
    } levels[] = {
        {1.0f, false, 1.0f},
        {0.25f, false, 0.5f},
        {0.0f, false, 0.0f},
        {4.0f, false, 2.0f},
        {1.0f, true, 0.9677419f},
        {std::exp(-15.0f), true, 0.0f},
        {std::exp(-30.0f), true, -0.9677419f},
        {0.0f, true, 0.0f},
    };
    for (const auto& l : levels)
        EXPECT_NEAR(CSpectrumPlot::DisplayValue(l.power, l.log), l.level, 1e-6f)
            << l.power << (l.log ? " log" : " linear");
    const struct {
        float level;
        int height;
        int row;
    } rows[] = {
        {1.0f, 128, 0},      {0.9677419f, 128, 5},      {0.5f, 128, 64},   {0.0f, 128, 128},
        {0.9677419f, 64, 3}, {-0.5f, 128, 192},         {2.0f, 128, -128}, {1e30f, 128, -256},
        {-1e30f, 128, 384},  {std::nanf(""), 128, 384},
    };
    for (const auto& r : rows)
        EXPECT_EQ(CSpectrumPlot::RowOf(r.level, r.height), r.row) << r.level << " on " << r.height;
}

TEST_F(SpectrumPlotTest, ReadsScaleAndItsExample) {
    const struct {
        std::string xml;
        int result;
        bool log;
    } cases[] = {
        {"<spectrum example_from='5' scale='log'/>", ERR_NONE, true},
        {"<spectrum example_from='5' scale='LOG'/>", ERR_NONE, false},
        {"<spectrum example_from='5' scale='log '/>", ERR_NONE, false},
        {"<spectrum example_from='5'/>", ERR_NONE, false},
        {"<spectrum scale='log'/>", game::ERR_EXAMPLE_NOT_FOUND, true},
        {"<spectrogram example_from='5' scale='log'/>", game::ERR_XML_TITLE, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Read(c.xml), c.result) << c.xml;
        EXPECT_EQ(plot->IsLogarithmic(), c.log) << c.xml;
        EXPECT_EQ(plot->GetRect(), (CRect{0, 0, 256, 128})) << c.xml;
    }
}

// Which bins each column shows, for the three ways the envelope spreads 1025 bins.
TEST_F(SpectrumPlotTest, ColumnsOfBins) {
    const struct {
        int width;
        int perColumn;
    } widths[] = {{200, 5}, {256, 4}, {257, 3}, {512, 2}, {1025, 1}};
    for (const auto& w : widths) {
        SCOPED_TRACE("width " + std::to_string(w.width));
        Prepare(MakeSignal(Noise(20000)), w.width, 128);
        const game::CColumnEnvelope& envelope = Envelope();
        ASSERT_EQ(envelope.Width(), w.width);
        ASSERT_EQ(envelope.ValuesPerColumn(), w.perColumn);
        ASSERT_TRUE(envelope.HasRange());
        // Whole blocks of k bins up to 256 pixels (the remainder not shown), else bin i in
        // column trunc(i x width / 1025).
        std::vector<std::vector<int>> binsOf(w.width);
        for (int i = 0; i < BINS; ++i) {
            const int column = w.perColumn >= 4 ? i / w.perColumn : i * w.width / BINS;
            if (column < w.width)
                binsOf[column].push_back(i);
        }
        for (int x = 0; x < w.width; ++x) {
            ASSERT_FALSE(binsOf[x].empty());
            float high = Level(binsOf[x].front());
            float low = high;
            for (int i : binsOf[x]) {
                high = std::max(high, Level(i));
                low = std::min(low, Level(i));
            }
            ASSERT_EQ(envelope.TopRows()[x], CSpectrumPlot::RowOf(high, 128)) << "column " << x;
            ASSERT_EQ(envelope.BottomRows()[x], CSpectrumPlot::RowOf(low, 128)) << "column " << x;
        }
    }
}

// Wider than the bins: only the mean line, through every bin's own row, interpolated between
// them, and the column right of the last bin repeating its row.
TEST_F(SpectrumPlotTest, WidePlotsDrawTheMeanLineOnly) {
    Prepare(MakeSignal(Noise(20000)), 2000, 128, "log");
    const game::CColumnEnvelope& envelope = Envelope();
    ASSERT_EQ(envelope.Width(), 2000);
    EXPECT_FALSE(envelope.HasRange());
    const std::vector<int>& mean = envelope.MeanRows();
    int previous = 0;
    for (int i = 0; i < BINS; ++i) {
        const int column = i * 2000 / BINS;
        ASSERT_EQ(mean[column], CSpectrumPlot::RowOf(Level(i), 128)) << "bin " << i;
        for (int x = previous + 1; x < column; ++x) {
            ASSERT_GE(mean[x], std::min(mean[previous], mean[column]) - 1) << x;
            ASSERT_LE(mean[x], std::max(mean[previous], mean[column]) + 1) << x;
        }
        previous = column;
    }
    EXPECT_EQ(previous, 1998);
    EXPECT_EQ(mean[1999], mean[1998]);
}

// Log display: the strongest bin at row H - trunc(0.9677 H), silence on the bottom edge.
// Linear display: a quarter of the strongest power at half height.
TEST_F(SpectrumPlotTest, LevelsOnThePlot) {
    Prepare(MakeSignal(Noise(20000)), 1025, 128, "log");
    const std::vector<int>& top = Envelope().TopRows();
    const float* power = Power();
    const int strongest = static_cast<int>(std::max_element(power, power + BINS) - power);
    EXPECT_EQ(top[strongest], 5);
    EXPECT_EQ(*std::min_element(top.begin(), top.end()), 5);

    for (const std::string scale : {"log", ""}) {
        Prepare(MakeSignal(std::vector<float>(8192, 0.0f)), 300, 128, scale);
        for (const auto* rows : {&Envelope().TopRows(), &Envelope().BottomRows()})
            for (int row : *rows)
                ASSERT_EQ(row, 128) << scale;
    }

    Prepare(MakeSignal(Tones(40960, {{100, 0.6f}, {300, 0.3f}})), 1025, 128);
    EXPECT_EQ(Envelope().TopRows()[100], 0);
    EXPECT_NEAR(Envelope().TopRows()[300], 64, 1);
}

// The curve on white: the mean line and a bar from each column's top to its bottom row.
TEST_F(SpectrumPlotTest, PaintsTheCurve) {
    for (const std::string scale : {"", "log"}) {
        SCOPED_TRACE("scale '" + scale + "'");
        plot.reset();
        host.DestroyWindow();
        Prepare(MakeSignal(Noise(20000)), 512, 128, scale);
        Show();
        const game::CColumnEnvelope& envelope = Envelope();
        const int* computed = envelope.TopRows().data();
        const QImage picture = Grab();
        ASSERT_EQ(picture.size(), QSize(512, 128));
        // Painting draws the envelope computed before; it computes nothing.
        EXPECT_EQ(envelope.TopRows().data(), computed);
        for (int x = 0; x < 512; ++x) {
            int curve = 0;
            for (int y = 0; y < 128; ++y) {
                const COLORREF pixel = CQtColor::FromRgb(picture.pixel(x, y));
                ASSERT_TRUE(pixel == WHITE || pixel == CURVE) << x << "," << y;
                curve += pixel == CURVE;
            }
            EXPECT_GT(curve, 0) << "column " << x;
            const int top = envelope.TopRows()[x];
            const int bottom = envelope.BottomRows()[x];
            if (top >= 0 && top < bottom && top < 128) {
                EXPECT_EQ(CQtColor::FromRgb(picture.pixel(x, top)), CURVE) << x;
            }
        }
    }
}

// A resized plot maps the bins again, for a new width and for a new height alone.
TEST_F(SpectrumPlotTest, FollowsItsSize) {
    Prepare(MakeSignal(Noise(20000)), 256, 128, "log");
    Show();
    const struct {
        int width, height, topmost;
    } sizes[] = {{300, 128, 5}, {300, 64, 3}, {1100, 64, 3}, {256, 128, 5}};
    for (const auto& s : sizes) {
        plot->MoveWindow(CRect{0, 0, s.width, s.height});
        CApplication::ProcessMessages();
        EXPECT_EQ(Envelope().Width(), s.width);
        const std::vector<int>& rows =
            Envelope().HasRange() ? Envelope().TopRows() : Envelope().MeanRows();
        EXPECT_EQ(*std::min_element(rows.begin(), rows.end()), s.topmost)
            << s.width << " x " << s.height;
    }
}

// A changed signal is shown again; news of other signals is ignored.
TEST_F(SpectrumPlotTest, FollowsItsSignal) {
    Prepare(MakeSignal(std::vector<float>(8192, 0.0f)), 1025, 128);
    Show();
    dsp::CSignal* signal = context.FindSignal(5);
    EXPECT_EQ(Envelope().TopRows()[100], 128);

    auto other = MakeSignal(Noise(4096));
    signal->GetSamples()[4000] = 0.5f;
    signal->RefreshAnalyses();
    plot->SendMessage(dsp::CSignal::UpdateMessage(), reinterpret_cast<WPARAM>(other.get()), 0);
    EXPECT_EQ(Envelope().TopRows()[100], 128);

    const dsp::CSinNoise tone(0.5f, static_cast<float>(2 * std::numbers::pi * 100 / 2048));
    ASSERT_TRUE(signal->ApplyNoise(tone));
    CApplication::ProcessMessagesFor(50);
    const int toneRow = Envelope().TopRows()[100];
    EXPECT_LE(toneRow, 1);
    EXPECT_EQ(CQtColor::FromRgb(Grab().pixel(100, toneRow)), CURVE);
}

} // namespace
