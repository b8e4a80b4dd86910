#include "game/CTable.h"

#include "game/CElementFactory.h"
#include "game/CGameContext.h"
#include "game/CWavePlot.h"
#include "game/GameMessages.h"
#include "platform/CDC.h"
#include "platform/CRandom.h"
#include "platform/CWindowClasses.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace game {

namespace {

const wchar_t* const YOURS_TEXT = L"deine Lösung";
const wchar_t* const RIGHT_TEXT = L"richtige Lösung";
// Ids of the comparison buttons among the table's windows: two per comparison, yours first.
constexpr UINT FIRST_BUTTON_ID = 0xE000;
constexpr int INSET = 3; // badges and buttons keep this far from a cell's edge
constexpr int BUTTON_HEIGHT = 22;
constexpr int BUTTON_WIDTH = 110;

CRect Inflated(const CRect& r, int by) {
    return CRect{r.left - by, r.top - by, r.right + by, r.bottom + by};
}

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
    CRandom::Reseed();
    CLogFont small;
    small.height = -11;
    m_buttonFont.CreateFontIndirect(small);
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
    const std::wstring outOf = L" von " + std::to_wstring(max) + L" Punkten";
    if (inPlace && max == got && got > 0) {
        total += got;
        element.SetMark(MARK_CORRECT);
        element.SetAccessibleDescription(L"richtig, " + std::to_wstring(got) + outOf);
    } else if (max > 0) {
        element.SetMark(MARK_WRONG);
        element.SetAccessibleDescription(L"falsch, 0" + outOf);
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

void CTable::RevealAnswer() {
    CContainer::RevealAnswer();
    if (!HasWindow() || !m_answers.empty())
        return;
    FindAnswers();
    for (const Answer& answer : m_answers)
        ShowAnswer(answer);
    Invalidate(true);
}

// Swaps only permute the cells, so the cell a wrong panel belongs in holds a wrong panel too
// and every wrong cell gets both badges. A panel that went over into another table is left
// to that table.
void CTable::FindAnswers() {
    int number = 0;
    for (std::size_t k = 0; k < m_expectedIds.size(); ++k) {
        const int expected = m_expectedIds[k];
        if (expected == 0 || m_currentIds[k] == expected)
            continue;
        CElement* belonging = m_context->FindElement(expected);
        const auto at = std::find(m_currentIds.begin(), m_currentIds.end(), expected);
        if (belonging == nullptr || belonging->GetMaxPoints() <= 0 || at == m_currentIds.end())
            continue;
        m_answers.push_back(
            {++number, static_cast<int>(k), static_cast<int>(at - m_currentIds.begin())});
    }
}

void CTable::ShowAnswer(const Answer& answer) {
    const CRect panel = CellRect(answer.panelCell);
    const CRect place = CellRect(answer.place);
    auto tag = std::make_unique<CAnswerBadge>(CAnswerBadge::EKind::Panel, answer.number);
    if (tag->Create(*this, CPoint{panel.left + INSET, panel.top + INSET}))
        m_badges.push_back(std::move(tag));
    auto mark = std::make_unique<CAnswerBadge>(CAnswerBadge::EKind::Place, answer.number);
    const int width = CAnswerBadge::SizeFor(answer.number).cx;
    if (mark->Create(*this, CPoint{place.right - INSET - width, place.top + INSET}))
        m_badges.push_back(std::move(mark));
    if (CElement* belonging = m_context->FindElement(m_expectedIds[answer.place]))
        AddComparison(answer.place, *belonging);
}

void CTable::AddComparison(int cell, CElement& belonging) {
    auto* yours = dynamic_cast<CWavePlot*>(m_context->FindElement(m_currentIds[cell]));
    auto* right = dynamic_cast<CWavePlot*>(&belonging);
    if (yours == nullptr || right == nullptr)
        return;
    const CRect r = CellRect(cell);
    const int width = std::min(BUTTON_WIDTH, (r.Width() - 3 * INSET) / 2);
    if (width <= 0) // a cell scaled down to a sliver has no room to offer
        return;
    const int top = r.bottom - INSET - BUTTON_HEIGHT;
    const CRect places[2] = {{r.left + INSET, top, r.left + INSET + width, top + BUTTON_HEIGHT},
                             {r.right - INSET - width, top, r.right - INSET, top + BUTTON_HEIGHT}};
    const wchar_t* const texts[2] = {YOURS_TEXT, RIGHT_TEXT};
    Comparison& comparison = m_comparisons.emplace_back(Comparison{yours, right, {}});
    const UINT first = FIRST_BUTTON_ID + 2 * static_cast<UINT>(m_comparisons.size() - 1);
    for (UINT i = 0; i < 2; ++i) {
        auto button = std::make_unique<CButton>();
        if (!button->Create(L"BUTTON", texts[i], WS_CHILD | WS_VISIBLE, places[i], this, first + i))
            continue;
        button->SetFont(&m_buttonFont);
        comparison.buttons[i] = std::move(button);
    }
}

CRect CTable::CellRect(int k) const {
    const CElement* panel = m_context->FindElement(m_currentIds[static_cast<std::size_t>(k)]);
    if (panel == nullptr || !panel->HasWindow() || !HasWindow())
        return CRect{};
    return ScreenToClient(panel->GetWindowRect());
}

// The other sound stops, and this one goes on from the block the other had reached, so the
// two can be compared at the same spot.
void CTable::Listen(Comparison& comparison, bool right) {
    CWavePlot& to = right ? *comparison.right : *comparison.yours;
    CWavePlot& from = right ? *comparison.yours : *comparison.right;
    to.PlayFrom(from.StopSound());
}

void CTable::OnCommand(UINT id) {
    const UINT index = (id - FIRST_BUTTON_ID) / 2;
    if (id >= FIRST_BUTTON_ID && index < m_comparisons.size()) {
        Listen(m_comparisons[index], (id - FIRST_BUTTON_ID) % 2 == 1);
        return;
    }
    CContainer::OnCommand(id);
}

// The outlines lie in the space between the cells, the only part of the table its panels
// leave visible: two dashed lines, a pixel or two clear of the neighbours' outlines.
void CTable::OnPaint(CDC& dc) {
    const int distance = std::min(m_context->m_hspace, m_context->m_vspace) / 2 - 1;
    if (m_answers.empty() || distance < 1)
        return;
    const CPen ink(PS_SOLID, 1, RGB(0, 0, 0));
    const CPen* previous = dc.SelectPen(&ink);
    for (const Answer& answer : m_answers) {
        const CRect place = CellRect(answer.place);
        for (int line = distance; line >= std::max(1, distance - 1); --line)
            CAnswerBadge::DrawDashedFrame(dc, Inflated(place, line));
    }
    dc.SelectPen(previous);
}

bool CTable::OnKeyDown(UINT key, UINT flags) {
    const int dc = key == VK_LEFT ? -1 : key == VK_RIGHT ? 1 : 0;
    const int dr = key == VK_UP ? -1 : key == VK_DOWN ? 1 : 0;
    const auto focused = std::find_if(m_currentIds.begin(), m_currentIds.end(), [this](int id) {
        const CElement* element = m_context->FindElement(id);
        return id != 0 && element != nullptr && element->HasFocus();
    });
    if (flags != 0 || (dc == 0 && dr == 0) || focused == m_currentIds.end() || m_cols == 0)
        return CContainer::OnKeyDown(key, flags);
    const int at = static_cast<int>(focused - m_currentIds.begin());
    for (int r = at / m_cols + dr, c = at % m_cols + dc;
         r >= 0 && r < m_rows && c >= 0 && c < m_cols; r += dr, c += dc) {
        const int id = m_currentIds[static_cast<std::size_t>(r * m_cols + c)];
        CElement* element = id != 0 ? m_context->FindElement(id) : nullptr;
        if (element != nullptr && element->HasWindow() && element->TakesKeys()) {
            element->SetFocus();
            return true;
        }
    }
    return CContainer::OnKeyDown(key, flags);
}

LRESULT CTable::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == UwmSwitchPanels())
        return OnSwitchPanels(wParam, lParam);
    return CElement::OnMessage(message, wParam, lParam);
}

} // namespace game
