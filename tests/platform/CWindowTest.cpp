// Windows, dialogs and messages: placement, keys, mouse release, posted messages, static text.
#include "common/CTempFolder.h"
#include "platform/CApplication.h"
#include "platform/CDialog.h"
#include "platform/CMessageBox.h"
#include "platform/CStatic.h"
#include "platform/CText.h"
#include "platform/CToolTipCtrl.h"
#include "platform/CWindowMessages.h"
#include "platform/CWnd.h"

#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QTextDocument>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

namespace {

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class Listener : public CWnd {
public:
    explicit Listener(std::vector<Received>* log) : m_log(log) {}
    bool Open() { return Create(L"Listener", L"", 0, CRect{0, 0, 10, 10}, nullptr, 0); }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        m_log->push_back({message, wParam, lParam});
        return 42;
    }

private:
    std::vector<Received>* m_log;
};

TEST(CWindowMessages, SameNameSameNumberAcrossThreads) {
    const UINT here = CWindowMessages::Register("UWM_TEST_ONEUSE_GUID");
    UINT there = 0;
    std::thread([&] { there = CWindowMessages::Register("UWM_TEST_ONEUSE_GUID"); }).join();
    EXPECT_EQ(here, there);
    EXPECT_GE(here, 0xC000u);
    EXPECT_NE(CWindowMessages::Register("UWM_TEST_TWOUSE_GUID"), here);
}

TEST(CWindowMessages, PostedMessagesReachOnlyLiveWindows) {
    const UINT msg = CWindowMessages::Register("UWM_TEST_POSTUSE_GUID");
    std::vector<Received> log;
    Listener live(&log), destroyed(&log), neverCreated(&log);
    ASSERT_TRUE(live.Open());
    ASSERT_TRUE(destroyed.Open());

    EXPECT_TRUE(live.PostMessage(msg, 1, 0));
    EXPECT_TRUE(destroyed.PostMessage(msg, 2, 0)); // queued, then its window goes
    EXPECT_FALSE(neverCreated.PostMessage(msg, 3, 0));
    destroyed.DestroyWindow();
    EXPECT_FALSE(destroyed.PostMessage(msg, 4, 0));
    CApplication::ProcessMessages();

    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].wParam, 1u);
}

TEST(CWindowMessages, NewWindowAtAFreedAddressGetsNoOldMessage) {
    const UINT msg = CWindowMessages::Register("UWM_TEST_REUSEUSE_GUID");
    std::vector<Received> log;
    auto first = std::make_unique<Listener>(&log);
    ASSERT_TRUE(first->Open());
    first->PostMessage(msg, 1, 0);
    void* address = first.get();
    first.reset();
    // Whether or not the allocator hands out the same address, the old message is dropped.
    auto second = std::make_unique<Listener>(&log);
    ASSERT_TRUE(second->Open());
    CApplication::ProcessMessages();
    EXPECT_TRUE(log.empty()) << (address == second.get() ? "same address" : "new address");
}

TEST(CWindowMessages, PostingFromManyThreadsDeliversOnTheUiThread) {
    const UINT msg = CWindowMessages::Register("UWM_TEST_THREADSUSE_GUID");
    std::vector<Received> log; // only touched on this (the user-interface) thread
    Listener live(&log);
    ASSERT_TRUE(live.Open());
    std::vector<std::thread> posters;
    for (int t = 0; t < 4; ++t)
        posters.emplace_back([&, t] {
            for (int i = 0; i < 100; ++i)
                live.PostMessage(msg, static_cast<WPARAM>(t), i);
        });
    for (auto& p : posters)
        p.join();
    CApplication::ProcessMessages();
    EXPECT_EQ(log.size(), 400u);
}

TEST(CWindowMessages, SendDeliversAtOnce) {
    std::vector<Received> log;
    Listener live(&log);
    EXPECT_EQ(live.SendMessage(0xC123, 7, 8), 42);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].lParam, 8);
}

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

class CRecordingWnd : public CWnd {
public:
    std::vector<CPoint> releases;

protected:
    void OnLButtonUp(UINT, CPoint point) override { releases.push_back(point); }
};

// A release outside every window of the program reaches no window, so a panel pressed before
// stays pressed, exactly as after a release over an empty part of the program's own window.
TEST(CWndWidget, ReleaseOutsideEveryWindowReachesNoWindow) {
    CRecordingWnd host;
    CRecordingWnd panel;
    ASSERT_TRUE(host.Create(L"Host", L"", WS_VISIBLE, CRect{0, 0, 400, 300}, nullptr, 0));
    ASSERT_TRUE(
        panel.Create(L"Panel", L"", WS_CHILD | WS_VISIBLE, CRect{10, 10, 110, 60}, &host, 1));
    CApplication::ProcessMessages();
    QWidget* pressed = panel.Widget();

    QTest::mousePress(pressed, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(pressed, Qt::LeftButton, {}, QPoint(5000, 5000)); // Qt sends it here
    EXPECT_TRUE(panel.releases.empty());
    EXPECT_TRUE(host.releases.empty());

    // Over the program's own window the window under the cursor hears of it.
    QTest::mousePress(pressed, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(pressed, Qt::LeftButton, {}, QPoint(200, 200));
    ASSERT_EQ(host.releases.size(), 1u);
    EXPECT_EQ(host.releases[0].x, 210);
    QTest::mousePress(pressed, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(pressed, Qt::LeftButton, {}, QPoint(7, 8));
    ASSERT_EQ(panel.releases.size(), 1u);
    EXPECT_EQ(panel.releases[0].y, 8);
}

int PixelsOf(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == colour;
    return count;
}

TEST(CStatic, MarkupInATextIsShownAsWrittenAndLoadsNothing) {
    CTempFolder folder;
    QImage red(40, 40, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    const std::wstring image = folder.PathOf("rot.png");
    ASSERT_TRUE(red.save(QString::fromStdWString(image)));
    const std::wstring markup = L"<h1>Titel</h1><img src=\"" + image + L"\">";

    CStatic text;
    ASSERT_TRUE(text.Create(L"STATIC", markup, WS_VISIBLE, CRect{0, 0, 600, 200}, nullptr, 1));
    const QImage shot = text.Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(PixelsOf(shot, qRgb(255, 0, 0)), 0) << "the image file was loaded";
    // As plain text the tags are one more line of ordinary letters; a heading would be taller.
    CStatic tagged, plain;
    ASSERT_TRUE(
        tagged.Create(L"STATIC", L"<h1>Titel</h1>", WS_VISIBLE, CRect{0, 0, 600, 200}, nullptr, 2));
    ASSERT_TRUE(plain.Create(L"STATIC", L"Titel", WS_VISIBLE, CRect{0, 0, 600, 200}, nullptr, 3));
    EXPECT_EQ(tagged.Widget()->sizeHint().height(), plain.Widget()->sizeHint().height())
        << "the text became a heading";
}

// What the player reads of a text Qt shows in this format.
QString AsRead(const QString& text, Qt::TextFormat format) {
    if (format == Qt::PlainText || (format == Qt::AutoText && !Qt::mightBeRichText(text)))
        return text;
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText();
}

// Slide texts reach tooltips and message boxes: markup in them is read as written.
TEST(PlainText, TooltipsAndMessageBoxesShowMarkupAsWritten) {
    CWnd owner, tool;
    ASSERT_TRUE(owner.Create(L"Owner", L"", WS_VISIBLE, CRect{0, 0, 200, 100}, nullptr, 0));
    ASSERT_TRUE(tool.Create(L"Tool", L"", WS_CHILD | WS_VISIBLE, CRect{0, 0, 50, 50}, &owner, 1));
    for (const wchar_t* text : {L"<img src=\"/tmp/rot.png\">Bild", L"<b>fett</b> & <i>x</i>",
                                L"a < b > c", L"Nur Text"}) {
        const QString written = QString::fromWCharArray(text);
        CToolTipCtrl tips;
        ASSERT_TRUE(tips.Create(&owner));
        ASSERT_TRUE(tips.AddTool(&tool, text));
        tips.Activate(true);
        EXPECT_EQ(AsRead(tool.Widget()->toolTip(), Qt::AutoText).toStdString(),
                  written.toStdString());

        QString shown;
        QTimer::singleShot(0, [&] {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible()) {
                    shown = AsRead(box->text(), box->textFormat());
                    box->done(0);
                }
        });
        CMessageBox::Show(nullptr, text, L"Fehler");
        EXPECT_EQ(shown.toStdString(), written.toStdString());
    }
}

} // namespace

// Keys reach the focused window as VK_ codes with their modifiers; a key it does not use goes
// on to its parent, so a slide hears what its elements leave alone.
TEST(CWndWidget, KeysReachTheFocusedWindowAndWhatItLeavesGoesToTheParent) {
    struct Keys : CWnd {
        std::vector<std::pair<UINT, UINT>> heard;
        UINT uses = 0;
        bool OnKeyDown(UINT key, UINT flags) override {
            heard.emplace_back(key, flags);
            return key == uses;
        }
    };
    Keys parent, child;
    child.uses = VK_SPACE;
    child.SetFocusable(CWnd::Focus::CLICK);
    ASSERT_TRUE(parent.Create(L"Keys", L"", WS_VISIBLE, CRect{0, 0, 100, 100}, nullptr, 0));
    ASSERT_TRUE(child.Create(L"Keys", L"", WS_CHILD | WS_VISIBLE, CRect{0, 0, 50, 50}, &parent, 1));
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        UINT vk, flags;
        bool toParent;
    };
    const Case cases[] = {{Qt::Key_Space, Qt::NoModifier, VK_SPACE, 0, false},
                          {Qt::Key_Z, Qt::ControlModifier, 'Z', MK_CONTROL, true},
                          {Qt::Key_Left, Qt::ShiftModifier, VK_LEFT, MK_SHIFT, true},
                          {Qt::Key_F1, Qt::NoModifier, VK_F1, 0, true}};
    for (const Case& c : cases) {
        parent.heard.clear();
        child.heard.clear();
        QTest::keyClick(child.Widget(), c.key, c.modifiers);
        ASSERT_EQ(child.heard.size(), 1u) << c.vk;
        EXPECT_EQ(child.heard[0], std::make_pair(c.vk, c.flags));
        EXPECT_EQ(parent.heard.size(), c.toParent ? 1u : 0u) << c.vk;
    }
}
