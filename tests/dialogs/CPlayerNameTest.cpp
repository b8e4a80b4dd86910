// The name dialog: the points reached above the name, in the caller's font; Enter confirms,
// Escape and the close box cancel without touching the name; a paste of any length ends as a
// name the high-score list can show and the file can hold.
#include "dialogs/CPlayerName.h"
#include "common/ModalRun.h"
#include "dialogs/CDialogTemplates.h"
#include "platform/CFont.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

TEST(CPlayerNameTest, EnterConfirmsEscapeAndCloseBoxKeepTheEarlierName) {
    const std::wstring anna = L"Anna Müller";
    const struct {
        QString typed;
        Qt::Key finish; // Key_Close: the close box
        int result;
        std::wstring name;
    } cases[] = {{QString::fromStdWString(anna), Qt::Key_Return, IDOK, anna},
                 {"Bob", Qt::Key_Escape, IDCANCEL, anna},
                 {"Carl", Qt::Key_Close, IDCANCEL, anna},
                 {QString(32767, QChar('N')), Qt::Key_Enter, IDOK,
                  std::wstring(CPlayerName::MAX_NAME_LENGTH, L'N')}};
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(200, L"Liberation Serif"));
    CPlayerName dialog;
    dialog.SetResult(7, 10);
    dialog.SetTextFont(&font);
    std::wstring earlier;
    for (const auto& c : cases) {
        const int result = RunModal(dialog, [&] {
            ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.Widget()));
            QWidget* edit = dialog.GetDlgItem(IDC_NAME_EDIT)->Widget();
            EXPECT_EQ(QApplication::focusWidget(), edit) << "the player types into the name box";
            EXPECT_EQ(dialog.GetDlgItem(IDC_NAME_EDIT)->GetWindowText(), earlier) << "offered again";
            EXPECT_EQ(dialog.Widget()->windowTitle(), "Spielername");
            EXPECT_EQ(dialog.GetDlgItem(IDC_RESULT_LABEL)->GetWindowText(),
                      L"Du hast 7 von 10 Punkten erreicht.");
            for (const auto& [id, rect] : {std::pair{IDC_RESULT_LABEL, CRect{7, 5, 254, 17}},
                                           {IDC_NAME_LABEL, CRect{7, 21, 44, 35}},
                                           {IDC_NAME_EDIT, CRect{45, 21, 202, 35}},
                                           {IDOK, CRect{204, 21, 254, 35}}}) {
                const CWnd* control = dialog.GetDlgItem(id);
                EXPECT_EQ(dialog.ScreenToClient(control->GetWindowRect()), dialog.MapDialogRect(rect));
                EXPECT_GT(control->Widget()->font().pixelSize(), 20) << id;
            }
            // Typed, or pasted, as one piece of text: it replaces the name offered.
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, c.typed, Qt::NoModifier);
            if (c.finish == Qt::Key_Close)
                dialog.Widget()->close();
            else
                QTest::keyClick(edit, c.finish);
        });
        EXPECT_EQ(result, c.result) << c.typed.left(10).toStdString();
        EXPECT_EQ(dialog.GetName(), c.name);
        earlier = c.name;
    }
}

} // namespace
