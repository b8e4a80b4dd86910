#include "platform/CDC.h"

#include "platform/CBitmap.h"
#include "platform/CEllipseRaster.h"
#include "platform/CImageBuffer.h"
#include "platform/CLineRaster.h"
#include "platform/CQtColor.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QVector>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

const CPen& BlackPen() {
    static const CPen black(PS_SOLID, 1, RGB(0, 0, 0));
    return black;
}

QRect ToQRect(const CRect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

void FillRuns(QPainter& painter, const std::vector<CRect>& runs, COLORREF color) {
    if (runs.empty())
        return;
    QVector<QRect> rects;
    rects.reserve(static_cast<qsizetype>(runs.size()));
    for (const CRect& run : runs)
        rects.push_back(ToQRect(run));
    painter.setPen(Qt::NoPen);
    painter.setBrush(CQtColor::ToColor(color));
    painter.drawRects(rects.constData(), static_cast<int>(rects.size()));
}

Qt::TextFlag NoFlag() {
    return Qt::TextFlag(0);
}

int QtTextFlags(UINT format) {
    int flags = (format & DT_CENTER)  ? Qt::AlignHCenter
                : (format & DT_RIGHT) ? Qt::AlignRight
                                      : Qt::AlignLeft;
    if (format & DT_SINGLELINE) {
        flags |= (format & DT_VCENTER)  ? Qt::AlignVCenter
                 : (format & DT_BOTTOM) ? Qt::AlignBottom
                                        : Qt::AlignTop;
        flags |= Qt::TextSingleLine;
    } else {
        flags |= Qt::AlignTop;
    }
    flags |= (format & DT_WORDBREAK) ? Qt::TextWordWrap : NoFlag();
    flags |= (format & DT_NOCLIP) ? Qt::TextDontClip : NoFlag();
    flags |= (format & DT_NOPREFIX) ? NoFlag() : Qt::TextShowMnemonic;
    return flags;
}

} // namespace

CDC::CDC(QPainter& painter) : m_painter(painter), m_pen(BlackPen()), m_selectedPen(&BlackPen()) {
    m_painter.save();
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

CDC::~CDC() {
    m_painter.restore();
}

const CPen* CDC::SelectPen(const CPen* pen) {
    if (pen == nullptr || !pen->IsCreated())
        return nullptr;
    const CPen* previous = m_selectedPen;
    m_pen = *pen;
    m_selectedPen = pen;
    return previous;
}

COLORREF CDC::SetTextColor(COLORREF color) {
    return std::exchange(m_textColor, color);
}
COLORREF CDC::SetBkColor(COLORREF color) {
    return std::exchange(m_bkColor, color);
}

int CDC::SetBkMode(int mode) {
    if (mode != TRANSPARENT && mode != OPAQUE)
        return 0;
    return std::exchange(m_bkMode, mode);
}

CPoint CDC::MoveTo(int x, int y) {
    return std::exchange(m_position, CPoint{x, y});
}

void CDC::LineTo(int x, int y) {
    const CPoint points[] = {m_position, CPoint{x, y}};
    StrokeLines(points, 2);
    m_position = points[1];
}

void CDC::Polyline(const CPoint* points, int count) {
    if (points != nullptr && count >= 2)
        StrokeLines(points, count);
}

void CDC::StrokeLines(const CPoint* points, int count) {
    if (m_pen.Style() == PS_NULL)
        return;
    CLineRaster raster;
    for (int i = 1; i < count; ++i)
        raster.AddLine(points[i - 1], points[i]);
    FillRuns(m_painter, raster.Runs(), m_pen.Color());
}

void CDC::Arc(const CRect& r, CPoint start, CPoint end) {
    if (r.Width() > 0 && r.Height() > 0 && m_pen.Style() != PS_NULL)
        FillRuns(m_painter, CEllipseRaster(r).Arc(start, end), m_pen.Color());
}

void CDC::FillSolidRect(const CRect& rect, COLORREF color) {
    m_painter.fillRect(ToQRect(rect), CQtColor::ToColor(color));
}

void CDC::FillTextBackground(int x, int y, int width, int height) {
    if (m_bkMode == OPAQUE)
        FillSolidRect(CRect{x, y, x + width, y + height}, m_bkColor);
}

int CDC::DrawText(const std::wstring& text, const CRect& rect, UINT format) {
    const QString s = QString::fromStdWString(text);
    const int flags = QtTextFlags(format);
    const QRect box = ToQRect(rect);
    QRect inked = m_painter.boundingRect(box, flags, s);
    if (!(format & DT_NOCLIP))
        inked &= box;
    FillTextBackground(inked.x(), inked.y(), inked.width(), inked.height());
    m_painter.setPen(CQtColor::ToColor(m_textColor));
    m_painter.drawText(box, flags, s);
    return inked.height();
}

void CDC::DrawImage(const CImageBuffer& image, int x, int y) {
    if (image.IsCreated())
        m_painter.drawImage(QPoint(x, y), image.Image());
}

void CDC::StretchHalftone(const CImageBuffer& image, const CRect& dest) {
    if (!image.IsCreated() || dest.Width() <= 0 || dest.Height() <= 0)
        return;
    // Averaged straight to device pixels, so a high-density screen shows the finer detail.
    const qreal ratio = m_painter.device() ? m_painter.device()->devicePixelRatioF() : 1.0;
    const int width = std::max(1, static_cast<int>(std::lround(dest.Width() * ratio)));
    const int height = std::max(1, static_cast<int>(std::lround(dest.Height() * ratio)));
    const CImageBuffer scaled = image.AreaAveraged(width, height);
    if (scaled.IsCreated())
        m_painter.drawImage(QRectF(ToQRect(dest)), scaled.Image(), QRectF(0, 0, width, height));
}

void CDC::DrawTransparent(const CBitmap& bitmap, int x, int y) {
    if (bitmap.IsLoaded())
        m_painter.drawImage(QPoint(x, y), bitmap.KeyedImage());
}
