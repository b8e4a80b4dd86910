#pragma once
// The device context: painting with the GDI rules the game relies on, over a QPainter.

#include "platform/WinTypes.h"

class QPainter;

class CDC {
public:
    explicit CDC(QPainter& painter);
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    void FillSolidRect(const CRect& rect, COLORREF color);

    QPainter& Painter() const { return m_painter; }

private:
    QPainter& m_painter;
};
