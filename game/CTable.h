#pragma once
// The exercise grid of a slide: rows of cells (texts and elements), optionally shuffled per
// row; the player restores the order by swapping panels, and evaluation marks every cell.

#include "game/CContainer.h"

#include <memory>
#include <vector>

namespace game {

class CTable : public CContainer {
public:
    explicit CTable(CGameContext* context);

    // Marks every evaluated cell and repaints it; the points of the cells that are right.
    int GetPoints() override;
    int ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) override;
    int CreateElementWindow(CWnd* parent, UINT id) override;

    // Two panels changed places: the ids a and b swap in the current cells.
    LRESULT OnSwitchPanels(WPARAM a, LPARAM b);

    int Rows() const { return m_rows; }
    int Cols() const { return m_cols; }
    const std::vector<int>& CurrentIds() const { return m_currentIds; }
    const std::vector<int>& ExpectedIds() const { return m_expectedIds; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct Layout;
    int ReadRow(const tinyxml2::XMLElement& row, int r, Layout& layout);
    int PlaceCell(const tinyxml2::XMLElement& cell, int index, Layout& layout);
    void Evaluate(CElement& element, bool inPlace, int& total);

    std::vector<int> m_currentIds; // row-major, rows x cols
    std::vector<int> m_expectedIds;
    int m_rows = 0;
    int m_cols = 0;
};

} // namespace game
