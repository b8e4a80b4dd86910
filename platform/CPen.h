#pragma once
// A pen described the GDI way: style, width in logical pixels and colour. Widths 0 and 1 are
// both the one-pixel pen; styled lines (dash, dot) exist only as one-pixel pens, wider styled
// pens draw solid, as on Windows.

#include "platform/WinTypes.h"

constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_DASHDOT = 3;
constexpr int PS_DASHDOTDOT = 4;
constexpr int PS_NULL = 5;

class CPen {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }

    // False for an unknown style or a negative width; the pen then stays as it was.
    bool CreatePen(int style, int width, COLORREF color);
    void DeleteObject() { m_created = false; }
    bool IsCreated() const { return m_created; }

    int Style() const { return m_style; }
    int Width() const { return m_width; }
    COLORREF Color() const { return m_color; }
    // One pixel wide: drawn with the GDI line rules (end point left out, styles honoured).
    bool IsThin() const { return m_width <= 1; }

private:
    bool m_created = false;
    int m_style = PS_SOLID;
    int m_width = 1;
    COLORREF m_color = RGB(0, 0, 0);
};
