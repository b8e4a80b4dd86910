#include "app/CVelmoraDlg.h"

#include "app/CProgress.h"
#include "app/CScoreLine.h"
#include "dialogs/CAssignmentCode.h"
#include "dialogs/CDialogTemplates.h"
#include "dialogs/CHighScore.h"
#include "dialogs/CPlayerName.h"
#include "game/CGameSlide.h"
#include "game/GameMessages.h"
#include "game/KeyHelp.h"
#include "platform/CButton.h"
#include "platform/CDirectory.h"
#include "platform/CMessageBox.h"
#include "platform/CRandom.h"
#include "platform/CStatic.h"
#include "platform/CText.h"
#include "platform/CTickCount.h"

#include <tinyxml2.h>

#include <algorithm>
#include <filesystem>

namespace {

// The web address shown in the corner of the menu, and the version.
constexpr wchar_t INFO_TEXT[] = L"https://velmora.example\tv1.1";
constexpr wchar_t ERROR_CAPTION[] = L"Error loading slide";
constexpr wchar_t PROGRAM_TITLE[] = L"Velmora";
// What leaving by Escape costs: "Hauptmenü" records no course result.
constexpr wchar_t LEAVE_COURSE[] = L"Den Kurs verlassen und zum Hauptmenü zurückkehren?\n"
                                   L"Der Kurs wird abgebrochen und kommt nicht in die Bestenliste.";
constexpr wchar_t LEAVE_RANDOM_TASKS[] =
    L"Die Zufallsaufgaben verlassen und zum Hauptmenü zurückkehren?";
constexpr wchar_t LEAVE_PRACTICE[] = L"Das Üben beenden und zum Hauptmenü zurückkehren?";
constexpr UINT IDR_MAINFRAME = 128; // the program icon
// Font sizes outside this range (tenths of a point) are taken as the nearest bound.
constexpr int MIN_FONT_SIZE = 40;
constexpr int MAX_FONT_SIZE = 720;

CDialogTemplate MainTemplate() {
    using Kind = CDialogItem::Kind;
    CDialogTemplate t;
    t.width = 570;
    t.height = 428;
    t.caption = PROGRAM_TITLE;
    // A title bar with the window menu and a minimise box; no maximise box, no sizing border.
    t.style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    t.items = {
        {Kind::Button, IDC_MAINMENU, {225, 4, 307, 21}, L"Hauptmenü"},
        {Kind::Button, IDC_CHECK, {317, 4, 385, 21}, L"Auswerten", WS_DISABLED},
        {Kind::Button, IDC_NEXT, {396, 4, 464, 21}, L"Weiter", WS_DISABLED},
        {Kind::Static, IDC_POINTS, {10, 4, 215, 21}, L"Es wurden 0 von 0 Punkten erreicht",
         SS_CENTER | SS_CENTERIMAGE | SS_SUNKEN},
        {Kind::Static, IDC_INFO, {446, 419, 569, 427}, INFO_TEXT},
    };
    return t;
}

std::wstring Format(const wchar_t* format, const std::wstring& a, const std::wstring& b = {}) {
    std::wstring out = format;
    const auto first = out.find(L"%s");
    if (first != std::wstring::npos)
        out.replace(first, 2, a);
    const auto second = out.find(L"%s", first == std::wstring::npos ? 0 : first + a.size());
    if (second != std::wstring::npos)
        out.replace(second, 2, b);
    return out;
}

} // namespace

CVelmoraDlg::CVelmoraDlg(std::string configFile, std::string statsFile)
    : CDialog(MainTemplate(), nullptr), m_configFile(std::move(configFile)),
      m_statsFile(std::move(statsFile)), m_tryLogFile(m_statsFile + ".verlauf") {
    m_statistics.LoadFile(m_statsFile);
    m_tries.LoadFile(m_tryLogFile);
}

CVelmoraDlg::~CVelmoraDlg() {
    JoinPreparer();
    CRandom::Unpin(); // a game ended during random tasks under a code
    // Nothing new to tell here: every result was saved (and a failure told) when it was made,
    // and a box now would keep a program the session is ending from ending.
    SaveStatistics(false);
    DeleteSlide(m_currentSlide);
    DeleteSlide(m_nextSlide);
    std::lock_guard lock(m_handOverMutex);
    m_handedOver.reset();
}

double CVelmoraDlg::Seconds(std::uint32_t from, std::uint32_t to) {
    return static_cast<double>(CTickCount::Elapsed(from, to)) * 0.001;
}

bool CVelmoraDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(IDR_MAINFRAME);
    ShowAssignment();
    if (!LoadGameOptions())
        CMessageBox::Show(this, L"Could not load the game options!", PROGRAM_TITLE);
    m_practice = CPracticePlan::FromFiles(m_context.AllSlides());
    BuildMainMenu();
    if (m_menuButtons.empty())
        return true;
    // The keyboard starts on the first course, not on "Hauptmenü".
    m_menuButtons.front()->SetFocus();
    return false;
}

// ---- configuration ----

bool CVelmoraDlg::LoadGameOptions() {
    CGameConfig config;
    const bool complete = config.Load(m_configFile, m_context);
    m_courses = config.courses;
    m_dialogTexts = config.dialogTexts;
    // A slide needs some place even when the file stopped early.
    m_slideRect = SlideArea();
    if (!complete)
        return false;
    ApplyFonts(config);
    ApplyDialogTexts(config);
    m_fitToScreen = config.fitToScreen;
    return true;
}

void CVelmoraDlg::ApplyFonts(const CGameConfig& config) {
    const int size = std::clamp(config.fontSize, MIN_FONT_SIZE, MAX_FONT_SIZE);
    m_context.m_textFont.CreatePointFont(size, config.fontName);
    m_context.m_tooltipFont.CreatePointFont((2 * size) / 3, config.fontName);
    for (UINT id : {IDC_MAINMENU, IDC_NEXT, IDC_CHECK, IDC_POINTS})
        GetDlgItem(id)->SetFont(&m_context.m_textFont);
}

void CVelmoraDlg::ApplyDialogTexts(const CGameConfig& config) {
    if (!config.hasDialogTexts)
        return;
    if (config.nextCaption)
        GetDlgItem(IDC_NEXT)->SetWindowText(*config.nextCaption);
    if (config.checkCaption)
        GetDlgItem(IDC_CHECK)->SetWindowText(*config.checkCaption);
    if (config.mainMenuCaption)
        GetDlgItem(IDC_MAINMENU)->SetWindowText(*config.mainMenuCaption);
    UpdateScoreLine();
    Enable(IDC_CHECK, false);
}

// ---- main menu ----

void CVelmoraDlg::BuildMainMenu() {
    const CRect outer = GetWindowRect();
    m_menuWindowWidth = outer.Width();
    m_menuWindowHeight = outer.Height();
    const int width = GetClientRect().Width();
    const int x0 = width / 10;
    const int full = (4 * width) / 5;
    const int narrow = (5 * full) / 6 - 2;
    int y = 50;
    for (std::size_t i = 0; i < m_courses.size(); ++i) {
        const CCourse& course = m_courses[i];
        const UINT id = ID_COURSE_FIRST + static_cast<UINT>(i);
        AddMenuButton(course.title, id,
                      CRect{x0, y, x0 + (course.hasHighscore ? narrow : full), y + 30});
        if (course.hasHighscore)
            AddMenuButton(m_dialogTexts[L"highscore"], ID_HIGHSCORE_FIRST + static_cast<UINT>(i),
                          CRect{x0 + (5 * full) / 6 + 3, y, x0 + full, y + 30});
        y += 50;
    }
    // The code of an assignment is typed beside the random tasks, in the place of a list.
    AddMenuButton(m_dialogTexts[L"rnd_course"], ID_COURSE_RANDOM, CRect{x0, y, x0 + narrow, y + 30});
    AddMenuButton(L"Aufgabencode…", ID_ASSIGNMENT_CODE,
                  CRect{x0 + (5 * full) / 6 + 3, y, x0 + full, y + 30});
    y = AddLearningButtons(x0, full, y + 50);
    m_menuWindowHeight = std::max(y + 20, m_menuWindowHeight);
    const CRect now = GetWindowRect();
    MoveWindow(CRect{now.left, now.top, now.left + m_menuWindowWidth, now.top + m_menuWindowHeight});
}

CButton* CVelmoraDlg::AddMenuButton(const std::wstring& caption, UINT id, const CRect& rect) {
    auto button = std::make_unique<CButton>();
    if (!button->Create(L"BUTTON", caption, WS_CHILD | WS_VISIBLE, rect, this, id))
        return nullptr;
    button->SetFont(&m_context.m_textFont);
    m_menuButtons.push_back(std::move(button));
    return m_menuButtons.back().get();
}

int CVelmoraDlg::AddLearningButtons(int x0, int full, int y) {
    const int half = (full - 5) / 2;
    AddMenuButton(L"Üben", ID_PRACTICE, CRect{x0, y, x0 + half, y + 30});
    AddMenuButton(L"Fortschritt", ID_PROGRESS, CRect{x0 + full - half, y, x0 + full, y + 30});
    return y + 50;
}

void CVelmoraDlg::ShowMenu(bool show) {
    const bool hadFocus = std::any_of(m_menuButtons.begin(), m_menuButtons.end(),
                                      [](const auto& button) { return button->HasFocus(); });
    for (auto& button : m_menuButtons)
        button->ShowWindow(show);
    GetDlgItem(IDC_INFO)->ShowWindow(show);
    // The window keeps the keyboard until the slide it waits for comes.
    if (hadFocus && !show)
        SetFocus();
}

void CVelmoraDlg::ReturnToMenu() {
    CRandom::Unpin();
    if (m_fitToScreen)
        ShowMaximized(false);
    ShowMenu(true);
    Enable(IDC_NEXT, false);
    Enable(IDC_CHECK, false);
    const CRect now = GetWindowRect();
    MoveWindow(CRect{now.left, now.top, now.left + m_menuWindowWidth, now.top + m_menuWindowHeight});
    MoveFocusOnward();
}

// ---- the slide pipeline ----

bool CVelmoraDlg::PrepareNextSlide() {
    JoinPreparer();
    if (m_nextSlide || m_preparing)
        return false;
    std::wstring path;
    if (IsPractice()) {
        path = NextPracticeSlide();
    } else if (m_courseIndex < 0) {
        path = m_context.GetRandomSlide();
    } else {
        const auto& slides = m_courses.at(static_cast<std::size_t>(m_courseIndex)).slides;
        // Entry 0 of a course is its title, so slide k is entry k - 1 here.
        if (m_slideIndex < 1 || static_cast<std::size_t>(m_slideIndex) > slides.size()) {
            Enable(IDC_NEXT, true); // no more slides: the next press ends the course
            return false;
        }
        path = slides[static_cast<std::size_t>(m_slideIndex) - 1];
    }
    // Under an assignment the slide's draws start afresh from its own seed, so they depend on
    // the code and the slide alone, not on the slides before it.
    std::optional<unsigned> seed;
    if (m_assignment.IsActive()) {
        m_context.RestartExampleCycle();
        seed = m_assignment.SeedFor(CDirectory::FileName(path));
    }
    m_preparing = true;
    m_preparer =
        std::thread(&CVelmoraDlg::PrepareSlideFile, this, path, m_slideRect, m_run, seed);
    return true;
}

// Runs on the worker thread. Touches only its arguments, the master context's catalogue and
// fonts (which the user-interface thread leaves alone meanwhile) and the hand-over slot.
void CVelmoraDlg::PrepareSlideFile(std::wstring path, CRect rect, unsigned run,
                                   std::optional<unsigned> seed) {
    if (seed)
        CRandom::Pin(*seed); // the thread ends with the slide, and its pin with it
    auto slide = std::make_unique<game::CGameSlide>(m_context, CDirectory::FileName(path));
    tinyxml2::XMLDocument document(true, tinyxml2::COLLAPSE_WHITESPACE);
    int code = game::CGameSlide::LoadDocument(path, document);
    if (code == game::ERR_NONE)
        code = slide->ReadXml(*document.RootElement(), rect, WS_CHILD);
    if (code == game::ERR_NONE) {
        std::lock_guard lock(m_handOverMutex);
        m_handedOver = std::move(slide);
        m_handedOverRun = run;
    } else {
        std::wstring message =
            Format(L"Could not load the slide %s\nError: %s", path, game::ErrorMessage(code));
        if (const std::wstring& reason = slide->Context().FailureReason(); !reason.empty())
            message += L"\n" + reason;
        slide.reset();
        CMessageBox::Show(this, message, ERROR_CAPTION);
    }
    PostMessage(game::UwmCreateNextSlide(), run, 0);
}

void CVelmoraDlg::JoinPreparer() {
    if (m_preparer.joinable())
        m_preparer.join();
}

LRESULT CVelmoraDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == game::UwmCreateNextSlide()) {
        OnCreateNextSlide(static_cast<unsigned>(wParam));
        return 0;
    }
    return CDialog::OnMessage(message, wParam, lParam);
}

void CVelmoraDlg::OnCreateNextSlide(unsigned run) {
    std::unique_ptr<game::CGameSlide> slide;
    {
        std::lock_guard lock(m_handOverMutex);
        if (m_handedOverRun == run)
            slide = std::move(m_handedOver);
    }
    // A slide of a run that was left is dropped here and never reaches the screen.
    if (run != m_run)
        return;
    m_preparing = false;
    if (!slide || !slide->IsReady())
        return;
    if (IsMaximized())
        slide->FitToArea(SlideArea());
    if (const int code = slide->CreateElementWindow(this, ID_SLIDE_WINDOW); code != game::ERR_NONE) {
        DeleteSlide(slide);
        CMessageBox::Show(this, Format(L"Could not create the slide\nError: %s",
                                       game::ErrorMessage(code)),
                          ERROR_CAPTION);
        return;
    }
    m_nextSlide = std::move(slide);
    ++m_slideIndex;
    if (!m_currentSlide) {
        m_courseStartTick = CTickCount::Now();
        ShowNextSlide();
    } else {
        Enable(IDC_NEXT, true);
    }
}

bool CVelmoraDlg::ShowNextSlide() {
    if (m_preparing)
        return false; // the next slide is still being read
    const std::uint32_t now = CTickCount::Now();
    EndSlideRow(0, Seconds(m_slideShownTick, now)); // left without "Auswerten"
    DeleteSlide(m_currentSlide);
    m_currentSlide = std::move(m_nextSlide);
    const double courseSeconds = Seconds(m_courseStartTick, now);
    m_slideShownTick = now;
    if (!m_currentSlide) {
        EndCourse(courseSeconds);
        return true;
    }
    PutSlideOnScreen();
    return true;
}

void CVelmoraDlg::PutSlideOnScreen() {
    if (!IsMaximized()) {
        const CRect outer = GetWindowRect();
        const CRect slide = m_currentSlide->GetWindowRect();
        // The window ends a margin below the slide.
        const int height = slide.bottom - outer.top + 10;
        MoveWindow(CRect{outer.left, outer.top, outer.right, outer.top + height});
    }
    m_currentSlide->ShowWindow(true);
    BeginSlideRow();
    Enable(IDC_NEXT, false);
    if (m_currentSlide->GetMaxPoints() > 0)
        Enable(IDC_CHECK, true);
    if (HasFocus())
        MoveFocusOnward();
    // Practice chooses the next task by the result of this one, so it waits for "Auswerten".
    if (!IsPractice() || m_currentSlide->GetMaxPoints() <= 0)
        PrepareNextSlide();
}

void CVelmoraDlg::DeleteSlide(std::unique_ptr<game::CGameSlide>& slide) {
    if (!slide)
        return;
    slide->DestroyWindow();
    slide.reset();
}

// ---- the course ----

void CVelmoraDlg::OnCommand(UINT id) {
    if (id == IDC_NEXT)
        ShowNextSlide();
    else if (id == IDC_CHECK)
        OnCheck();
    else if (id == IDC_MAINMENU)
        OnMainMenu();
    else if ((id >= ID_COURSE_RANDOM && id <= ID_COURSE_RANDOM + 100) || id == ID_PRACTICE)
        OnCourseButton(id);
    else if (id == ID_PROGRESS)
        OnProgress();
    else if (id >= ID_HIGHSCORE_FIRST && id <= ID_HIGHSCORE_FIRST + 100)
        OnHighscoreButton(id);
    else if (id == ID_ASSIGNMENT_CODE)
        OnAssignmentButton();
    else
        CDialog::OnCommand(id);
}

void CVelmoraDlg::OnCourseButton(UINT id) {
    if (GetDlgItem(id) == nullptr)
        return;
    // A new run: the preparer of an earlier one is waited for and its slide dropped.
    JoinPreparer();
    ++m_run;
    m_preparing = false;
    DeleteSlide(m_nextSlide);
    m_achievedPoints = 0;
    m_totalPoints = 0;
    UpdateScoreLine();
    m_slideIndex = 1;
    m_courseIndex = id == ID_COURSE_RANDOM ? -1
                    : id == ID_PRACTICE    ? PRACTICE_RUN
                                           : static_cast<int>(id - ID_COURSE_FIRST);
    m_courseRows.clear();
    m_rowOpen = false;
    if (m_assignment.IsActive() && m_courseIndex < 0) {
        // The random tasks and practice under a code draw their slides in an order fixed by
        // the code.
        m_context.RestartSlideCycle();
        CRandom::Pin(m_assignment.SeedFor(L""));
    }
    ShowMenu(false);
    if (m_fitToScreen)
        ShowMaximized(true);
    PrepareNextSlide();
}

void CVelmoraDlg::OnHighscoreButton(UINT id) {
    const std::size_t index = id - ID_HIGHSCORE_FIRST;
    if (index < m_courses.size())
        ShowHighScore(m_courses[index].title, -1);
}

void CVelmoraDlg::OnProgress() {
    std::vector<std::wstring> paths = m_context.AllSlides();
    for (const CCourse& course : m_courses)
        paths.insert(paths.end(), course.slides.begin(), course.slides.end());
    const CProgress::Figures figures = CProgress::Compute(
        m_statistics.GetSlides(), m_tries.Tries(), m_courses, CProgress::TopicsOf(paths));
    CProgressView view(this);
    view.SetTextFont(&m_context.m_textFont);
    view.SetRows(figures.courses, figures.topics);
    view.SetWeakest(figures.weakest);
    view.DoModal();
}

void CVelmoraDlg::OnCheck() {
    const double seconds = Seconds(m_slideShownTick, CTickCount::Now());
    if (m_currentSlide) {
        const int points = m_currentSlide->GetPoints();
        m_achievedPoints += points;
        m_totalPoints += m_currentSlide->GetMaxPoints();
        m_statistics.AddSlideResult(m_currentSlide->GetName(), points, seconds);
        m_tries.Add(m_currentSlide->GetName(), points, m_currentSlide->GetMaxPoints(), seconds);
        EndSlideRow(points, seconds);
        SaveStatistics(true);
        m_currentSlide->RevealAnswer();
        if (IsPractice())
            PrepareNextSlide();
    }
    UpdateScoreLine();
    Enable(IDC_CHECK, false);
}

void CVelmoraDlg::OnMainMenu() {
    DeleteSlide(m_currentSlide);
    DeleteSlide(m_nextSlide);
    ++m_run; // a slide still being prepared is dropped when it arrives
    m_preparing = false;
    m_slideIndex = 0;
    m_courseIndex = 0;
    ReturnToMenu();
}

void CVelmoraDlg::EndCourse(double courseSeconds) {
    if (m_totalPoints > 0 && m_courseIndex >= 0 &&
        static_cast<std::size_t>(m_courseIndex) < m_courses.size()) {
        const std::wstring& title = m_courses[static_cast<std::size_t>(m_courseIndex)].title;
        const int position = m_statistics.AddCourseResult(title, m_achievedPoints, courseSeconds);
        SaveStatistics(true); // before the player is asked for a name, which may take a while
        ShowHighScore(title, position);
    }
    if (m_assignment.IsActive() && m_courseIndex >= 0 &&
        static_cast<std::size_t>(m_courseIndex) < m_courses.size())
        SaveResults();
    ++m_run;
    ReturnToMenu();
    m_slideIndex = 0;
    m_courseIndex = 0;
}

void CVelmoraDlg::ShowHighScore(const std::wstring& title, int position) {
    if (position != -1) {
        CPlayerName nameDialog(this);
        nameDialog.SetTextFont(&m_context.m_textFont);
        nameDialog.SetResult(m_achievedPoints, m_totalPoints);
        if (nameDialog.DoModal() == IDOK && !nameDialog.GetName().empty()) {
            m_playerName = nameDialog.GetName();
            if (m_statistics.SetScoreName(title, position, m_playerName))
                SaveStatistics(true);
        }
    }
    std::vector<HighScoreEntry> entries;
    for (const CGameStatistics::Score& score : m_statistics.GetScores(title))
        entries.push_back({CText::ToWide(score.name), score.points, score.time});
    CHighScore list(this);
    list.SetHeading(L"Bestenliste\n\r" + title);
    list.SetTextFont(&m_context.m_textFont);
    list.SetScores(entries, position);
    list.DoModal();
}

std::wstring CVelmoraDlg::NextPracticeSlide() {
    const CPracticePlan::Slide* slide =
        m_practice.NextSlide(m_tries.Tries(), [](int count) { return CRandom::Next() % count; });
    // A game whose slides name no topic still has tasks to practise: any of them.
    return slide != nullptr ? slide->path : m_context.GetRandomSlide();
}

void CVelmoraDlg::SaveStatistics(bool tellFailure) {
    if (m_statistics.SaveFile(m_statsFile)) {
        // The tries follow where the statistics could be saved. They only feed the progress
        // view and practice: losing one is no reason to bother the player.
        m_tries.SaveFile(m_tryLogFile);
        m_toldSaveError = 0;
        return;
    }
    const int error = m_statistics.SaveError();
    if (!tellFailure || error == m_toldSaveError)
        return;
    m_toldSaveError = error;
    CMessageBox::Show(this, CGameStatistics::SaveFailureText(error), PROGRAM_TITLE,
                      CMessageBox::Warning);
}

// ---- assignments ----

bool CVelmoraDlg::SetAssignment(const std::wstring& code) {
    if (!m_assignment.Set(code))
        return false;
    if (Widget() != nullptr)
        ShowAssignment();
    return true;
}

void CVelmoraDlg::OnAssignmentButton() {
    CAssignmentCode dialog(&CAssignment::Problem, this);
    dialog.SetTextFont(&m_context.m_textFont);
    dialog.SetCode(m_assignment.Code());
    if (dialog.DoModal() == IDOK)
        SetAssignment(dialog.GetCode());
}

void CVelmoraDlg::ShowAssignment() {
    SetWindowText(m_assignment.IsActive()
                      ? std::wstring(PROGRAM_TITLE) + L" – Aufgabe „" + m_assignment.Code() + L"“"
                      : std::wstring(PROGRAM_TITLE));
}

void CVelmoraDlg::BeginSlideRow() {
    if (!m_assignment.IsActive() || m_courseIndex < 0)
        return;
    CResultsFile::Row row;
    row.slide = m_currentSlide->GetName();
    row.maximum = m_currentSlide->GetMaxPoints();
    m_courseRows.push_back(row);
    m_rowOpen = true;
}

void CVelmoraDlg::EndSlideRow(int points, double seconds) {
    if (!m_rowOpen || m_courseRows.empty())
        return;
    m_courseRows.back().points = points;
    m_courseRows.back().seconds = seconds;
    m_rowOpen = false;
}

// A course whose lines the file did not take is kept and written with the next one.
void CVelmoraDlg::SaveResults() {
    const std::string date = CResultsFile::Now();
    for (CResultsFile::Row& row : m_courseRows) {
        row.player = m_playerName.empty() ? CText::ToWide(CGameStatistics::UNKNOWN_PLAYER)
                                          : m_playerName;
        row.code = m_assignment.Code();
        row.course = m_courses[static_cast<std::size_t>(m_courseIndex)].title;
        row.date = date;
    }
    m_unsavedRows.insert(m_unsavedRows.end(), m_courseRows.begin(), m_courseRows.end());
    m_courseRows.clear();
    const std::filesystem::path folder = std::filesystem::path(m_statsFile).parent_path();
    CResultsFile file((folder / CResultsFile::FILE_NAME).string());
    if (file.Append(m_unsavedRows))
        m_unsavedRows.clear();
    if (!file.Message().empty())
        CMessageBox::Show(this, file.Message(), PROGRAM_TITLE, CMessageBox::Warning);
}

// ---- small helpers ----

void CVelmoraDlg::UpdateScoreLine() {
    GetDlgItem(IDC_POINTS)->SetWindowText(
        CScoreLine::Format(m_dialogTexts[L"cur_points"], m_achievedPoints, m_totalPoints));
}

void CVelmoraDlg::Enable(UINT id, bool enable) {
    CWnd* item = GetDlgItem(id);
    if (item == nullptr)
        return;
    const bool hadFocus = item->HasFocus();
    item->EnableWindow(enable);
    if (hadFocus && !enable)
        MoveFocusOnward();
}

void CVelmoraDlg::MoveFocusOnward() {
    if (CWnd* next = GetDlgItem(IDC_NEXT); next->IsWindowEnabled())
        return next->SetFocus();
    if (m_currentSlide && m_currentSlide->IsWindowVisible() && m_currentSlide->FocusFirstTabStop())
        return;
    if (CWnd* check = GetDlgItem(IDC_CHECK); check->IsWindowEnabled())
        return check->SetFocus();
    for (auto& button : m_menuButtons)
        if (button->IsWindowVisible())
            return button->SetFocus();
    SetFocus();
}

std::vector<CButton*> CVelmoraDlg::Buttons() const {
    std::vector<CButton*> buttons;
    for (UINT id : {IDC_MAINMENU, IDC_CHECK, IDC_NEXT})
        if (auto* button = dynamic_cast<CButton*>(GetDlgItem(id)))
            buttons.push_back(button);
    for (const auto& button : m_menuButtons)
        buttons.push_back(button.get());
    return buttons;
}

void CVelmoraDlg::OnOK() {
    for (CButton* button : Buttons())
        if (button->HasFocus())
            return button->Click();
}

void CVelmoraDlg::OnEscape() {
    if (m_slideIndex == 0) {
        CDialog::OnEscape();
        return;
    }
    if (CMessageBox::Ask(this,
                         IsPractice()         ? LEAVE_PRACTICE
                         : m_courseIndex < 0 ? LEAVE_RANDOM_TASKS
                                             : LEAVE_COURSE,
                         PROGRAM_TITLE) &&
        m_slideIndex != 0)
        OnMainMenu();
}

bool CVelmoraDlg::OnKeyDown(UINT key, UINT flags) {
    if (key != VK_F1)
        return CDialog::OnKeyDown(key, flags);
    ShowKeyHelp();
    return true;
}

void CVelmoraDlg::ShowKeyHelp() {
    CDialog help(CDialogTemplates::KeyHelp(game::KeyHelpText()), this);
    help.DoModal();
}

std::wstring CVelmoraDlg::ScoreLine() const { return GetDlgItem(IDC_POINTS)->GetWindowText(); }

CRect CVelmoraDlg::SlideArea() const {
    const CRect client = IsMaximized() ? GetMaximizedClientRect() : GetClientRect();
    return CRect{client.left + 10, client.top + 40, client.right - 10, client.bottom - 10};
}

void CVelmoraDlg::OnDestroy() {
    JoinPreparer();
    if (m_nextSlide)
        m_nextSlide->DestroyWindow();
    if (m_currentSlide)
        m_currentSlide->DestroyWindow();
    for (auto& button : m_menuButtons)
        button->DestroyWindow();
    CDialog::OnDestroy();
}
