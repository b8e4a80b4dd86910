#pragma once
// The exercise grid of a slide: rows of cells (texts and elements), optionally shuffled per
// row; the player restores the order by swapping panels, and evaluation marks every cell.

#include "game/CAnswerBadge.h"
#include "game/CContainer.h"
#include "platform/CButton.h"
#include "platform/CFont.h"

#include <array>
#include <memory>
#include <vector>

namespace game {

class CWavePlot;

class CTable : public CContainer {
public:
    explicit CTable(CGameContext* context);

    // Marks every evaluated cell and repaints it; the points of the cells that are right.
    int GetPoints() override;
    int ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) override;
    int CreateElementWindow(CWnd* parent, UINT id) override;
    std::wstring AccessibleName() const override { return L"Tabelle"; }
    // Shows where each panel in a wrong cell belongs, without moving any: the panel gets a
    // filled number badge, the cell where it belongs a dashed outline and a dashed badge with
    // the same number. Where a sound stands in a wrong cell, two buttons play the player's
    // sound and the one that belongs there, each taking over where the other was.
    void RevealAnswer() override;

    // Two panels changed places: the ids a and b swap in the current cells.
    LRESULT OnSwitchPanels(WPARAM a, LPARAM b);

    int Rows() const { return m_rows; }
    int Cols() const { return m_cols; }
    const std::vector<int>& CurrentIds() const { return m_currentIds; }
    const std::vector<int>& ExpectedIds() const { return m_expectedIds; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnPaint(CDC& dc) override;
    void OnCommand(UINT id) override;
    // The arrow keys take the focus from a cell to the nearest cell in that direction whose
    // element takes keys.
    bool OnKeyDown(UINT key, UINT flags) override;

private:
    struct Layout;
    // A panel in a wrong cell, numbered in the reading order of the cells where they belong.
    struct Answer {
        int number;
        int place;     // the cell where the panel belongs
        int panelCell; // the cell the panel stands in
    };
    // The two sounds of a cell holding a wrong sound: the player's and the one belonging there.
    struct Comparison {
        CWavePlot* yours;
        CWavePlot* right;
        std::array<std::unique_ptr<CButton>, 2> buttons;
    };

    int ReadRow(const tinyxml2::XMLElement& row, int r, Layout& layout);
    int PlaceCell(const tinyxml2::XMLElement& cell, int index, Layout& layout);
    void Evaluate(CElement& element, bool inPlace, int& total);
    void FindAnswers();
    void ShowAnswer(const Answer& answer);
    void AddComparison(int cell, CElement& belonging);
    // Where cell k is on screen now, in the table's client coordinates: the window of the
    // panel standing there. Empty when there is none.
    CRect CellRect(int k) const;
    void Listen(Comparison& comparison, bool right);

    std::vector<int> m_currentIds; // row-major, rows x cols
    std::vector<int> m_expectedIds;
    int m_rows = 0;
    int m_cols = 0;
    std::vector<Answer> m_answers;
    std::vector<std::unique_ptr<CAnswerBadge>> m_badges;
    std::vector<Comparison> m_comparisons;
    CFont m_buttonFont;
};

} // namespace game
