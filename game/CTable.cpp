#include "game/CTable.h"

#include "game/CElementFactory.h"
#include "game/CGameContext.h"
#include "game/GameMessages.h"
#include "platform/CRandom.h"
#include "platform/CWindowClasses.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace game {

namespace {

// A cell the table keeps: a static text, or an element tag with a non-zero id.
bool IsAcceptedCell(const tinyxml2::XMLElement& cell) {
    if (std::strcmp(cell.Name(), "static") == 0)
        return true;
    int id = 0;
    return CElementFactory::IsElementTag(cell.Name()) &&
           cell.QueryIntAttribute("id", &id) == tinyxml2::XML_SUCCESS && id != 0;
}

// Cells in the order the shuffle draws them from the remaining ones.
std::vector<const tinyxml2::XMLElement*> Shuffled(std::vector<const tinyxml2::XMLElement*> cells) {
    std::vector<const tinyxml2::XMLElement*> order;
    while (!cells.empty()) {
        const auto k = static_cast<std::size_t>(CRandom::Next()) % cells.size();
        order.push_back(cells[k]);
        cells.erase(cells.begin() + static_cast<std::ptrdiff_t>(k));
    }
    return order;
}

} // namespace

// Where the next cell goes and how far the table reaches so far (table client coordinates).
struct CTable::Layout {
    int offeredWidth;
    int offeredHeight;
    int x = 0;
    int y = 0;
    int maxRight = 0;
    int maxBottom = 0;
};

CTable::CTable(CGameContext* context) : CContainer(context) {
    CWindowClasses::EnsureRegistered(L"MFCGameTable");
    CRandom::SeedWithTime();
}

int CTable::ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) {
    if (std::strcmp(node.Name(), "table") != 0)
        return ERR_XML_TITLE;
    m_style = style;
    m_windowClass = L"MFCGameTable";
    node.QueryIntAttribute("rows", &m_rows);
    node.QueryIntAttribute("cols", &m_cols);
    // Absurd sizes are refused like an allocation that fails.
    const long long cells = static_cast<long long>(m_rows) * m_cols;
    if (m_rows < 0 || m_cols < 0 || cells > 1 << 20)
        return ERR_MEMORY;
    m_currentIds.assign(static_cast<std::size_t>(cells), 0);
    m_expectedIds.assign(static_cast<std::size_t>(cells), 0);

    Layout layout{area.right - area.left, area.bottom - area.top};
    int r = 0;
    const tinyxml2::XMLElement* row = node.FirstChildElement("row");
    for (; row != nullptr && r < m_rows; row = row->NextSiblingElement("row"), ++r)
        if (const int result = ReadRow(*row, r, layout); result != ERR_NONE)
            return result;
    if (r != m_rows || row != nullptr)
        return ERR_ROWS;

    m_x = area.left;
    m_y = area.top;
    m_width = m_context->m_hspace + layout.maxRight;
    m_height = m_context->m_vspace + layout.maxBottom;
    area.right = area.left + m_width;
    area.bottom = area.top + m_height;
    return ERR_NONE;
}

int CTable::ReadRow(const tinyxml2::XMLElement& row, int r, Layout& layout) {
    layout.y = m_context->m_vspace + layout.maxBottom;
    layout.x = m_context->m_hspace;
    std::vector<const tinyxml2::XMLElement*> cells;
    for (const auto* cell = row.FirstChildElement(); cell; cell = cell->NextSiblingElement()) {
        if (!IsAcceptedCell(*cell))
            continue;
        const int position = static_cast<int>(cells.size());
        cells.push_back(cell);
        if (std::strcmp(cell->Name(), "static") != 0 && position < m_cols)
            cell->QueryIntAttribute("id", &m_expectedIds[r * m_cols + position]);
    }
    if (static_cast<int>(cells.size()) != m_cols)
        return ERR_COLUMNS;
    int shuffle = 0;
    row.QueryIntAttribute("shuffle", &shuffle);
    if (shuffle == 1)
        cells = Shuffled(std::move(cells));
    for (int c = 0; c < m_cols; ++c)
        if (const int result = PlaceCell(*cells[c], r * m_cols + c, layout); result != ERR_NONE)
            return result;
    return ERR_NONE;
}

int CTable::PlaceCell(const tinyxml2::XMLElement& cell, int index, Layout& layout) {
    const CGameContext& c = *m_context;
    if (std::strcmp(cell.Name(), "static") == 0) {
        int w = c.m_cellWidth, h = c.m_cellHeight, center = 1;
        if (!CElement::ReadSize(cell, 0, *m_context, w, h))
            return ERR_MEMORY;
        cell.QueryIntAttribute("center", &center);
        StaticText text{CRect{layout.x, layout.y, layout.x + w, layout.y + h},
                        StaticText::ConvertText(cell), center > 0};
        layout.maxRight = std::max(layout.maxRight, text.rect.right);
        layout.maxBottom = std::max(layout.maxBottom, text.rect.bottom);
        layout.x += w + c.m_hspace;
        m_staticTexts.push_back(std::move(text));
        return ERR_NONE;
    }
    std::unique_ptr<CElement> made = CElementFactory::Create(cell.Name(), m_context);
    if (!made)
        return ERR_MEMORY;
    CElement& element = *m_children.emplace_back(std::move(made));
    CRect area{layout.x, layout.y, layout.offeredWidth, layout.offeredHeight};
    if (const int result = element.ReadXml(cell, area, m_style); result != ERR_NONE)
        return result;
    m_currentIds[index] = element.GetId();
    layout.x = area.right + c.m_hspace;
    layout.maxRight = std::max(layout.maxRight, area.right);
    layout.maxBottom = std::max(layout.maxBottom, area.bottom);
    return ERR_NONE;
}

int CTable::GetPoints() {
    int total = 0;
    for (std::size_t k = 0; k < m_expectedIds.size(); ++k) {
        const int expected = m_expectedIds[k];
        if (expected == 0)
            continue;
        if (CElement* element = m_context->FindElement(expected))
            Evaluate(*element, m_currentIds[k] == expected, total);
    }
    return total;
}

void CTable::Evaluate(CElement& element, bool inPlace, int& total) {
    const int max = element.GetMaxPoints();
    const int got = element.GetPoints();
    if (inPlace && max == got && got > 0) {
        total += got;
        element.SetMark(MARK_CORRECT);
    } else if (max > 0) {
        element.SetMark(MARK_WRONG);
    } else {
        return;
    }
    element.Invalidate(true);
    element.UpdateWindow();
}

int CTable::CreateElementWindow(CWnd* parent, UINT id) {
    int result = CElement::CreateElementWindow(parent, id);
    UINT childId = id;
    for (auto& child : m_children) {
        if (result != ERR_NONE)
            break;
        result = child->CreateElementWindow(this, ++childId);
    }
    return result == ERR_NONE ? CreateStaticControls() : result;
}

LRESULT CTable::OnSwitchPanels(WPARAM a, LPARAM b) {
    const int first = static_cast<int>(a);
    const int second = static_cast<int>(b);
    for (int& id : m_currentIds) {
        if (id == first)
            id = second;
        else if (id == second)
            id = first;
    }
    return 0;
}

LRESULT CTable::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == UwmSwitchPanels())
        return OnSwitchPanels(wParam, lParam);
    return CElement::OnMessage(message, wParam, lParam);
}

} // namespace game
