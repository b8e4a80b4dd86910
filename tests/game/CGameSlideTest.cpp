#include "SlideFixture.h"

using game::ERR_NONE;

// Blocks stack below each other, centred in the slide; the slide is centred in the area.
TEST_F(SlideFixture, LayoutStacksCentresAndSizes) {
    const struct {
        std::string xml;
        CRect area, slide, firstText; // the text in slide coordinates, empty when none
    } cases[] = {
        {"<static>Hallo</static>", {0, 0, 276, 500}, {0, 0, 276, 148}, {10, 10, 266, 138}},
        {"<static>Hallo</static>", {0, 0, 800, 600}, {262, 0, 538, 148}, {10, 10, 266, 138}},
        {"<static/><opt width='100' height='50' hspace='5' vspace='4'/><opt width='999'/>",
         {0, 0, 110, 100}, {0, 0, 110, 58}, {5, 4, 105, 54}},
        {"", {0, 20, 100, 100}, {45, 20, 55, 30}, {}},
        {"<hidden/><!-- note -->", {0, 0, 10, 10}, {0, 0, 10, 10}, {}},
        {"<static width='400'>a</static><static width='100'>b</static>", {0, 0, 420, 400},
         {0, 0, 420, 286}, {10, 10, 410, 138}},
        {"<table rows='0' cols='0'/>", {0, 0, 30, 100}, {0, 0, 30, 30}, {}}, // only its margins
    };
    for (const auto& c : cases) {
        ASSERT_EQ(Read("<GameSlide>" + c.xml + "</GameSlide>", c.area), ERR_NONE) << c.xml;
        EXPECT_EQ(offered, c.slide) << c.xml;
        EXPECT_EQ(slide->GetRect(), c.slide) << c.xml;
        EXPECT_EQ(slide->StaticTexts().empty(), c.firstText == CRect{}) << c.xml;
        if (!slide->StaticTexts().empty()) {
            EXPECT_EQ(slide->StaticTexts().front().rect, c.firstText) << c.xml;
        }
        EXPECT_TRUE(slide->IsReady());
    }
    ASSERT_EQ(ReadTables(OneCell("<wave id='1'/>") + OneCell("<wave id='2'/>") +
                         "<static width='100'>x</static>"),
              ERR_NONE);
    ASSERT_EQ(slide->Children().size(), 2u);
    EXPECT_EQ(slide->Children()[0]->GetRect(), (CRect{10, 10, 286, 158}));
    EXPECT_EQ(slide->Children()[1]->GetRect().top, 10 + 158);
    EXPECT_EQ(slide->StaticTexts().front().rect, (CRect{98, 326, 198, 454}));
    EXPECT_EQ(slide->GetRect().Width(), 296);
}

// A slide the game cannot show is refused with the code of its fault, a good one is ready.
TEST_F(SlideFixture, ReadFailuresGiveTheirCodes) {
    const std::string wave1 = "<row><wave id='1'/></row>";
    const struct {
        std::string blocks;
        int code;
    } cases[] = {
        {"<Table rows='0' cols='0'/>", game::ERR_UNKNOWN_ELEMENT},
        {"<picture/>", game::ERR_UNKNOWN_ELEMENT},
        {"<hidden><wave id='1'/></hidden>", game::ERR_UNKNOWN_ELEMENT},
        {OneCell("<wave id='1' prepare='10'/>"), game::ERR_PREPARE_FFT},
        {OneCell("<wave id='1' prepare='7'/>") + OneCell("<wave id='2' prepare='11'/>"),
         game::ERR_EXAMPLE_NOT_FOUND},
        {"<table rows='2' cols='1'>" + wave1 + wave1 + wave1 + "</table>", game::ERR_ROWS},
        {"<table rows='2' cols='1'>" + wave1 + "</table>", game::ERR_ROWS},
        {"<table rows='1' cols='3'><row><wave id='1'/><wave id='2'/></row></table>",
         game::ERR_COLUMNS},
        // A wave without id is left out, so the row is one cell short.
        {"<table rows='1' cols='2'><row><wave id='1'/><wave/></row></table>", game::ERR_COLUMNS},
        {"<table rows='1' cols='2'><row><wave id='1'/><wave id='0'/></row></table>",
         game::ERR_COLUMNS},
        // Unknown cell tags and other children of the table are skipped without error.
        {"<table rows='1' cols='1'><caption/><row><picture/><wave id='1'/></row></table>",
         ERR_NONE},
        {"<table rows='-3' cols='2'/>", game::ERR_MEMORY},
        {"<table rows='100000' cols='100000'/>", game::ERR_MEMORY},
    };
    EXPECT_EQ(Read("<Slide/>"), game::ERR_XML_TITLE);
    for (const auto& c : cases) {
        EXPECT_EQ(ReadTables(c.blocks), c.code) << c.blocks;
        EXPECT_EQ(slide->IsReady(), c.code == ERR_NONE) << c.blocks;
    }
}

TEST_F(SlideFixture, StaticTextEscapesAndPoints) {
    ASSERT_EQ(ReadTables("<static>Zeile 1\\nZeile 2\\tTab \\x</static>"), ERR_NONE);
    EXPECT_EQ(slide->StaticTexts().front().text, L"Zeile 1\n\rZeile 2\tTab \\x");
    EXPECT_EQ(slide->GetMaxPoints(), 0);
    ASSERT_EQ(ReadTables("<table rows='1' cols='2'><row><wave id='1' points='2'/><wave id='2' "
                         "points='3'/></row></table>" +
                         OneCell("<wave id='3' points='0'/>") + "<hidden/>"),
              ERR_NONE);
    EXPECT_EQ(slide->GetMaxPoints(), 5);
    EXPECT_EQ(slide->GetPoints(), 5);
}

TEST_F(SlideFixture, FitToAreaScalesAboutTheSlideOrigin) {
    ASSERT_EQ(Read("<GameSlide>" + OneCell("<wave id='1'/>") + "<static>t</static></GameSlide>",
                   CRect{0, 30, 296, 400}),
              ERR_NONE);
    ASSERT_EQ(slide->GetRect(), (CRect{0, 30, 296, 336}));
    slide->FitToArea(CRect{0, 0, 592, 612}); // twice the size
    EXPECT_EQ(slide->GetRect(), (CRect{0, 30, 592, 642}));
    EXPECT_EQ(slide->Children()[0]->GetRect(), (CRect{20, 20, 572, 316}));
    EXPECT_EQ(Panel(1)->GetRect(), (CRect{20, 20, 532, 276}));
    EXPECT_EQ(slide->StaticTexts().front().rect, (CRect{40, 336, 552, 592}));
}

// Element windows get ids below the slide's, clear of the dialog's own; texts become controls;
// scaling after the windows exist changes nothing; a parent without a window is refused.
TEST_F(SlideFixture, WindowsGetTheirIdsTextsAndOrder) {
    ASSERT_EQ(ReadTables("<table rows='1' cols='2'><row><wave id='4'/><static>a</static></row>"
                         "</table><static>b</static>" + OneCell("<wave id='9'/>")),
              ERR_NONE);
    CWnd neverCreated;
    EXPECT_EQ(slide->CreateElementWindow(&neverCreated, 1), game::ERR_CREATE_WND);
    EXPECT_FALSE(Panel(4)->HasWindow());
    ASSERT_TRUE(host.Create(L"Host", L"", 0, CRect{0, 0, 600, 600}, nullptr, 0));
    ASSERT_EQ(slide->CreateElementWindow(&host, 1000), ERR_NONE);
    EXPECT_EQ(Table(0).GetDlgCtrlID(), 1100u);
    EXPECT_EQ(Panel(4)->GetDlgCtrlID(), 1101u);
    EXPECT_EQ(Panel(9)->GetDlgCtrlID(), 1201u);
    EXPECT_TRUE(slide->StaticTexts().empty() && Table(0).StaticTexts().empty());
    EXPECT_EQ(Table(0).GetDlgItem(0xFFFF)->GetWindowText(), L"a");
    EXPECT_EQ(slide->GetDlgItem(0xFFFF)->GetWindowText(), L"b");
    const CRect before = Panel(4)->GetRect();
    slide->FitToArea(CRect{0, 0, 10, 10});
    Panel(4)->ScaleHorizontal(2.0f);
    EXPECT_EQ(Panel(4)->GetRect(), before);
    slide->DestroyWindow();
    EXPECT_FALSE(Panel(4)->HasWindow() || slide->HasWindow());
}
