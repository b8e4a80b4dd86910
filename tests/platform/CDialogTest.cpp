#include "platform/CApplication.h"
#include "platform/CDialog.h"
#include "platform/CMessageBox.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <thread>

namespace {

CDialogTemplate TwoButtons() {
    CDialogTemplate t;
    t.width = 160;
    t.height = 60;
    t.caption = L"Frage";
    t.items = {{CDialogItem::Kind::Static, 100, {7, 7, 150, 20}, L"Weiter?"},
               {CDialogItem::Kind::DefaultButton, IDOK, {30, 40, 80, 54}, L"OK"},
               {CDialogItem::Kind::Button, IDCANCEL, {90, 40, 140, 54}, L"Abbrechen"}};
    return t;
}

// Runs the dialog with one scheduled action against its window; a safety timer ends it.
int RunWith(CDialog& dialog, std::function<void(QWidget*)> action) {
    QTimer::singleShot(0, [&] { action(dialog.Widget()); });
    QTimer::singleShot(5000, [&] {
        ADD_FAILURE() << "dialog still open";
        dialog.EndDialog(-2);
    });
    return dialog.DoModal();
}

TEST(CDialog, KeysAndCloseBoxEndTheDialog) {
    const struct {
        const char* what;
        std::function<void(QWidget*)> action;
        int result;
    } cases[] = {
        {"Enter", [](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); }, IDOK},
        {"Escape", [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); }, IDCANCEL},
        {"close box", [](QWidget* w) { w->close(); }, IDCANCEL},
    };
    for (const auto& c : cases) {
        CDialog dialog(TwoButtons(), nullptr);
        EXPECT_EQ(RunWith(dialog, c.action), c.result) << c.what;
        EXPECT_FALSE(dialog.HasWindow()) << c.what;
    }
}

TEST(CDialog, ControlsArePlacedInDialogUnits) {
    CDialog dialog(TwoButtons(), nullptr);
    RunWith(dialog, [&](QWidget*) {
        CWnd* cancel = dialog.GetDlgItem(IDCANCEL);
        ASSERT_NE(cancel, nullptr);
        const CRect expected = dialog.MapDialogRect(CRect{90, 40, 140, 54});
        const CRect actual = dialog.ScreenToClient(cancel->GetWindowRect());
        EXPECT_EQ(actual, expected);
        const CRect whole = dialog.MapDialogRect(CRect{0, 0, 160, 60});
        EXPECT_EQ(dialog.GetClientRect(), whole);
        // A dialog unit is a quarter of the average character width: wider than 1 pixel.
        EXPECT_GT(whole.Width(), 160);
        EXPECT_EQ(dialog.GetDlgItem(100)->GetWindowText(), L"Weiter?");
        dialog.EndDialog(IDOK);
    });
}

TEST(CMessageBox, OffTheUiThreadItIsHandedOverWithoutWaiting) {
    std::vector<std::wstring> shown;
    CMessageBox::SetHandler([&](const std::wstring& text, const std::wstring& caption) {
        EXPECT_TRUE(CApplication::IsUiThread());
        shown.push_back(caption + L": " + text);
    });
    std::thread([] { CMessageBox::Show(nullptr, L"Fehler", L"Error loading slide"); }).join();
    EXPECT_TRUE(shown.empty());
    CApplication::ProcessMessages();
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"Error loading slide: Fehler"}));
    CMessageBox::SetHandler(nullptr);
}

} // namespace
