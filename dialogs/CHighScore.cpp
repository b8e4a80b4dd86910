#include "dialogs/CHighScore.h"

#include "dialogs/CDialogTemplates.h"
#include "platform/CStatic.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <new>

namespace {

// Vertical layout in pixels. The rows keep their places whether or not the ones above are
// filled; the own row sits one slot below the fifth, set off by a small gap.
constexpr int HEADING_TOP = 10;
constexpr int HEADING_BOTTOM = 60;
constexpr int COLUMN_HEADING_TOP = 70;
constexpr int COLUMN_HEADING_BOTTOM = 100;
constexpr int FIRST_ROW_TOP = 105;
constexpr int ROW_PITCH = 35;
constexpr int ROW_HEIGHT = 30;
constexpr int OWN_ROW_GAP = 10;
constexpr int OWN_ROW_TOP = FIRST_ROW_TOP + CHighScore::LISTED_ROWS * ROW_PITCH + OWN_ROW_GAP;
constexpr int BOTTOM_MARGIN = 10;
// The close button, as high as a row for the list's font, below the own row's slot whether or
// not that row is filled: the button stays where the player found it last time.
constexpr int BUTTON_TOP = OWN_ROW_TOP + ROW_HEIGHT + BOTTOM_MARGIN;
constexpr int BUTTON_BOTTOM = BUTTON_TOP + ROW_HEIGHT;

constexpr DWORD CHILD_STYLE = WS_CHILD | WS_VISIBLE;

// The place right-aligned in two characters (three-digit places in full), then the name.
std::wstring NameText(int number, const std::wstring& name) {
    char place[16];
    std::snprintf(place, sizeof place, "%2d. ", number);
    return std::wstring(place, place + std::char_traits<char>::length(place)) + name;
}

// One decimal with the comma German writes, whatever the locale the program runs in.
std::wstring TimeText(double seconds) {
    char digits[400]; // room for the largest double in fixed notation
    const auto [end, error] =
        std::to_chars(digits, digits + sizeof digits, seconds, std::chars_format::fixed, 1);
    if (error != std::errc())
        return L"? s";
    std::wstring text(digits, end);
    std::replace(text.begin(), text.end(), L'.', L',');
    return text + L" s";
}

} // namespace

CHighScore::CHighScore(CWnd* parent) : CDialog(CDialogTemplates::HighScore(), parent) {}

CHighScore::~CHighScore() = default;

void CHighScore::SetScores(const std::vector<HighScoreEntry>& scores, int position) {
    const int count = static_cast<int>(scores.size());
    m_position = position;
    for (int i = 0; i < LISTED_ROWS; ++i) {
        HighScoreRow& row = m_rows[i];
        row.filled = i < count;
        row.entry = row.filled ? scores[i] : HighScoreEntry{};
        row.highlighted = row.filled && i == position;
    }
    const bool below = position >= LISTED_ROWS && position < count;
    m_ownRow.filled = below;
    m_ownRow.entry = below ? scores[position] : HighScoreEntry{};
    m_ownRow.highlighted = below;
}

bool CHighScore::OnInitDialog() {
    CDialog::OnInitDialog();
    const Columns columns = ColumnsFor(GetClientRect().Width());
    CreateHeadings(columns);
    for (int i = 0; i < LISTED_ROWS; ++i)
        ShowRow(m_rows[i], i + 1, FIRST_ROW_TOP + i * ROW_PITCH, columns);
    ShowRow(m_ownRow, m_position + 1, OWN_ROW_TOP, columns);
    PlaceCloseButton();
    FitHeight();
    return true;
}

void CHighScore::PlaceCloseButton() {
    CWnd* button = GetDlgItem(IDOK);
    if (button == nullptr)
        return;
    if (m_font != nullptr)
        button->SetFont(m_font);
    const int width = button->GetWindowRect().Width();
    const int left = (GetClientRect().Width() - width) / 2;
    button->MoveWindow(CRect{left, BUTTON_TOP, left + width, BUTTON_BOTTOM});
}

// The list is laid out in pixels but the dialog is sized in dialog units, so the usual dialog
// font leaves too little room below the rows for the close button. The dialog grows until the
// button has a margin below it.
void CHighScore::FitHeight() {
    const int missing = BUTTON_BOTTOM + BOTTOM_MARGIN - GetClientRect().Height();
    if (missing <= 0)
        return;
    CRect window = GetWindowRect();
    window.top -= missing / 2; // stays centred where it was placed
    window.bottom += missing - missing / 2;
    MoveWindow(window);
}

// The list takes the middle four fifths of the width: half for the names, a quarter each
// for points and time.
CHighScore::Columns CHighScore::ColumnsFor(int clientWidth) {
    const int width = 4 * clientWidth / 5;
    const int margin = clientWidth / 10;
    Columns c;
    c.name = margin;
    c.points = margin + width / 2;
    c.time = c.points + width / 4;
    c.end = c.time + width / 4;
    c.right = margin + width;
    return c;
}

void CHighScore::CreateHeadings(const Columns& c) {
    const int top = COLUMN_HEADING_TOP;
    const int bottom = COLUMN_HEADING_BOTTOM;
    m_headingControl =
        MakeLabel(m_heading, SS_CENTER, CRect{c.name, HEADING_TOP, c.right, HEADING_BOTTOM});
    m_columnHeadings[0] = MakeLabel(L"#.  Name", 0, CRect{c.name, top, c.points, bottom});
    m_columnHeadings[1] = MakeLabel(L"Punkte", SS_CENTER, CRect{c.points, top, c.time, bottom});
    m_columnHeadings[2] = MakeLabel(L"Zeit", SS_CENTER, CRect{c.time, top, c.end, bottom});
}

std::unique_ptr<CStatic> CHighScore::MakeLabel(const std::wstring& text, DWORD style,
                                               const CRect& rect) {
    std::unique_ptr<CStatic> label(new (std::nothrow) CStatic);
    if (!label || !label->Create(L"STATIC", text, CHILD_STYLE | style, rect, this, IDC_STATIC))
        return nullptr;
    if (m_font != nullptr)
        label->SetFont(m_font);
    return label;
}

// An empty row shows nothing: its slot stays blank.
void CHighScore::ShowRow(HighScoreRow& row, int number, int top, const Columns& c) {
    row.nameControl.reset();
    row.pointsControl.reset();
    row.timeControl.reset();
    if (!row.filled)
        return;
    const int bottom = top + ROW_HEIGHT;
    const HighScoreEntry& e = row.entry;
    row.nameControl = MakeCell(NameText(number, e.name), 0, CRect{c.name, top, c.points, bottom},
                               row.highlighted);
    row.pointsControl = MakeCell(std::to_wstring(e.points), SS_CENTER,
                                 CRect{c.points, top, c.time, bottom}, row.highlighted);
    row.timeControl = MakeCell(TimeText(e.seconds), SS_CENTER, CRect{c.time, top, c.end, bottom},
                               row.highlighted);
}

// A cell that cannot be made is left out; the list still opens.
std::unique_ptr<CColorStaticST> CHighScore::MakeCell(const std::wstring& text, DWORD style,
                                                     const CRect& rect, bool highlighted) {
    std::unique_ptr<CColorStaticST> cell(new (std::nothrow) CColorStaticST);
    if (!cell || !cell->Create(L"STATIC", text, CHILD_STYLE | style, rect, this, IDC_STATIC))
        return nullptr;
    if (m_font != nullptr)
        cell->SetFont(m_font);
    if (highlighted)
        cell->SetTextColor(HIGHLIGHT_COLOR);
    return cell;
}
