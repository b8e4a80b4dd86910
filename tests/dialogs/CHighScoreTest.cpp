// The high-score list: rows in fixed slots, the player's new result in red (in its own row
// below the five best when it is further down), and only Escape or the close box close it.
#include "dialogs/CHighScore.h"
#include "platform/CFont.h"
#include "platform/CSystemColors.h"
#include "common/ModalRun.h"

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

// Tops of the windows the list shows, in the dialog's client coordinates.
std::vector<int> VisibleTops(const CHighScore& dialog) {
    std::vector<int> tops;
    for (const QWidget* child : dialog.Widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isVisible())
            tops.push_back(child->y());
    std::sort(tops.begin(), tops.end());
    return tops;
}

CRect InDialog(const CHighScore& dialog, const CWnd* control) {
    return dialog.ScreenToClient(control->GetWindowRect());
}

// Whether any pixel in the control's part of the dialog's picture is close to the colour.
bool ShowsColor(const CHighScore& dialog, const CWnd* control, COLORREF color) {
    const QImage picture = dialog.Widget()->grab().toImage();
    const CRect r = InDialog(dialog, control);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const QColor c = picture.pixelColor(x, y);
            if (std::abs(c.red() - GetRValue(color)) < 40 && c.green() < 60 && c.blue() < 60)
                return true;
        }
    return false;
}

void ExpectRow(const CHighScore& dialog, const HighScoreRow& row, int top, const std::wstring& name,
               COLORREF textColor) {
    ASSERT_TRUE(row.nameControl && row.pointsControl && row.timeControl);
    for (const CColorStaticST* control :
         {row.nameControl.get(), row.pointsControl.get(), row.timeControl.get()}) {
        const CRect r = InDialog(dialog, control);
        EXPECT_EQ(r.top, top);
        EXPECT_EQ(r.Height(), 30);
        EXPECT_EQ(control->GetTextColor(), textColor) << top;
    }
    EXPECT_EQ(row.nameControl->GetWindowText(), name);
    EXPECT_EQ(ShowsColor(dialog, row.nameControl.get(), RED), textColor == RED) << top;
}

TEST(CHighScoreTest, TwoScoresFillTheFirstTwoSlotsOnly) {
    CHighScore dialog;
    dialog.SetHeading(L"Bestenliste\n\rFilter");
    dialog.SetScores({{L"Anna", 7, 50.0}, {L"Bob", 5, 20.0}}, -1);
    RunModal(dialog, [&] {
        const COLORREF plain = CSystemColors::ButtonText();
        ExpectRow(dialog, dialog.GetRow(0), 105, L" 1. Anna", plain);
        ExpectRow(dialog, dialog.GetRow(1), 140, L" 2. Bob", plain);
        EXPECT_EQ(dialog.GetRow(1).pointsControl->GetWindowText(), L"5");
        EXPECT_EQ(dialog.GetRow(1).timeControl->GetWindowText(), L"20.0 s");
        // The heading, three column headings and the two rows; nothing from 175 to 290.
        EXPECT_EQ(VisibleTops(dialog),
                  (std::vector<int>{10, 70, 70, 70, 105, 105, 105, 140, 140, 140}));
        dialog.EndDialog(IDCANCEL);
    });
}

// Half the list's width for the names and a quarter each for points and time; the list
// takes the middle four fifths of the dialog.
TEST(CHighScoreTest, ColumnsShareTheMiddleOfTheDialog) {
    CHighScore dialog;
    dialog.SetScores(Scores(1), -1);
    RunModal(dialog, [&] {
        const int w = dialog.GetClientRect().Width();
        const int t = 4 * w / 5;
        const HighScoreRow& row = dialog.GetRow(0);
        const CRect name = InDialog(dialog, row.nameControl.get());
        const CRect points = InDialog(dialog, row.pointsControl.get());
        const CRect time = InDialog(dialog, row.timeControl.get());
        EXPECT_EQ(name.left, w / 10);
        EXPECT_EQ(name.right, points.left);
        EXPECT_EQ(points.left, w / 10 + t / 2);
        EXPECT_EQ(time.left, points.right);
        EXPECT_EQ(time.right, w / 10 + t / 2 + 2 * (t / 4));
        dialog.EndDialog(IDCANCEL);
    });
}

// Where the player's new result lands decides which row is red and whether it gets a row
// of its own below the five best.
TEST(CHighScoreTest, TheNewResultIsMarkedWhereItLands) {
    struct Case {
        int position;
        int redRow; // -1: none of the five
        bool ownRow;
    };
    const Case cases[] = {{-1, -1, false}, {0, 0, false}, {2, 2, false},
                          {4, 4, false},   {5, -1, true}, {7, -1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        CHighScore dialog;
        dialog.SetScores(Scores(10), c.position);
        RunModal(dialog, [&] {
            for (int i = 0; i < CHighScore::LISTED_ROWS; ++i) {
                const std::wstring name = (i < 9 ? L" " : L"") + std::to_wstring(i + 1) +
                                          L". Spieler " + std::to_wstring(i + 1);
                ExpectRow(dialog, dialog.GetRow(i), 105 + 35 * i, name,
                          i == c.redRow ? RED : CSystemColors::ButtonText());
            }
            const HighScoreRow& own = dialog.GetOwnRow();
            if (c.ownRow) {
                const std::wstring number = std::to_wstring(c.position + 1);
                ExpectRow(dialog, own, 290, L" " + number + L". Spieler " + number, RED);
                EXPECT_EQ(own.pointsControl->GetWindowText(), std::to_wstring(100 - c.position));
                EXPECT_LE(InDialog(dialog, own.timeControl.get()).bottom + 10,
                          dialog.GetClientRect().Height())
                    << "the own row keeps clear of the dialog's bottom edge";
            } else {
                EXPECT_FALSE(own.nameControl || own.pointsControl || own.timeControl);
            }
            dialog.EndDialog(IDCANCEL);
        });
    }
}

// Places are right-aligned in two characters, times have one decimal and the unit.
TEST(CHighScoreTest, NumbersAndTimesAreFormattedForReading) {
    const double times[] = {5.0, 12.34, 0.04, 59.96, 3599.0};
    const wchar_t* shown[] = {L"5.0 s", L"12.3 s", L"0.0 s", L"60.0 s", L"3599.0 s"};
    struct Place {
        int position;
        const wchar_t* prefix;
    };
    const Place places[] = {{8, L" 9. "}, {9, L"10. "}, {99, L"100. "}};
    for (const Place& place : places) {
        std::vector<HighScoreEntry> scores = Scores(100);
        for (int i = 0; i < 5; ++i)
            scores[i].seconds = times[i];
        CHighScore dialog;
        dialog.SetScores(scores, place.position);
        RunModal(dialog, [&] {
            for (int i = 0; i < 5; ++i)
                EXPECT_EQ(dialog.GetRow(i).timeControl->GetWindowText(), shown[i]);
            const std::wstring name = dialog.GetOwnRow().nameControl->GetWindowText();
            EXPECT_EQ(name.substr(0, name.find(L"Spieler")), place.prefix);
            dialog.EndDialog(IDCANCEL);
        });
    }
}

TEST(CHighScoreTest, EnterLeavesTheListOpenEscapeAndCloseBoxCloseIt) {
    for (const bool viaCloseBox : {false, true}) {
        CHighScore dialog;
        dialog.SetScores(Scores(3), 1);
        bool openAfterEnter = false;
        const int result = RunModal(dialog, [&] {
            QTest::keyClick(dialog.Widget(), Qt::Key_Return);
            QTest::keyClick(dialog.Widget(), Qt::Key_Enter);
            openAfterEnter = dialog.IsModalRunning();
            if (viaCloseBox)
                dialog.Widget()->close();
            else
                QTest::keyClick(dialog.Widget(), Qt::Key_Escape);
        });
        EXPECT_TRUE(openAfterEnter);
        EXPECT_EQ(result, static_cast<int>(IDCANCEL));
    }
}

TEST(CHighScoreTest, TheCallersFontReachesEveryText) {
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(140, L"Liberation Serif"));
    CHighScore dialog;
    dialog.SetTextFont(&font);
    dialog.SetScores(Scores(7), 6);
    RunModal(dialog, [&] {
        const auto children = dialog.Widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        EXPECT_EQ(children.size(), 4 + 3 * 6);
        for (const QWidget* child : children)
            EXPECT_EQ(child->font().pixelSize(), 19);
        dialog.EndDialog(IDCANCEL);
    });
}

} // namespace
