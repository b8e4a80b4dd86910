#pragma once
// Text and rectangle conversions between the platform layer and Qt. Included only by platform
// sources.

#include "platform/WinTypes.h"

#include <QRect>
#include <QString>

#include <string>

namespace qtbridge {

inline QString ToQString(const std::wstring& text) { return QString::fromStdWString(text); }
inline std::wstring FromQString(const QString& text) { return text.toStdWString(); }

inline QRect ToQRect(const CRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

} // namespace qtbridge
