#include "game/CAnswerBadge.h"

#include "platform/CDC.h"
#include "platform/CWindowClasses.h"

#include <algorithm>
#include <string>

namespace game {

namespace {

const wchar_t* const WINDOW_CLASS = L"MFCAnswerBadge";
const COLORREF INK = RGB(0, 0, 0);
const COLORREF PAPER = RGB(255, 255, 255);
constexpr int HEIGHT = 22;
constexpr int DIGIT_WIDTH = 9;
constexpr int DASH = 3; // pixels drawn, then GAP pixels left out
constexpr int GAP = 2;

void DashedLine(CDC& dc, CPoint from, CPoint to) {
    const bool across = from.y == to.y;
    const int length = across ? to.x - from.x : to.y - from.y;
    for (int at = 0; at < length; at += DASH + GAP) {
        const int end = std::min(at + DASH, length);
        dc.MoveTo(across ? from.x + at : from.x, across ? from.y : from.y + at);
        dc.LineTo(across ? from.x + end : from.x, across ? from.y : from.y + end);
    }
}

} // namespace

CAnswerBadge::CAnswerBadge(EKind kind, int number) : m_kind(kind), m_number(number) {
    CWindowClasses::EnsureRegistered(WINDOW_CLASS);
    CLogFont description;
    description.height = -15;
    description.weight = 700;
    m_font.CreateFontIndirect(description);
}

CAnswerBadge::~CAnswerBadge() {
    DestroyWindow();
}

bool CAnswerBadge::Create(CWnd& parent, CPoint topLeft) {
    const CSize size = SizeFor(m_number);
    const CRect rect{topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy};
    if (!CWnd::Create(WINDOW_CLASS, L"", WS_CHILD | WS_VISIBLE, rect, &parent, 0xFFFF))
        return false;
    SetFont(&m_font, false);
    return true;
}

CSize CAnswerBadge::SizeFor(int number) {
    const int digits = static_cast<int>(std::to_wstring(number).size());
    return CSize{std::max(HEIGHT, 6 + DIGIT_WIDTH * digits), HEIGHT};
}

void CAnswerBadge::DrawDashedFrame(CDC& dc, const CRect& rect) {
    const int right = rect.right - 1, bottom = rect.bottom - 1;
    DashedLine(dc, {rect.left, rect.top}, {rect.right, rect.top});
    DashedLine(dc, {rect.left, bottom}, {rect.right, bottom});
    DashedLine(dc, {rect.left, rect.top}, {rect.left, rect.bottom});
    DashedLine(dc, {right, rect.top}, {right, rect.bottom});
}

bool CAnswerBadge::OnEraseBkgnd(CDC& dc) {
    dc.FillSolidRect(GetClientRect(), m_kind == EKind::Panel ? INK : PAPER);
    return true;
}

void CAnswerBadge::OnPaint(CDC& dc) {
    const CRect client = GetClientRect();
    const bool filled = m_kind == EKind::Panel;
    if (!filled) {
        const CPen ink(PS_SOLID, 1, INK);
        const CPen* previous = dc.SelectPen(&ink);
        DrawDashedFrame(dc, client);
        dc.SelectPen(previous);
    }
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(filled ? PAPER : INK);
    dc.DrawText(std::to_wstring(m_number), client,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

} // namespace game
