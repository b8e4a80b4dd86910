// The game by keys alone: every bundled course from the menu to its end with every point, and
// what Escape and F1 do in the middle of a course.
#include "GameFolder.h"

#include "game/CNotchFilter.h"
#include "game/CPoleZeroPlot.h"
#include "game/CTable.h"
#include "game/CWavePlot.h"
#include "platform/CText.h"

#include <QLabel>
#include <QPointer>

namespace {

namespace fs = std::filesystem;

class KeyboardCourse : public GameFolder {
protected:
    // A key to whatever has the focus, as the keyboard delivers it.
    static void Key(CVelmoraDlg& d, Qt::Key key) {
        // As a window manager does, the window is active again once a dialog above it closed.
        if (QApplication::activeWindow() == nullptr) {
            d.Widget()->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(d.Widget()));
        }
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus != nullptr ? focus : d.Widget(), key);
    }
    // Tab until the window has the focus; false when Tab never reaches it.
    static bool TabTo(CVelmoraDlg& d, const CWnd& window) {
        for (int i = 0; i < 200 && !window.HasFocus(); ++i)
            Key(d, Qt::Key_Tab);
        return window.HasFocus();
    }
    // Every button pressed here is used up by the press; the focus must not fall onto
    // "Hauptmenü", which the next Space would press.
    static void Press(CVelmoraDlg& d, UINT id, Qt::Key key) {
        ASSERT_TRUE(TabTo(d, *d.GetDlgItem(id))) << id;
        Key(d, key);
        CApplication::ProcessMessages();
        EXPECT_FALSE(d.GetDlgItem(IDC_MAINMENU)->HasFocus()) << "after button " << id;
    }
    // Solves the slide as a player without a mouse: Enter on a panel and on the one whose cell
    // it belongs in, the notch moved onto its tone, the target's roots set at the cursor.
    static void Solve(CVelmoraDlg& d) {
        game::CGameSlide& slide = *d.CurrentSlide();
        for (const auto& child : slide.Children())
            if (auto* table = dynamic_cast<game::CTable*>(child.get())) {
                for (std::size_t k = 0; k < table->ExpectedIds().size(); ++k)
                    for (const int id : {table->ExpectedIds()[k], table->CurrentIds()[k]}) {
                        if (table->ExpectedIds()[k] == table->CurrentIds()[k])
                            break;
                        ASSERT_TRUE(TabTo(d, *slide.Context().FindElement(id)));
                        Key(d, Qt::Key_Return);
                    }
                ASSERT_EQ(table->CurrentIds(), table->ExpectedIds());
                for (const auto& element : table->Children())
                    Answer(d, *element);
            }
    }
    static void Answer(CVelmoraDlg& d, game::CElement& element) {
        if (auto* notch = dynamic_cast<game::CNotchFilter*>(&element)) {
            ASSERT_TRUE(TabTo(d, *notch));
            // A key first places the notch: the tone may lie where the notch starts.
            Key(d, Qt::Key_Right);
            for (int i = 0; i < 1000 && notch->GetNotch() != notch->GetSolution(); ++i)
                Key(d, notch->GetNotch() < notch->GetSolution() ? Qt::Key_Right : Qt::Key_Left);
        }
        auto* plane = dynamic_cast<game::CPoleZeroPlot*>(&element);
        if (plane == nullptr || !plane->HasTarget())
            return;
        ASSERT_TRUE(TabTo(d, *plane));
        const CPoint centre = plane->GetCentre();
        for (const bool poles : {false, true})
            for (const auto root : plane->TargetRoots(poles)) {
                const CPoint at{centre.x + int(std::lround(root.real() * plane->GetRadius())),
                                centre.y - int(std::lround(root.imag() * plane->GetRadius()))};
                for (int i = 0; i < 400 && plane->GetCursor() != at; ++i) {
                    const int dx = at.x - plane->GetCursor().x, dy = at.y - plane->GetCursor().y;
                    const bool across = std::abs(dx) >= std::abs(dy);
                    const Qt::Key key = across ? (dx > 0 ? Qt::Key_Right : Qt::Key_Left)
                                               : (dy > 0 ? Qt::Key_Down : Qt::Key_Up);
                    QTest::keyClick(plane->Widget(), key,
                                    std::abs(across ? dx : dy) >= 10 ? Qt::ShiftModifier
                                                                     : Qt::NoModifier);
                }
                Key(d, poles ? Qt::Key_P : Qt::Key_N);
            }
    }
    static bool InMenu(CVelmoraDlg& d) { return d.GetDlgItem(ID_COURSE_RANDOM)->IsWindowVisible(); }
    static bool StartCourse(CVelmoraDlg& d, std::size_t course) {
        Press(d, ID_COURSE_FIRST + static_cast<UINT>(course), Qt::Key_Space);
        return WaitUntil([&] { return d.CurrentSlide() != nullptr; }, 10000) &&
               !d.GetDlgItem(IDC_MAINMENU)->HasFocus();
    }
    // Answers each modal window once with the key: the window's title and texts are kept.
    // The name dialog gets a name typed first.
    void AnswerByKeys(CVelmoraDlg& d, std::function<Qt::Key()> key) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(d.Widget())) << "keys go to the active window";
        responder.setInterval(5);
        QObject::connect(&responder, &QTimer::timeout, [this, &d, key] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || modal == d.Widget() || modal == answered)
                return;
            answered = modal;
            asked = modal->windowTitle();
            for (const QLabel* label : modal->findChildren<QLabel*>())
                asked += "|" + label->text();
            if (auto* edit = modal->findChild<QLineEdit*>())
                QTest::keyClicks(edit, "Anna");
            QWidget* focus = modal->focusWidget();
            QTest::keyClick(focus != nullptr ? focus : modal, key());
        });
        responder.start();
    }
    QString asked;
    QPointer<QWidget> answered;
};

// Every course of the bundled game played to its end, each slide with every point, then a round
// of random tasks, which must offer only exercises; no slide may fail to load.
TEST_F(KeyboardCourse, EveryBundledCourseToItsEndWithFullPoints) {
    fs::copy(fs::path(VELMORA_SOURCE_DIR) / "content", m_folder,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    fs::remove(m_folder / "stats");
    testing_panels::CScopedKind waves{
        "wave", [](game::CGameContext* c) { return std::make_unique<game::CWavePlot>(c); }};
    std::size_t endings = 0, courses = 0;
    const auto playSlide = [&](CVelmoraDlg& d) {
        const int before = Points(d).first;
        const std::string name = CText::ToNarrow(d.CurrentSlide()->GetName());
        Solve(d);
        if (Enabled(d, IDC_CHECK))
            Press(d, IDC_CHECK, Qt::Key_Return);
        EXPECT_EQ(Points(d).first - before, d.CurrentSlide()->GetMaxPoints()) << name;
        ASSERT_TRUE(WaitUntil([&] { return Enabled(d, IDC_NEXT); }, 10000)) << name;
        Press(d, IDC_NEXT, Qt::Key_Space);
    };
    Play(
        [&](CVelmoraDlg& d) {
            AnswerByKeys(d, [] { return Qt::Key_Return; });
            courses = d.Courses().size();
            ASSERT_GE(courses, 10u);
            for (std::size_t c = 0; c < d.Courses().size() && !HasFatalFailure(); ++c) {
                ASSERT_TRUE(StartCourse(d, c)) << c;
                std::size_t slides = 0; // "Weiter" shows the next one at once, or ends the course
                for (; d.CurrentSlide() != nullptr && !HasFatalFailure(); ++slides)
                    playSlide(d);
                EXPECT_EQ(slides, d.Courses()[c].slides.size()) << c;
                endings += InMenu(d) && d.IsModalRunning();
            }
            Press(d, ID_COURSE_RANDOM, Qt::Key_Space);
            for (int i = 0; i < 12 && !HasFatalFailure(); ++i) {
                ASSERT_TRUE(WaitUntil([&] { return d.CurrentSlide() != nullptr; }, 10000));
                EXPECT_GT(d.CurrentSlide()->GetMaxPoints(), 0) << CText::ToNarrow(SlideName(d));
                playSlide(d);
            }
        },
        180000);
    EXPECT_EQ(endings, courses);
    EXPECT_TRUE(asked.contains("Bestenliste|")) << asked.toStdString();
    EXPECT_NE(ReadFile("stats").size(), 0u);
    EXPECT_TRUE(messages.empty()) << (messages.empty() ? "" : CText::ToNarrow(messages[0]));
}

// Escape in a course asks before it leaves; in the menu it ends the game. F1 shows the keys.
TEST_F(KeyboardCourse, EscapeAsksAndF1Helps) {
    WriteSlide("a.xml", "<wave id='1'/><wave id='2'/>", 2);
    WriteGame(
        "<course titel='Kurs'><slide>slides/a.xml</slide><slide>slides/a.xml</slide></course>");
    const struct {
        Qt::Key key, answer;
        const char *caption, *says;
        bool stays;
    } cases[] = {
        {Qt::Key_Escape, Qt::Key_N, "Velmora", "Den Kurs verlassen", true},
        {Qt::Key_Escape, Qt::Key_Escape, "Velmora", "Den Kurs verlassen", true},
        {Qt::Key_Escape, Qt::Key_Return, "Velmora", "Den Kurs verlassen", true},
        {Qt::Key_Escape, Qt::Key_J, "Velmora", "Den Kurs verlassen", false},
        {Qt::Key_F1, Qt::Key_Escape, "Tastatur", "Escape: im Kurs", true},
        {Qt::Key_Return, Qt::Key_Escape, "", "", true}, // Enter never ends the game
    };
    Play([&](CVelmoraDlg& d) {
        Qt::Key answer = Qt::Key_Escape;
        AnswerByKeys(d, [&] { return answer; });
        for (const auto& c : cases) {
            SCOPED_TRACE(c.says);
            if (InMenu(d)) {
                ASSERT_TRUE(StartCourse(d, 0));
            }
            answer = c.answer;
            asked.clear();
            Key(d, c.key);
            ASSERT_TRUE(WaitUntil([&] { return QApplication::activeModalWidget() == d.Widget(); }));
            CApplication::ProcessMessagesFor(150); // a mnemonic's click comes a moment later
            EXPECT_TRUE(*c.caption == '\0' ? asked.isEmpty()
                                           : asked.startsWith(c.caption) && asked.contains(c.says))
                << asked.toStdString();
            EXPECT_EQ(d.CurrentSlide() != nullptr && !InMenu(d), c.stays);
            EXPECT_TRUE(d.IsModalRunning());
        }
        answer = Qt::Key_J;
        Key(d, Qt::Key_Escape);
        ASSERT_TRUE(WaitUntil([&] { return InMenu(d); }));
        Key(d, Qt::Key_Escape);
        EXPECT_FALSE(d.IsModalRunning()) << "Escape in the menu ends the game";
    });
}

} // namespace
