// Plays every course of the bundled game to its end, giving the right answer on every slide,
// then the random tasks, which must offer only exercises.
#include "GameFolder.h"

#include "dsp/CSignal.h"
#include "game/CNotchFilter.h"
#include "game/CPoleZeroPlot.h"
#include "game/CTable.h"
#include "game/CWavePlot.h"
#include "platform/CText.h"

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
    static void ClickAt(game::CElement& e, int x, int y, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(e.Widget(), button, {}, InClient(e, x, y));
    }

    // Drags panels until every cell of every table holds the element that belongs there.
    static void Solve(game::CGameSlide& slide) {
        auto& context = slide.Context();
        for (const auto& child : slide.Children()) {
            auto* table = dynamic_cast<game::CTable*>(child.get());
            if (table == nullptr)
                continue;
            for (std::size_t k = 0; k < table->ExpectedIds().size(); ++k) {
                const game::CElement* from = context.FindElement(table->ExpectedIds()[k]);
                const game::CElement* to = context.FindElement(table->CurrentIds()[k]);
                if (from != to) {
                    QTest::mousePress(from->Widget(), Qt::LeftButton, {}, InClient(*from, 4, 4));
                    QTest::mouseRelease(to->Widget(), Qt::LeftButton, {}, InClient(*to, 4, 4));
                }
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
            ClickAt(*notch, notch->GetSolution(), notch->GetClientRect().Height() / 2);
            EXPECT_EQ(notch->GetNotch(), notch->GetSolution());
        }
        auto* designer = dynamic_cast<game::CPoleZeroPlot*>(&element);
        if (designer == nullptr)
            return;
        const CPoint centre = designer->GetCentre();
        const int radius = designer->GetRadius();
        if (designer->HasTarget()) {
            for (const bool poles : {false, true})
                for (const auto root : designer->TargetRoots(poles))
                    ClickAt(*designer, centre.x + int(std::lround(root.real() * radius)),
                            centre.y - int(std::lround(root.imag() * radius)),
                            poles ? Qt::RightButton : Qt::LeftButton);
            EXPECT_EQ(designer->GetPoints(), designer->GetMaxPoints());
            return;
        }
        EXPECT_EQ(designer->GetMaxPoints(), 0);
        const CRect client = designer->GetClientRect();
        ClickAt(*designer, client.Width() / 2,
                client.Height() - 5 - std::min(client.Width(), client.Height()) * 9 / 10);
        const dsp::CSignal* output = element.GetContext()->FindSignal(element.GetId());
        ASSERT_TRUE(output != nullptr && output->GetSource() != nullptr);
        const float* in = output->GetSource()->GetSamples();
        EXPECT_FALSE(std::equal(in, in + output->GetSampleCount(), output->GetSamples()));
    }

    // Plays the slide on screen: solve, evaluate when it gives points, move on.
    void PlaySlide(CVelmoraDlg& dialog) {
        game::CGameSlide& slide = *dialog.CurrentSlide();
        const std::string name = CText::ToNarrow(slide.GetName());
        const int before = Points(dialog).first;
        Solve(slide);
        if (slide.GetMaxPoints() > 0) {
            Click(dialog, IDC_CHECK);
            EXPECT_EQ(Points(dialog).first - before, slide.GetMaxPoints()) << name;
        }
        ++played;
        ASSERT_TRUE(WaitUntil([&] { return Enabled(dialog, IDC_NEXT); }, 10000)) << name;
        Click(dialog, IDC_NEXT);
    }
    int played = 0;
};

TEST_F(BundledGame, EveryCourseEndsWithFullPoints) {
    Play(
        [&](CVelmoraDlg& d) {
            AnswerScoreDialogs(d);
            ASSERT_GE(d.Courses().size(), 8u);
            const auto shown = [&] { return WaitUntil([&] { return d.CurrentSlide(); }, 10000); };
            for (std::size_t c = 0; c < d.Courses().size(); ++c) {
                Click(d, ID_COURSE_FIRST + c);
                ASSERT_TRUE(shown());
                std::size_t slides = 0; // "Weiter" shows the next one at once, or ends the course
                for (; d.CurrentSlide() != nullptr && !HasFatalFailure(); ++slides)
                    PlaySlide(d);
                EXPECT_EQ(slides, d.Courses()[c].slides.size());
            }
            // A round of random tasks: every slide gives points and is solved.
            Click(d, ID_COURSE_RANDOM);
            for (int i = 0; i < 12; ++i) {
                ASSERT_TRUE(shown());
                EXPECT_GT(d.CurrentSlide()->GetMaxPoints(), 0) << CText::ToNarrow(SlideName(d));
                PlaySlide(d);
            }
            Click(d, IDC_MAINMENU);
        },
        120000);
    EXPECT_GE(played, 46 + 12);
    EXPECT_TRUE(messages.empty()) << (messages.empty() ? "" : CText::ToNarrow(messages[0]));
}

} // namespace
