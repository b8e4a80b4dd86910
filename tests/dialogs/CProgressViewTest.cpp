// The progress view with its trend plots, and the assignment-code dialog.
#include "dialogs/CProgressView.h"
#include "common/ModalRun.h"
#include "dialogs/CAssignmentCode.h"
#include "dialogs/CTrendPlot.h"
#include "platform/CFont.h"

#include <QApplication>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <tuple>

namespace {

std::vector<ProgressRow> Rows(const wchar_t* name, int count) {
    std::vector<ProgressRow> rows;
    for (int i = 1; i <= count; ++i)
        rows.push_back({name + std::to_wstring(i), i, i % 2 ? 0.734 : -1.0, {0.2, 0.9}});
    return rows;
}

// Every control (the headings, the rows, a plot per row, the weakest topics, the button) in its
// column and row and in the caller's font; the view grows around its middle, here to more than the
// screen's height, to end a margin below the button.
TEST(ProgressViewTest, RowsHeadingsPlotsAndWeakestTopicsAllShowInTheirPlaces) {
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(140, L"Liberation Serif"));
    CProgressView view;
    view.SetTextFont(&font);
    view.SetRows(Rows(L"Kurs ", 2), Rows(L"Thema ", 15));
    view.SetWeakest({L"FFT", L"Filter"});
    RunModal(view, [&] {
        using Shown = std::tuple<std::array<int, 4>, QString>; // left, top, right, bottom
        const int w = view.GetClientRect().Width();
        const int x[] = {10, w / 2, w / 2 + w / 8, w / 2 + w / 4, w - 10};
        std::vector<Shown> expected;
        int top = 10;
        const auto line = [&](const std::array<QString, 4>& texts, int plotInset) {
            for (int k = 0; k < 4; ++k)
                expected.push_back(
                    {{x[k] + (k == 3) * plotInset, top, x[k + 1], top + 22}, texts[k]});
            top += 26;
        };
        for (const auto& [heading, rows] :
             {std::pair{"Kurs", Rows(L"Kurs ", 2)}, {"Thema", Rows(L"Thema ", 15)}}) {
            line({heading, "Punkte", "Versuche", "Letzte Versuche"}, 0);
            for (const ProgressRow& row : rows) {
                const QString label = QString::fromStdWString(row.label);
                line({label, row.share < 0 ? "–" : "73 %", QString::number(row.tries),
                      "Verlauf " + label},
                     8);
            }
            top += 12;
        }
        expected.push_back(
            {{10, top, w - 10, top + 44},
             "Am schwächsten: FFT, Filter. „Üben“ nimmt sich diese Themen zuerst vor."});
        const int b = view.GetDlgItem(IDOK)->GetWindowRect().Width();
        expected.push_back({{(w - b) / 2, top + 56, (w + b) / 2, top + 86}, "Schließen"});
        std::vector<Shown> shown;
        for (QWidget* child : view.Widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            // Labels and the button have a text; a plot has only its name.
            const QString text = child->property("text").toString() + child->accessibleName();
            EXPECT_TRUE(text.startsWith("Verlauf") || child->font().pixelSize() == 19)
                << text.toStdString();
            const QRect g = child->geometry();
            if (child->isVisible())
                shown.push_back({{g.left(), g.top(), g.right() + 1, g.bottom() + 1}, text});
        }
        std::ranges::sort(shown);
        std::ranges::sort(expected);
        EXPECT_EQ(shown, expected);
        EXPECT_EQ(view.GetClientRect().Height(), top + 96);
        view.EndDialog(IDOK);
    });
}

// One dot per try from the left to the right end, joined by a line up to the last dot; no share
// on the bottom guide line, all points (or more) on the top one.
TEST(TrendPlotTest, DotsSitOnTheGuideLinesAndTheLineJoinsThemAll) {
    // The shares, and the dots' centres in a plot of 100 by 22 pixels.
    const std::pair<std::vector<double>, std::vector<std::pair<int, int>>> cases[] = {
        {{}, {}},
        {{1.0}, {{49, 3}}},
        {{-0.5, 1.7, 0.0, 1.0}, {{3, 18}, {34, 3}, {65, 18}, {96, 3}}}};
    const QRgb blue = qRgb(0, 90, 170), grey = qRgb(200, 200, 200);
    for (const auto& [shares, dots] : cases) {
        CTrendPlot plot;
        ASSERT_TRUE(plot.Create(L"", L"", 0, {0, 0, 100, 22}, nullptr, 0));
        plot.SetShares(shares);
        const QImage image = plot.Widget()->grab().toImage();
        std::set<int> columns; // with the line's colour
        for (int x = 0; x < 100; ++x)
            for (int y = 0; y < 22; ++y) {
                const QRgb pixel = image.pixel(x, y);
                if (pixel == blue)
                    columns.insert(x);
                const bool guide = (y == 3 || y == 18) && x >= 3 && x <= 96;
                EXPECT_TRUE(pixel == blue || (pixel == grey) == guide) << x << "," << y;
            }
        for (const auto& [x, y] : dots)
            for (const int dx : {-1, 0, 1})
                for (const int dy : {-1, 0, 1})
                    EXPECT_EQ(image.pixel(x + dx, y + dy), blue) << "dot at " << x << "," << y;
        const std::size_t span = dots.empty() ? 0 : dots.back().first - dots[0].first + 3;
        EXPECT_EQ(columns.size(), span) << shares.size() << " tries: a gap in the line";
    }
}

// The offered code is selected in the focused edit, so typing replaces it; a refused code keeps
// the dialog open with the refusal in place of the hint, and Escape then keeps the old code.
TEST(AssignmentCodeTest, RefusedCodeKeepsTheDialogOpenAndShowsWhy) {
    // The code offered, the one typed over it, and how the dialog ends.
    const std::tuple<std::wstring, QString, int> cases[] = {{L"ALT1", "KLASSE7", IDOK},
                                                            {L"KLASSE7", "X7", IDCANCEL}};
    const std::wstring refusal = L"Der Code ist zu kurz: mindestens 4 Zeichen.";
    for (const auto& [offered, typed, expected] : cases) {
        CAssignmentCode dialog(
            [&](const std::wstring& code) { return code.size() < 4 ? refusal : std::wstring(); });
        dialog.SetCode(offered);
        const int result = RunModal(dialog, [&] {
            ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.Widget()));
            QWidget* edit = dialog.GetDlgItem(IDC_CODE_EDIT)->Widget();
            EXPECT_EQ(QApplication::focusWidget(), edit);
            EXPECT_LE(dialog.ScreenToClient(dialog.GetDlgItem(IDOK)->GetWindowRect()).right,
                      dialog.GetClientRect().Width());
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, typed, Qt::NoModifier);
            QTest::keyClick(edit, Qt::Key_Return);
            if (expected == IDOK)
                return;
            EXPECT_TRUE(dialog.IsModalRunning()) << "a refused code closed the dialog";
            EXPECT_EQ(dialog.GetDlgItem(IDC_CODE_HINT)->GetWindowText(), refusal);
            QTest::keyClick(edit, Qt::Key_Escape);
        });
        EXPECT_EQ(result, expected);
        EXPECT_EQ(dialog.GetCode(), expected == IDOK ? typed.toStdWString() : offered);
    }
}

} // namespace
