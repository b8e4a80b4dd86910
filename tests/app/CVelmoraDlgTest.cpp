// The main dialog: menu, course flow, evaluation, high scores and statistics.
#include "GameFolder.h"

#include "common/CWaveBytes.h"
#include "dsp/CSignal.h"
#include "game/CGameSlide.h"
#include "game/CNotchFilter.h"
#include "game/CPoleZeroPlot.h"

#include <QCoreApplication>

#include <chrono>
#include <cmath>
#include <csignal>
#include <iterator>
#include <map>
#include <sys/stat.h>

namespace {

class MainDialog : public GameFolder {
protected:
    static constexpr int THINKING_MS = 60; // a player looking at a slide before evaluating

    // Runs the program's dialog with a script inside its modal loop; the script ends it.
    void Play(const std::function<void(CVelmoraDlg&)>& script, int safetyMs = 20000) {
        CVelmoraDlg dialog;
        RunModal(
            dialog,
            [&] {
                script(dialog);
                dialog.EndDialog(IDCANCEL);
            },
            safetyMs);
    }
    static std::wstring SlideName(CVelmoraDlg& dialog) {
        return dialog.CurrentSlide() ? dialog.CurrentSlide()->GetName() : L"";
    }
    static std::string ReadFile(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static CRect RectOf(CVelmoraDlg& dialog, UINT id) {
        return dialog.ScreenToClient(dialog.GetDlgItem(id)->GetWindowRect());
    }
};

TEST_F(MainDialog, MenuRowsFollowTheCourses) {
    WriteSlide("a.xml", "<static/>", 1);
    WriteGame("<course titel='Eins'><slide>slides/a.xml</slide></course>"
              "<course titel='Zwei' highscore='1'><slide>slides/a.xml</slide></course>"
              "<course titel='Leer'><slide></slide></course>"
              "<course titel='Drei'><slide>slides/a.xml</slide></course>",
              "<font size='120'/>");
    Play([&](CVelmoraDlg& d) {
        EXPECT_EQ(RectOf(d, ID_COURSE_FIRST).top, 50);
        EXPECT_EQ(RectOf(d, ID_COURSE_FIRST + 1).top, 100);
        EXPECT_EQ(RectOf(d, ID_COURSE_FIRST + 2).top, 150); // "Leer" is not a course
        EXPECT_EQ(RectOf(d, ID_COURSE_RANDOM).top, 200);
        EXPECT_EQ(RectOf(d, ID_HIGHSCORE_FIRST + 1).left, RectOf(d, ID_COURSE_FIRST + 1).right + 5);
        EXPECT_EQ(RectOf(d, ID_HIGHSCORE_FIRST + 1).right, RectOf(d, ID_COURSE_FIRST).right);
        EXPECT_EQ(d.GetDlgItem(ID_HIGHSCORE_FIRST), nullptr);
        EXPECT_EQ(d.GetDlgItem(ID_COURSE_FIRST + 2)->GetWindowText(), L"Drei");
        const int templateHeight = d.MapDialogRect(CRect{0, 0, 570, 428}).Height();
        EXPECT_EQ(d.GetWindowRect().Height(), std::max(270, templateHeight));
        // Without "dialogtext" the template's own line stays.
        EXPECT_EQ(d.ScoreLine(), L"Es wurden 0 von 0 Punkten erreicht");
        EXPECT_FALSE(Enabled(d, IDC_NEXT));
        EXPECT_FALSE(Enabled(d, IDC_CHECK));
    });
    EXPECT_TRUE(messages.empty());
}

// The configured size gives the text font, two thirds of it the tooltip font; a size no one
// could read or that would fill the window with one letter is brought to the nearest usable.
TEST_F(MainDialog, FontSizeStaysReadable) {
    for (const auto& [configured, text] : {std::pair{120, 120}, {10, 40}, {5000, 720}}) {
        WriteGame("", "<font size='" + std::to_string(configured) + "'/>");
        Play([&, text = text](CVelmoraDlg& d) {
            for (const auto& [font, points] : {std::pair{&d.Context().m_textFont, text},
                                               {&d.Context().m_tooltipFont, 2 * text / 3}}) {
                CFont expected;
                expected.CreatePointFont(points, L"Times");
                CLogFont actual, wanted;
                ASSERT_TRUE(font->GetLogFont(actual));
                expected.GetLogFont(wanted);
                EXPECT_EQ(actual, wanted) << points;
            }
        });
    }
}

// Without courses, or without a readable game.xml (reported), the random tasks come first.
TEST_F(MainDialog, NoCoursesLeaveTheRandomTasksOnly) {
    for (const bool gameFile : {true, false}) {
        std::filesystem::remove("game.xml");
        if (gameFile)
            WriteGame("");
        Play([&](CVelmoraDlg& d) {
            EXPECT_EQ(RectOf(d, ID_COURSE_RANDOM).top, 50);
            EXPECT_EQ(d.GetDlgItem(ID_COURSE_RANDOM)->GetWindowText(),
                      L"Zufällige Aufgabenauswahl");
            EXPECT_EQ(d.GetDlgItem(ID_COURSE_FIRST), nullptr);
        });
    }
    EXPECT_EQ(messages, std::vector<std::wstring>{L"Velmora|Could not load the game options!"});
}

TEST_F(MainDialog, CoursePlayedToTheHighScoreList) {
    WriteSlide("five.xml",
               "<wave id='1' switch='1'/><wave id='2' switch='1'/><wave id='3'/><wave id='4'/>"
               "<wave id='5'/>",
               5);
    WriteSlide("two.xml", "<wave id='1'/><wave id='2'/>", 2);
    WriteGame("<course titel='Kurs' highscore='1'><slide>slides/five.xml</slide>"
              "<slide>slides/two.xml</slide></course>");
    const auto started = std::chrono::steady_clock::now();
    Play([&](CVelmoraDlg& d) {
        Click(d, ID_COURSE_FIRST);
        ASSERT_TRUE(WaitUntil([&] { return SlideName(d) == L"five.xml"; }));
        CApplication::ProcessMessagesFor(THINKING_MS);
        EXPECT_FALSE(d.GetDlgItem(ID_COURSE_FIRST)->IsWindowVisible());
        EXPECT_TRUE(Enabled(d, IDC_CHECK));
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
        EXPECT_EQ(d.ScoreLine(), L"Es wurden 5 von 7 Punkte erreicht");
        ASSERT_TRUE(Enabled(d, IDC_NEXT)); // no further slide: the next press ends the course
        AnswerScoreDialogs(d, "Anna");
        Click(d, IDC_NEXT);
        EXPECT_EQ(nameDialogs, 1);
        EXPECT_EQ(listDialogs, 1);
        EXPECT_EQ(d.CurrentSlide(), nullptr);
        EXPECT_TRUE(d.GetDlgItem(ID_COURSE_FIRST)->IsWindowVisible());
        EXPECT_EQ(d.ScoreLine(), L"Es wurden 5 von 7 Punkte erreicht");
    });
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    // The statistics were written at the end, with the name and both slides, and with times
    // the player really took: the first slide at least its thinking time, the course longer
    // than any of its slides, nothing longer than the whole test.
    CGameStatistics saved;
    ASSERT_TRUE(saved.LoadFile("stats"));
    const auto& scores = saved.GetScores(L"Kurs");
    ASSERT_EQ(scores.size(), 1u);
    EXPECT_EQ(scores[0].name, "Anna");
    EXPECT_EQ(scores[0].points, 5);
    const auto& slides = saved.GetSlides();
    ASSERT_EQ(slides.size(), 2u);
    const double five = slides.at("five.xml").avrg_time, two = slides.at("two.xml").avrg_time;
    EXPECT_GE(five, THINKING_MS / 1000.0);
    EXPECT_GE(two, 0.0);
    EXPECT_GE(scores[0].time, five + two);
    EXPECT_LE(scores[0].time, wall);
    EXPECT_EQ(saved.GetCourses().at("Kurs").avrg_time, scores[0].time);
}

// The filter exercises in the running game: the notch clicked onto the tone scores with a
// tick; a pole-zero plot that is not scored takes clicks and is evaluated without points or mark.
TEST_F(MainDialog, FilterExercisesAreClickedAndEvaluated) {
    std::vector<std::int16_t> pcm(22050);
    for (std::size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = static_cast<std::int16_t>(3000 * std::sin(0.3 * static_cast<double>(i)));
    Write("examples/ton.wav", CWaveBytes::Mono16(pcm, 22050));
    WriteSlide("notch.xml",
               "<spectrum id='1' example='examples/ton.wav' points='0'/><notch id='2' "
               "example_from='1' "
               "spec_in='1'/>",
               2);
    WriteSlide("pz.xml",
               "<spectrum id='1' example='examples/ton.wav' points='0'/><polezero id='2' "
               "example_from='1' points='0'/><spectrum id='3' example_from='2' points='0'/>",
               3);
    WriteGame("<course titel='Filter'><slide>slides/notch.xml</slide><slide>slides/pz.xml"
              "</slide></course>");
    Play([&](CVelmoraDlg& d) {
        Click(d, ID_COURSE_FIRST);
        ASSERT_TRUE(WaitUntil([&] { return SlideName(d) == L"notch.xml"; }));
        auto* notch = dynamic_cast<game::CNotchFilter*>(d.CurrentSlide()->Context().FindElement(2));
        ASSERT_NE(notch, nullptr);
        QTest::mouseClick(notch->Widget(), Qt::LeftButton, {}, QPoint(notch->GetSolution(), 20));
        Click(d, IDC_CHECK);
        EXPECT_EQ(d.ScoreLine(), L"Es wurden 1 von 1 Punkte erreicht");
        EXPECT_EQ(notch->GetMark(), game::MARK_CORRECT);
        ASSERT_TRUE(WaitUntil([&] { return Enabled(d, IDC_NEXT); }));
        Click(d, IDC_NEXT);
        ASSERT_EQ(SlideName(d), L"pz.xml");
        auto* plot = dynamic_cast<game::CPoleZeroPlot*>(d.CurrentSlide()->Context().FindElement(2));
        ASSERT_NE(plot, nullptr);
        const dsp::CSignal* output = plot->GetOutput();
        const float before = output->GetSpectrum().GetPower()[98];
        const CPoint centre = plot->GetCentre();
        const int radius = plot->GetRadius();
        // A zero on the unit circle at the tone's frequency (0.3 rad per sample).
        QTest::mouseClick(plot->Widget(), Qt::LeftButton, {},
                          QPoint(centre.x + static_cast<int>(std::lround(radius * std::cos(0.3))),
                                 centre.y - static_cast<int>(std::lround(radius * std::sin(0.3)))));
        EXPECT_EQ(plot->GetNumeratorCount(), 3);
        EXPECT_LT(output->GetSpectrum().GetPower()[98], before / 10) << "the tone is quieter";
        Click(d, IDC_CHECK);
        EXPECT_EQ(d.ScoreLine(), L"Es wurden 1 von 1 Punkte erreicht");
        EXPECT_EQ(plot->GetMark(), 0);
    });
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainDialog, CoursesWithoutPointsOrWithOneSlideEndQuietly) {
    WriteSlide("text.xml", "<static>nur Text</static>", 1);
    WriteSlide("zero.xml", "<wave id='1' points='0'/>", 1);
    WriteGame("<course titel='Null' highscore='1'><slide>slides/zero.xml</slide>"
              "<slide>slides/text.xml</slide></course>"
              "<course titel='Einer'><slide>slides/text.xml</slide></course>");
    Play([&](CVelmoraDlg& d) {
        AnswerScoreDialogs(d, "X");
        for (UINT course : {ID_COURSE_FIRST, ID_COURSE_FIRST + 1}) {
            Click(d, course);
            ASSERT_TRUE(WaitUntil([&] { return d.CurrentSlide() != nullptr; }));
            EXPECT_FALSE(Enabled(d, IDC_CHECK)); // nothing to evaluate
            while (d.CurrentSlide() != nullptr) {
                ASSERT_TRUE(WaitUntil([&] { return Enabled(d, IDC_NEXT); }));
                Click(d, IDC_NEXT);
            }
            EXPECT_EQ(d.CourseIndex(), 0);
        }
    });
    EXPECT_EQ(nameDialogs + listDialogs, 0);
    CGameStatistics saved;
    ASSERT_TRUE(saved.LoadFile("stats"));
    EXPECT_TRUE(saved.GetCourses().empty());
}

TEST_F(MainDialog, BrokenSlidesAreReportedAndTheMenuLeadsBack) {
    Write("slides/broken.xml", "<GameSlide><static>");
    WriteSlide("bad.xml", "<wave id='1'/>", 2);
    WriteGame("<course titel='Kaputt'><slide>slides/broken.xml</slide></course>"
              "<course titel='Falsch'><slide>slides/bad.xml</slide></course>");
    Play([&](CVelmoraDlg& d) {
        Click(d, ID_COURSE_FIRST);
        ASSERT_TRUE(WaitUntil([&] { return !messages.empty(); }));
        ASSERT_TRUE(WaitUntil([&] { return !d.IsPreparing(); }));
        EXPECT_FALSE(Enabled(d, IDC_NEXT));
        EXPECT_EQ(d.CurrentSlide(), nullptr);
        Click(d, IDC_MAINMENU);
        EXPECT_TRUE(d.GetDlgItem(ID_COURSE_FIRST)->IsWindowVisible());
        Click(d, ID_COURSE_FIRST + 1);
        ASSERT_TRUE(WaitUntil([&] { return messages.size() == 2; }));
    });
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], L"Error loading slide|Could not load the slide slides/broken.xml\n"
                           L"Error: Could not open xml slide");
    EXPECT_EQ(messages[1], L"Error loading slide|Could not load the slide slides/bad.xml\n"
                           L"Error: Invalid number of colums");
}

TEST_F(MainDialog, ClosingWhileASlideIsPreparedSavesTheStatistics) {
    WriteSlide("a.xml", "<wave id='1'/>", 1);
    WriteGame("<course titel='K'><slide>slides/a.xml</slide><slide>slides/a.xml</slide></course>");
    Play([&](CVelmoraDlg& d) {
        Click(d, ID_COURSE_FIRST);
        ASSERT_TRUE(WaitUntil([&] { return d.CurrentSlide() != nullptr; }));
        Click(d, IDC_CHECK);
        // The second slide may still be in preparation: the dialog ends at once.
    });
    CGameStatistics saved;
    ASSERT_TRUE(saved.LoadFile("stats"));
    EXPECT_EQ(saved.GetSlides().count("a.xml"), 1u);
}

// What stands at "stats" when a save fails, and the name of the file a symbolic link names.
// Whatever it is, it and the player's files beside it stay as they are, and the player is told
// once why, however many results follow.
TEST_F(MainDialog, FailedSaveIsToldOnceAndTouchesNothing) {
    namespace fs = std::filesystem;
    CGameStatistics old;
    old.AddCourseResult(L"Alt", 3, 9.0);
    std::string oldText;
    ASSERT_TRUE(old.SaveStatistics(oldText));
    const struct {
        const char* what;
        std::function<void()> make;
        bool loads;
        const wchar_t* reason; // nullptr: saved
    } cases[] = {
        {"file", [&] { Write("stats", oldText); }, true, nullptr},
        {"folder", [] { fs::create_directory("stats"); }, false, L"„stats“ ist ein Ordner"},
        {"fifo", [] { mkfifo("stats", 0600); }, false, L"„stats“ ist keine gewöhnliche Datei"},
        {"read-only file",
         [&] {
             Write("stats", oldText);
             fs::permissions("stats", fs::perms::owner_read);
         },
         true, L"die Datei oder ihr Ordner ist schreibgeschützt"},
        {"link to a file",
         [&] {
             Write("target", oldText);
             fs::create_symlink("target", "stats");
         },
         false, L"„stats“ ist eine symbolische Verknüpfung, der das Spiel nicht folgt"},
        {"dangling link", [] { fs::create_symlink("nowhere/stats", "stats"); }, false,
         L"„stats“ ist eine symbolische Verknüpfung, der das Spiel nicht folgt"},
    };
    WriteSlide("a.xml", "<wave id='1'/>", 1);
    WriteGame("<course titel='K'><slide>slides/a.xml</slide><slide>slides/a.xml</slide></course>");
    // Every file of the folder but the game's own, by name: its kind and bytes.
    const auto snapshot = [] {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(".")) {
            const fs::path& path = entry.path();
            if (path.filename() == "game.xml" || fs::is_directory(fs::symlink_status(path)))
                continue;
            std::string& file = files[path.filename().string()];
            if (fs::is_symlink(path))
                file = "-> " + fs::read_symlink(path).string();
            else if (fs::is_fifo(path))
                file = "fifo"; // opening it to read would wait for a writer
            else
                file = ReadFile(path);
        }
        return files;
    };
    for (const auto& c : cases) {
        messages.clear();
        for (const char* name : {"stats", "target"})
            fs::remove_all(name);
        c.make();
        Write("stats.backup", "die Sicherung des Spielers");
        Write("stats.readme", "liesmich");
        auto before = snapshot();
        CGameStatistics probe;
        EXPECT_EQ(probe.LoadFile("stats"), c.loads) << c.what;
        Play([&](CVelmoraDlg& d) {
            for (int run = 0; run < 2; ++run) { // two results, each saved at once
                Click(d, ID_COURSE_FIRST);
                ASSERT_TRUE(WaitUntil([&] { return Enabled(d, IDC_CHECK); }));
                Click(d, IDC_CHECK);
                Click(d, IDC_MAINMENU);
            }
        });
        if (c.reason == nullptr) {
            EXPECT_TRUE(messages.empty()) << c.what;
            ASSERT_TRUE(probe.LoadFile("stats"));
            EXPECT_EQ(probe.GetSlides().at("a.xml").played, 2);
            EXPECT_EQ(probe.GetCourses().count("Alt"), 1u);
            before.erase("stats");
            const auto after = snapshot();
            EXPECT_EQ(after.count("stats"), 1u);
            before["stats"] = after.at("stats");
        } else {
            EXPECT_EQ(messages,
                      std::vector<std::wstring>{
                          L"Velmora|Die Ergebnisse konnten nicht gespeichert werden: " +
                          std::wstring(c.reason) + L"."})
                << c.what;
        }
        EXPECT_EQ(snapshot(), before) << c.what;
        EXPECT_EQ(fs::is_directory("stats"), std::string(c.what) == "folder");
    }
}

// Logging out, shutting down or closing the terminal ends the game through its normal end,
// even from inside a dialog of its own, with every result in the file.
TEST_F(MainDialog, TerminationSignalsEndTheGameAndKeepTheResults) {
    WriteSlide("a.xml", "<wave id='1'/>", 1);
    WriteGame("<course titel='K' highscore='1'><slide>slides/a.xml</slide></course>");
    const struct {
        int signal;
        bool inNameDialog;
    } cases[] = {{SIGTERM, false}, {SIGHUP, false}, {SIGINT, false}, {SIGTERM, true}};
    for (const auto& c : cases) {
        std::filesystem::remove("stats");
        CVelmoraDlg dialog;
        QTimer whenAsked; // raises the signal as soon as the name dialog is up
        whenAsked.setInterval(10);
        QObject::connect(&whenAsked, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal != nullptr && modal != dialog.Widget() && modal->findChild<QLineEdit*>()) {
                whenAsked.stop();
                raise(c.signal);
            }
        });
        RunModal(dialog, [&] {
            Click(dialog, ID_COURSE_FIRST);
            ASSERT_TRUE(WaitUntil([&] { return Enabled(dialog, IDC_CHECK); }));
            Click(dialog, IDC_CHECK);
            if (!c.inNameDialog) {
                raise(c.signal);
                return;
            }
            whenAsked.start();
            ASSERT_TRUE(WaitUntil([&] { return Enabled(dialog, IDC_NEXT); }));
            Click(dialog, IDC_NEXT); // the last slide: the course ends with the name dialog
        });
        // The quit reaches every loop until the application's own runs again; let it run once.
        QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
        CGameStatistics saved;
        ASSERT_TRUE(saved.LoadFile("stats")) << c.signal;
        EXPECT_EQ(saved.GetSlides().at("a.xml").played, 1) << c.signal;
        EXPECT_EQ(saved.GetCourses().count("K"), c.inNameDialog ? 1u : 0u) << c.signal;
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
    Play(
        [&](CVelmoraDlg& d) {
            AnswerScoreDialogs(d, "H");
            const UINT steps[] = {ID_COURSE_FIRST, IDC_NEXT,  IDC_MAINMENU,     ID_COURSE_FIRST + 1,
                                  IDC_NEXT,        IDC_NEXT,  ID_COURSE_RANDOM, IDC_MAINMENU,
                                  ID_COURSE_FIRST, IDC_CHECK, IDC_NEXT,         IDC_NEXT,
                                  IDC_NEXT};
            for (int round = 0; round < 8; ++round)
                for (UINT step : steps) {
                    CWnd* button = d.GetDlgItem(step);
                    if (button != nullptr && button->IsWindowVisible() && button->IsWindowEnabled())
                        QTest::mouseClick(button->Widget(), Qt::LeftButton);
                    CApplication::ProcessMessagesFor(round % 3);
                    const std::wstring slide = SlideName(d);
                    if (slide.empty() || d.CourseIndex() < 0)
                        continue;
                    const wchar_t course = d.CourseIndex() == 0 ? L'a' : L'b';
                    ASSERT_EQ(slide[0], course) << "round " << round;
                }
        },
        60000);
}

TEST(CVelmoraDlgTicks, DurationsAcrossTheWrap) {
    EXPECT_DOUBLE_EQ(CVelmoraDlg::Seconds(0xFFFFFFFFu - 295u, 200u), 0.496);
    EXPECT_DOUBLE_EQ(CVelmoraDlg::Seconds(1000u, 3500u), 2.5);
}

} // namespace
