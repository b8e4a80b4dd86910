#pragma once
// The high-score list of a course: a heading, the five best results and, when the player's
// new result lies further down, that result in a row of its own below them, numbered with its
// place. The player's new result is drawn in red. "Schließen" (the default button, also
// Enter), Escape and the close box close it. The dialog holds no game logic: the caller fills
// it and runs it once.

#include "dialogs/CColorStaticST.h"
#include "platform/CDialog.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

class CFont;
class CStatic;

// One result as the list shows it.
struct HighScoreEntry {
    std::wstring name;
    int points = 0;
    double seconds = 0.0;
};

// A line of the list. Its three controls exist while the list is open and only when the row
// is filled.
struct HighScoreRow {
    HighScoreEntry entry;
    bool filled = false;
    bool highlighted = false;
    std::unique_ptr<CColorStaticST> nameControl;
    std::unique_ptr<CColorStaticST> pointsControl;
    std::unique_ptr<CColorStaticST> timeControl;
};

class CHighScore : public CDialog {
public:
    static constexpr int LISTED_ROWS = 5;
    static constexpr COLORREF HIGHLIGHT_COLOR = RGB(210, 0, 0);

    explicit CHighScore(CWnd* parent = nullptr);
    ~CHighScore() override;

    // Shown centred above the list, line breaks included.
    void SetHeading(const std::wstring& heading) { m_heading = heading; }
    // The font of every text of the list; not owned, it must outlive the run.
    // Null (the default): the dialog's own font.
    void SetTextFont(const CFont* font) { m_font = font; }
    // The course's results, best first, and the list position of the player's new result
    // (0 = best; -1 when the list is only looked at). The five best fill the rows; a new
    // result below them becomes the own row.
    void SetScores(const std::vector<HighScoreEntry>& scores, int position);

    const HighScoreRow& GetRow(int index) const { return m_rows.at(index); }
    const HighScoreRow& GetOwnRow() const { return m_ownRow; }
    int GetPosition() const { return m_position; }

protected:
    bool OnInitDialog() override;

private:
    // Pixel columns of the list, each from its left edge to the next one's; the heading
    // spans name to right.
    struct Columns {
        int name = 0;
        int points = 0;
        int time = 0;
        int end = 0;
        int right = 0;
    };

    static Columns ColumnsFor(int clientWidth);
    void CreateHeadings(const Columns& columns);
    void PlaceCloseButton();
    void FitHeight();
    std::unique_ptr<CStatic> MakeLabel(const std::wstring& text, DWORD style, const CRect& rect);
    void ShowRow(HighScoreRow& row, int number, int top, const Columns& columns);
    std::unique_ptr<CColorStaticST> MakeCell(const std::wstring& text, DWORD style,
                                             const CRect& rect, bool highlighted);

    std::wstring m_heading;
    const CFont* m_font = nullptr;
    std::array<HighScoreRow, LISTED_ROWS> m_rows;
    HighScoreRow m_ownRow;
    int m_position = -1;
    std::unique_ptr<CStatic> m_headingControl;
    std::array<std::unique_ptr<CStatic>, 3> m_columnHeadings;
};
