// Windows and messages: posted messages reach live windows only, texts show markup as written.
#include "common/CRecordingWnd.h"
#include "platform/CApplication.h"
#include "platform/CMessageBox.h"
#include "platform/CStatic.h"
#include "platform/CToolTipCtrl.h"
#include "platform/CWindowMessages.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTextDocument>
#include <QTimer>
#include <gtest/gtest.h>

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

} // namespace
