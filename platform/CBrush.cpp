#include "platform/CBrush.h"

bool CBrush::CreateSolidBrush(COLORREF color) {
    m_color = color;
    m_hollow = false;
    m_created = true;
    return true;
}

bool CBrush::CreateHollowBrush() {
    m_hollow = true;
    m_created = true;
    return true;
}
