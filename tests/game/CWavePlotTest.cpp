#include "game/CWavePlot.h"
#include "PlotFixture.h"
#include "dsp/CFilter.h"
#include "platform/CMessageBox.h"
#include "platform/CTickCount.h"

#include <filesystem>
#include <functional>
#include <tuple>

using game::ERR_NONE;

static constexpr COLORREF WHITE = RGB(255, 255, 255), BLUE = RGB(0, 0, 200), RED = RGB(255, 0, 0);

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
        CMessageBox::SetHandler([this](const std::wstring& text, const std::wstring&) {
            told.push_back(text);
        });
    }
    void TearDown() override {
        plot.reset();
        host.DestroyWindow();
        CMessageBox::SetHandler(nullptr);
    }
    // Reads, prepares and shows a 100 x 101 plot of the samples.
    void Prepare(std::unique_ptr<dsp::CSignal> signal) {
        ReadAndPrepare(std::move(signal), "<wave example_from='5' width='100' height='101'/>");
        Show(CRect{0, 0, 600, 400});
    }
    void Click() { QTest::mouseClick(plot->Widget(), Qt::LeftButton, {}, QPoint(5, 5)); }
    dsp::CSignal& Signal() { return *context.FindSignal(5); }

    ScopedDevice sound;
    std::vector<std::wstring> told;
};

// Columns from maximum to minimum (the end row left out) in RGB(0, 0, 200) on white; with
// fewer samples than pixels only the mean line (its last point left out).
TEST_F(WavePlotTest, PaintsTheEnvelopeOnWhite) {
    std::vector<float> fullSwing(10000, 1.0f); // every column spans the whole height
    for (std::size_t i = 1; i < fullSwing.size(); i += 2)
        fullSwing[i] = -1.0f;
    Prepare(MakeSignal(fullSwing));
    const QImage picture = Grab();
    ASSERT_EQ(picture.size(), QSize(100, 101));
    for (int x = 0; x < 100; ++x)
        for (int y = 0; y <= 100; ++y)
            ASSERT_EQ(PixelOf(picture, x, y), y < 100 ? BLUE : WHITE) << x << "," << y;
    Prepare(MakeSignal(std::vector<float>(50, 0.5f)));
    const QImage line = Grab();
    for (int y = 0; y < 101; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(PixelOf(line, x, y), y == 25 && x < 99 ? BLUE : WHITE) << x << "," << y;
}

// Without a sound device the first click tells the player, later ones stay quiet, and once a
// device is back a click plays again. A second click or Space on the plot the click focused
// stops the sound; L makes the sound start again from frame 0 at its end without a gap, and B
// makes a filter's output go on with the filter's input at the frame reached, and back, while a
// root signal ignores it. Each start gives the device three blocks at once, so the sound begins
// at once. A red bar stands at the column of the newest finished block and goes at the end,
// leaving the envelope beneath it whole.
TEST_F(WavePlotTest, ClicksAndKeysOnTheFocusedPlotPlayStopLoopAndBypass) {
    constexpr int B = 200, COUNT = 1700; // 25 ms at 8000 Hz; 8.5 blocks
    constexpr Qt::Key CLICK = Qt::Key_unknown;
    enum Note { NONE = 0, LOOP = 1, BYPASS = 2 };
    // Blocks the device has been given first, the key, then the notes and whether it plays.
    using Step = std::tuple<std::size_t, Qt::Key, int, bool>;
    const struct {
        const char* name;
        bool filtered, loops;
        int mutedClicks;          // before the first click, without a device
        int bypassFrom, bypassTo; // blocks heard from the filter's input
        std::vector<Step> steps;  // after the first click; a sound still playing plays out
    } cases[] = {
        {"click stops", false, false, 2, 0, 0, {{4, CLICK, NONE, false}}},
        {"space stops", false, false, 0, 0, 0, {{4, Qt::Key_Space, NONE, false}}},
        {"loop", false, true, 0, 0, 0,
         {{3, Qt::Key_L, LOOP, true}, {19, Qt::Key_Space, LOOP, false}}},
        {"bypass and back", true, false, 0, 3, 5,
         {{3, Qt::Key_B, BYPASS, true}, {5, Qt::Key_B, NONE, true}}},
        {"root ignores bypass", false, false, 0, 0, 0, {{3, Qt::Key_B, NONE, true}}},
    };
    std::vector<float> input(COUNT);
    for (int i = 0; i < COUNT; ++i)
        input[i] = -0.9f + 1.8f * float(i) / COUNT;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sound.device = std::make_shared<CTestSoundOutput::Device>();
        CTestSoundOutput::Install(sound.device);
        std::unique_ptr<dsp::CSignal> shown = MakeSignal(input);
        if (c.filtered) { // the input at half gain
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
        sound.device->SetAvailable(c.mutedClicks == 0);
        for (int i = 0; i < c.mutedClicks; ++i)
            Click();
        EXPECT_FALSE(Signal().IsPlaying());
        sound.device->SetAvailable(true);
        std::vector<Step> steps = c.steps;
        steps.insert(steps.begin(), Step{0, CLICK, NONE, true});
        for (const auto& [atQueued, key, notes, playing] : steps) {
            for (std::size_t n = sound.device->Queued().size(); n < atQueued; ++n) {
                ASSERT_TRUE(sound.device->FinishNext());
                ASSERT_TRUE(sound.device->WaitForQueued(n + 1));
            }
            if (Signal().IsPlaying()) { // the bar stands where the sound is, a loop's anew
                const int played = int(atQueued - 3) * B;
                const int column = (c.loops ? played % COUNT : played) * 100 / COUNT;
                ASSERT_TRUE(ProcessUntil([&] { return plot->GetPlaybarColumn() == column; }));
            }
            const auto pressed = std::chrono::steady_clock::now();
            if (key == CLICK)
                Click();
            else
                QTest::keyClick(plot->Widget(), key);
            if (Signal().IsPlaying() && sound.device->StartedAt() >= pressed) {
                EXPECT_EQ(sound.device->QueuedAtStart(), 3u);
            }
            EXPECT_EQ(Signal().IsPlaying(), playing) << atQueued;
            EXPECT_TRUE(plot->HasFocus());
            CApplication::ProcessMessages();
            const QImage picture = Grab();
            for (const bool right : {false, true}) { // a black note lower left: loop, right: bypass
                int black = 0;
                for (int y = 50; y < 101; ++y)
                    for (int x = right ? 80 : 0; x < (right ? 100 : 20); ++x)
                        black += PixelOf(picture, x, y) == RGB(0, 0, 0);
                EXPECT_EQ(black > 0, (notes & (right ? BYPASS : LOOP)) != 0) << atQueued;
            }
            barOnEnvelope(picture, plot->GetPlaybarColumn(), notes);
        }
        sound.PlayOut(Signal());
        ASSERT_TRUE(ProcessUntil([this] { return plot->GetPlaybarColumn() < 0; }));
        barOnEnvelope(Grab(), -1, std::get<2>(steps.back()));
        std::vector<std::uint8_t> heard, expected;
        for (const auto& block : sound.device->Queued())
            heard.insert(heard.end(), block.bytes.begin(), block.bytes.end());
        for (std::size_t frame = 0; frame < heard.size() / 2; ++frame) {
            const int block = int(frame) / B;
            const std::size_t i = c.loops ? frame % COUNT : frame;
            const bool halved = c.filtered && (block < c.bypassFrom || block >= c.bypassTo);
            std::uint8_t bytes[2];
            dsp::CSignal::FloatToSample(i < COUNT ? (halved ? 0.5f : 1.0f) * input[i] : 0.0f,
                                        bytes, 16);
            expected.insert(expected.end(), bytes, bytes + 2);
        }
        EXPECT_EQ(heard, expected);
        EXPECT_GE(heard.size() / 2, c.loops ? 2u * COUNT : 4u * B);
        plot.reset();
    }
    ASSERT_EQ(told.size(), 1u) << "only the first click without a device tells";
    EXPECT_NE(told[0].find(L"keine Tonausgabe"), std::wstring::npos);
}

// The companion text's first line is the tooltip of a plot that asks for one and has no text
// of its own: without line end or byte-order mark, Windows-1252 read too, cut inside a
// character the rest still UTF-8, at most 255 characters.
TEST_F(WavePlotTest, CompanionTextBecomesTheTooltip) {
    const std::string long_ = CText::ToNarrow(L"a" + std::wstring(600, L'\u00E4'));
    const CTempFolder folder;
    const std::string wave = CText::ToNarrow(
        folder.Write("ton.wav", CWaveBytes::Mono16(std::vector<std::int16_t>(4000, 1000))));
    // The text file (none if empty), the wave's attributes from the tooltip on, the tooltip.
    const std::tuple<std::string, std::string, std::wstring> cases[] = {
        {"Ein Ton mit \xC3\xBC und \xC3\x9F\r\nzweite Zeile", " tooltip='1'>",
         L"Ein Ton mit \u00FC und \u00DF"},
        {"Windows: \xFC\xDF\n", " tooltip='1'>", L"Windows: \u00FC\u00DF"},
        {"\xEF\xBB\xBFMit BOM", " tooltip='1'>", L"Mit BOM"},
        {"", " tooltip='1'>", L""},
        {"Datei", " tooltip='1'>Eigener Text", L"Eigener Text"},
        {"Datei", ">", L""},
        {long_, " tooltip='1'>", L"a" + std::wstring(254, L'\u00E4')},
    };
    for (const auto& [txt, rest, tooltip] : cases) {
        SCOPED_TRACE(txt + " /" + rest);
        std::filesystem::remove(folder.PathOf("ton.txt"));
        if (!txt.empty())
            folder.Write("ton.txt", txt);
        ASSERT_EQ(Read("<wave id='3' example='" + wave + "'" + rest + "</wave>"), ERR_NONE);
        ASSERT_EQ(plot->Prepare(), ERR_NONE);
        EXPECT_EQ(plot->GetText(), tooltip);
    }
}
