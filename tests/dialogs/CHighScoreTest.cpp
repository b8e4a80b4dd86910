// The high-score list: rows in fixed slots, the player's new result in red (in its own row
// below the five best when it is further down), and a default button below them to close it;
// and the coloured cells it is made of.
#include "dialogs/CHighScore.h"
#include "common/ModalRun.h"
#include "platform/CFont.h"
#include "platform/CSystemColors.h"

#include <QImage>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace {

constexpr COLORREF RED = CHighScore::HIGHLIGHT_COLOR;

// Five times in the listed rows that show how times are rounded and written.
const double TIMES[] = {5.0, 12.34, 0.04, 59.96, 3599.0};
const wchar_t* const SHOWN_TIMES[] = {L"5,0 s", L"12,3 s", L"0,0 s", L"60,0 s", L"3599,0 s"};

std::vector<HighScoreEntry> Scores(int count) {
    std::vector<HighScoreEntry> scores;
    for (int i = 0; i < count; ++i)
        scores.push_back({L"Spieler " + std::to_wstring(i + 1), 100 - i, i < 5 ? TIMES[i] : 10.0});
    return scores;
}

// Whether the widget shows a pixel close to the colour within the rectangle (text is smoothed).
bool Shows(QWidget* widget, const CRect& r, COLORREF color) {
    const QImage picture = widget->grab().toImage();
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const QColor c = picture.pixelColor(x, y);
            if (std::abs(c.red() - GetRValue(color)) < 40 &&
                std::abs(c.green() - GetGValue(color)) < 40 &&
                std::abs(c.blue() - GetBValue(color)) < 40)
                return true;
        }
    return false;
}

// Rows keep their slots whether or not the ones above are filled, empty slots stay blank; places
// right-aligned in two characters, times with one decimal (a comma) and the unit, the caller's
// font on every text. The same dialog shown again keeps nothing of the earlier list.
TEST(CHighScoreTest, RowsKeepTheirSlotsAndTheNewResultIsRed) {
    const struct {
        int count, position;
        bool ownRow;
    } cases[] = {{2, -1, false}, {10, 9, true}, {10, -1, false}, {10, 2, false}, {100, 99, true}};
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(140, L"Liberation Serif"));
    CHighScore dialog;
    dialog.SetHeading(L"Bestenliste\n\rFilter");
    dialog.SetTextFont(&font);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + " scores, new at " + std::to_string(c.position));
        dialog.SetScores(Scores(c.count), c.position);
        RunModal(dialog, [&] {
            // Every visible control as (left, top, right, bottom): the heading over the middle
            // four fifths, then the column headings, the rows and the centred button.
            using Box = std::array<int, 4>;
            const int w = dialog.GetClientRect().Width(), name = w / 10, points = name + 2 * w / 5;
            const int x[] = {name, points, points + w / 5, points + 2 * (w / 5)};
            const int button = dialog.GetDlgItem(IDOK)->GetWindowRect().Width();
            std::vector<Box> expected = {{name, 10, name + 4 * w / 5, 60},
                                         {(w - button) / 2, 330, (w - button) / 2 + button, 360}};
            const auto cells = [&](int top, int bottom) {
                for (int k = 0; k < 3; ++k)
                    expected.push_back({x[k], top, x[k + 1], bottom});
            };
            cells(70, 100);
            const auto expectRow = [&](const HighScoreRow& row, int place, int top, bool red) {
                ASSERT_TRUE(row.nameControl && row.pointsControl && row.timeControl) << place;
                EXPECT_EQ(row.nameControl->GetWindowText(),
                          (place < 10 ? L" " : L"") + std::to_wstring(place) + L". Spieler " +
                              std::to_wstring(place));
                EXPECT_EQ(row.pointsControl->GetWindowText(), std::to_wstring(101 - place));
                EXPECT_EQ(row.timeControl->GetWindowText(),
                          place <= 5 ? SHOWN_TIMES[place - 1] : L"10,0 s");
                for (const CColorStaticST* cell :
                     {row.nameControl.get(), row.pointsControl.get(), row.timeControl.get()})
                    EXPECT_EQ(cell->GetTextColor(), red ? RED : CSystemColors::ButtonText());
                cells(top, top + 30);
                const CRect cell = dialog.ScreenToClient(row.nameControl->GetWindowRect());
                EXPECT_EQ(Shows(dialog.Widget(), cell, RED), red);
            };
            for (int i = 0; i < std::min(c.count, CHighScore::LISTED_ROWS); ++i)
                expectRow(dialog.GetRow(i), i + 1, 105 + 35 * i, i == c.position);
            const HighScoreRow& own = dialog.GetOwnRow();
            if (c.ownRow)
                expectRow(own, c.position + 1, 290, true);
            else
                EXPECT_FALSE(own.nameControl || own.pointsControl || own.timeControl);
            std::vector<Box> shown;
            for (const QWidget* child :
                 dialog.Widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (child->isVisible()) {
                    const QRect g = child->geometry();
                    shown.push_back({g.left(), g.top(), g.right() + 1, g.bottom() + 1});
                    EXPECT_EQ(child->font().pixelSize(), 19);
                }
            std::ranges::sort(shown);
            std::ranges::sort(expected);
            EXPECT_EQ(shown, expected);
            EXPECT_EQ(dialog.Widget()->windowTitle(), "Bestenliste");
            EXPECT_EQ(dialog.GetClientRect().Height(),
                      std::max(370, dialog.MapDialogRect(CRect{0, 0, 338, 197}).Height()))
                << "the button keeps 10 pixels clear of the dialog's bottom edge";
            dialog.EndDialog(IDCANCEL);
        });
    }
}

// Every way out the player tries closes the list: the button "Schließen", Enter for it, Escape
// and the close box.
TEST(CHighScoreTest, TheCloseButtonEnterEscapeAndTheCloseBoxCloseIt) {
    // Key_unknown: the button; Key_Close: the close box. Only Escape and the box cancel.
    for (const Qt::Key key :
         {Qt::Key_unknown, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape, Qt::Key_Close}) {
        CHighScore dialog;
        dialog.SetScores(Scores(8), 7);
        const int result = RunModal(dialog, [&] {
            const CWnd* button = dialog.GetDlgItem(IDOK);
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->GetWindowText(), L"Schließen");
            if (key == Qt::Key_unknown)
                QTest::mouseClick(button->Widget(), Qt::LeftButton);
            else if (key == Qt::Key_Close)
                dialog.Widget()->close();
            else
                QTest::keyClick(dialog.Widget(), key);
        });
        EXPECT_EQ(result, key == Qt::Key_Escape || key == Qt::Key_Close ? IDCANCEL : IDOK) << key;
    }
}

// A coloured cell paints its background and text in the colours it was given, and until then
// blends into the dialog it sits in.
TEST(CColorStaticSTTest, PaintsInItsColours) {
    const struct {
        bool setColors;
        COLORREF text, background;
    } cases[] = {{true, RGB(0, 0, 255), RGB(255, 255, 0)},
                 {false, CSystemColors::ButtonText(), CSystemColors::ButtonFace()}};
    for (const auto& c : cases) {
        CWnd parent;
        ASSERT_TRUE(parent.Create(L"", L"", 0, CRect{0, 0, 200, 60}, nullptr, 0));
        CColorStaticST label;
        ASSERT_TRUE(label.Create(L"STATIC", L"WWW Mitte", WS_CHILD | WS_VISIBLE | SS_CENTER,
                                 CRect{10, 10, 190, 50}, &parent, 0xFFFF));
        if (c.setColors) {
            label.SetTextColor(c.text);
            label.SetBkColor(c.background);
        }
        const QImage image = label.Widget()->grab().toImage();
        for (const auto& [x, y] : {std::pair{0, 0}, {image.width() - 1, image.height() - 1}})
            EXPECT_EQ(image.pixel(x, y), qRgb(GetRValue(c.background), GetGValue(c.background),
                                              GetBValue(c.background)));
        EXPECT_TRUE(Shows(label.Widget(), CRect{0, 0, 180, 40}, c.text))
            << "the text is drawn in the text colour";
    }
}

} // namespace
