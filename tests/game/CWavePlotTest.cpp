// The wave plot: reading and binding, the envelope it draws, the play bar that follows the
// playback, clicks that play or swap, and the companion text that becomes its tooltip.

#include "game/CWavePlot.h"
#include "dsp/CSignal.h"
#include "dsp/CSinNoise.h"
#include "game/CElementFactory.h"
#include "game/CGameContext.h"
#include "game/CGameSlide.h"
#include "platform/CApplication.h"
#include "platform/CQtColor.h"
#include "platform/CTestSoundOutput.h"
#include "platform/CTickCount.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <QImage>
#include <QTest>
#include <QWidget>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

using game::CWavePlot;
using game::ERR_NONE;

namespace {

constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr COLORREF BLUE = RGB(0, 0, 200);
constexpr COLORREF RED = RGB(255, 0, 0);
constexpr int B = 200; // block length at 8000 Hz

std::unique_ptr<dsp::CSignal> MakeSignal(const std::vector<float>& samples) {
    auto signal = std::make_unique<dsp::CSignal>();
    const dsp::CWaveFormat format{1, 1, 8000, 16000, 2, 16, 0};
    signal->CreateFromSamples(format, samples.data(), static_cast<int>(samples.size()));
    return signal;
}

// +1 and -1 in turn: every column of a k >= 1 envelope spans the whole height.
std::vector<float> FullSwing(int count) {
    std::vector<float> v(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        v[i] = i % 2 == 0 ? 1.0f : -1.0f;
    return v;
}

bool ProcessUntil(const std::function<bool()>& done) {
    const std::uint32_t start = CTickCount::Now();
    while (!done()) {
        if (CTickCount::Elapsed(start, CTickCount::Now()) > 5000)
            return false;
        CApplication::ProcessMessagesFor(1);
    }
    return true;
}

// A private folder for example files, removed afterwards.
class CExampleFolder {
public:
    CExampleFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "wave-XXXXXX").string();
        m_path = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    }
    ~CExampleFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::string Write(const std::string& name, const std::string& bytes) const {
        const std::string path = m_path + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    // A mono 16-bit WAV file of the samples (as 16-bit values).
    std::string WriteWave(const std::string& name, const std::vector<std::int16_t>& values) const {
        auto le = [](std::uint32_t v, int bytes) {
            std::string s;
            for (int i = 0; i < bytes; ++i)
                s += static_cast<char>((v >> (8 * i)) & 0xFF);
            return s;
        };
        std::string data;
        for (std::int16_t v : values)
            data += le(static_cast<std::uint16_t>(v), 2);
        const std::string format =
            le(1, 2) + le(1, 2) + le(8000, 4) + le(16000, 4) + le(2, 2) + le(16, 2);
        const std::string chunks = "WAVE" + std::string("fmt ") + le(16, 4) + format + "data" +
                                   le(static_cast<std::uint32_t>(data.size()), 4) + data;
        return Write(name, "RIFF" + le(static_cast<std::uint32_t>(chunks.size()), 4) + chunks);
    }

private:
    std::string m_path;
};

class WavePlotTest : public ::testing::Test {
protected:
    void SetUp() override { m_previous = CTestSoundOutput::Install(m_device); }
    void TearDown() override {
        plot.reset();
        host.DestroyWindow();
        CSoundOutput::SetFactory(m_previous);
    }

    int Read(const std::string& xml) {
        document = std::make_unique<tinyxml2::XMLDocument>(true, tinyxml2::COLLAPSE_WHITESPACE);
        if (document->Parse(xml.c_str()) != tinyxml2::XML_SUCCESS)
            return -1;
        plot = std::make_unique<CWavePlot>(&context);
        CRect area{0, 0, 3000, 1000};
        return plot->ReadXml(*document->RootElement(), area, WS_CHILD | WS_VISIBLE);
    }
    // A plot of the signal (stored under id 5), read and prepared.
    void Prepare(std::unique_ptr<dsp::CSignal> signal, int width, int height) {
        context.SetSignal(5, std::move(signal));
        ASSERT_EQ(Read("<wave example_from='5' width='" + std::to_string(width) + "' height='" +
                       std::to_string(height) + "'/>"),
                  ERR_NONE);
        ASSERT_EQ(plot->Prepare(), ERR_NONE);
    }
    void Show() {
        ASSERT_TRUE(host.Create(L"Host", L"", WS_VISIBLE, CRect{0, 0, 600, 400}, nullptr, 0));
        ASSERT_EQ(plot->CreateElementWindow(&host, 1), ERR_NONE);
        CApplication::ProcessMessages();
    }
    QImage Grab() const { return plot->Widget()->grab().toImage(); }
    static COLORREF At(const QImage& image, int x, int y) {
        return CQtColor::FromRgb(image.pixel(x, y));
    }
    static std::set<int> ColumnsOf(const QImage& image, COLORREF color) {
        std::set<int> columns;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (At(image, x, y) == color)
                    columns.insert(x);
        return columns;
    }
    void Click(CWnd& window) {
        QTest::mouseClick(window.Widget(), Qt::LeftButton, {}, QPoint(5, 5));
    }
    dsp::CSignal& Signal() { return *context.FindSignal(5); }

    std::shared_ptr<CTestSoundOutput::Device> m_device =
        std::make_shared<CTestSoundOutput::Device>();
    CSoundOutput::Factory m_previous;
    game::CGameContext context;
    std::unique_ptr<tinyxml2::XMLDocument> document;
    std::unique_ptr<CWavePlot> plot;
    CWnd host;
};

TEST_F(WavePlotTest, ReadsItsTagAndExample) {
    context.SetSignal(5, MakeSignal(FullSwing(100)));
    const struct {
        std::string xml;
        int result;
        CRect rect;
    } cases[] = {
        {"<wave example_from='5'/>", ERR_NONE, {0, 0, 256, 128}},
        {"<wave example_from='5' width='100' height='101'/>", ERR_NONE, {0, 0, 100, 101}},
        {"<wave/>", game::ERR_EXAMPLE_NOT_FOUND, {0, 0, 256, 128}},
        {"<wave example='missing.wav'/>", game::ERR_EXAMPLE_NOT_FOUND, {0, 0, 256, 128}},
        {"<spectrum example_from='5'/>", game::ERR_XML_TITLE, {0, 0, 256, 128}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Read(c.xml), c.result) << c.xml;
        EXPECT_EQ(plot->GetRect(), c.rect) << c.xml;
    }
}

TEST_F(WavePlotTest, PrepareBindsOnceAndListens) {
    ASSERT_EQ(Read("<wave example_from='9'/>"), ERR_NONE);
    EXPECT_EQ(plot->Prepare(), game::ERR_EXAMPLE_NOT_FOUND) << "no signal under 9";
    Prepare(MakeSignal(FullSwing(1000)), 100, 101);
    EXPECT_EQ(plot->GetSignal(), &Signal());
    EXPECT_EQ(Signal().GetListeners().count(plot.get()), 1u);
    EXPECT_EQ(plot->GetEnvelope().Width(), 100);
    EXPECT_EQ(plot->Prepare(), ERR_NONE);
    plot.reset();
    EXPECT_TRUE(Signal().GetListeners().empty()) << "a deleted plot hears nothing more";
}

TEST_F(WavePlotTest, RowsSpanTheHeight) {
    const struct {
        float sample;
        int height;
        int row;
    } cases[] = {
        {1.0f, 101, 0},    {-1.0f, 101, 100},         {0.0f, 101, 50},  {0.5f, 101, 25},
        {1.0f, 128, 0},    {-1.0f, 128, 128},         {-0.3f, 128, 83}, {1e6f, 101, -50},
        {-1e6f, 101, 150}, {std::nanf(""), 101, 150},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CWavePlot::RowOf(c.sample, c.height), c.row) << c.sample << " on " << c.height;
}

// The envelope kinds on a 100-pixel plot: blocks (k = 100), shared columns (k = 2) and the
// mean line alone (k = 0), with full-scale samples reaching rows 0 and 100 of a plot 101 high.
TEST_F(WavePlotTest, EnvelopeOfEachKind) {
    const struct {
        int samples;
        int perColumn;
        bool range;
    } cases[] = {{10000, 100, true}, {250, 2, true}, {50, 0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.samples);
        Prepare(MakeSignal(FullSwing(c.samples)), 100, 101);
        const game::CColumnEnvelope& e = plot->GetEnvelope();
        ASSERT_EQ(e.Width(), 100);
        EXPECT_EQ(e.ValuesPerColumn(), c.perColumn);
        ASSERT_EQ(e.HasRange(), c.range);
        for (int x = 0; x < 100 && c.range; ++x) {
            ASSERT_EQ(e.TopRows()[x], 0) << x;
            ASSERT_EQ(e.BottomRows()[x], 100) << x;
        }
    }
}

// Columns from the block's maximum to its minimum (the end row left out) and the mean line,
// in RGB(0, 0, 200) on white.
TEST_F(WavePlotTest, PaintsTheEnvelopeOnWhite) {
    Prepare(MakeSignal(FullSwing(10000)), 100, 101);
    Show();
    const QImage picture = Grab();
    ASSERT_EQ(picture.width(), 100);
    ASSERT_EQ(picture.height(), 101);
    for (int x = 0; x < 100; ++x) {
        for (int y = 0; y < 100; ++y)
            ASSERT_EQ(At(picture, x, y), BLUE) << x << "," << y;
        ASSERT_EQ(At(picture, x, 100), WHITE) << x;
    }
}

TEST_F(WavePlotTest, FewSamplesPaintOnlyTheMeanLine) {
    Prepare(MakeSignal(std::vector<float>(50, 0.5f)), 100, 101);
    Show();
    const QImage picture = Grab();
    for (int y = 0; y < 101; ++y)
        for (int x = 0; x < 100; ++x) {
            // The polyline leaves its last point out.
            const bool line = y == 25 && x < 99;
            ASSERT_EQ(At(picture, x, y), line ? BLUE : WHITE) << x << "," << y;
        }
}

TEST_F(WavePlotTest, ChangedSamplesRedrawTheEnvelope) {
    Prepare(MakeSignal(std::vector<float>(1000, 0.0f)), 100, 101);
    Show();
    EXPECT_EQ(plot->GetEnvelope().TopRows()[0], 50);
    ASSERT_TRUE(Signal().ApplyNoise(dsp::CSinNoise(1.0f, 1.0f)));
    ASSERT_TRUE(ProcessUntil([this] { return plot->GetEnvelope().TopRows()[0] < 20; }));
    EXPECT_EQ(At(Grab(), 0, plot->GetEnvelope().TopRows()[0]), BLUE);
}

// A click plays; the red bar stands at the column of the newest finished block and goes when
// the playback ends, leaving the envelope beneath it whole.
TEST_F(WavePlotTest, ClickPlaysAndTheBarFollows) {
    Prepare(MakeSignal(FullSwing(10 * B)), 100, 101);
    Show();
    Click(*plot);
    ASSERT_TRUE(Signal().IsPlaying());
    ASSERT_TRUE(ProcessUntil([this] { return plot->GetPlaybarColumn() == 0; }));
    EXPECT_EQ(ColumnsOf(Grab(), RED), std::set<int>{0});

    ASSERT_TRUE(m_device->FinishNext());
    ASSERT_TRUE(ProcessUntil([this] { return plot->GetPlaybarColumn() == 10; }));
    QImage picture = Grab();
    EXPECT_EQ(ColumnsOf(picture, RED), std::set<int>{10});
    for (int y = 0; y < 101; ++y)
        ASSERT_EQ(At(picture, 10, y), RED) << y;
    for (int y = 0; y < 100; ++y)
        ASSERT_EQ(At(picture, 0, y), BLUE) << "column 0 restored, row " << y;

    Click(*plot);
    EXPECT_EQ(m_device->OpenCount(), 1) << "a second click while it plays starts nothing";

    while (Signal().IsPlaying())
        m_device->FinishNext(std::chrono::milliseconds(20));
    ASSERT_TRUE(ProcessUntil([this] { return plot->GetPlaybarColumn() < 0; }));
    picture = Grab();
    EXPECT_TRUE(ColumnsOf(picture, RED).empty());
    for (int y = 0; y < 100; ++y)
        ASSERT_EQ(At(picture, 90, y), BLUE) << "last bar's column restored, row " << y;

    Click(*plot);
    EXPECT_EQ(m_device->OpenCount(), 2) << "after the end a click plays again";
}

TEST_F(WavePlotTest, ClickWithoutDeviceLeavesThePlotQuiet) {
    Prepare(MakeSignal(FullSwing(10 * B)), 100, 101);
    Show();
    m_device->SetAvailable(false);
    Click(*plot);
    CApplication::ProcessMessagesFor(20);
    EXPECT_FALSE(Signal().IsPlaying());
    EXPECT_LT(plot->GetPlaybarColumn(), 0);
    m_device->SetAvailable(true);
    Click(*plot);
    EXPECT_TRUE(Signal().IsPlaying()) << "a later click tries again";
}

// The companion text's first line becomes the tooltip of a plot that asks for one and has no
// text of its own; UTF-8 and Windows-1252 files both read right.
TEST_F(WavePlotTest, CompanionTextBecomesTheTooltip) {
    CExampleFolder folder;
    const std::string wave = folder.WriteWave("ton.wav", std::vector<std::int16_t>(4000, 1000));
    const std::string longLine(300, 'x');
    const struct {
        std::string txt; // empty: no file
        std::string attributes;
        std::string nodeText;
        std::wstring tooltip;
    } cases[] = {
        {"Ein Ton mit \xC3\xBC und \xC3\x9F\r\nzweite Zeile", "tooltip='1'", "",
         L"Ein Ton mit \u00FC und \u00DF"},
        {"Windows: \xFC\xDF\n", "tooltip='1'", "", L"Windows: \u00FC\u00DF"},
        {"\xEF\xBB\xBF"
         "Mit BOM",
         "tooltip='1'", "", L"Mit BOM"},
        {longLine, "tooltip='1'", "", std::wstring(255, L'x')},
        {"", "tooltip='1'", "", L""},
        {"Datei", "tooltip='1'", "Eigener Text", L"Eigener Text"},
        {"Datei", "tooltip='2'", "", L""},
        {"Datei", "", "", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.txt + " / " + c.attributes);
        std::filesystem::remove(folder.Write("ton.txt", ""));
        if (!c.txt.empty())
            folder.Write("ton.txt", c.txt);
        ASSERT_EQ(Read("<wave id='3' example='" + wave + "' " + c.attributes + ">" + c.nodeText +
                       "</wave>"),
                  ERR_NONE);
        ASSERT_EQ(plot->Prepare(), ERR_NONE);
        EXPECT_EQ(plot->GetText(), c.tooltip);
        plot.reset();
    }
}

// Leaving the slide while a sound plays: windows go, then the signals; the playback stops and
// nothing reaches the destroyed plot.
TEST_F(WavePlotTest, LeavingTheSlideWhilePlayingStopsTheSound) {
    CExampleFolder folder;
    const std::string wave = folder.WriteWave("lang.wav", std::vector<std::int16_t>(40 * B, 500));
    game::CElementFactory::Register(
        "wave", [](game::CGameContext* c) { return std::make_unique<CWavePlot>(c); });
    tinyxml2::XMLDocument slideXml(true, tinyxml2::COLLAPSE_WHITESPACE);
    ASSERT_EQ(slideXml.Parse(("<GameSlide><table rows='1' cols='1'><row><wave id='1' example='" +
                              wave + "'/></row></table></GameSlide>")
                                 .c_str()),
              tinyxml2::XML_SUCCESS);
    auto slide = std::make_unique<game::CGameSlide>(context, L"test");
    CRect area{0, 0, 1000, 1000};
    ASSERT_EQ(slide->ReadXml(*slideXml.RootElement(), area, WS_CHILD), ERR_NONE);
    ASSERT_EQ(slide->Prepare(), ERR_NONE);
    ASSERT_TRUE(host.Create(L"Host", L"", WS_VISIBLE, CRect{0, 0, 600, 400}, nullptr, 0));
    ASSERT_EQ(slide->CreateElementWindow(&host, 1000), ERR_NONE);
    slide->ShowWindow(true);
    CApplication::ProcessMessages();
    auto* wavePlot = dynamic_cast<CWavePlot*>(slide->Context().FindElement(1));
    ASSERT_NE(wavePlot, nullptr);

    Click(*wavePlot);
    ASSERT_TRUE(m_device->IsOpen());
    ASSERT_TRUE(m_device->FinishNext());
    slide.reset();
    EXPECT_FALSE(m_device->IsOpen());
    EXPECT_EQ(m_device->PendingCount(), 0u);
    CApplication::ProcessMessagesFor(30); // a bar message still queued finds no window
}

} // namespace
