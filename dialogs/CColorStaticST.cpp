#include "dialogs/CColorStaticST.h"

#include "platform/CDC.h"
#include "platform/CSystemColors.h"

void CColorStaticST::SetTextColor(COLORREF color) {
    m_textColor = color;
    Invalidate();
}

void CColorStaticST::SetBkColor(COLORREF color) {
    m_bkColor = color;
    Invalidate();
}

// The desktop's colours are asked for when needed, so a control can be built before the
// application runs and follows a change of the desktop's theme.
COLORREF CColorStaticST::GetTextColor() const {
    return m_textColor.value_or(CSystemColors::ButtonText());
}

COLORREF CColorStaticST::GetBkColor() const {
    return m_bkColor.value_or(CSystemColors::ButtonFace());
}

// A plain window of our own instead of the platform's label, so that painting comes here.
QWidget* CColorStaticST::MakeWidget(QWidget* parent) {
    return CWnd::MakeWidget(parent);
}

// OnPaint covers every pixel; erasing first would only make it flicker.
bool CColorStaticST::OnEraseBkgnd(CDC&) {
    return true;
}

void CColorStaticST::OnPaint(CDC& dc) {
    const CRect client = GetClientRect();
    dc.FillSolidRect(client, GetBkColor());
    dc.SetTextColor(GetTextColor());
    dc.SetBkColor(GetBkColor());
    dc.SetBkMode(TRANSPARENT);
    dc.DrawText(GetWindowText(), client, TextFormat());
}

// A player's name is shown as typed: an ampersand is not a mnemonic.
UINT CColorStaticST::TextFormat() const {
    const DWORD style = GetStyle();
    UINT format = DT_NOPREFIX | ((style & SS_CENTER) ? DT_CENTER : DT_LEFT);
    if (style & SS_CENTERIMAGE)
        format |= DT_SINGLELINE | DT_VCENTER;
    else
        format |= DT_WORDBREAK;
    return format;
}
