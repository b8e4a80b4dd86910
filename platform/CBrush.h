#pragma once
// A brush for the insides of rectangles and ellipses: a solid colour, or hollow (nothing is
// filled, only the outline drawn).

#include "platform/WinTypes.h"

class CBrush {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }

    bool CreateSolidBrush(COLORREF color);
    bool CreateHollowBrush();
    void DeleteObject() { m_created = false; }
    bool IsCreated() const { return m_created; }

    bool IsHollow() const { return m_hollow; }
    COLORREF Color() const { return m_color; }

private:
    bool m_created = false;
    bool m_hollow = false;
    COLORREF m_color = RGB(255, 255, 255);
};
