#pragma once
// The game's main dialog: the menu of courses, the slide on screen with the buttons
// "Hauptmenü", "Auswerten" and "Weiter" and the score line, and the pipeline that prepares the
// next slide on a worker thread while the player works on the current one.

#include "app/CAssignment.h"
#include "app/CGameConfig.h"
#include "app/CGameStatistics.h"
#include "app/CPracticePlan.h"
#include "app/CResultsFile.h"
#include "app/CTryLog.h"
#include "game/CGameContext.h"
#include "platform/CDialog.h"
#include "platform/CSessionEnd.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class CButton;
namespace game {
class CGameSlide;
}

constexpr UINT IDC_NEXT = 1001;
constexpr UINT IDC_CHECK = 1002;
constexpr UINT IDC_MAINMENU = 1003;
constexpr UINT IDC_POINTS = 1004;
constexpr UINT IDC_INFO = 1009;
constexpr UINT ID_COURSE_RANDOM = 9000;
constexpr UINT ID_COURSE_FIRST = 9001;
constexpr UINT ID_PRACTICE = 9150; // "Üben"
constexpr UINT ID_PROGRESS = 9151; // "Fortschritt"
constexpr UINT ID_HIGHSCORE_FIRST = 9200;
constexpr UINT ID_SLIDE_WINDOW = 10000;
constexpr UINT ID_ASSIGNMENT_CODE = 9400;

class CVelmoraDlg : public CDialog {
public:
    // Files are addressed relative to the working folder.
    explicit CVelmoraDlg(std::string configFile = "game.xml", std::string statsFile = "stats");
    // Waits for a slide still being prepared, then saves the statistics once more.
    ~CVelmoraDlg() override;

    // Plays under the assignment's code from now on (the command line's --assignment); false,
    // and nothing changes, when CAssignment refuses the code.
    bool SetAssignment(const std::wstring& code);
    const CAssignment& Assignment() const { return m_assignment; }

    // Looking in (tests and tools).
    game::CGameSlide* CurrentSlide() const { return m_currentSlide.get(); }
    int CourseIndex() const { return m_courseIndex; }
    int SlideIndex() const { return m_slideIndex; }
    const std::vector<CCourse>& Courses() const { return m_courses; }
    bool IsPreparing() const { return m_preparing; }
    const game::CGameContext& Context() const { return m_context; }
    std::wstring ScoreLine() const;

    // Seconds between two readings of the millisecond tick counter, across its wrap.
    static double Seconds(std::uint32_t from, std::uint32_t to);

protected:
    bool OnInitDialog() override;
    void OnCommand(UINT id) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;
    // Enter presses the button that has the focus, as Space does: the window has no OK.
    void OnOK() override;
    // In a course Escape asks before it leaves for the menu; in the menu it ends the game.
    void OnEscape() override;
    // F1 opens the key help.
    bool OnKeyDown(UINT key, UINT flags) override;

private:
    bool LoadGameOptions();
    void ApplyFonts(const CGameConfig& config);
    void ApplyDialogTexts(const CGameConfig& config);
    void BuildMainMenu();
    CButton* AddMenuButton(const std::wstring& caption, UINT id, const CRect& rect);
    // The row of "Üben" and "Fortschritt"; returns the y below it.
    int AddLearningButtons(int x0, int full, int y);

    // Starts preparing the next slide of the run on the worker thread.
    bool PrepareNextSlide();
    // Worker thread: reads one slide file and hands the slide over.
    void PrepareSlideFile(std::wstring path, CRect rect, unsigned run,
                          std::optional<unsigned> seed);
    void OnCreateNextSlide(unsigned run);
    void JoinPreparer();

    void OnCourseButton(UINT id);
    bool IsPractice() const { return m_courseIndex == PRACTICE_RUN; }
    std::wstring NextPracticeSlide();
    void OnProgress();
    void OnHighscoreButton(UINT id);
    void OnCheck();
    void OnMainMenu();
    bool ShowNextSlide();
    void PutSlideOnScreen();
    void EndCourse(double courseSeconds);
    void ShowHighScore(const std::wstring& title, int position);

    // The assignment: the code dialog, the window title that shows the code, and the lines of
    // the results file, one per slide of the running course.
    void OnAssignmentButton();
    void ShowAssignment();
    void BeginSlideRow();
    void EndSlideRow(int points, double seconds);
    void SaveResults();
    // Every result is saved as soon as it is made: a killed program or a lost X connection
    // loses nothing. A failure is told once for each reason, as long as it lasts.
    void SaveStatistics(bool tellFailure);

    void ShowKeyHelp();
    std::vector<CButton*> Buttons() const;
    // Where the keyboard goes when the button it was on is disabled or hidden: on to where
    // play goes on, never to "Hauptmenü", which the next Space would press.
    void MoveFocusOnward();

    void ShowMenu(bool show);
    void ReturnToMenu();
    void UpdateScoreLine();
    void Enable(UINT id, bool enable);
    void DeleteSlide(std::unique_ptr<game::CGameSlide>& slide);
    CRect SlideArea() const;

    // m_courseIndex of the practice run; the random tasks are -1.
    static constexpr int PRACTICE_RUN = -2;

    std::string m_configFile;
    std::string m_statsFile;
    std::string m_tryLogFile; // beside the statistics
    CTryLog m_tries;
    CPracticePlan m_practice;
    int m_courseIndex = 0;
    int m_slideIndex = 0;
    std::vector<CCourse> m_courses;
    std::map<std::wstring, std::wstring> m_dialogTexts;
    std::vector<std::unique_ptr<CButton>> m_menuButtons;
    game::CGameContext m_context;
    CGameStatistics m_statistics;
    int m_toldSaveError = 0; // the reason of the failed save the player was told about
    std::unique_ptr<game::CGameSlide> m_currentSlide;
    std::unique_ptr<game::CGameSlide> m_nextSlide; // prepared, windows created, hidden
    CRect m_slideRect;
    int m_menuWindowWidth = 0;
    int m_menuWindowHeight = 0;
    int m_totalPoints = 0;
    int m_achievedPoints = 0;
    std::uint32_t m_slideShownTick = 0;
    std::uint32_t m_courseStartTick = 0;
    bool m_fitToScreen = false;

    CAssignment m_assignment;
    std::vector<CResultsFile::Row> m_courseRows;  // the running course's slides so far
    std::vector<CResultsFile::Row> m_unsavedRows; // finished courses the file did not take yet
    bool m_rowOpen = false;                       // the last row's slide is still on screen
    std::wstring m_playerName;                    // as last typed at the end of a course

    // The run: every course start and every return to the menu begins a new one, so a slide
    // prepared for a run that was left is recognised when it arrives and never shown.
    unsigned m_run = 0;
    bool m_preparing = false;
    std::thread m_preparer;
    std::mutex m_handOverMutex; // guards the two fields below
    std::unique_ptr<game::CGameSlide> m_handedOver;
    unsigned m_handedOverRun = 0;
    // Last: a termination signal only quits the loop, and the destructor saves.
    CSessionEnd m_sessionEnd{[this] { SaveStatistics(false); }};
};
