#include "PlotFixture.h"
#include "SlideFixture.h"

#include "common/CRecordingWnd.h"
#include "common/CTestSoundOutput.h"
#include "game/CElementFactory.h"
#include "game/CNotchFilter.h"
#include "game/CPoleZeroPlot.h"
#include "game/CTable.h"
#include "game/CToneSequence.h"

#include <QApplication>

using game::ERR_NONE;

namespace {

// Elements of any kind made by the factory from XML on signal 5, side by side in one host.
class KeysOnScreen : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = CTestSoundOutput::Install(m_device);
        context.SetSignal(5, MakeSignal(Noise(16384, 3, 0.5f)));
        ASSERT_TRUE(host.Create(L"Host", L"", WS_VISIBLE, CRect{0, 0, 1400, 400}, nullptr, 0));
        host.Widget()->activateWindow();
    }
    void TearDown() override {
        elements.clear();
        host.DestroyWindow();
        CSoundOutput::SetFactory(m_previous);
    }
    template <typename Element = game::CElement> Element* Make(const std::string& xml) {
        documents.push_back(std::make_unique<tinyxml2::XMLDocument>());
        documents.back()->Parse(xml.c_str());
        const tinyxml2::XMLElement& node = *documents.back()->RootElement();
        elements.push_back(game::CElementFactory::Create(node.Name(), &context));
        game::CElement& made = *elements.back();
        CRect area{10 + 110 * static_cast<int>(elements.size() - 1), 10, 3000, 1000};
        EXPECT_EQ(made.ReadXml(node, area, WS_CHILD | WS_VISIBLE), ERR_NONE) << xml;
        EXPECT_EQ(made.Prepare(), ERR_NONE) << xml;
        EXPECT_EQ(made.CreateElementWindow(&host, static_cast<UINT>(elements.size())), ERR_NONE);
        CApplication::ProcessMessages();
        return dynamic_cast<Element*>(&made);
    }
    static QImage Grab(const CWnd& window) {
        CApplication::ProcessMessages();
        return window.Widget()->grab().toImage();
    }
    static void Key(CWnd& window, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(window.Widget(), key, modifiers);
        CApplication::ProcessMessages();
    }

    std::shared_ptr<CTestSoundOutput::Device> m_device =
        std::make_shared<CTestSoundOutput::Device>();
    CSoundOutput::Factory m_previous;
    game::CGameContext context;
    CWnd host;
    std::vector<std::unique_ptr<tinyxml2::XMLDocument>> documents;
    std::vector<std::unique_ptr<game::CElement>> elements;
};

// The pixels of the outermost two rings of an image.
std::vector<QRgb> Ring(const QImage& image) {
    std::vector<QRgb> ring;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (std::min({x, y, image.width() - 1 - x, image.height() - 1 - y}) < 2)
                ring.push_back(image.pixel(x, y));
    return ring;
}

int CountWhere(const std::vector<QRgb>& pixels, bool (*test)(QRgb)) {
    return static_cast<int>(std::count_if(pixels.begin(), pixels.end(), test));
}

} // namespace

// Every kind the player clicks, and every swappable panel, is reached by Tab in the order of
// the row and then shows a ring of dark and light dashes along its edge, gone when it loses
// the focus again.
TEST_F(KeysOnScreen, TabReachesEachClickableElementWhichThenShowsAFocusRing) {
    const char* const kinds[] = {
        "<wave id='9' example_from='5' width='100' height='60'/>", // has the focus on showing
        "<wave id='1' example_from='5' width='100' height='60'/>",
        "<spectrum id='2' example_from='5' width='100' height='60' switch='1'/>",
        "<spectrogram id='3' example_from='5' width='100' height='60' switch='1'/>",
        "<afilter id='4' example_from='5' width='100' height='60' switch='1'><b>1</b></afilter>",
        "<notch id='6' example_from='5' width='100' height='60'/>",
        "<polezero id='7' example_from='5' width='100' height='60'/>",
        "<wave id='8' example_from='5' width='100' height='60'/>"};
    for (const char* xml : kinds)
        Make(xml);
    elements.front()->SetFocus();
    Key(*elements.front(), Qt::Key_Tab);
    for (std::size_t k = 1; k + 1 < elements.size(); ++k) {
        game::CElement& element = *elements[k];
        ASSERT_TRUE(element.HasFocus()) << kinds[k];
        const std::vector<QRgb> focused = Ring(Grab(element));
        Key(element, Qt::Key_Tab);
        ASSERT_TRUE(elements[k + 1]->HasFocus()) << "Tab after " << kinds[k];
        const std::vector<QRgb> unfocused = Ring(Grab(element));
        const int ring = static_cast<int>(focused.size());
        EXPECT_GT(CountWhere(focused, [](QRgb c) { return qGray(c) < 64; }), ring / 4) << kinds[k];
        EXPECT_GT(CountWhere(focused, [](QRgb c) { return qGray(c) > 192; }), ring / 4) << kinds[k];
        std::size_t differing = 0;
        for (std::size_t i = 0; i < focused.size(); ++i)
            differing += focused[i] != unfocused[i];
        EXPECT_GT(differing, focused.size() / 4) << kinds[k];
    }
}

// On the notch, Left and Right move the notch a column, Shift ten, up to the plot's edges; the
// filter is the notch at that column's frequency and it scores as a click there would. T plays
// a short tone.
TEST_F(KeysOnScreen, ArrowsMoveTheNotchAsAClickOnTheColumnWould) {
    game::CToneSequence::Seed(7);
    auto* notch = Make<game::CNotchFilter>(
        "<notch id='6' example_from='5' width='256' height='60' points='2'/>");
    ASSERT_NE(notch, nullptr);
    ASSERT_EQ(notch->GetNotch(), 128);
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int times, column;
    } cases[] = {{Qt::Key_Right, {}, 1, 129},
                 {Qt::Key_Left, {}, 1, 128},
                 {Qt::Key_Right, Qt::ShiftModifier, 1, 138},
                 {Qt::Key_Left, Qt::ShiftModifier, 14, 0},
                 {Qt::Key_Left, {}, 1, 0},
                 {Qt::Key_Right, Qt::ShiftModifier, 26, 255},
                 {Qt::Key_Right, {}, 1, 255}};
    for (const auto& c : cases) {
        for (int n = 0; n < c.times; ++n)
            Key(*notch, c.key, c.modifiers);
        EXPECT_EQ(notch->GetNotch(), c.column);
        const float omega = static_cast<float>(c.column) * 3.1415927f / 256.0f;
        EXPECT_NEAR(notch->GetFilter().GetNumerator()[1], -2.0f * std::cos(omega), 1e-5f);
        EXPECT_EQ(notch->GetPoints(), c.column == notch->GetSolution() ? 2 : 0);
    }
    while (notch->GetNotch() > notch->GetSolution())
        Key(*notch, Qt::Key_Left);
    EXPECT_EQ(notch->GetPoints(), 2);
    Key(*notch, Qt::Key_T);
    EXPECT_TRUE(m_device->WaitForQueued(1)) << "T plays a tone";
}

// On the pole-zero plane the arrows move a cursor; N, P and Delete there change the roots as a
// left click, a right click and a click on the nearest root would, undo included.
TEST_F(KeysOnScreen, KeysOnThePlaneMakeTheRootsClicksWould) {
    const std::string xml = "<polezero id='7' example_from='5' width='200' height='100'/>";
    auto* keyed = Make<game::CPoleZeroPlot>(xml);
    auto* clicked = Make<game::CPoleZeroPlot>(xml);
    ASSERT_TRUE(keyed != nullptr && clicked != nullptr);
    keyed->SetFocus();
    const CPoint centre = keyed->GetCentre();
    const auto click = [&](Qt::MouseButton button, CPoint at) {
        QTest::mouseClick(clicked->Widget(), button, {}, {at.x, at.y});
        CApplication::ProcessMessages();
    };
    const struct {
        std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys;
        CPoint cursor;          // relative to the centre
        Qt::MouseButton button; // the click the last key stands for; NoButton for undo
        CPoint clickAt;
    } cases[] = {
        {{{Qt::Key_Up, Qt::ShiftModifier}, {Qt::Key_Up, Qt::ShiftModifier}, {Qt::Key_N, {}}},
         {0, -20},
         Qt::LeftButton,
         {0, -20}},
        {{{Qt::Key_Right, Qt::ShiftModifier}, {Qt::Key_Right, {}}, {Qt::Key_P, {}}},
         {11, -20},
         Qt::RightButton,
         {11, -20}},
        {{{Qt::Key_Down, {}}, {Qt::Key_Left, {}}, {Qt::Key_N, {}}},
         {10, -19},
         Qt::LeftButton,
         {10, -19}},
        {{{Qt::Key_Delete, {}}}, {10, -19}, Qt::LeftButton, {10, -19}},
        {{{Qt::Key_Delete, {}}}, {10, -19}, Qt::RightButton, {11, -20}},
        {{{Qt::Key_Z, Qt::ControlModifier}}, {10, -19}, Qt::NoButton, {}},
        {{{Qt::Key_Down, Qt::ShiftModifier},
          {Qt::Key_Down, Qt::ShiftModifier},
          {Qt::Key_Down, Qt::ShiftModifier},
          {Qt::Key_Left, Qt::ShiftModifier},
          {Qt::Key_N, {}}},
         {0, 4},
         Qt::LeftButton,
         {0, 4}},
    };
    for (const auto& c : cases) {
        for (const auto& [key, modifiers] : c.keys)
            Key(*keyed, key, modifiers);
        EXPECT_EQ(keyed->GetCursor(), (CPoint{centre.x + c.cursor.x, centre.y + c.cursor.y}));
        if (c.button == Qt::NoButton) {
            QTest::keyClick(clicked->Widget(), Qt::Key_Z, Qt::ControlModifier);
            CApplication::ProcessMessages();
        } else {
            click(c.button, CPoint{centre.x + c.clickAt.x, centre.y + c.clickAt.y});
        }
        EXPECT_EQ(keyed->GetZeros(), clicked->GetZeros()) << c.cursor.x << "," << c.cursor.y;
        EXPECT_EQ(keyed->GetPoles(), clicked->GetPoles()) << c.cursor.x << "," << c.cursor.y;
        EXPECT_EQ(keyed->GetNumerator(), clicked->GetNumerator());
        EXPECT_EQ(keyed->GetDenominator(), clicked->GetDenominator());
    }
    EXPECT_EQ(keyed->GetZeros().size(), 2u);
    for (int n = 0; n < 4; ++n)
        Key(*keyed, Qt::Key_Up, Qt::ShiftModifier);
    const CPoint at = keyed->GetCursor();
    for (const bool focused : {true, false}) {
        (focused ? keyed : clicked)->SetFocus();
        const QImage image = Grab(*keyed);
        for (const int dx : {-6, 6}) // the cross's arms, in the plane's empty part
            EXPECT_EQ(PixelOf(image, at.x + dx, at.y) == RGB(0, 0, 0), focused) << dx;
    }
}

namespace {

// A slide of swappable panels on screen inside a window that records the keys left to it.
class SwapKeys : public SlideFixture {
protected:
    void Show() {
        ASSERT_EQ(ReadTables("<table rows='2' cols='3'><row><wave id='1' switch='1'/>"
                             "<wave id='2' switch='1'/><wave id='3' switch='1'/></row><row>"
                             "<wave id='4'/><static/><wave id='5' switch='1'/></row></table>"),
                  ERR_NONE);
        if (!host.HasWindow()) {
            ASSERT_TRUE(host.Open(nullptr, CRect{0, 0, 1200, 900}));
        }
        ASSERT_EQ(slide->CreateElementWindow(&host, 1000), ERR_NONE);
        slide->ShowWindow(true);
        CApplication::ProcessMessages();
        for (int id = 1; id <= 5; ++id)
            cells.push_back(Panel(id)->GetWindowRect());
    }
    game::CTable& Table() { return dynamic_cast<game::CTable&>(*slide->Children().at(0)); }

    CRecordingWnd host;
    std::vector<CRect> cells; // the screen rectangles of the panels as they were made
};

} // namespace

// Enter on a panel picks it and Enter on a second panel of the group swaps the two, exactly as
// a drag from the first to the second; Escape drops a pick. Where there is nothing to pick or
// drop, the key is left to the window around the slide.
TEST_F(SwapKeys, EnterSwapsAsADragDoesAndEscapeDropsThePick) {
    constexpr Qt::Key DRAG = Qt::Key_unknown;
    const struct {
        std::vector<std::tuple<Qt::Key, int, int>> steps; // key, on panel, (drag) to panel
        std::vector<int> ids;
        int points;
        std::vector<UINT> passedOn;
    } cases[] = {
        {{{DRAG, 1, 3}}, {3, 2, 1, 4, 0, 5}, 3, {}},
        {{{Qt::Key_Return, 1, 0}, {Qt::Key_Return, 3, 0}}, {3, 2, 1, 4, 0, 5}, 3, {}},
        {{{Qt::Key_Return, 5, 0}, {Qt::Key_Return, 2, 0}}, {1, 5, 3, 4, 0, 2}, 3, {}},
        {{{Qt::Key_Return, 1, 0}, {Qt::Key_Escape, 2, 0}, {Qt::Key_Return, 3, 0}},
         {1, 2, 3, 4, 0, 5},
         5,
         {}},
        {{{Qt::Key_Return, 1, 0}, {Qt::Key_Return, 1, 0}, {Qt::Key_Return, 2, 0}},
         {1, 2, 3, 4, 0, 5},
         5,
         {}},
        {{{Qt::Key_Escape, 2, 0}, {Qt::Key_Return, 4, 0}, {Qt::Key_Escape, 4, 0}},
         {1, 2, 3, 4, 0, 5},
         5,
         {VK_ESCAPE, VK_RETURN, VK_ESCAPE}},
    };
    for (const auto& c : cases) {
        Show();
        for (const auto& [key, on, to] : c.steps) {
            if (key == DRAG) {
                QTest::mousePress(Panel<CWnd>(on)->Widget(), Qt::LeftButton, {}, QPoint{5, 5});
                QTest::mouseRelease(Panel<CWnd>(to)->Widget(), Qt::LeftButton, {}, QPoint{5, 5});
            } else {
                QTest::keyClick(Panel<CWnd>(on)->Widget(), key);
            }
            CApplication::ProcessMessages();
        }
        EXPECT_EQ(Table().CurrentIds(), c.ids);
        for (std::size_t k = 0, made = 0; k < c.ids.size(); ++k)
            if (c.ids[k] != 0) {
                EXPECT_EQ(Panel(c.ids[k])->GetWindowRect(), cells[made++]) << c.ids[k];
            }
        EXPECT_EQ(Table().GetPoints(), c.points);
        std::vector<UINT> passedOn;
        for (const auto& [key, flags] : host.keys)
            passedOn.push_back(key);
        EXPECT_EQ(passedOn, c.passedOn);
        slide.reset();
        host.keys.clear();
        cells.clear();
    }
}

// The arrows take the focus to the nearest cell that way whose element takes keys, past texts
// and panels that do not; at the table's edge the key is left to the window around it.
TEST_F(SwapKeys, ArrowsMoveTheFocusBetweenCells) {
    Show();
    const struct {
        int from;
        Qt::Key key;
        int to; // 0: the focus stays and the key goes on
    } cases[] = {{1, Qt::Key_Right, 2}, {3, Qt::Key_Left, 2}, {1, Qt::Key_Down, 0},
                 {3, Qt::Key_Down, 5},  {5, Qt::Key_Left, 0}, {5, Qt::Key_Up, 3},
                 {2, Qt::Key_Up, 0},    {3, Qt::Key_Right, 0}};
    for (const auto& c : cases) {
        host.keys.clear();
        Panel(c.from)->SetFocus();
        QTest::keyClick(Panel<CWnd>(c.from)->Widget(), c.key);
        CApplication::ProcessMessages();
        EXPECT_TRUE(Panel(c.to != 0 ? c.to : c.from)->HasFocus()) << c.from << " " << c.key;
        EXPECT_EQ(host.keys.size(), c.to != 0 ? 0u : 1u) << c.from << " " << c.key;
    }
}
