#include "SlideFixture.h"

using game::ERR_NONE;

class OnScreen : public SlideFixture {
protected:
    QWidget* W(int id) { return Panel(id)->Widget(); }
    CRect ScreenRect(int id) { return Panel(id)->GetWindowRect(); }
};

// Only panels of one group and one size swap, by a drag from one to the other.
TEST_F(OnScreen, DraggingSwapsPanelsOfOneGroupAndSize) {
    Show("<table rows='1' cols='6'><row><wave id='1' switch='1'/><wave id='2' switch='1'/>"
         "<wave id='3' switch='2'/><wave id='4' switch='1' width='200'/><wave id='5' switch='0'/>"
         "<wave id='6' switch='-2'/></row></table>");
    const CRect r1 = ScreenRect(1), r2 = ScreenRect(2);
    for (const auto& [from, to] : {std::pair{1, 1}, {1, 4}, {5, 6}, {6, 5}, {1, 3}, {1, 2}}) {
        SCOPED_TRACE(std::to_string(from) + "->" + std::to_string(to));
        Drag(from, to);
        const bool swapped = to == 2;
        EXPECT_EQ(ScreenRect(1), swapped ? r2 : r1);
        EXPECT_EQ(ScreenRect(2), swapped ? r1 : r2);
        EXPECT_EQ(Table().CurrentIds(),
                  (std::vector<int>{swapped ? 2 : 1, swapped ? 1 : 2, 3, 4, 5, 6}));
        // A release in another group leaves the press standing.
        EXPECT_EQ(slide->Context().PressedIdFor(1), to == 3 ? 1 : 0);
    }
}

// A press survives a release elsewhere; the next release over a panel of the group exchanges
// it with the pressed one, even across tables: both tables hear of it.
TEST_F(OnScreen, PressSurvivesAReleaseElsewhere) {
    Show("<table rows='1' cols='2'><row><wave id='1' switch='5'/><wave id='2' switch='5'/>"
         "</row></table><table rows='1' cols='1'><row><wave id='3' switch='5'/></row></table>");
    Drag(W(1), host.Widget(), {1190, 890});
    EXPECT_EQ(slide->Context().PressedIdFor(2), 1);
    const CRect r1 = ScreenRect(1), r3 = ScreenRect(3);
    Drag(host.Widget(), W(3), {1190, 890});
    EXPECT_EQ(ScreenRect(1), r3);
    EXPECT_EQ(ScreenRect(3), r1);
    EXPECT_EQ(Table(0).CurrentIds(), (std::vector<int>{3, 2}));
    EXPECT_EQ(Table(1).CurrentIds(), (std::vector<int>{1}));
    // Each now belongs to the other's table: its old one would clip it away.
    EXPECT_EQ(Panel(1)->GetParent(), slide->Children().at(1).get());
    EXPECT_EQ(Panel(3)->GetParent(), slide->Children().at(0).get());
}

// Tooltips only for tooltip='1' with text; elements without id share key 0, the last wins.
TEST_F(OnScreen, TooltipsAndElementsWithoutId) {
    Show("<table rows='1' cols='6'><row><wave id='1' tooltip='1'>Klavier</wave>"
         "<wave id='2' tooltip='2'>Geige</wave><wave id='3' tooltip='1'/><wave id='4'>x</wave>"
         "<wave id='-1'>first</wave><wave id='-5'>last</wave></row></table>");
    const CToolTipCtrl& tips = slide->Context().m_toolTip;
    EXPECT_TRUE(tips.IsActive());
    EXPECT_EQ(tips.GetToolText(Panel(1)), L"Klavier");
    for (int id : {2, 3, 4})
        EXPECT_EQ(tips.GetToolText(Panel(id)), L"") << id;
    ASSERT_NE(Panel(0), nullptr);
    EXPECT_EQ(Panel(0)->GetText(), L"last");
    EXPECT_EQ(Panel(7), nullptr);
}
