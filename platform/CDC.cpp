#include "platform/CDC.h"

#include "platform/CBitmap.h"
#include "platform/CEllipseRaster.h"
#include "platform/CFont.h"
#include "platform/CImageBuffer.h"
#include "platform/CLineRaster.h"
#include "platform/CQtColor.h"
#include "platform/CQtFont.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPolygonF>
#include <QVector>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace {

const CPen& StockPen(int object) {
    static const CPen white(PS_SOLID, 1, RGB(255, 255, 255));
    static const CPen black(PS_SOLID, 1, RGB(0, 0, 0));
    static const CPen null(PS_NULL, 1, RGB(0, 0, 0));
    return object == WHITE_PEN ? white : object == NULL_PEN ? null : black;
}

const CBrush& StockBrush(int object) {
    static const CBrush white(RGB(255, 255, 255));
    static const CBrush black(RGB(0, 0, 0));
    static const CBrush hollow = [] {
        CBrush brush;
        brush.CreateHollowBrush();
        return brush;
    }();
    return object == BLACK_BRUSH ? black : object == NULL_BRUSH ? hollow : white;
}

QRect ToQRect(const CRect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

// The rectangle Qt strokes so that its one-pixel outline covers left .. right - 1 and
// top .. bottom - 1, GDI's exclusive right and bottom.
QRectF OutlineRect(const CRect& r) {
    return QRectF(r.left, r.top, r.Width() - 1, r.Height() - 1);
}

// Qt strokes wide pens around the geometric line; shifting by half a pixel centres them on
// the pixels GDI would centre them on.
QPointF PixelCentre(CPoint p) {
    return QPointF(p.x + 0.5, p.y + 0.5);
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

CDC::CDC(QPainter& painter)
    : m_painter(painter), m_pen(StockPen(BLACK_PEN)), m_selectedPen(&StockPen(BLACK_PEN)),
      m_brush(StockBrush(WHITE_BRUSH)), m_selectedBrush(&StockBrush(WHITE_BRUSH)),
      m_painterFont(std::make_unique<QFont>(painter.font())) {
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

const CBrush* CDC::SelectBrush(const CBrush* brush) {
    if (brush == nullptr || !brush->IsCreated())
        return nullptr;
    const CBrush* previous = m_selectedBrush;
    m_brush = *brush;
    m_selectedBrush = brush;
    return previous;
}

const CFont* CDC::SelectFont(const CFont* font) {
    if (font != nullptr && !font->IsCreated())
        return nullptr;
    const CFont* previous = m_selectedFont;
    m_painter.setFont(font != nullptr ? CQtFont::FromFont(*font) : *m_painterFont);
    m_selectedFont = font;
    return previous;
}

void CDC::SelectStockObject(int object) {
    switch (object) {
    case WHITE_BRUSH:
    case BLACK_BRUSH:
    case NULL_BRUSH:
        SelectBrush(&StockBrush(object));
        break;
    case WHITE_PEN:
    case BLACK_PEN:
    case NULL_PEN:
        SelectPen(&StockPen(object));
        break;
    default:
        break;
    }
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
    if (m_pen.IsThin()) {
        CLineRaster raster(m_pen.Style());
        for (int i = 1; i < count; ++i)
            raster.AddLine(points[i - 1], points[i]);
        if (m_bkMode == OPAQUE)
            FillRuns(m_painter, raster.OffRuns(), m_bkColor);
        FillRuns(m_painter, raster.OnRuns(), m_pen.Color());
        return;
    }
    QPolygonF polygon;
    polygon.reserve(count);
    for (int i = 0; i < count; ++i)
        polygon << PixelCentre(points[i]);
    SetWideQtPen();
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawPolyline(polygon);
}

void CDC::SetWideQtPen() {
    m_painter.setPen(QPen(CQtColor::ToColor(m_pen.Color()), m_pen.Width(), Qt::SolidLine,
                          Qt::RoundCap, Qt::RoundJoin));
}

QBrush CDC::QtBrush() const {
    return m_brush.IsHollow() ? QBrush(Qt::NoBrush) : QBrush(CQtColor::ToColor(m_brush.Color()));
}

void CDC::FillBrush(const CRect& rect) {
    if (!m_brush.IsHollow() && rect.Width() > 0 && rect.Height() > 0)
        FillSolidRect(rect, m_brush.Color());
}

void CDC::Rectangle(const CRect& r) {
    if (r.Width() <= 0 || r.Height() <= 0)
        return;
    if (m_pen.Style() == PS_NULL) {
        // Without a pen Windows fills one pixel less to the right and below.
        FillBrush(CRect{r.left, r.top, r.right - 1, r.bottom - 1});
        return;
    }
    if (!m_pen.IsThin()) {
        SetWideQtPen();
        m_painter.setBrush(QtBrush());
        m_painter.drawRect(OutlineRect(r).translated(0.5, 0.5));
        return;
    }
    FillBrush(CRect{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1});
    const CPoint corners[] = {{r.left, r.top},
                              {r.right - 1, r.top},
                              {r.right - 1, r.bottom - 1},
                              {r.left, r.bottom - 1},
                              {r.left, r.top}};
    StrokeLines(corners, 5);
}

void CDC::Ellipse(const CRect& r) {
    if (r.Width() <= 0 || r.Height() <= 0)
        return;
    if (m_pen.Style() == PS_NULL) {
        // As with rectangles, the brush alone covers one pixel less to the right and below.
        const CEllipseRaster inside(CRect{r.left, r.top, r.right - 1, r.bottom - 1});
        if (!m_brush.IsHollow()) {
            FillRuns(m_painter, inside.Outline(), m_brush.Color());
            FillRuns(m_painter, inside.Inside(), m_brush.Color());
        }
        return;
    }
    if (!m_pen.IsThin()) {
        SetWideQtPen();
        m_painter.setBrush(QtBrush());
        m_painter.drawEllipse(OutlineRect(r).translated(0.5, 0.5));
        return;
    }
    const CEllipseRaster ellipse(r);
    if (!m_brush.IsHollow())
        FillRuns(m_painter, ellipse.Inside(), m_brush.Color());
    FillRuns(m_painter, ellipse.Outline(), m_pen.Color());
}

void CDC::Arc(const CRect& r, CPoint start, CPoint end) {
    if (r.Width() <= 0 || r.Height() <= 0 || m_pen.Style() == PS_NULL)
        return;
    if (m_pen.IsThin()) {
        FillRuns(m_painter, CEllipseRaster(r).Arc(start, end), m_pen.Color());
        return;
    }
    const QRectF outline = OutlineRect(r).translated(0.5, 0.5);
    const auto angle16 = [&outline](CPoint p) {
        const QPointF d = QPointF(p.x + 0.5, p.y + 0.5) - outline.center();
        const qreal rx = std::max<qreal>(outline.width(), 1);
        const qreal ry = std::max<qreal>(outline.height(), 1);
        return static_cast<int>(
            std::lround(std::atan2(-d.y() / ry, d.x() / rx) * 180 / std::numbers::pi * 16));
    };
    constexpr int FULL_TURN = 360 * 16;
    const int from = angle16(start);
    int span = FULL_TURN;
    if (start != end) {
        span = (angle16(end) - from) % FULL_TURN;
        if (span <= 0)
            span += FULL_TURN;
    }
    SetWideQtPen();
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawArc(outline, from, span);
}

void CDC::FillSolidRect(const CRect& rect, COLORREF color) {
    m_painter.fillRect(ToQRect(rect), CQtColor::ToColor(color));
}

void CDC::SetPixel(int x, int y, COLORREF color) {
    m_painter.fillRect(QRect(x, y, 1, 1), CQtColor::ToColor(color));
}

void CDC::FillTextBackground(int x, int y, int width, int height) {
    if (m_bkMode == OPAQUE)
        FillSolidRect(CRect{x, y, x + width, y + height}, m_bkColor);
}

void CDC::TextOut(int x, int y, const std::wstring& text) {
    const QString s = QString::fromStdWString(text);
    const QFontMetrics metrics(m_painter.font(), m_painter.device());
    FillTextBackground(x, y, metrics.horizontalAdvance(s), metrics.height());
    m_painter.setPen(CQtColor::ToColor(m_textColor));
    m_painter.drawText(QPoint(x, y + metrics.ascent()), s);
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

CSize CDC::GetTextExtent(const std::wstring& text) const {
    const QFontMetrics metrics(m_painter.font(), m_painter.device());
    return CSize{metrics.horizontalAdvance(QString::fromStdWString(text)), metrics.height()};
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
