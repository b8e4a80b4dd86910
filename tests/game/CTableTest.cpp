#include "PlotFixture.h"
#include "SlideFixture.h"

#include "game/CWavePlot.h"
#include "platform/CRandom.h"

#include <QPushButton>

#include <array>
#include <tuple>
#include <ctime>

using game::ERR_NONE;
using TableTest = SlideFixture;

// The next row starts below the tallest cell; static cells keep no id.
TEST_F(TableTest, NextRowStartsBelowTheTallestCell) {
    ASSERT_EQ(ReadTables("<table rows='2' cols='3'><row><wave id='1'/>"
                         "<static height='200' width='100' center='0'>a</static>"
                         "<wave id='2' width='100'/></row>"
                         "<row><static>b</static><wave id='3'/><static center='2'/></row></table>"),
              ERR_NONE);
    EXPECT_EQ(Panel(2)->GetRect().left, 10 + 256 + 10 + 100 + 10);
    const std::vector<game::StaticText>& statics = Table().StaticTexts();
    ASSERT_EQ(statics.size(), 3u);
    EXPECT_EQ(statics[0].rect, (CRect{276, 10, 376, 210}));
    EXPECT_EQ(statics[1].rect, (CRect{10, 220, 266, 348}));
    EXPECT_EQ(statics[2].rect, (CRect{542, 220, 798, 348}));
    EXPECT_EQ(statics[0].text + statics[1].text, L"ab");
    EXPECT_FALSE(statics[0].center);
    EXPECT_TRUE(statics[1].center && statics[2].center);
    EXPECT_EQ(Table().GetRect(), (CRect{10, 10, 818, 368})) << "a static can be rightmost";
    EXPECT_EQ(Panel(3)->GetRect(), (CRect{276, 220, 532, 348}));
    EXPECT_EQ(Table().ExpectedIds(), (std::vector<int>{1, 0, 2, 0, 3, 0}));
}

// A shuffled row takes its cells in the order the generator, reseeded from the clock, draws
// them (k = draw modulo the cells left), replayed here within the same second.
TEST_F(TableTest, ShuffledRowsFollowTheDrawsOfTheReseededGenerator) {
    const std::string xml =
        "<table rows='2' cols='5'><row shuffle='1'><wave id='1'/><wave id='2'/><static/>"
        "<wave id='3'/><wave id='4'/></row><row shuffle='2'><wave id='8'/><wave id='9'/>"
        "<static/><static/><static/></row></table>";
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::time_t before = std::time(nullptr);
        ASSERT_EQ(ReadTables(xml), ERR_NONE);
        const std::vector<int> first = Table().CurrentIds();
        ASSERT_EQ(ReadTables(xml), ERR_NONE);
        CRandom::SeedWithTime();
        if (std::time(nullptr) != before)
            continue; // a second boundary fell between the reads
        std::vector<int> left = {1, 2, 0, 3, 4}, expected;
        while (!left.empty()) {
            const auto k = std::size_t(CRandom::Next()) % left.size();
            expected.push_back(left[k]);
            left.erase(left.begin() + std::ptrdiff_t(k));
        }
        expected.insert(expected.end(), {8, 9, 0, 0, 0});
        EXPECT_EQ(Table().CurrentIds(), expected);
        EXPECT_EQ(first, expected);
        EXPECT_EQ(Table().ExpectedIds(), (std::vector<int>{1, 2, 0, 3, 4, 8, 9, 0, 0, 0}));
        for (int c = 0; c < 5; ++c)
            if (expected[c] != 0) {
                EXPECT_EQ(Panel(expected[c])->GetRect().left, 10 + 266 * c) << expected[c];
            }
        return;
    }
}

// Each cell is marked from where it belongs: a panel in another's cell or short of its points
// is wrong; a panel without points to win is neither counted nor marked, nor one without id.
TEST_F(TableTest, EvaluationMarksEachCellFromWhereItBelongs) {
    ASSERT_EQ(ReadTables("<table rows='2' cols='4'><row><wave id='1' points='2'/>"
                         "<wave id='2'/><wave id='3'/><wave id='4' points='0'/></row><row>"
                         "<wave id='5' points='3'/><wave id='-4'/><static/><wave id='6'/></row>"
                         "</table>"),
              ERR_NONE);
    Panel(5)->achieved = 1;
    Table().OnSwitchPanels(2, 3);
    EXPECT_EQ(Table().CurrentIds(), (std::vector<int>{1, 3, 2, 4, 5, 0, 0, 6}));
    EXPECT_EQ(Table().GetPoints(), 3);
    EXPECT_EQ(Table().GetMaxPoints(), 9);
    for (const auto& [id, mark] : {std::pair{1, game::MARK_CORRECT}, {2, game::MARK_WRONG},
                                   {3, game::MARK_WRONG}, {4, 0}, {5, game::MARK_WRONG},
                                   {0, 0}, {6, game::MARK_CORRECT}})
        EXPECT_EQ(Panel(id)->GetMark(), mark) << id;
    Table().OnSwitchPanels(3, 2);
    EXPECT_EQ(Table().CurrentIds(), (std::vector<int>{1, 2, 3, 4, 5, 0, 0, 6}));
}

// After "Auswerten" every panel in a wrong cell carries a filled number badge (top left) and
// the cell where it belongs a dashed badge with the same number (top right) inside a dashed
// outline in the gap around it; the right panel gets nothing, and nothing shows before.
TEST_F(TableTest, ShowsWhereEachWrongPanelBelongsOnlyOnceRevealed) {
    Show("<table rows='1' cols='4'><row><wave id='1' switch='1'/><wave id='2' switch='1'/>"
         "<wave id='3' switch='1'/><wave id='4' switch='1'/></row></table>");
    Drag(1, 2);
    Drag(1, 3);
    ASSERT_EQ(Table().CurrentIds(), (std::vector<int>{2, 3, 1, 4}));
    // Cell c's filled badge, dashed badge and the outline's left line; cells 256 x 128.
    const auto marks = [](int c) {
        const int left = 10 + 266 * c;
        return std::array{CRect{left + 5, 15, left + 23, 33}, CRect{left + 233, 15, left + 251, 33},
                          CRect{left - 4, 6, left - 3, 142}};
    };
    CApplication::ProcessMessages();
    const QImage before = Table().Widget()->grab().toImage();
    Table().RevealAnswer();
    CApplication::ProcessMessages();
    const QImage after = Table().Widget()->grab().toImage();
    for (int cell = 0; cell < 4; ++cell)
        for (const CRect& r : marks(cell)) {
            EXPECT_EQ(CountDark(before, r), 0) << "before, cell " << cell;
            EXPECT_EQ(CountDark(after, r) > 0, cell != 3) << "cell " << cell;
        }
    // The same number: the filled badge's light digits are the dashed badge's dark ones.
    const int cellOf[] = {2, 0, 1}; // of the panel that belongs in cell i
    const auto dark = [&](const CRect& r, int x, int y) {
        return qGray(after.pixel(r.left + x, r.top + y)) < 128;
    };
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b) {
            int same = 0;
            for (int y = 0; y < 18; ++y)
                for (int x = 0; x < 18; ++x)
                    same += dark(marks(cellOf[a])[0], x, y) == dark(marks(b)[1], x, y);
            EXPECT_EQ(same <= 3, a == b) << a << " against " << b;
        }
}

// After evaluation "deine Lösung" and "richtige Lösung" of a wrong cell each take over at the
// block the other had reached, and the one left stops with its bar.
TEST_F(TableTest, ComparisonPlaysEitherSoundFromWhereTheOtherWas) {
    const testing_panels::CScopedKind waves(
        "wave", [](game::CGameContext* c) { return std::make_unique<game::CWavePlot>(c); });
    const ScopedDevice sound;
    std::vector<std::int16_t> first(4000), second(4000); // sample by sample different
    for (int i = 0; i < 4000; ++i) {
        first[i] = std::int16_t(i * 7 - 14000);
        second[i] = std::int16_t(9000 - i * 3);
    }
    const CTempFolder folder;
    const auto wave = [&folder](int id, const std::vector<std::int16_t>& s) {
        const std::string name = std::to_string(id);
        return "<wave id='" + name + "' switch='1' example='" +
               CText::ToNarrow(folder.Write(name + ".wav", CWaveBytes::Mono16(s))) + "'/>";
    };
    Show("<table rows='1' cols='2'><row>" + wave(1, first) + wave(2, second) + "</row></table>");
    ASSERT_EQ(slide->Prepare(), ERR_NONE);
    Drag(1, 2);
    Table().GetPoints();
    Table().RevealAnswer();
    auto* yours = Panel<game::CWavePlot>(2); // the sound the player put into cell 0
    auto* right = Panel<game::CWavePlot>(1);
    // The right sound's button or the player's, the blocks played before, the frame it plays.
    for (const auto& [toRight, blocksBefore, from] :
         {std::tuple{false, 0, 0}, {true, 2, 400}, {false, 1, 600}}) {
        SCOPED_TRACE(from);
        const auto& device = sound.device;
        for (std::size_t n = device->Queued().size(), end = n + blocksBefore; n < end; ++n) {
            ASSERT_TRUE(device->FinishNext());
            ASSERT_TRUE(device->WaitForQueued(n + 1));
        }
        const std::size_t queued = device->Queued().size();
        const QString text = toRight ? "richtige Lösung" : "deine Lösung";
        QPushButton* pressed = nullptr;
        for (QPushButton* b : Table().Widget()->findChildren<QPushButton*>())
            if (b->text() == text && b->geometry().right() < 266)
                pressed = b;
        ASSERT_NE(pressed, nullptr);
        pressed->click();
        ASSERT_TRUE(device->WaitForQueued(queued + 1));
        const auto heard = (toRight ? first : second).begin() + from;
        const std::vector<std::uint8_t> bytes = device->Queued()[queued].bytes;
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), CWaveBytes::Pcm16({heard, heard + 200}));
        game::CWavePlot* other = toRight ? yours : right;
        EXPECT_TRUE((toRight ? right : yours)->GetSignal()->IsPlaying());
        EXPECT_FALSE(other->GetSignal()->IsPlaying());
        CApplication::ProcessMessages();
        EXPECT_EQ(other->GetPlaybarColumn(), -1);
    }
    slide.reset();
}
