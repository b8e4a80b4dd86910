// Where a mouse button comes up decides which window hears of it.
#include "platform/CApplication.h"
#include "platform/CWnd.h"

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <vector>

namespace {

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
    ASSERT_TRUE(panel.Create(L"Panel", L"", WS_CHILD | WS_VISIBLE, CRect{10, 10, 110, 60}, &host, 1));
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

} // namespace
