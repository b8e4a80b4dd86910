#pragma once
// A pen described the GDI way: style, width in logical pixels and colour. The game draws with
// solid one-pixel pens (widths 0 and 1 are both that pen) and the null pen, which draws
// nothing; other styles and wider pens are refused.

#include "platform/WinTypes.h"

constexpr int PS_SOLID = 0;
constexpr int PS_NULL = 5;

class CPen {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }

    // False for another style or width; the pen then stays as it was.
    bool CreatePen(int style, int width, COLORREF color);
    void DeleteObject() { m_created = false; }
    bool IsCreated() const { return m_created; }

    int Style() const { return m_style; }
    COLORREF Color() const { return m_color; }

private:
    bool m_created = false;
    int m_style = PS_SOLID;
    COLORREF m_color = RGB(0, 0, 0);
};
