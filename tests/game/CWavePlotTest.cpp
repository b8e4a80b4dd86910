#include "game/CWavePlot.h"
#include "PlotFixture.h"
#include "dsp/CFilter.h"
#include "dsp/CSinNoise.h"
#include "platform/CMessageBox.h"
#include "common/CTestSoundOutput.h"
#include "platform/CTickCount.h"

#include <chrono>
#include <filesystem>
#include <functional>

using game::ERR_NONE;

static constexpr COLORREF WHITE = RGB(255, 255, 255), BLUE = RGB(0, 0, 200), RED = RGB(255, 0, 0);

// +1 and -1 in turn: every column of a k >= 1 envelope spans the whole height.
static std::vector<float> FullSwing(int count) {
    std::vector<float> v(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        v[i] = i % 2 == 0 ? 1.0f : -1.0f;
    return v;
}

static bool ProcessUntil(const std::function<bool()>& done) {
    const std::uint32_t start = CTickCount::Now();
    while (!done() && CTickCount::Elapsed(start, CTickCount::Now()) < 5000)
        CApplication::ProcessMessagesFor(1);
    return done();
}

class WavePlotTest : public PlotFixture<game::CWavePlot> {
protected:
    // A message box would wait for a player who is not there.
    void SetUp() override {
        m_previous = CTestSoundOutput::Install(m_device);
        CMessageBox::SetHandler([](const std::wstring& text, const std::wstring&) {
            ADD_FAILURE() << CText::ToNarrow(text);
        });
    }
    void TearDown() override {
        plot.reset();
        host.DestroyWindow();
        CSoundOutput::SetFactory(m_previous);
        CMessageBox::SetHandler(nullptr);
    }
    // Reads, prepares and (if asked) shows a 100 x 101 plot of the signal.
    void Prepare(std::unique_ptr<dsp::CSignal> signal, bool show = true) {
        ReadAndPrepare(std::move(signal), "<wave example_from='5' width='100' height='101'/>");
        if (show)
            Show(CRect{0, 0, 600, 400});
    }
    void Click(CWnd& window) {
        QTest::mouseClick(window.Widget(), Qt::LeftButton, {}, QPoint(5, 5));
    }
    dsp::CSignal& Signal() { return *context.FindSignal(5); }

    std::shared_ptr<CTestSoundOutput::Device> m_device =
        std::make_shared<CTestSoundOutput::Device>();
    CSoundOutput::Factory m_previous;
    CTempFolder folder;
};

// Columns from maximum to minimum (the end row left out) in RGB(0, 0, 200) on white; with
// fewer samples than pixels only the mean line (its last point left out).
TEST_F(WavePlotTest, PaintsTheEnvelopeOnWhite) {
    Prepare(MakeSignal(FullSwing(10000)));
    QImage picture = Grab();
    ASSERT_EQ(picture.size(), QSize(100, 101));
    for (int x = 0; x < 100; ++x)
        for (int y = 0; y <= 100; ++y)
            ASSERT_EQ(PixelOf(picture, x, y), y < 100 ? BLUE : WHITE) << x << "," << y;
    plot->SetMark(game::MARK_WRONG);
    EXPECT_NE(Grab(), picture) << "the mark is drawn";
    plot->MoveWindow(CRect{0, 0, 60, 101}); // only narrower: the columns follow
    CApplication::ProcessMessages();
    EXPECT_EQ(plot->GetEnvelope().Width(), 60);

    Prepare(MakeSignal(std::vector<float>(50, 0.5f)));
    picture = Grab();
    for (int y = 0; y < 101; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(PixelOf(picture, x, y), y == 25 && x < 99 ? BLUE : WHITE) << x << "," << y;
}

TEST_F(WavePlotTest, ChangedSamplesRedrawTheEnvelope) {
    Prepare(MakeSignal(std::vector<float>(1000, 0.0f)));
    ASSERT_TRUE(Signal().ApplyNoise(dsp::CSinNoise(1.0f, 1.0f)));
    ASSERT_TRUE(ProcessUntil([this] { return plot->GetEnvelope().TopRows()[0] < 20; }));
    EXPECT_EQ(PixelOf(Grab(), 0, plot->GetEnvelope().TopRows()[0]), BLUE);
}

// Without a sound device the first click tells the player, later ones stay quiet, and once a
// device is back a click plays again.
TEST_F(WavePlotTest, AMissingDeviceIsToldOnce) {
    std::vector<std::wstring> told;
    CMessageBox::SetHandler([&told](const std::wstring& text, const std::wstring&) {
        told.push_back(text);
    });
    Prepare(MakeSignal(FullSwing(2000)));
    m_device->SetAvailable(false);
    Click(*plot);
    Click(*plot);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(L"keine Tonausgabe"), std::wstring::npos);
    EXPECT_FALSE(Signal().IsPlaying());
    m_device->SetAvailable(true);
    Click(*plot);
    EXPECT_TRUE(Signal().IsPlaying());
    while (Signal().IsPlaying())
        m_device->FinishNext(std::chrono::milliseconds(20));
    EXPECT_EQ(told.size(), 1u);
}

// A black note in the lower left (loop) or lower right (bypass) corner of a 100-pixel plot.
static bool NoteAt(const QImage& picture, bool right) {
    for (int y = picture.height() / 2; y < picture.height(); ++y)
        for (int x = right ? 80 : 0; x < (right ? 100 : 20); ++x)
            if (PixelOf(picture, x, y) == RGB(0, 0, 0))
                return true;
    return false;
}

// A second click or Space on the plot the click focused stops the sound; L makes the sound
// start again from frame 0 at its end without a gap, and B makes a filter's output go on with
// the filter's input at the frame reached, and back, while a root signal ignores it. Each
// click starts the device with three blocks already in it, so the sound begins at once. A red
// bar stands at the column of the newest finished block and goes at the end, leaving the
// envelope beneath it whole.
TEST_F(WavePlotTest, KeysOnTheFocusedPlotStopLoopAndBypass) {
    constexpr int B = 200, COUNT = 1700; // 25 ms at 8000 Hz; 8.5 blocks
    enum Note { NONE = 0, LOOP = 1, BYPASS = 2 };
    struct Step {
        std::size_t atQueued; // blocks the device has been given first
        Qt::Key key;          // Qt::Key_unknown: a click
        int notes;
        bool playing; // after the key
    };
    const struct {
        const char* name;
        bool filtered, loops;
        int bypassFrom, bypassTo; // blocks heard from the filter's input
        std::vector<Step> steps;  // a sound still playing after them plays to its end
    } cases[] = {
        {"click stops", false, false, 0, 0,
         {{0, Qt::Key_unknown, NONE, true}, {4, Qt::Key_unknown, NONE, false}}},
        {"space stops", false, false, 0, 0,
         {{0, Qt::Key_unknown, NONE, true}, {4, Qt::Key_Space, NONE, false}}},
        {"loop", false, true, 0, 0,
         {{0, Qt::Key_unknown, NONE, true},
          {3, Qt::Key_L, LOOP, true},
          {19, Qt::Key_Space, LOOP, false}}},
        {"bypass and back", true, false, 3, 5,
         {{0, Qt::Key_unknown, NONE, true},
          {3, Qt::Key_B, BYPASS, true},
          {5, Qt::Key_B, NONE, true}}},
        {"root ignores bypass", false, false, 0, 0,
         {{0, Qt::Key_unknown, NONE, true}, {3, Qt::Key_B, NONE, true}}},
    };
    std::vector<float> input(COUNT);
    for (int i = 0; i < COUNT; ++i)
        input[i] = -0.9f + 1.8f * float(i) / COUNT;
    std::chrono::microseconds longestStart{0};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_device = std::make_shared<CTestSoundOutput::Device>();
        CTestSoundOutput::Install(m_device);
        std::unique_ptr<dsp::CSignal> shown = MakeSignal(input);
        if (c.filtered) {
            context.SetSignal(6, std::move(shown));
            shown = std::make_unique<dsp::CSignal>();
            dsp::CFilter half;
            const float a[] = {1.0f}, b[] = {0.5f};
            ASSERT_TRUE(half.SetCoefficients(a, 1, b, 1));
            ASSERT_EQ(shown->CreateFrom(context.FindSignal(6)), dsp::CSignal::RESULT_OK);
            ASSERT_TRUE(shown->ApplyFilter(half));
        }
        Prepare(std::move(shown));
        const QImage envelope = Grab();
        // Red on the bar's column, elsewhere the envelope (the lower corners may hold a note).
        const auto barOnEnvelope = [&](const QImage& picture, int bar, int notes) {
            for (int x = 0; x < 100; ++x)
                for (int y = 0; y < 101; ++y)
                    if (x == bar || y < 50 || notes == NONE) {
                        ASSERT_EQ(PixelOf(picture, x, y), x == bar ? RED : PixelOf(envelope, x, y))
                            << x << "," << y << " bar " << bar;
                    }
        };
        for (const Step& step : c.steps) {
            for (std::size_t n = m_device->Queued().size(); n < step.atQueued; ++n) {
                ASSERT_TRUE(m_device->FinishNext());
                ASSERT_TRUE(m_device->WaitForQueued(n + 1));
            }
            if (Signal().IsPlaying()) { // the bar stands where the sound is, a loop's anew
                const int played = int(step.atQueued - 3) * B;
                const int column = (c.loops ? played % COUNT : played) * 100 / COUNT;
                ASSERT_TRUE(ProcessUntil([&] { return plot->GetPlaybarColumn() == column; }));
            }
            const auto pressed = std::chrono::steady_clock::now();
            if (step.key == Qt::Key_unknown)
                Click(*plot);
            else
                QTest::keyClick(plot->Widget(), step.key);
            if (Signal().IsPlaying() && m_device->StartedAt() >= pressed) {
                EXPECT_EQ(m_device->QueuedAtStart(), 3u);
                longestStart = std::max(longestStart,
                                        std::chrono::duration_cast<std::chrono::microseconds>(
                                            m_device->StartedAt() - pressed));
            }
            EXPECT_EQ(Signal().IsPlaying(), step.playing) << step.atQueued;
            EXPECT_TRUE(plot->HasFocus());
            CApplication::ProcessMessages();
            const QImage picture = Grab();
            EXPECT_EQ(NoteAt(picture, false), (step.notes & LOOP) != 0) << step.atQueued;
            EXPECT_EQ(NoteAt(picture, true), (step.notes & BYPASS) != 0) << step.atQueued;
            barOnEnvelope(picture, plot->GetPlaybarColumn(), step.notes);
        }
        while (Signal().IsPlaying())
            m_device->FinishNext(std::chrono::milliseconds(20));
        ASSERT_TRUE(ProcessUntil([this] { return plot->GetPlaybarColumn() < 0; }));
        barOnEnvelope(Grab(), -1, c.steps.back().notes);
        std::vector<std::uint8_t> heard, expected;
        for (const auto& block : m_device->Queued())
            heard.insert(heard.end(), block.bytes.begin(), block.bytes.end());
        for (std::size_t frame = 0; frame < heard.size() / 2; ++frame) {
            const int block = int(frame) / B;
            const bool bypassed = block >= c.bypassFrom && block < c.bypassTo;
            const std::size_t i = c.loops ? frame % COUNT : frame;
            const float gain = c.filtered && !bypassed ? 0.5f : 1.0f;
            const float value = i < COUNT ? gain * input[i] : 0.0f;
            std::uint8_t bytes[2];
            dsp::CSignal::FloatToSample(value, bytes, 16);
            expected.insert(expected.end(), bytes, bytes + 2);
        }
        EXPECT_EQ(heard, expected);
        EXPECT_GE(heard.size() / 2, c.loops ? 2u * COUNT : 4u * B);
        plot.reset();
    }
    RecordProperty("longest_press_to_first_sample_us", int(longestStart.count()));
}

// The companion text's first line is the tooltip of a plot that asks for one and has no text
// of its own.
TEST_F(WavePlotTest, CompanionTextBecomesTheTooltip) {
    std::string long_ = "a";
    for (int i = 0; i < 600; ++i)
        long_ += "\xC3\xA4";
    const std::string wave = CText::ToNarrow(
        folder.Write("ton.wav", CWaveBytes::Mono16(std::vector<std::int16_t>(4000, 1000))));
    const struct {
        std::string txt; // empty: no file
        std::string attributes, nodeText;
        std::wstring tooltip;
    } cases[] = {
        {"Ein Ton mit \xC3\xBC und \xC3\x9F\r\nzweite Zeile", "tooltip='1'", "",
         L"Ein Ton mit \u00FC und \u00DF"},
        {"Windows: \xFC\xDF\n", "tooltip='1'", "", L"Windows: \u00FC\u00DF"},
        {"\xEF\xBB\xBFMit BOM", "tooltip='1'", "", L"Mit BOM"},
        {"", "tooltip='1'", "", L""},
        {"Datei", "tooltip='1'", "Eigener Text", L"Eigener Text"},
        {"Datei", "", "", L""},
        // Cut inside a character, the rest still reads as UTF-8; at most 255 characters.
        {long_, "tooltip='1'", "", L"a" + std::wstring(254, L'\u00E4')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.txt + " / " + c.attributes);
        std::filesystem::remove(folder.PathOf("ton.txt"));
        if (!c.txt.empty())
            folder.Write("ton.txt", c.txt);
        ASSERT_EQ(Read("<wave id='3' example='" + wave + "' " + c.attributes + ">" + c.nodeText +
                       "</wave>"),
                  ERR_NONE);
        ASSERT_EQ(plot->Prepare(), ERR_NONE);
        EXPECT_EQ(plot->GetText(), c.tooltip);
    }
}
