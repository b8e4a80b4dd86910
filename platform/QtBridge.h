#pragma once
// Conversions between the platform layer's Windows-style values and Qt's. Included only by
// platform sources.

#include "platform/CFont.h"
#include "platform/WinTypes.h"

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

#include <string>

namespace qtbridge {

inline QString ToQString(const std::wstring& text) { return QString::fromStdWString(text); }
inline std::wstring FromQString(const QString& text) { return text.toStdWString(); }

inline QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }
inline COLORREF FromQColor(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

inline QRect ToQRect(const CRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }
inline CRect FromQRect(const QRect& r) {
    return CRect{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
}

// A Windows font height is in pixels: negative names the character height (what Qt calls the
// pixel size), positive the cell height including internal leading (about 1.2 x).
inline QFont ToQFont(const CLogFont& lf) {
    QFont font(ToQString(lf.faceName));
    if (lf.faceName == L"Times" || lf.faceName == L"Times New Roman")
        font.setStyleHint(QFont::Serif);
    const int pixels = lf.height < 0 ? -lf.height : (lf.height * 5 + 3) / 6;
    if (pixels > 0)
        font.setPixelSize(pixels);
    font.setWeight(static_cast<QFont::Weight>(lf.weight >= 600 ? QFont::Bold : QFont::Normal));
    font.setItalic(lf.italic);
    font.setUnderline(lf.underline);
    return font;
}

} // namespace qtbridge
