// The main window's frame: title bar boxes, fixed size, icon.
#include "GameFolder.h"

#include "game/CGameSlide.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

using MainWindowFrame = GameFolder;

bool IsFixedAt(const QWidget& w, QSize size) {
    return w.size() == size && w.minimumSize() == size && w.maximumSize() == size;
}

// The title bar offers minimise and close but no maximise box; the user cannot resize the
// window, yet the program can: the menu grows it for many courses, a course that fits the
// screen fills it, and the menu brings the fixed menu size back. The icon is the program's.
TEST_F(MainWindowFrame, TitleBarBoxesFixedSizeAndIcon) {
    WriteSlide("a.xml", "<wave id='1'/>", 1);
    std::string courses;
    for (int i = 0; i < 20; ++i)
        courses +=
            "<course titel='K" + std::to_string(i) + "'><slide>slides/a.xml</slide></course>";
    WriteGame(courses, "", " fit_to_screen='1'");

    CVelmoraDlg dialog;
    RunModal(dialog, [&] {
        QWidget& w = *dialog.Widget();
        const Qt::WindowFlags flags = w.windowFlags();
        EXPECT_TRUE(flags & Qt::WindowTitleHint);
        EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
        EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
        EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
        EXPECT_FALSE(flags & Qt::FramelessWindowHint);
        const QIcon icon = w.windowIcon();
        EXPECT_TRUE(icon.availableSizes().contains(QSize(128, 128)));
        EXPECT_TRUE(icon.availableSizes().contains(QSize(16, 16)));

        const QSize menu = w.size();
        const int templateHeight = dialog.MapDialogRect(CRect{0, 0, 570, 428}).Height();
        EXPECT_EQ(menu.height(), 50 + 21 * 50 + 20) << "grown for 20 courses";
        EXPECT_GT(menu.height(), templateHeight);
        EXPECT_TRUE(IsFixedAt(w, menu));

        Click(dialog, ID_COURSE_FIRST);
        ASSERT_TRUE(WaitUntil([&] { return dialog.CurrentSlide() != nullptr; }));
        EXPECT_TRUE(w.isMaximized());
        // A window manager keeps a window within its size limits; they are lifted meanwhile.
        EXPECT_GT(w.maximumSize().height(), menu.height());
        EXPECT_EQ(w.frameGeometry().size(),
                  QGuiApplication::primaryScreen()->availableGeometry().size());
        // The slide fills the window below the buttons, within a margin of 10 pixels.
        const CRect client = dialog.GetClientRect();
        const CRect slide = dialog.ScreenToClient(dialog.CurrentSlide()->GetWindowRect());
        EXPECT_NEAR(slide.Width(), client.Width() - 20, 2);
        EXPECT_NEAR(slide.Height(), client.Height() - 50, 2);

        Click(dialog, IDC_MAINMENU);
        ASSERT_TRUE(WaitUntil([&] { return !w.isMaximized(); }));
        EXPECT_TRUE(IsFixedAt(w, menu));
        dialog.EndDialog(IDCANCEL);
    });
}

} // namespace
