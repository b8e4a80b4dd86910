#include "platform/CPen.h"

bool CPen::CreatePen(int style, int width, COLORREF color) {
    if ((style != PS_SOLID && style != PS_NULL) || width < 0 || width > 1)
        return false;
    m_style = style;
    m_color = color;
    m_created = true;
    return true;
}
