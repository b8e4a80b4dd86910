#include "SlideFixture.h"

#include "game/CTable.h"
#include "platform/CApplication.h"
#include "platform/CBitmap.h"
#include "platform/CDC.h"

#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWidget>

using game::ERR_NONE;

namespace {

// A slide on screen inside a host window, for mouse tests.
class OnScreen : public SlideFixture {
protected:
    void Show(const std::string& tables) {
        ASSERT_EQ(Read("<GameSlide>" + tables + "</GameSlide>"), ERR_NONE);
        ASSERT_TRUE(host.Create(L"Host", L"", WS_VISIBLE, CRect{0, 0, 1200, 900}, nullptr, 0));
        ASSERT_EQ(slide->CreateElementWindow(&host, 1000), ERR_NONE);
        slide->ShowWindow(true);
        CApplication::ProcessMessages();
    }
    // Press on one panel and release over another, as the player drags.
    void Drag(int from, int to) {
        QWidget* source = Panel(from)->Widget();
        QWidget* target = Panel(to)->Widget();
        QTest::mousePress(source, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(target, Qt::LeftButton, {}, QPoint(5, 5));
    }
    game::CTable& Table(std::size_t i = 0) {
        return dynamic_cast<game::CTable&>(*slide->Children().at(i));
    }
    CRect ScreenRect(int id) { return Panel(id)->GetWindowRect(); }

    CWnd host;
};

TEST_F(OnScreen, DraggingSwapsPanelsOfOneGroup) {
    Show("<table rows='1' cols='3'><row><wave id='1' switch='1'/><wave id='2' switch='1'/>"
         "<wave id='3' switch='2'/></row></table>");
    const CRect r1 = ScreenRect(1), r2 = ScreenRect(2);
    Drag(1, 2);
    EXPECT_EQ(ScreenRect(1), r2);
    EXPECT_EQ(ScreenRect(2), r1);
    EXPECT_EQ(Table().CurrentIds(), (std::vector<int>{2, 1, 3}));
    EXPECT_EQ(slide->Context().PressedIdFor(1), 0);
    // Another group: the release finds no press in its group and nothing moves.
    Drag(1, 3);
    EXPECT_EQ(ScreenRect(1), r2);
    EXPECT_EQ(Table().CurrentIds(), (std::vector<int>{2, 1, 3}));
}

TEST_F(OnScreen, NoSwapOnSamePanelOtherSizeOrNoGroup) {
    Show("<table rows='1' cols='4'><row><wave id='1' switch='1'/><wave id='2' switch='1' "
         "width='200'/><wave id='3' switch='0'/><wave id='4' switch='-2'/></row></table>");
    const CRect r1 = ScreenRect(1), r2 = ScreenRect(2);
    const struct {
        int from, to;
    } drags[] = {{1, 1}, {1, 2}, {3, 4}, {4, 3}};
    for (const auto& d : drags) {
        Drag(d.from, d.to);
        EXPECT_EQ(ScreenRect(1), r1);
        EXPECT_EQ(ScreenRect(2), r2);
        EXPECT_EQ(Table().CurrentIds(), (std::vector<int>{1, 2, 3, 4}));
        EXPECT_EQ(slide->Context().PressedIdFor(1), 0) << d.from << "->" << d.to;
    }
}

TEST_F(OnScreen, PressSurvivesAReleaseElsewhere) {
    Show("<table rows='1' cols='2'><row><wave id='1' switch='5'/><wave id='2' switch='5'/>"
         "</row></table><table rows='1' cols='1'><row><wave id='3' switch='5'/></row></table>");
    QTest::mousePress(Panel(1)->Widget(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(host.Widget(), Qt::LeftButton, {}, QPoint(1190, 890));
    EXPECT_EQ(slide->Context().PressedIdFor(2), 1);
    // The next release over a panel of the group exchanges it with the pressed one, even
    // across tables: both tables hear of it.
    const CRect r1 = ScreenRect(1), r3 = ScreenRect(3);
    QTest::mousePress(host.Widget(), Qt::LeftButton, {}, QPoint(1190, 890));
    QTest::mouseRelease(Panel(3)->Widget(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(ScreenRect(1), r3);
    EXPECT_EQ(ScreenRect(3), r1);
    EXPECT_EQ(Table(0).CurrentIds(), (std::vector<int>{3, 2}));
    EXPECT_EQ(Table(1).CurrentIds(), (std::vector<int>{1}));
}

TEST_F(OnScreen, TooltipsOnlyForTooltipOneWithText) {
    Show("<table rows='1' cols='4'><row><wave id='1' tooltip='1'>Klavier</wave>"
         "<wave id='2' tooltip='2'>Geige</wave><wave id='3' tooltip='1'/><wave id='4'>x</wave>"
         "</row></table>");
    const CToolTipCtrl& tips = slide->Context().m_toolTip;
    EXPECT_TRUE(tips.IsActive());
    EXPECT_EQ(tips.GetToolText(Panel(1)), L"Klavier");
    for (int id : {2, 3, 4})
        EXPECT_EQ(tips.GetToolText(Panel(id)), L"") << id;
}

TEST_F(SlideFixture, ElementsWithoutIdShareKeyZero) {
    ASSERT_EQ(Read("<GameSlide><table rows='1' cols='3'><row><wave id='-1'>first</wave>"
                   "<wave id='2'/><wave id='-5'>last</wave></row></table></GameSlide>"),
              ERR_NONE);
    ASSERT_NE(Panel(0), nullptr);
    EXPECT_EQ(Panel(0)->GetText(), L"last");
    EXPECT_EQ(Panel(7), nullptr);
}

TEST_F(SlideFixture, ScalingTruncatesAndStopsOnceTheWindowExists) {
    ASSERT_EQ(Read("<GameSlide><table rows='1' cols='1'><row><wave id='1' width='101'/></row>"
                   "</table></GameSlide>"),
              ERR_NONE);
    auto* panel = Panel(1);
    EXPECT_EQ(panel->GetRect().left, 10);
    panel->ScaleHorizontal(1.5f);
    EXPECT_EQ(panel->GetRect().left, 15);
    EXPECT_EQ(panel->GetRect().Width(), 151);
    panel->ScaleVertical(0.5f);
    EXPECT_EQ(panel->GetRect(), (CRect{15, 5, 166, 69}));
}

// The mark lands centred; a client smaller than the 128 x 128 image starts left of and above
// the client area, and the image's background colour shows nothing.
TEST_F(SlideFixture, MarkIsCentredAndKeyedOnItsBackground) {
    ASSERT_EQ(Read("<GameSlide><table rows='1' cols='1'><row><wave id='1'/></row></table>"
                   "</GameSlide>"),
              ERR_NONE);
    CBitmap mark;
    ASSERT_TRUE(mark.LoadBitmap(game::MARK_WRONG));
    const COLORREF key = mark.TransparentColor();
    const struct {
        int width, height, left, top;
    } cases[] = {{100, 100, -14, -14}, {256, 128, 64, 0}, {129, 127, 0, -1}};
    for (const auto& c : cases) {
        QImage image(c.width, c.height, QImage::Format_RGB32);
        image.fill(Qt::black);
        {
            QPainter painter(&image);
            CDC dc(painter);
            EXPECT_FALSE(Panel(1)->DrawMark(dc, CRect{0, 0, c.width, c.height}));
            Panel(1)->SetMark(game::MARK_WRONG);
            EXPECT_TRUE(Panel(1)->DrawMark(dc, CRect{0, 0, c.width, c.height}));
            Panel(1)->SetMark(0);
        }
        int mismatches = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                const COLORREF source = mark.GetPixel(x - c.left, y - c.top);
                const QRgb expected = (source == CLR_INVALID || source == key)
                                          ? qRgb(0, 0, 0)
                                          : qRgb(GetRValue(source), GetGValue(source),
                                                 GetBValue(source));
                mismatches += (image.pixel(x, y) & 0xFFFFFF) != (expected & 0xFFFFFF);
            }
        EXPECT_EQ(mismatches, 0) << c.width << "x" << c.height;
    }
}

} // namespace
