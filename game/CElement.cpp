#include "game/CElement.h"

#include "game/CAnswerBadge.h"
#include "game/CGameContext.h"
#include "game/CPlotAxes.h"
#include "game/GameMessages.h"
#include "game/StaticText.h"
#include "platform/CBitmap.h"
#include "platform/CDC.h"
#include "platform/CPen.h"
#include "platform/CText.h"

#include <tinyxml2.h>

#include <cstring>
#include <tuple>
#include <utility>

namespace game {

namespace {
// A screen rectangle in the client coordinates of the window's parent.
CRect InParentOf(const CWnd& window, const CRect& screen) {
    const CWnd* parent = window.GetParent();
    return parent != nullptr ? parent->ScreenToClient(screen) : screen;
}

CRect Inset(const CRect& r, int by) {
    return CRect{r.left + by, r.top + by, r.right - by, r.bottom - by};
}

void Frame(CDC& dc, const CRect& r, COLORREF colour) {
    dc.FillSolidRect(r.left, r.top, r.Width(), 1, colour);
    dc.FillSolidRect(r.left, r.bottom - 1, r.Width(), 1, colour);
    dc.FillSolidRect(r.left, r.top, 1, r.Height(), colour);
    dc.FillSolidRect(r.right - 1, r.top, 1, r.Height(), colour);
}

constexpr COLORREF INK = RGB(0, 0, 0);
constexpr COLORREF PAPER = RGB(255, 255, 255);
constexpr int FOCUS_WIDTH = 2;
} // namespace

CElement::CElement(CGameContext* context) : m_context(context) {}

void CElement::ScaleVertical(float factor) {
    if (HasWindow())
        return;
    m_height = StaticText::Scale(m_height, factor);
    m_y = StaticText::Scale(m_y, factor);
}

void CElement::ScaleHorizontal(float factor) {
    if (HasWindow())
        return;
    m_width = StaticText::Scale(m_width, factor);
    m_x = StaticText::Scale(m_x, factor);
}

int CElement::GetPoints() {
    return m_points;
}
int CElement::GetMaxPoints() {
    return m_points;
}

bool CElement::ReadSize(const tinyxml2::XMLElement& node, int id, CGameContext& context, int& width,
                        int& height) {
    for (const auto& [name, side, extent] :
         {std::tuple{"width", &width, L" Pixel breit"}, {"height", &height, L" Pixel hoch"}}) {
        if (node.QueryIntAttribute(name, side) != tinyxml2::XML_SUCCESS ||
            (*side >= 1 && *side <= MAX_SIDE))
            continue;
        const std::wstring what = id > 0 ? L"Das Element " + std::to_wstring(id)
                                         : L"Ein <" + CText::ToWide(node.Name()) + L">-Element";
        context.ReportFailure(id, what + L" ist " + std::to_wstring(*side) + extent +
                                      L"; erlaubt sind 1 bis " + std::to_wstring(MAX_SIDE) +
                                      L" Pixel.");
        return false;
    }
    return true;
}

int CElement::ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) {
    int id = 0;
    if (node.QueryIntAttribute("id", &id) == tinyxml2::XML_SUCCESS && id >= 1)
        m_id = id;
    m_width = m_context->m_cellWidth;
    m_height = m_context->m_cellHeight;
    // A side out of bounds still lets the rest be read: a caller that goes on finds the
    // element registered.
    const bool sized = ReadSize(node, m_id, *m_context, m_width, m_height);
    node.QueryIntAttribute("points", &m_points);
    m_style = style;
    m_x = area.left;
    m_y = area.top;
    int tooltip = 0;
    node.QueryIntAttribute("tooltip", &tooltip);
    m_tooltip = tooltip == 1;
    const char* text = node.GetText();
    m_text = CText::ToWide(text != nullptr ? text : "");
    m_context->Register(m_id, this);
    int group = 0;
    if (node.QueryIntAttribute("switch", &group) == tinyxml2::XML_SUCCESS && group >= 1)
        m_context->SetSwitchGroup(m_id, group);
    return sized ? ERR_NONE : ERR_MEMORY;
}

int CElement::ReadCellXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style,
                          const char* tag, const wchar_t* windowClass) {
    const int result = CElement::ReadXml(node, area, style);
    m_windowClass = windowClass;
    area.right = area.left + m_width;
    area.bottom = area.top + m_height;
    if (std::strcmp(node.Name(), tag) != 0)
        return ERR_XML_TITLE;
    return result;
}

int CElement::ResolveSource(const tinyxml2::XMLElement& node) {
    m_sourceId = m_context->ResolveExample(node, m_id);
    return m_sourceId == 0 ? ERR_EXAMPLE_NOT_FOUND : ERR_NONE;
}

std::wstring CElement::KindOfExample(const std::wstring& kind) const {
    if (m_sourceId == 0 || m_context->HasSwitchGroup(m_id))
        return kind;
    return kind + L" von Beispiel " + std::to_wstring(m_sourceId);
}

void CElement::SetFrame(const CRect& margins, CRect& area) {
    m_frame = margins;
    const CRect extent = GetRect();
    area.right = area.left + extent.Width();
    area.bottom = area.top + extent.Height();
}

int CElement::ReadAxes(CPlotAxes& axes, const tinyxml2::XMLElement& node, CRect& area) {
    if (!axes.ReadSwitches(node, *m_context, m_id))
        return ERR_UNKNOWN_ELEMENT;
    SetFrame(axes.Margins(), area);
    TrackMouse(axes.ShowsReadout());
    return ERR_NONE;
}

int CElement::CreateElementWindow(CWnd* parent, UINT id) {
    SetNonClientMargins(m_frame);
    if (m_context->HasSwitchGroup(m_id))
        AcceptKeys();
    SetAccessibleName(AccessibleName());
    if (!Create(m_windowClass, L"", m_style, GetRect(), parent, id))
        return ERR_CREATE_WND;
    if (m_tooltip && !m_text.empty())
        m_context->m_toolTip.AddTool(this, m_text);
    return ERR_NONE;
}

bool CElement::DrawMark(CDC& dc, const CRect& client) const {
    if (m_mark == 0)
        return false;
    CBitmap bitmap;
    if (!bitmap.LoadBitmap(static_cast<UINT>(m_mark)))
        return false;
    // Arithmetic shifts: an odd negative difference rounds toward minus infinity.
    const int left = (client.Width() - bitmap.Width()) >> 1;
    const int top = (client.Height() - bitmap.Height()) >> 1;
    dc.DrawTransparent(bitmap, left, top);
    return true;
}

void CElement::DrawFocus(CDC& dc) const {
    const CRect client = GetClientRect();
    if (ShowsFocusCue()) {
        const CPen ink(PS_SOLID, 1, INK);
        const CPen* previous = dc.SelectPen(&ink);
        for (int ring = 0; ring < FOCUS_WIDTH; ++ring) {
            Frame(dc, Inset(client, ring), PAPER);
            CAnswerBadge::DrawDashedFrame(dc, Inset(client, ring));
        }
        dc.SelectPen(previous);
    }
    if (IsPicked())
        for (const auto& [ring, colour] : {std::pair{0, INK}, {1, PAPER}, {2, INK}})
            Frame(dc, Inset(client, FOCUS_WIDTH + ring), colour);
}

void CElement::AcceptKeys() {
    m_takesKeys = true;
    SetFocusable(Focus::CLICK_AND_TAB);
}

bool CElement::IsPicked() const {
    return m_id != 0 && m_context->PressedIdFor(m_id) == m_id;
}

void CElement::ClearPick() {
    CElement* picked = m_context->FindElement(m_context->PressedIdFor(m_id));
    m_context->ClearPressFor(m_id);
    if (picked != nullptr && picked->HasWindow())
        picked->Invalidate(true);
}

bool CElement::OnKeyDown(UINT key, UINT flags) {
    const bool swapKey = flags == 0 && (key == VK_RETURN || key == VK_ESCAPE);
    const int picked = m_context->PressedIdFor(m_id);
    // Escape with nothing picked is left to the dialog.
    if (!swapKey || !m_context->HasSwitchGroup(m_id) || (key == VK_ESCAPE && picked == 0))
        return CWnd::OnKeyDown(key, flags);
    if (key == VK_RETURN && picked == 0) {
        m_context->Press(m_id);
        Invalidate(true);
        return true;
    }
    if (key == VK_RETURN)
        SwapWithPressed(picked);
    ClearPick();
    return true;
}

void CElement::OnLButtonDown(UINT flags, CPoint point) {
    if (m_context->Press(m_id))
        Invalidate(true);
    CWnd::OnLButtonDown(flags, point);
}

void CElement::OnLButtonUp(UINT flags, CPoint point) {
    const int pressed = m_context->PressedIdFor(m_id);
    if (!m_context->HasSwitchGroup(m_id) || pressed == 0) {
        CWnd::OnLButtonUp(flags, point);
        return;
    }
    SwapWithPressed(pressed);
    ClearPick();
}

void CElement::OnMouseMove(UINT flags, CPoint point) {
    if (CPlotAxes* axes = PlotAxes(); axes != nullptr && axes->TrackPointer(point))
        Invalidate(true);
    CWnd::OnMouseMove(flags, point);
}

void CElement::OnMouseLeave() {
    if (CPlotAxes* axes = PlotAxes(); axes != nullptr && axes->LosePointer())
        Invalidate(true);
}

void CElement::OnNcPaint(CDC& dc) {
    CWnd::OnNcPaint(dc);
    if (CPlotAxes* axes = PlotAxes())
        axes->DrawAxes(dc, GetClientRect());
}

void CElement::SwapWithPressed(int pressedId) {
    CElement* pressed = m_context->FindElement(pressedId);
    if (pressedId == m_id || pressed == nullptr)
        return;
    CWnd* parent = GetParent();
    CWnd* otherParent = pressed->GetParent();
    CRect mine = GetWindowRect();
    CRect theirs = pressed->GetWindowRect();
    if (mine.Width() != theirs.Width() || mine.Height() != theirs.Height())
        return;
    if (otherParent != nullptr && parent != nullptr && otherParent != parent) {
        // Panels of different tables also exchange tables, so each shows where the other was
        // instead of being clipped by its old table.
        pressed->SetParent(parent);
        SetParent(otherParent);
    }
    pressed->MoveWindow(InParentOf(*pressed, mine));
    MoveWindow(InParentOf(*this, theirs));
    if (parent != nullptr)
        parent->SendMessage(UwmSwitchPanels(), static_cast<WPARAM>(m_id), pressedId);
    if (otherParent != nullptr && otherParent != parent)
        otherParent->SendMessage(UwmSwitchPanels(), static_cast<WPARAM>(m_id), pressedId);
}

} // namespace game
