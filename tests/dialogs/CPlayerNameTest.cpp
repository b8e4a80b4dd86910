// The name dialog: Enter confirms, Escape and the close box cancel without touching the name.
#include "dialogs/CPlayerName.h"
#include "dialogs/CDialogTemplates.h"
#include "platform/CFont.h"
#include "common/ModalRun.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

QWidget* EditBox(const CPlayerName& dialog) {
    const CWnd* edit = dialog.GetDlgItem(IDC_NAME_EDIT);
    return edit != nullptr ? edit->Widget() : nullptr;
}

// Types the name where the keyboard focus is, as a player would, and ends with the key.
int Enter(CPlayerName& dialog, const QString& typed, Qt::Key finish) {
    return RunModal(dialog, [&] {
        QWidget* edit = EditBox(dialog);
        ASSERT_NE(edit, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.Widget()));
        EXPECT_EQ(QApplication::focusWidget(), edit) << "the player types into the name box";
        for (const QChar ch : typed) {
            // Qt Test only types ASCII by key; other letters go in as key text.
            const Qt::Key key =
                ch.unicode() < 128 ? Qt::Key(ch.toUpper().unicode()) : Qt::Key_unknown;
            QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), key, QString(ch),
                                Qt::NoModifier);
        }
        QTest::keyClick(QApplication::focusWidget(), finish);
    });
}

TEST(CPlayerNameTest, EnterConfirmsTheTypedName) {
    CPlayerName dialog;
    EXPECT_EQ(Enter(dialog, QString::fromUtf8("Anna Müller"), Qt::Key_Return),
              static_cast<int>(IDOK));
    EXPECT_EQ(dialog.GetName(), L"Anna Müller");
}

TEST(CPlayerNameTest, CancelKeepsTheEarlierName) {
    CPlayerName dialog;
    ASSERT_EQ(Enter(dialog, "Anna", Qt::Key_Enter), static_cast<int>(IDOK));

    EXPECT_EQ(Enter(dialog, "Bob", Qt::Key_Escape), static_cast<int>(IDCANCEL));
    EXPECT_EQ(dialog.GetName(), L"Anna");

    const int closed = RunModal(dialog, [&] {
        QTest::keyClicks(EditBox(dialog), "Carl");
        dialog.Widget()->close(); // the close box
    });
    EXPECT_EQ(closed, static_cast<int>(IDCANCEL));
    EXPECT_EQ(dialog.GetName(), L"Anna");
}

TEST(CPlayerNameTest, TheCallersFontReachesEveryControl) {
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(200, L"Liberation Serif"));
    CPlayerName dialog;
    dialog.SetTextFont(&font);
    RunModal(dialog, [&] {
        for (UINT id : {IDOK, IDC_NAME_EDIT, IDC_NAME_LABEL}) {
            const CWnd* control = dialog.GetDlgItem(id);
            ASSERT_NE(control, nullptr) << id;
            EXPECT_GT(control->Widget()->font().pixelSize(), 20) << id;
        }
        dialog.EndDialog(IDCANCEL);
    });
}

} // namespace
