// The main dialog: menu, window, course flow, evaluation, high scores and statistics.
#include "GameFolder.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include <csignal>
#include <map>
#include <optional>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

class MainDialog : public GameFolder {
protected:
    static CRect RectOf(CVelmoraDlg& dialog, UINT id) {
        return dialog.ScreenToClient(dialog.GetDlgItem(id)->GetWindowRect());
    }
    // Starts the first course and evaluates its first slide.
    static void EvaluateFirstSlide(CVelmoraDlg& d) {
        Click(d, ID_COURSE_FIRST);
        ASSERT_TRUE(WaitUntil([&] { return Enabled(d, IDC_CHECK); }));
        Click(d, IDC_CHECK);
    }
    static CGameStatistics Saved() {
        CGameStatistics saved;
        EXPECT_TRUE(saved.LoadFile("stats"));
        return saved;
    }
};

// A menu row of 50 pixels per course with slides, then the random tasks; a high-score button
// beside its course; the window grows to hold them all; a missing game file is reported. The
// configured size gives the text font, two thirds of it the tooltip font; a size no one could
// read or that would fill the window with one letter is brought to the nearest usable.
TEST_F(MainDialog, MenuAndFontsFollowTheConfiguration) {
    const std::string a = "<slide>slides/a.xml</slide>";
    std::string twenty;
    for (int i = 0; i < 20; ++i)
        twenty += "<course titel='K" + std::to_string(i) + "'>" + a + "</course>";
    const std::string three = "<course titel='Eins'>" + a +
                              "</course><course titel='Zwei' highscore='1'>" + a +
                              "</course><course titel='Leer'><slide></slide></course>"
                              "<course titel='Drei'>" +
                              a + "</course>";
    const struct {
        std::optional<std::string> courses; // no value: no game.xml
        std::vector<std::wstring> titles;
        int highscoreRow;       // -1: none
        int fontSize, textSize; // tenths of a point: configured, used
    } cases[] = {
        {three, {L"Eins", L"Zwei", L"Drei"}, 1, 120, 120},
        {std::nullopt, {}, -1, 0, 0},
        {twenty, std::vector<std::wstring>(20), -1, 5000, 720},
        {"", {}, -1, 10, 40},
    };
    WriteSlide("a.xml", "<static/>", 1);
    for (const auto& c : cases) {
        messages.clear();
        fs::remove("game.xml");
        if (c.courses)
            WriteGame(*c.courses, "<font size='" + std::to_string(c.fontSize) + "'/>");
        Play([&](CVelmoraDlg& d) {
            if (c.courses)
                for (const auto& [font, points] :
                     {std::pair{&d.Context().m_textFont, c.textSize},
                      {&d.Context().m_tooltipFont, 2 * c.textSize / 3}}) {
                    CFont expected;
                    CLogFont actual, wanted;
                    expected.CreatePointFont(points, L"Times");
                    ASSERT_TRUE(font->GetLogFont(actual) && expected.GetLogFont(wanted));
                    EXPECT_EQ(actual, wanted) << points;
                }
            const int rows = static_cast<int>(c.titles.size());
            for (int i = 0; i < rows; ++i) {
                EXPECT_EQ(RectOf(d, ID_COURSE_FIRST + i).top, 50 + 50 * i);
                const std::wstring title = d.GetDlgItem(ID_COURSE_FIRST + i)->GetWindowText();
                EXPECT_TRUE(c.titles[i].empty() || title == c.titles[i]) << title;
                EXPECT_EQ(d.GetDlgItem(ID_HIGHSCORE_FIRST + i) != nullptr, i == c.highscoreRow);
            }
            EXPECT_EQ(d.GetDlgItem(ID_COURSE_FIRST + rows), nullptr);
            EXPECT_EQ(RectOf(d, ID_COURSE_RANDOM).top, 50 + 50 * rows);
            EXPECT_EQ(d.GetDlgItem(ID_COURSE_RANDOM)->GetWindowText(),
                      L"Zufällige Aufgabenauswahl");
            if (c.highscoreRow >= 0) {
                const CRect list = RectOf(d, ID_HIGHSCORE_FIRST + c.highscoreRow);
                EXPECT_EQ(list.left, RectOf(d, ID_COURSE_FIRST + c.highscoreRow).right + 5);
                EXPECT_EQ(list.right, RectOf(d, ID_COURSE_FIRST).right);
            }
            const int templateHeight = d.MapDialogRect(CRect{0, 0, 570, 428}).Height();
            EXPECT_EQ(RectOf(d, ID_PRACTICE).top, 100 + 50 * rows);
            EXPECT_EQ(RectOf(d, ID_PROGRESS).right, RectOf(d, ID_ASSIGNMENT_CODE).right);
            EXPECT_EQ(d.GetWindowRect().Height(), std::max(50 * rows + 170, templateHeight));
            EXPECT_EQ(d.ScoreLine(), L"Es wurden 0 von 0 Punkten erreicht"); // the template's
            EXPECT_FALSE(Enabled(d, IDC_NEXT) || Enabled(d, IDC_CHECK));
        });
        EXPECT_EQ(messages, std::vector<std::wstring>(c.courses ? 0 : 1,
                                                      L"Velmora|Could not load the game options!"));
    }
}

// The player cannot resize or maximise the window, yet a course that fits the screen fills
// it, and the menu brings the fixed menu size back. The icon is the program's.
TEST_F(MainDialog, WindowIsFixedButACourseMayFillTheScreen) {
    WriteSlide("a.xml", "<wave id='1'/>", 1);
    WriteGame("<course titel='K'><slide>slides/a.xml</slide></course>", "", " fit_to_screen='1'");
    Play([&](CVelmoraDlg& d) {
        QWidget& w = *d.Widget();
        const QSize menu = w.size();
        const auto fixed = [&] { return w.minimumSize() == menu && w.maximumSize() == menu; };
        EXPECT_TRUE(fixed());
        EXPECT_EQ(w.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint),
                  Qt::WindowMinimizeButtonHint);
        EXPECT_TRUE(w.windowIcon().availableSizes().contains(QSize(128, 128)));
        Click(d, ID_COURSE_FIRST);
        ASSERT_TRUE(WaitUntil([&] { return d.CurrentSlide() != nullptr; }));
        EXPECT_TRUE(w.isMaximized());
        EXPECT_EQ(w.frameGeometry().size(),
                  QGuiApplication::primaryScreen()->availableGeometry().size());
        // The slide fills the window below the buttons, within a margin of 10 pixels, once the
        // window has its new size (a busy machine delivers it late).
        EXPECT_TRUE(WaitUntil([&] {
            const CRect client = d.GetClientRect();
            const CRect slide = d.ScreenToClient(d.CurrentSlide()->GetWindowRect());
            return std::abs(slide.Width() - (client.Width() - 20)) <= 2 &&
                   std::abs(slide.Height() - (client.Height() - 50)) <= 2;
        }));
        Click(d, IDC_MAINMENU);
        ASSERT_TRUE(WaitUntil([&] { return !w.isMaximized(); }));
        EXPECT_EQ(w.size(), menu);
        EXPECT_TRUE(fixed());
    });
}

// Courses played to their ends: one with points to the name and the list, with the times the
// player took saved; one without points and one of a single slide end without a dialog; and a
// game closed while a slide is prepared still saves what was played.
TEST_F(MainDialog, CoursesEndWithTheirScoresSaved) {
    constexpr int THINKING_MS = 60; // a player looking at a slide before evaluating
    WriteSlide("five.xml",
               "<wave id='1' switch='1'/><wave id='2' switch='1'/><wave id='3'/><wave id='4'/>"
               "<wave id='5'/>",
               5);
    WriteSlide("two.xml", "<wave id='1'/><wave id='2'/>", 2);
    WriteSlide("text.xml", "<static>nur Text</static>", 1);
    WriteSlide("zero.xml", "<wave id='1' points='0'/>", 1);
    WriteSlide("a.xml", "<wave id='1'/>", 1);
    WriteGame("<course titel='Kurs' highscore='1'><slide>slides/five.xml</slide>"
              "<slide>slides/two.xml</slide></course>"
              "<course titel='Null' highscore='1'><slide>slides/zero.xml</slide>"
              "<slide>slides/text.xml</slide></course>"
              "<course titel='Einer'><slide>slides/text.xml</slide></course>"
              "<course titel='Offen'><slide>slides/a.xml</slide><slide>slides/a.xml</slide>"
              "</course>");
    const auto started = std::chrono::steady_clock::now();
    Play([&](CVelmoraDlg& d) {
        Click(d, ID_COURSE_FIRST);
        ASSERT_TRUE(WaitUntil([&] { return SlideName(d) == L"five.xml"; }));
        CApplication::ProcessMessagesFor(THINKING_MS);
        EXPECT_FALSE(d.GetDlgItem(ID_COURSE_FIRST)->IsWindowVisible());
        // Swap panels 1 and 2: both are then wrong.
        auto& context = d.CurrentSlide()->Context();
        QTest::mousePress(context.FindElement(1)->Widget(), Qt::LeftButton, {}, QPoint(3, 3));
        QTest::mouseRelease(context.FindElement(2)->Widget(), Qt::LeftButton, {}, QPoint(3, 3));
        Click(d, IDC_CHECK);
        EXPECT_EQ(d.ScoreLine(), L"Es wurden 3 von 5 Punkte erreicht");
        EXPECT_FALSE(Enabled(d, IDC_CHECK));
        ASSERT_TRUE(WaitUntil([&] { return Enabled(d, IDC_NEXT); }));
        Click(d, IDC_NEXT);
        EXPECT_EQ(SlideName(d), L"two.xml");
        Click(d, IDC_CHECK);
        EXPECT_EQ(Points(d), std::pair(5, 7));
        ASSERT_TRUE(Enabled(d, IDC_NEXT)); // no further slide: the next press ends the course
        AnswerScoreDialogs(d);
        Click(d, IDC_NEXT);
        EXPECT_EQ(std::pair(nameDialogs, listDialogs), std::pair(1, 1));
        EXPECT_EQ(d.CurrentSlide(), nullptr);
        EXPECT_TRUE(d.GetDlgItem(ID_COURSE_FIRST)->IsWindowVisible());
        EXPECT_EQ(Points(d), std::pair(5, 7));
        for (UINT course : {ID_COURSE_FIRST + 1, ID_COURSE_FIRST + 2}) {
            Click(d, course);
            ASSERT_TRUE(WaitUntil([&] { return d.CurrentSlide() != nullptr; }));
            EXPECT_EQ(Points(d), std::pair(0, 0)); // a new course starts from nothing
            EXPECT_FALSE(Enabled(d, IDC_CHECK));   // nothing to evaluate
            while (d.CurrentSlide() != nullptr) {
                ASSERT_TRUE(WaitUntil([&] { return Enabled(d, IDC_NEXT); }));
                Click(d, IDC_NEXT);
            }
            EXPECT_EQ(d.CourseIndex(), 0);
        }
        EXPECT_EQ(nameDialogs + listDialogs, 2);
        Click(d, ID_COURSE_FIRST + 3);
        ASSERT_TRUE(WaitUntil([&] { return d.CurrentSlide() != nullptr; }));
        Click(d, IDC_CHECK); // the dialog ends while the second slide may be in preparation
    });
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    // The first slide took at least its thinking time, the course longer than its slides.
    const CGameStatistics saved = Saved();
    ASSERT_EQ(saved.GetCourses().size(), 1u);
    const auto& scores = saved.GetCourses().at("Kurs").scores;
    ASSERT_EQ(scores.size(), 1u);
    EXPECT_EQ(std::pair(scores[0].name, scores[0].points), std::pair(std::string("Anna"), 5));
    const auto& slides = saved.GetSlides();
    EXPECT_EQ(slides.count("a.xml"), 1u);
    const double five = slides.at("five.xml").avrg_time, two = slides.at("two.xml").avrg_time;
    EXPECT_GE(five, THINKING_MS / 1000.0);
    EXPECT_GE(scores[0].time, five + two);
    EXPECT_LE(scores[0].time, wall);
    EXPECT_EQ(saved.GetCourses().at("Kurs").avrg_time, scores[0].time);
}

TEST_F(MainDialog, BrokenSlidesAreReportedAndTheMenuLeadsBack) {
    Write("slides/broken.xml", "<GameSlide><static>");
    WriteSlide("bad.xml", "<wave id='1'/>", 2);
    WriteGame("<course titel='Kaputt'><slide>slides/broken.xml</slide></course>"
              "<course titel='Falsch'><slide>slides/bad.xml</slide></course>");
    Play([&](CVelmoraDlg& d) {
        Click(d, ID_COURSE_FIRST);
        ASSERT_TRUE(WaitUntil([&] { return !messages.empty() && !d.IsPreparing(); }));
        EXPECT_FALSE(Enabled(d, IDC_NEXT));
        EXPECT_EQ(d.CurrentSlide(), nullptr);
        Click(d, IDC_MAINMENU);
        EXPECT_TRUE(d.GetDlgItem(ID_COURSE_FIRST)->IsWindowVisible());
        Click(d, ID_COURSE_FIRST + 1);
        ASSERT_TRUE(WaitUntil([&] { return messages.size() == 2; }));
    });
    EXPECT_EQ(messages, (std::vector<std::wstring>{
                            L"Error loading slide|Could not load the slide slides/broken.xml\n"
                            L"Error: Could not open xml slide",
                            L"Error loading slide|Could not load the slide slides/bad.xml\n"
                            L"Error: Invalid number of colums"}));
}

// What stands at "stats" when a save fails, and the name of the file a symbolic link names.
// Whatever it is, it and the player's files beside it stay as they are, and the player is told
// once why, however many results follow.
TEST_F(MainDialog, FailedSaveIsToldOnceAndTouchesNothing) {
    CGameStatistics old;
    old.AddCourseResult(L"Alt", 3, 9.0);
    std::string oldText;
    ASSERT_TRUE(old.SaveStatistics(oldText));
    const wchar_t* link = L"„stats“ ist eine symbolische Verknüpfung, der das Spiel nicht folgt";
    Write("target", oldText);
    Write("readonly", oldText);
    fs::permissions("readonly", fs::perms::owner_read);
    const struct {
        const char* what;
        std::function<void()> make;
        const wchar_t* reason; // nullptr: saved
    } cases[] = {
        {"file", [] { fs::copy_file("target", "stats"); }, nullptr},
        {"folder", [] { fs::create_directory("stats"); }, L"„stats“ ist ein Ordner"},
        {"fifo", [] { mkfifo("stats", 0600); }, L"„stats“ ist keine gewöhnliche Datei"},
        {"read-only file", [] { fs::copy_file("readonly", "stats"); }, // copies the mode
         L"die Datei oder ihr Ordner ist schreibgeschützt"},
        {"link to a file", [] { fs::create_symlink("target", "stats"); }, link},
        {"dangling link", [] { fs::create_symlink("nowhere/stats", "stats"); }, link},
    };
    WriteSlide("a.xml", "<wave id='1'/>", 1);
    WriteGame("<course titel='K'><slide>slides/a.xml</slide><slide>slides/a.xml</slide></course>");
    // Every file of the folder but the game's own, by name: its bytes, or where it links to.
    const auto snapshot = [] {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(".")) {
            const fs::path& path = entry.path();
            if (path.filename() != "game.xml" && !fs::is_directory(fs::symlink_status(path)))
                files[path.filename().string()] =
                    fs::is_symlink(path)        ? "-> " + fs::read_symlink(path).string()
                    : fs::is_regular_file(path) ? ReadFile(path)
                                                : "fifo"; // reading it would wait for a writer
        }
        return files;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        messages.clear();
        fs::remove_all("stats");
        c.make();
        Write("stats.backup", "die Sicherung des Spielers");
        Write("stats.readme", "liesmich");
        auto before = snapshot();
        Play([&](CVelmoraDlg& d) {
            for (int run = 0; run < 2; ++run) { // two results, each saved at once
                EvaluateFirstSlide(d);
                Click(d, IDC_MAINMENU);
            }
        });
        if (c.reason == nullptr) {
            EXPECT_TRUE(messages.empty());
            const CGameStatistics saved = Saved();
            EXPECT_EQ(saved.GetSlides().at("a.xml").played, 2);
            EXPECT_EQ(saved.GetCourses().count("Alt"), 1u);
            before["stats"] = snapshot()["stats"];
            before["stats.verlauf"] = snapshot()["stats.verlauf"]; // the tries follow
        } else {
            EXPECT_EQ(messages, std::vector<std::wstring>{
                                    L"Velmora|Die Ergebnisse konnten nicht gespeichert werden: " +
                                    std::wstring(c.reason) + L"."});
        }
        EXPECT_EQ(snapshot(), before);
        EXPECT_EQ(fs::is_directory("stats"), std::string(c.what) == "folder");
    }
}

// Logging out, shutting down or closing the terminal ends the game through its normal end,
// even from inside a dialog of its own, with every result in the file.
TEST_F(MainDialog, TerminationSignalsEndTheGameAndKeepTheResults) {
    WriteSlide("a.xml", "<wave id='1'/>", 1);
    WriteGame("<course titel='K' highscore='1'><slide>slides/a.xml</slide></course>");
    for (const auto& [signal, inNameDialog] :
         {std::pair{SIGTERM, false}, {SIGHUP, false}, {SIGINT, false}, {SIGTERM, true}}) {
        SCOPED_TRACE(signal);
        fs::remove("stats");
        Play([&, signal = signal, inNameDialog = inNameDialog](CVelmoraDlg& d) {
            EvaluateFirstSlide(d);
            if (!inNameDialog)
                return (void)raise(signal);
            // The signal comes as soon as the name dialog is up, and nothing answers it.
            QObject::connect(&responder, &QTimer::timeout, [&] {
                const QWidget* modal = QApplication::activeModalWidget();
                if (modal != nullptr && modal->findChild<QLineEdit*>() && responder.isActive()) {
                    responder.stop();
                    raise(signal);
                }
            });
            responder.start(10);
            ASSERT_TRUE(WaitUntil([&] { return Enabled(d, IDC_NEXT); }));
            Click(d, IDC_NEXT); // the last slide: the course ends with the name dialog
        });
        responder.disconnect();
        // The quit reaches every loop until the application's own runs again; let it run once.
        QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
        const CGameStatistics saved = Saved();
        EXPECT_EQ(saved.GetSlides().at("a.xml").played, 1);
        EXPECT_EQ(saved.GetCourses().count("K"), inNameDialog ? 1u : 0u);
    }
}

// Menu, course and "Weiter" in quick succession while slides are prepared: a slide of a
// course that was left never shows, and nothing races (run under ThreadSanitizer).
TEST_F(MainDialog, HammeringTheButtonsNeverShowsASlideOfALeftCourse) {
    for (const char* name : {"a1.xml", "a2.xml", "a3.xml", "b1.xml", "b2.xml"})
        WriteSlide(name, "<wave id='1'/><wave id='2'/><wave id='3'/>", 3);
    WriteGame("<course titel='A'><slide>slides/a1.xml</slide><slide>slides/a2.xml</slide>"
              "<slide>slides/a3.xml</slide></course>"
              "<course titel='B'><slide>slides/b1.xml</slide><slide>slides/b2.xml</slide>"
              "</course>");
    const UINT steps[] = {ID_COURSE_FIRST, IDC_NEXT,  IDC_MAINMENU,     ID_COURSE_FIRST + 1,
                          IDC_NEXT,        IDC_NEXT,  ID_COURSE_RANDOM, IDC_MAINMENU,
                          ID_COURSE_FIRST, IDC_CHECK, IDC_NEXT,         IDC_NEXT,
                          IDC_NEXT};
    Play(
        [&](CVelmoraDlg& d) {
            AnswerScoreDialogs(d);
            for (int round = 0; round < 8; ++round)
                for (UINT step : steps) {
                    CWnd* button = d.GetDlgItem(step);
                    if (button != nullptr && button->IsWindowVisible() && button->IsWindowEnabled())
                        QTest::mouseClick(button->Widget(), Qt::LeftButton);
                    CApplication::ProcessMessagesFor(round % 3);
                    const std::wstring slide = SlideName(d);
                    ASSERT_TRUE(slide.empty() || d.CourseIndex() < 0 ||
                                slide[0] == (d.CourseIndex() == 0 ? L'a' : L'b'))
                        << round << " " << slide;
                }
        },
        60000);
}

TEST(CVelmoraDlgTicks, DurationsAcrossTheWrap) {
    EXPECT_DOUBLE_EQ(CVelmoraDlg::Seconds(0xFFFFFFFFu - 295u, 200u), 0.496);
    EXPECT_DOUBLE_EQ(CVelmoraDlg::Seconds(1000u, 3500u), 2.5);
}

// Practice waits for "Auswerten" before it picks the next task, then takes the topic not yet
// tried; every try is kept with its maximum, and the progress view opens from the menu.
TEST_F(MainDialog, PracticeChoosesByTheResultAndKeepsTheTries) {
    for (const char* slide : {"a", "b"})
        Write(std::string("slides/") + slide + ".xml",
              std::string("<GameSlide topic='") + (*slide == 'a' ? "Spektrum" : "Kerbfilter") +
                  "'><table rows='1' cols='1'><row><wave id='1'/></row></table>"
                  "<explanation>Darum.</explanation></GameSlide>");
    WriteGame("");
    std::wstring first;
    Play([&](CVelmoraDlg& d) {
        Click(d, ID_PRACTICE);
        ASSERT_TRUE(WaitUntil([&] { return Enabled(d, IDC_CHECK); }));
        first = SlideName(d);
        CApplication::ProcessMessagesFor(50);
        EXPECT_FALSE(d.IsPreparing() || Enabled(d, IDC_NEXT));
        Click(d, IDC_CHECK);
        ASSERT_TRUE(WaitUntil([&] { return Enabled(d, IDC_NEXT); }));
        Click(d, IDC_NEXT);
        EXPECT_EQ(SlideName(d), first == L"a.xml" ? L"b.xml" : L"a.xml");
        Click(d, IDC_MAINMENU);
        AnswerScoreDialogs(d);
        Click(d, ID_PROGRESS);
        EXPECT_EQ(listDialogs, 1);
    });
    CTryLog kept;
    ASSERT_TRUE(kept.LoadFile("stats.verlauf"));
    ASSERT_EQ(kept.Tries().size(), 1u);
    EXPECT_EQ(std::wstring(kept.Tries()[0].slide.begin(), kept.Tries()[0].slide.end()), first);
    EXPECT_EQ(std::pair(kept.Tries()[0].points, kept.Tries()[0].maximum), std::pair(1, 1));
}

} // namespace
