// The high-score list: rows in fixed slots, the player's new result in red (in its own row
// below the five best when it is further down), and a default button below them to close it.
#include "dialogs/CHighScore.h"
#include "common/ModalRun.h"
#include "platform/CFont.h"
#include "platform/CSystemColors.h"

#include <QImage>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr COLORREF RED = CHighScore::HIGHLIGHT_COLOR;

std::vector<HighScoreEntry> Scores(int count) {
    std::vector<HighScoreEntry> scores;
    for (int i = 0; i < count; ++i)
        scores.push_back({L"Spieler " + std::to_wstring(i + 1), 100 - i, 10.0 + i});
    return scores;
}

CRect InDialog(const CHighScore& dialog, const CWnd* control) {
    return dialog.ScreenToClient(control->GetWindowRect());
}

// Whether any pixel in the control's part of the dialog's picture is close to red.
bool ShowsRed(const CHighScore& dialog, const CWnd* control) {
    const QImage picture = dialog.Widget()->grab().toImage();
    const CRect r = InDialog(dialog, control);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const QColor c = picture.pixelColor(x, y);
            if (std::abs(c.red() - GetRValue(RED)) < 40 && c.green() < 60 && c.blue() < 60)
                return true;
        }
    return false;
}

void ExpectRow(const CHighScore& dialog, const HighScoreRow& row, int top, const std::wstring& name,
               COLORREF textColor) {
    ASSERT_TRUE(row.nameControl && row.pointsControl && row.timeControl);
    for (const CColorStaticST* control :
         {row.nameControl.get(), row.pointsControl.get(), row.timeControl.get()}) {
        EXPECT_EQ(InDialog(dialog, control).top, top);
        EXPECT_EQ(InDialog(dialog, control).bottom, top + 30);
        EXPECT_EQ(control->GetTextColor(), textColor) << top;
    }
    EXPECT_EQ(row.nameControl->GetWindowText(), name);
    EXPECT_EQ(ShowsRed(dialog, row.nameControl.get()), textColor == RED) << top;
}

TEST(CHighScoreTest, TwoScoresFillTheFirstTwoSlotsOnlyInTheirColumns) {
    CHighScore dialog;
    dialog.SetHeading(L"Bestenliste\n\rFilter");
    dialog.SetScores({{L"Anna", 7, 50.0}, {L"Bob", 5, 20.0}}, -1);
    RunModal(dialog, [&] {
        const COLORREF plain = CSystemColors::ButtonText();
        ExpectRow(dialog, dialog.GetRow(0), 105, L" 1. Anna", plain);
        ExpectRow(dialog, dialog.GetRow(1), 140, L" 2. Bob", plain);
        EXPECT_EQ(dialog.GetRow(1).pointsControl->GetWindowText(), L"5");
        EXPECT_EQ(dialog.GetRow(1).timeControl->GetWindowText(), L"20,0 s");
        // The heading, three column headings, the two rows and the button; nothing from 175
        // to 320.
        std::vector<std::pair<int, int>> rows;
        int headingRight = 0;
        for (const QWidget* child :
             dialog.Widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (child->isVisible()) {
                rows.push_back({child->y(), child->geometry().bottom() + 1});
                headingRight = child->y() == 10 ? child->geometry().right() + 1 : headingRight;
            }
        std::sort(rows.begin(), rows.end());
        const std::vector<std::pair<int, int>> expected = {
            {10, 60},   {70, 100},  {70, 100},  {70, 100},  {105, 135}, {105, 135},
            {105, 135}, {140, 170}, {140, 170}, {140, 170}, {330, 360}};
        EXPECT_EQ(rows, expected);
        EXPECT_EQ(dialog.Widget()->windowTitle(), "Bestenliste");
        EXPECT_EQ(dialog.GetClientRect().Height(),
                  std::max(370, dialog.MapDialogRect(CRect{0, 0, 338, 197}).Height()))
            << "the button keeps 10 pixels clear of the dialog's bottom edge";
        // Names take half the list's width, points and time a quarter each, side by side.
        const int w = dialog.GetClientRect().Width();
        const CRect name = InDialog(dialog, dialog.GetRow(0).nameControl.get());
        const CRect points = InDialog(dialog, dialog.GetRow(0).pointsControl.get());
        const CRect time = InDialog(dialog, dialog.GetRow(0).timeControl.get());
        EXPECT_EQ(name.left, w / 10);
        EXPECT_EQ(name.right, points.left);
        EXPECT_EQ(points.left, w / 10 + 2 * w / 5);
        EXPECT_EQ(time.left, points.right);
        EXPECT_NEAR(time.right, w - w / 10, 2);
        EXPECT_EQ(headingRight, w / 10 + 4 * w / 5);
        dialog.EndDialog(IDCANCEL);
    });
}

TEST(CHighScoreTest, TheNewResultIsMarkedWhereItLands) {
    const struct {
        int position, redRow; // redRow -1: none of the five
        bool ownRow;
    } cases[] = {{7, -1, true}, {-1, -1, false}, {2, 2, false}};
    CHighScore dialog; // shown again: nothing of the earlier list stays
    for (const auto& c : cases) {
        SCOPED_TRACE(c.position);
        dialog.SetScores(Scores(10), c.position);
        RunModal(dialog, [&] {
            for (int i = 0; i < CHighScore::LISTED_ROWS; ++i)
                ExpectRow(dialog, dialog.GetRow(i), 105 + 35 * i,
                          L" " + std::to_wstring(i + 1) + L". Spieler " + std::to_wstring(i + 1),
                          i == c.redRow ? RED : CSystemColors::ButtonText());
            const HighScoreRow& own = dialog.GetOwnRow();
            if (c.ownRow) {
                ExpectRow(dialog, own, 290, L" 8. Spieler 8", RED);
                EXPECT_EQ(own.pointsControl->GetWindowText(), L"93");
            } else {
                EXPECT_FALSE(own.nameControl || own.pointsControl || own.timeControl);
            }
            dialog.EndDialog(IDCANCEL);
        });
    }
}

// Places are right-aligned in two characters, times have one decimal (with a comma) and the
// unit, and the caller's font reaches every text.
TEST(CHighScoreTest, NumbersTimesAndFontAreForReading) {
    const double times[] = {5.0, 12.34, 0.04, 59.96, 3599.0};
    const wchar_t* shown[] = {L"5,0 s", L"12,3 s", L"0,0 s", L"60,0 s", L"3599,0 s"};
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(140, L"Liberation Serif"));
    for (const auto& [position, prefix] : {std::pair{9, L"10. "}, {99, L"100. "}}) {
        std::vector<HighScoreEntry> scores = Scores(100);
        for (int i = 0; i < 5; ++i)
            scores[i].seconds = times[i];
        CHighScore dialog;
        dialog.SetTextFont(&font);
        dialog.SetScores(scores, position);
        RunModal(dialog, [&] {
            for (int i = 0; i < 5; ++i)
                EXPECT_EQ(dialog.GetRow(i).timeControl->GetWindowText(), shown[i]);
            const std::wstring name = dialog.GetOwnRow().nameControl->GetWindowText();
            EXPECT_EQ(name.substr(0, name.find(L"Spieler")), prefix);
            const auto children =
                dialog.Widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
            EXPECT_EQ(children.size(), 5 + 3 * 6);
            for (const QWidget* child : children)
                EXPECT_EQ(child->font().pixelSize(), 19);
            dialog.EndDialog(IDCANCEL);
        });
    }
}

// Every way out the player tries closes the list: the button "Schließen" below the own row's
// slot, Enter for it, Escape and the close box.
TEST(CHighScoreTest, TheCloseButtonEnterEscapeAndTheCloseBoxCloseIt) {
    const struct {
        const char* how;
        int result;
    } cases[] = {{"button", IDOK},
                 {"Return", IDOK},
                 {"Enter", IDOK},
                 {"Escape", IDCANCEL},
                 {"close box", IDCANCEL}};
    for (const auto& c : cases) {
        CHighScore dialog;
        dialog.SetScores(Scores(8), 7);
        const int result = RunModal(dialog, [&] {
            const CWnd* button = dialog.GetDlgItem(IDOK);
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->GetWindowText(), L"Schließen");
            EXPECT_GE(InDialog(dialog, button).top,
                      InDialog(dialog, dialog.GetOwnRow().nameControl.get()).bottom);
            const std::string how = c.how;
            if (how == "button")
                QTest::mouseClick(button->Widget(), Qt::LeftButton);
            else if (how == "close box")
                dialog.Widget()->close();
            else
                QTest::keyClick(dialog.Widget(), how == "Return"  ? Qt::Key_Return
                                                 : how == "Enter" ? Qt::Key_Enter
                                                                  : Qt::Key_Escape);
        });
        EXPECT_EQ(result, c.result) << c.how;
    }
}

} // namespace
