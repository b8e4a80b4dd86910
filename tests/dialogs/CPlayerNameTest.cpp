// The name dialog: the points reached above the name; Enter confirms, Escape and the close box
// cancel without touching the name.
#include "dialogs/CPlayerName.h"
#include "common/ModalRun.h"
#include "dialogs/CDialogTemplates.h"
#include "platform/CFont.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// Types the name where the keyboard focus is, as a player would, and ends with the key.
int Enter(CPlayerName& dialog, const QString& typed, Qt::Key finish) {
    return RunModal(dialog, [&] {
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.Widget()));
        EXPECT_EQ(QApplication::focusWidget(), dialog.GetDlgItem(IDC_NAME_EDIT)->Widget())
            << "the player types into the name box";
        for (const QChar ch : typed) // Qt Test types only ASCII by key; others go in as text
            QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(),
                                ch.unicode() < 128 ? Qt::Key(ch.toUpper().unicode())
                                                   : Qt::Key_unknown,
                                QString(ch), Qt::NoModifier);
        QTest::keyClick(QApplication::focusWidget(), finish);
    });
}

TEST(CPlayerNameTest, EnterConfirmsEscapeAndCloseBoxKeepTheEarlierName) {
    CPlayerName dialog;
    dialog.SetResult(7, 10);
    EXPECT_EQ(Enter(dialog, QString::fromUtf8("Anna Müller"), Qt::Key_Return), int(IDOK));
    EXPECT_EQ(dialog.GetName(), L"Anna Müller");
    EXPECT_EQ(Enter(dialog, "Bob", Qt::Key_Escape), int(IDCANCEL));
    EXPECT_EQ(dialog.GetName(), L"Anna Müller");
    const int closed = RunModal(dialog, [&] {
        EXPECT_EQ(dialog.GetDlgItem(IDC_NAME_EDIT)->GetWindowText(), L"Anna Müller")
            << "offered again";
        EXPECT_EQ(dialog.Widget()->windowTitle(), "Spielername");
        EXPECT_EQ(dialog.GetDlgItem(IDC_RESULT_LABEL)->GetWindowText(),
                  L"Du hast 7 von 10 Punkten erreicht.");
        for (const auto& [id, rect] : {std::pair{IDC_RESULT_LABEL, CRect{7, 5, 254, 17}},
                                       {IDC_NAME_LABEL, CRect{7, 21, 44, 35}},
                                       {IDC_NAME_EDIT, CRect{45, 21, 202, 35}},
                                       {IDOK, CRect{204, 21, 254, 35}}})
            EXPECT_EQ(dialog.ScreenToClient(dialog.GetDlgItem(id)->GetWindowRect()),
                      dialog.MapDialogRect(rect));
        QTest::keyClicks(dialog.GetDlgItem(IDC_NAME_EDIT)->Widget(), "Carl");
        dialog.Widget()->close();
    });
    EXPECT_EQ(closed, int(IDCANCEL));
    EXPECT_EQ(dialog.GetName(), L"Anna Müller");
}

// A paste of any length ends as a name the high-score list can show and the file can hold.
TEST(CPlayerNameTest, PastedNameIsCutToTheLimit) {
    CPlayerName dialog;
    const QString pasted(32767, QChar('N'));
    EXPECT_EQ(RunModal(dialog,
                       [&] {
                           QWidget* edit = dialog.GetDlgItem(IDC_NAME_EDIT)->Widget();
                           QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, pasted,
                                               Qt::NoModifier);
                           QTest::keyClick(edit, Qt::Key_Return);
                       }),
              int(IDOK));
    EXPECT_EQ(dialog.GetName().size(), std::size_t(CPlayerName::MAX_NAME_LENGTH));
}

TEST(CPlayerNameTest, TheCallersFontReachesEveryControl) {
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(200, L"Liberation Serif"));
    CPlayerName dialog;
    dialog.SetTextFont(&font);
    RunModal(dialog, [&] {
        for (UINT id : {IDOK, IDC_NAME_EDIT, IDC_NAME_LABEL, IDC_RESULT_LABEL}) {
            const CWnd* control = dialog.GetDlgItem(id);
            ASSERT_NE(control, nullptr) << id;
            EXPECT_GT(control->Widget()->font().pixelSize(), 20) << id;
        }
        dialog.EndDialog(IDCANCEL);
    });
}

} // namespace
