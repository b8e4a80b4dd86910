#include "platform/CDC.h"

#include <QColor>
#include <QPainter>

CDC::CDC(QPainter& painter) : m_painter(painter) {}

void CDC::FillSolidRect(const CRect& rect, COLORREF color) {
    m_painter.fillRect(rect.left, rect.top, rect.Width(), rect.Height(),
                       QColor(GetRValue(color), GetGValue(color), GetBValue(color)));
}
