// Plays every course of the bundled game to its end, giving the right answer on every slide,
// then the random tasks, which must offer only exercises.

#include "app/CVelmoraDlg.h"
#include "common/ModalRun.h"
#include "dsp/CSignal.h"
#include "game/CGameSlide.h"
#include "game/CNotchFilter.h"
#include "game/CPoleZeroPlot.h"
#include "game/CTable.h"
#include "platform/CApplication.h"
#include "platform/CMessageBox.h"
#include "platform/CText.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cwchar>
#include <filesystem>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class BundledGame : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = fs::current_path();
        m_folder = fs::temp_directory_path() / ("velmora_bundled_" + std::to_string(::getpid()));
        fs::remove_all(m_folder);
        fs::copy(fs::path(VELMORA_SOURCE_DIR) / "content", m_folder, fs::copy_options::recursive);
        fs::remove(m_folder / "stats");
        fs::current_path(m_folder);
        CMessageBox::SetHandler([this](const std::wstring& text, const std::wstring&) {
            messages.push_back(text);
        });
    }
    void TearDown() override {
        CMessageBox::SetHandler(nullptr);
        fs::current_path(m_previous);
        fs::remove_all(m_folder);
    }

    static bool WaitUntil(const std::function<bool()>& condition) {
        for (int i = 0; i < 5000 && !condition(); ++i)
            CApplication::ProcessMessagesFor(2);
        return condition();
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
                QTest::mousePress(context.FindElement(expected)->Widget(), Qt::LeftButton, {},
                                  QPoint(4, 4));
                QTest::mouseRelease(context.FindElement(current)->Widget(), Qt::LeftButton, {},
                                    QPoint(4, 4));
            }
            ASSERT_EQ(table->CurrentIds(), table->ExpectedIds());
            for (const auto& element : table->Children())
                Answer(*element);
        }
    }

    // A notch is clicked onto its tone. A pole-zero designer gets a pair of zeros at the top
    // of its circle, which must change what it passes on; its slides promise no points.
    static void Answer(game::CElement& element) {
        if (auto* notch = dynamic_cast<game::CNotchFilter*>(&element)) {
            QTest::mouseClick(notch->Widget(), Qt::LeftButton, {},
                              QPoint(notch->GetSolution(), notch->Widget()->height() / 2));
            EXPECT_EQ(notch->GetNotch(), notch->GetSolution());
        }
        if (auto* designer = dynamic_cast<game::CPoleZeroPlot*>(&element)) {
            EXPECT_EQ(designer->GetMaxPoints(), 0);
            QWidget* widget = designer->Widget();
            const int radius = std::min(widget->width(), widget->height()) * 9 / 10;
            QTest::mouseClick(widget, Qt::LeftButton, {},
                              QPoint(widget->width() / 2, widget->height() - 5 - radius));
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
            QTest::mouseClick(dialog.GetDlgItem(IDC_CHECK)->Widget(), Qt::LeftButton);
            const auto [achieved, total] = Points(dialog.ScoreLine());
            EXPECT_GT(total, 0);
            EXPECT_EQ(achieved - before, slide.GetMaxPoints()) << CText::ToNarrow(slide.GetName());
        }
        ++played;
        ASSERT_TRUE(WaitUntil([&] { return Enabled(dialog, IDC_NEXT); }))
            << CText::ToNarrow(slide.GetName());
        QTest::mouseClick(dialog.GetDlgItem(IDC_NEXT)->Widget(), Qt::LeftButton);
    }
    int played = 0;

    // The two numbers of the score line.
    static std::pair<int, int> Points(const std::wstring& line) {
        int achieved = -1, total = -1;
        std::swscanf(line.c_str(), L"Es wurden %d von %d", &achieved, &total);
        return {achieved, total};
    }
    static bool Enabled(CVelmoraDlg& dialog, UINT id) {
        return dialog.GetDlgItem(id)->IsWindowEnabled();
    }

    std::vector<std::wstring> messages;

private:
    fs::path m_previous;
    fs::path m_folder;
};

TEST_F(BundledGame, EveryCourseEndsWithFullPoints) {
    CVelmoraDlg dialog;
    QTimer responder;
    responder.setInterval(20);
    QObject::connect(&responder, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == dialog.Widget())
            return;
        if (auto* edit = modal->findChild<QLineEdit*>())
            edit->setText("Test");
        QTest::keyClick(modal, modal->findChild<QLineEdit*>() ? Qt::Key_Return : Qt::Key_Escape);
    });
    responder.start();
    RunModal(
        dialog,
        [&] {
            ASSERT_GE(dialog.Courses().size(), 8u);
            for (std::size_t c = 0; c < dialog.Courses().size(); ++c) {
                const auto& course = dialog.Courses()[c];
                QTest::mouseClick(dialog.GetDlgItem(ID_COURSE_FIRST + c)->Widget(), Qt::LeftButton);
                std::size_t shown = 0;
                while (WaitUntil([&] { return dialog.CurrentSlide() != nullptr; }) &&
                       dialog.CourseIndex() == static_cast<int>(c)) {
                    ++shown;
                    Play(dialog);
                    if (dialog.CurrentSlide() == nullptr)
                        break;
                }
                EXPECT_EQ(shown, course.slides.size());
            }
            // A round of random tasks: every slide gives points and is solved.
            QTest::mouseClick(dialog.GetDlgItem(ID_COURSE_RANDOM)->Widget(), Qt::LeftButton);
            for (int i = 0; i < 12; ++i) {
                ASSERT_TRUE(WaitUntil([&] { return dialog.CurrentSlide() != nullptr; }));
                EXPECT_GT(dialog.CurrentSlide()->GetMaxPoints(), 0)
                    << CText::ToNarrow(dialog.CurrentSlide()->GetName());
                Play(dialog);
            }
            QTest::mouseClick(dialog.GetDlgItem(IDC_MAINMENU)->Widget(), Qt::LeftButton);
            dialog.EndDialog(IDCANCEL);
        },
        120000);
    EXPECT_GE(played, 46 + 12);
    EXPECT_TRUE(messages.empty()) << (messages.empty() ? "" : CText::ToNarrow(messages[0]));
}

} // namespace
