// Windows, dialogs and messages: posted messages, keys, mouse release, plain texts.
#include "common/CRecordingWnd.h"
#include "common/ModalRun.h"
#include "platform/CApplication.h"
#include "platform/CDialog.h"
#include "platform/CMessageBox.h"
#include "platform/CStatic.h"
#include "platform/CToolTipCtrl.h"
#include "platform/CWindowMessages.h"

#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTextDocument>

#include <memory>
#include <thread>

namespace {

// Threads and windows that come and go: a message reaches the live window it was posted to,
// once, on the user-interface thread, and never a window gone or made since at its address.
TEST(CWindowMessages, PostedMessagesReachOnlyLiveWindows) {
    const UINT msg = CWindowMessages::Register("UWM_TEST_POSTUSE_GUID");
    UINT there = 0;
    std::thread([&] { there = CWindowMessages::Register("UWM_TEST_POSTUSE_GUID"); }).join();
    EXPECT_EQ(there, msg);
    EXPECT_NE(CWindowMessages::Register("UWM_TEST_OTHERUSE_GUID"), msg);
    CRecordingWnd live, destroyed, neverCreated;
    auto freed = std::make_unique<CRecordingWnd>();
    ASSERT_TRUE(live.Open() && destroyed.Open() && freed->Open());
    EXPECT_TRUE(destroyed.PostMessage(msg, 2, 0)); // queued, then its window goes
    EXPECT_TRUE(freed->PostMessage(msg, 3, 0));
    EXPECT_FALSE(neverCreated.PostMessage(msg, 4, 0));
    destroyed.DestroyWindow();
    EXPECT_FALSE(destroyed.PostMessage(msg, 5, 0));
    freed.reset();
    CRecordingWnd later; // perhaps at the freed address
    ASSERT_TRUE(later.Open());
    std::vector<std::thread> posters;
    for (int t = 0; t < 4; ++t)
        posters.emplace_back([&] {
            for (int i = 0; i < 100; ++i)
                live.PostMessage(msg, 1, i);
        });
    for (auto& poster : posters)
        poster.join();
    EXPECT_TRUE(live.messages.empty()) << "posted, not sent";
    CApplication::ProcessMessages();
    EXPECT_EQ(live.messages.size(), 400u);
    EXPECT_TRUE(destroyed.messages.empty() && later.messages.empty());
    EXPECT_EQ(live.SendMessage(0xC123, 7, 8), 42);
    EXPECT_EQ(live.messages.back().lParam, 8);
}

// Controls sit where the template puts them, in dialog units; Enter, Escape and the close box
// end the dialog with their answers.
TEST(CDialog, KeysAndCloseBoxEndTheDialog) {
    CDialogTemplate t;
    t.width = 160;
    t.height = 60;
    t.caption = L"Frage";
    t.items = {{CDialogItem::Kind::Static, 100, {7, 7, 150, 20}, L"Weiter?"},
               {CDialogItem::Kind::DefaultButton, IDOK, {30, 40, 80, 54}, L"OK"},
               {CDialogItem::Kind::Button, IDCANCEL, {90, 40, 140, 54}, L"Abbrechen"}};
    const struct {
        std::function<void(QWidget*)> action;
        int result;
    } cases[] = {{[](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); }, IDOK},
                 {[](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); }, IDCANCEL},
                 {[](QWidget* w) { w->close(); }, IDCANCEL}};
    for (const auto& c : cases) {
        CDialog dialog(t, nullptr);
        EXPECT_EQ(RunModal(dialog,
                           [&] {
                               const CRect whole = dialog.MapDialogRect(CRect{0, 0, 160, 60});
                               EXPECT_EQ(dialog.GetClientRect(), whole);
                               EXPECT_GT(whole.Width(), 160) << "a unit is wider than a pixel";
                               EXPECT_EQ(dialog.ScreenToClient(
                                             dialog.GetDlgItem(IDCANCEL)->GetWindowRect()),
                                         dialog.MapDialogRect(CRect{90, 40, 140, 54}));
                               EXPECT_EQ(dialog.GetDlgItem(100)->GetWindowText(), L"Weiter?");
                               c.action(dialog.Widget());
                           }),
                  c.result);
        EXPECT_FALSE(dialog.HasWindow());
    }
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

// What the player reads of a text Qt shows in this format.
QString AsRead(const QString& text, Qt::TextFormat format) {
    if (format == Qt::PlainText || (format == Qt::AutoText && !Qt::mightBeRichText(text)))
        return text;
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText();
}

// Slide texts reach static texts, tooltips and message boxes: markup in them is read as
// written, and an image it names is not loaded.
TEST(PlainText, TooltipsAndMessageBoxesShowMarkupAsWritten) {
    CWnd owner, tool;
    ASSERT_TRUE(owner.Create(L"Owner", L"", WS_VISIBLE, CRect{0, 0, 200, 100}, nullptr, 0));
    ASSERT_TRUE(tool.Create(L"Tool", L"", WS_CHILD | WS_VISIBLE, CRect{0, 0, 50, 50}, &owner, 1));
    for (const wchar_t* text : {L"<img src=\"/tmp/rot.png\">Bild", L"<b>fett</b> & <i>x</i>",
                                L"<h1>Titel</h1>", L"a < b > c", L"Nur Text"}) {
        const std::string written = QString::fromWCharArray(text).toStdString();
        CStatic label;
        ASSERT_TRUE(label.Create(L"STATIC", text, WS_VISIBLE, CRect{0, 0, 600, 200}, nullptr, 2));
        const auto* shownLabel = qobject_cast<QLabel*>(label.Widget());
        ASSERT_NE(shownLabel, nullptr);
        EXPECT_EQ(AsRead(shownLabel->text(), shownLabel->textFormat()).toStdString(), written);

        CToolTipCtrl tips;
        ASSERT_TRUE(tips.Create(&owner));
        ASSERT_TRUE(tips.AddTool(&tool, text));
        tips.Activate(true);
        EXPECT_EQ(AsRead(tool.Widget()->toolTip(), Qt::AutoText).toStdString(), written);

        QString shown;
        QTimer::singleShot(0, [&] {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible()) {
                    shown = AsRead(box->text(), box->textFormat());
                    box->done(0);
                }
        });
        CMessageBox::Show(nullptr, text, L"Fehler");
        EXPECT_EQ(shown.toStdString(), written);
    }
}

// A release outside every window of the program reaches no window, so a panel pressed before
// stays pressed; keys reach the focused window as VK_ codes with their modifiers, and a key it
// does not use goes on to its parent, so a slide hears what its elements leave alone.
TEST(CWndWidget, MouseAndKeysReachTheRightWindow) {
    CRecordingWnd host, panel;
    panel.usedKey = VK_SPACE;
    panel.SetFocusable(CWnd::Focus::CLICK);
    ASSERT_TRUE(host.Open(nullptr, CRect{0, 0, 400, 300}));
    ASSERT_TRUE(panel.Open(&host, CRect{10, 10, 110, 60}));
    CApplication::ProcessMessages();
    const auto click = [&](QPoint release) {
        QTest::mousePress(panel.Widget(), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(panel.Widget(), Qt::LeftButton, {}, release);
    };
    click({5000, 5000}); // Qt sends it to the pressed panel
    EXPECT_TRUE(panel.releases.empty() && host.releases.empty());
    click({200, 200});
    EXPECT_EQ(host.releases, (std::vector<CPoint>{{210, 210}}));
    click({7, 8});
    EXPECT_EQ(panel.releases, (std::vector<CPoint>{{7, 8}}));
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        UINT vk, flags;
        bool toParent;
    } cases[] = {{Qt::Key_Space, Qt::NoModifier, VK_SPACE, 0, false},
                 {Qt::Key_Z, Qt::ControlModifier, 'Z', MK_CONTROL, true},
                 {Qt::Key_Left, Qt::ShiftModifier, VK_LEFT, MK_SHIFT, true},
                 {Qt::Key_F1, Qt::NoModifier, VK_F1, 0, true}};
    for (const auto& c : cases) {
        host.keys.clear();
        panel.keys.clear();
        QTest::keyClick(panel.Widget(), c.key, c.modifiers);
        EXPECT_EQ(panel.keys, (std::vector<std::pair<UINT, UINT>>{{c.vk, c.flags}})) << c.vk;
        EXPECT_EQ(host.keys.size(), c.toParent ? 1u : 0u) << c.vk;
    }
}

} // namespace
