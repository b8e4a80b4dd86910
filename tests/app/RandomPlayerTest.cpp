// A random player: thousands of clicks, drags and key presses on the main dialog from a fixed
// seed, with the score dialogs answered as they come. After every step the dialog must be in a
// state the course flow allows, and the score line must equal an independent count of the
// evaluated panels. VELMORA_RANDOM_STEPS and VELMORA_RANDOM_SEED change length and seed.
#include "GameFolder.h"

#include "game/CTable.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>

namespace {

int FromEnvironment(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : fallback;
}

// The points each panel id is worth, per slide, as the slides below are written.
const std::map<std::wstring, std::map<int, int>> POINTS = {
    {L"drei.xml", {{1, 1}, {2, 2}, {3, 3}}},
    {L"zwei_tabellen.xml", {{1, 1}, {2, 1}, {3, 1}, {4, 2}}},
    {L"text.xml", {}},
    {L"null.xml", {{1, 0}}},
};

class RandomPlayer : public GameFolder {
protected:
    void SetUp() override {
        GameFolder::SetUp();
        Write("slides/drei.xml",
              "<GameSlide><static>Ordne</static><table rows='2' cols='3'>"
              "<row><static>a</static><static>b</static><static>c</static></row>"
              "<row shuffle='1'><wave id='1' switch='1'/><wave id='2' switch='1' points='2'/>"
              "<wave id='3' switch='1' points='3'/></row></table></GameSlide>");
        Write("slides/zwei_tabellen.xml",
              "<GameSlide><table rows='1' cols='2'><row shuffle='1'><wave id='1' switch='5'/>"
              "<wave id='2' switch='5'/></row></table><static>dazwischen</static>"
              "<table rows='1' cols='2'><row><wave id='3' switch='5'/><wave id='4' switch='6' "
              "points='2'/></row></table></GameSlide>");
        Write("slides/text.xml", "<GameSlide><static>nur Text &lt;b&gt;</static></GameSlide>");
        WriteSlide("null.xml", "<wave id='1' points='0'/>", 1);
        Write("slides/kaputt.xml", "<GameSlide><table rows='2' cols='1'></table></GameSlide>");
        WriteGame("<course titel='Ordnen' highscore='1'><slide>slides/drei.xml</slide>"
                  "<slide>slides/text.xml</slide><slide>slides/zwei_tabellen.xml</slide></course>"
                  "<course titel='Ohne Punkte'><slide>slides/null.xml</slide>"
                  "<slide>slides/text.xml</slide></course>"
                  "<course titel='Mit Fehler' highscore='1'><slide>slides/drei.xml</slide>"
                  "<slide>slides/kaputt.xml</slide></course>",
                  "<dialogtext><cur_points>Es wurden %d von %d Punkte erreicht</cur_points>"
                  "<rnd_course>Zufall</rnd_course><highscore>Beste</highscore></dialogtext>");
    }

    int Pick(int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); }
    static bool Usable(CVelmoraDlg& d, UINT id) {
        const CWnd* item = d.GetDlgItem(id);
        return item != nullptr && item->IsWindowVisible() && item->IsWindowEnabled();
    }
    void Press(CVelmoraDlg& d, UINT id) {
        if (Usable(d, id))
            QTest::mouseClick(d.GetDlgItem(id)->Widget(), Qt::LeftButton);
    }

    // The points of the slide on screen: with inPlace only those of panels in their places.
    static int SlidePoints(CVelmoraDlg& d, bool inPlace) {
        const auto& worth = POINTS.at(d.CurrentSlide()->GetName());
        int sum = 0;
        for (const auto& [id, points] : worth)
            sum += inPlace ? 0 : points;
        for (const auto& child : d.CurrentSlide()->Children())
            if (const auto* table = dynamic_cast<const game::CTable*>(child.get());
                inPlace && table)
                for (std::size_t k = 0; k < table->ExpectedIds().size(); ++k)
                    if (const int id = table->ExpectedIds()[k];
                        id != 0 && table->CurrentIds()[k] == id)
                        sum += worth.at(id);
        return sum;
    }

    // A drag from a panel to a panel, into the dialog, or out of every window.
    void Drag(CVelmoraDlg& d, const std::map<int, int>& worth) {
        const auto panel = [&] {
            return d.CurrentSlide()->Context().FindElement(
                std::next(worth.begin(), Pick(int(worth.size())))->first);
        };
        CWnd* source = panel();
        CWnd* target = panel();
        if (source == nullptr || target == nullptr)
            return;
        QWidget* pressed = source->Widget();
        QTest::mousePress(pressed, Qt::LeftButton, {}, QPoint(3, 3));
        QPoint global = target->Widget()->mapToGlobal(QPoint(4, 4));
        if (Pick(4) == 0)
            global = d.Widget()->mapToGlobal(QPoint(Pick(900), Pick(700)));
        else if (Pick(4) == 0)
            global = QPoint(-3000, -3000);
        // Qt hands the release to the widget that saw the press.
        QTest::mouseRelease(pressed, Qt::LeftButton, {}, pressed->mapFromGlobal(global));
    }

    void Step(CVelmoraDlg& d) {
        const auto* worth = d.CurrentSlide() ? &POINTS.at(d.CurrentSlide()->GetName()) : nullptr;
        lastAction = Pick(10);
        if (lastAction == 0) { // a menu button: a course, the random tasks, a high-score list
            const UINT ids[] = {ID_COURSE_FIRST,  ID_COURSE_FIRST + 1, ID_COURSE_FIRST + 2,
                                ID_COURSE_RANDOM, ID_HIGHSCORE_FIRST,  ID_HIGHSCORE_FIRST + 2};
            const UINT id = ids[Pick(6)];
            if (Usable(d, id) && id < ID_HIGHSCORE_FIRST)
                achieved = total = 0;
            Press(d, id);
        } else if (lastAction <= 2) { // "Auswerten", counted before the dialog evaluates
            if (Usable(d, IDC_CHECK) && worth != nullptr) {
                achieved += SlidePoints(d, true);
                total += SlidePoints(d, false);
                ++evaluations;
            }
            checkAllowed = checkAllowed && !Usable(d, IDC_CHECK);
            Press(d, IDC_CHECK);
        } else if (lastAction <= 4) { // "Weiter": another slide, or the end of the course
            hadSlide = hadSlide && !Usable(d, IDC_NEXT); // what is on screen next came with it
            Press(d, IDC_NEXT);
        } else if (lastAction == 5) {
            if (Pick(3) == 0)
                Press(d, IDC_MAINMENU);
        } else if (lastAction <= 7) {
            if (worth != nullptr && !worth->empty())
                Drag(d, *worth);
        } else if (lastAction == 8) { // keys and clicks anywhere in the dialog
            const Qt::Key keys[] = {Qt::Key_Space, Qt::Key_Tab, Qt::Key_A, Qt::Key_Left,
                                    Qt::Key_F1};
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus != nullptr ? focus : d.Widget(), keys[Pick(5)]);
            QTest::mouseClick(d.Widget(), Qt::LeftButton, {}, QPoint(Pick(900), Pick(700)));
        } else { // time passes: a slide being prepared may arrive
            CApplication::ProcessMessagesFor(1 + Pick(3));
        }
        CApplication::ProcessMessages();
    }

    void Check(CVelmoraDlg& d, int step) {
        SCOPED_TRACE("step " + std::to_string(step) + ", last action " +
                     std::to_string(lastAction));
        ASSERT_EQ(Points(d), std::pair(achieved, total));
        const game::CGameSlide* slide = d.CurrentSlide();
        if (slide == nullptr)
            checkAllowed = false;
        else if (!hadSlide && SlidePoints(d, false) > 0)
            checkAllowed = true;
        hadSlide = slide != nullptr;
        if (d.GetDlgItem(ID_COURSE_RANDOM)->IsWindowVisible()) { // the menu
            ASSERT_EQ(slide, nullptr);
            ASSERT_FALSE(Enabled(d, IDC_CHECK) || Enabled(d, IDC_NEXT));
            return;
        }
        ASSERT_FALSE(Enabled(d, IDC_NEXT) && d.IsPreparing()) << "\"Weiter\" before the slide";
        ASSERT_TRUE(slide == nullptr || slide->IsWindowVisible());
        ASSERT_EQ(Enabled(d, IDC_CHECK), checkAllowed) << testing::PrintToString(SlideName(d));
    }

    const int seed = FromEnvironment("VELMORA_RANDOM_SEED", 14);
    std::mt19937 random{static_cast<unsigned>(seed)};
    int evaluations = 0, achieved = 0, total = 0, lastAction = -1;
    // Whether "Auswerten" may be pressed, as the course flow says: enabled when a slide with
    // points comes on screen (one without points leaves it as it was), disabled by pressing it
    // and in the menu.
    bool checkAllowed = false;
    bool hadSlide = false;
};

TEST_F(RandomPlayer, StaysConsistentThroughThousandsOfSteps) {
    const int steps = FromEnvironment("VELMORA_RANDOM_STEPS", 3000);
    int done = 0;
    Play(
        [&](CVelmoraDlg& d) {
            AnswerScoreDialogs(
                d, [this] { return Pick(4) == 0 ? QString() : QString(Pick(60), QChar('x')); });
            for (; done < steps && !HasFatalFailure(); ++done) {
                Step(d);
                Check(d, done);
            }
        },
        steps * 50 + 10000);
    EXPECT_EQ(done, steps);
    responder.stop();
    // The walk reached every part of the flow, not only the menu.
    EXPECT_GT(evaluations, steps / 100);
    EXPECT_GT(nameDialogs, 0);
    EXPECT_GT(listDialogs, nameDialogs);
    EXPECT_FALSE(messages.empty()) << "the broken slide was never met";
    std::printf("random player: %d steps, seed %d, %d evaluations, %d name and %d list dialogs\n",
                done, seed, evaluations, nameDialogs, listDialogs);
}

} // namespace
