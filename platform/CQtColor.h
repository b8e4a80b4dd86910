#pragma once
// Colour conversions between COLORREF (0x00BBGGRR) and Qt's colours, for the platform layer's
// own sources only: this header includes Qt.

#include "platform/WinTypes.h"

#include <QColor>
#include <QRgb>

class CQtColor {
public:
    static QRgb ToRgb(COLORREF c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)); }
    static QColor ToColor(COLORREF c) { return QColor(ToRgb(c)); }
    static COLORREF FromRgb(QRgb c) { return RGB(qRed(c), qGreen(c), qBlue(c)); }
};
