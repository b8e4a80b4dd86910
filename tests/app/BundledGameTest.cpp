// Plays every course of the bundled game to its end, giving the right answer on every slide,
// then the random tasks, which must offer only exercises.

#include "GameFolder.h"

#include "dsp/CSignal.h"
#include "game/CGameSlide.h"
#include "game/CNotchFilter.h"
#include "game/CPoleZeroPlot.h"
#include "game/CTable.h"
#include "game/CWavePlot.h"
#include "platform/CText.h"

#include <cwchar>

namespace {

namespace fs = std::filesystem;

class BundledGame : public GameFolder {
protected:
    void SetUp() override {
        GameFolder::SetUp();
        fs::copy(fs::path(VELMORA_SOURCE_DIR) / "content", m_folder,
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        fs::remove(m_folder / "stats");
    }

    // The real wave plots, not the test panels.
    testing_panels::CScopedKind m_waves{
        "wave", [](game::CGameContext* c) { return std::make_unique<game::CWavePlot>(c); }};

    // A point of the element's client area as its widget sees it: plots with axes have their
    // margins around it.
    static QPoint InClient(const game::CElement& element, int x, int y) {
        const CRect margins = element.GetNonClientMargins();
        return QPoint(margins.left + x, margins.top + y);
    }

    // Drags panels until every cell of every table holds the element that belongs there.
    static void Solve(game::CGameSlide& slide) {
        auto& context = slide.Context();
        for (const auto& child : slide.Children()) {
            auto* table = dynamic_cast<game::CTable*>(child.get());
            if (table == nullptr)
                continue;
            for (std::size_t k = 0; k < table->ExpectedIds().size(); ++k) {
                const int expected = table->ExpectedIds()[k];
                const int current = table->CurrentIds()[k];
                if (expected == current)
                    continue;
                const game::CElement* from = context.FindElement(expected);
                const game::CElement* to = context.FindElement(current);
                QTest::mousePress(from->Widget(), Qt::LeftButton, {}, InClient(*from, 4, 4));
                QTest::mouseRelease(to->Widget(), Qt::LeftButton, {}, InClient(*to, 4, 4));
            }
            ASSERT_EQ(table->CurrentIds(), table->ExpectedIds());
            for (const auto& element : table->Children())
                Answer(*element);
        }
    }

    // A notch is clicked onto its tone. A pole-zero designer with a target gets the target's
    // roots; one without a pair of zeros at the top of its circle, which must change what it
    // passes on, and it promises no points.
    static void Answer(game::CElement& element) {
        if (auto* notch = dynamic_cast<game::CNotchFilter*>(&element)) {
            QTest::mouseClick(
                notch->Widget(), Qt::LeftButton, {},
                InClient(*notch, notch->GetSolution(), notch->GetClientRect().Height() / 2));
            EXPECT_EQ(notch->GetNotch(), notch->GetSolution());
        }
        auto* designer = dynamic_cast<game::CPoleZeroPlot*>(&element);
        if (designer != nullptr && designer->HasTarget()) {
            for (const bool poles : {false, true})
                for (const auto root : designer->TargetRoots(poles))
                    QTest::mouseClick(
                        designer->Widget(), poles ? Qt::RightButton : Qt::LeftButton, {},
                        InClient(*designer,
                                 designer->GetCentre().x +
                                     int(std::lround(root.real() * designer->GetRadius())),
                                 designer->GetCentre().y -
                                     int(std::lround(root.imag() * designer->GetRadius()))));
            EXPECT_EQ(designer->GetPoints(), designer->GetMaxPoints());
        } else if (designer != nullptr) {
            EXPECT_EQ(designer->GetMaxPoints(), 0);
            const CRect client = designer->GetClientRect();
            const int radius = std::min(client.Width(), client.Height()) * 9 / 10;
            QTest::mouseClick(
                designer->Widget(), Qt::LeftButton, {},
                InClient(*designer, client.Width() / 2, client.Height() - 5 - radius));
            const dsp::CSignal* output = element.GetContext()->FindSignal(element.GetId());
            ASSERT_NE(output, nullptr);
            ASSERT_NE(output->GetSource(), nullptr);
            const float* in = output->GetSource()->GetSamples();
            const float* out = output->GetSamples();
            EXPECT_FALSE(std::equal(in, in + output->GetSampleCount(), out));
        }
    }

    // Plays the slide on screen: solve, evaluate when it gives points, move on.
    void Play(CVelmoraDlg& dialog) {
        game::CGameSlide& slide = *dialog.CurrentSlide();
        const int before = Points(dialog.ScoreLine()).first;
        Solve(slide);
        if (slide.GetMaxPoints() > 0) {
            Click(dialog, IDC_CHECK);
            const auto [achieved, total] = Points(dialog.ScoreLine());
            EXPECT_GT(total, 0);
            EXPECT_EQ(achieved - before, slide.GetMaxPoints()) << CText::ToNarrow(slide.GetName());
        }
        ++played;
        ASSERT_TRUE(WaitUntil([&] { return Enabled(dialog, IDC_NEXT); }, 10000))
            << CText::ToNarrow(slide.GetName());
        Click(dialog, IDC_NEXT);
    }
    int played = 0;

    // The two numbers of the score line.
    static std::pair<int, int> Points(const std::wstring& line) {
        int achieved = -1, total = -1;
        std::swscanf(line.c_str(), L"Es wurden %d von %d", &achieved, &total);
        return {achieved, total};
    }
};

TEST_F(BundledGame, EveryCourseEndsWithFullPoints) {
    CVelmoraDlg dialog;
    AnswerScoreDialogs(dialog, "Test");
    RunModal(
        dialog,
        [&] {
            ASSERT_GE(dialog.Courses().size(), 8u);
            for (std::size_t c = 0; c < dialog.Courses().size(); ++c) {
                const auto& course = dialog.Courses()[c];
                Click(dialog, ID_COURSE_FIRST + c);
                std::size_t shown = 0;
                while (WaitUntil([&] { return dialog.CurrentSlide() != nullptr; }, 10000) &&
                       dialog.CourseIndex() == static_cast<int>(c)) {
                    ++shown;
                    Play(dialog);
                    if (dialog.CurrentSlide() == nullptr)
                        break;
                }
                EXPECT_EQ(shown, course.slides.size());
            }
            // A round of random tasks: every slide gives points and is solved.
            Click(dialog, ID_COURSE_RANDOM);
            for (int i = 0; i < 12; ++i) {
                ASSERT_TRUE(WaitUntil([&] { return dialog.CurrentSlide() != nullptr; }, 10000));
                EXPECT_GT(dialog.CurrentSlide()->GetMaxPoints(), 0)
                    << CText::ToNarrow(dialog.CurrentSlide()->GetName());
                Play(dialog);
            }
            Click(dialog, IDC_MAINMENU);
            dialog.EndDialog(IDCANCEL);
        },
        120000);
    EXPECT_GE(played, 46 + 12);
    EXPECT_TRUE(messages.empty()) << (messages.empty() ? "" : CText::ToNarrow(messages[0]));
}

} // namespace
