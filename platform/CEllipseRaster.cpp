#include "platform/CEllipseRaster.h"

#include <algorithm>
#include <cmath>
#include <numbers>

CEllipseRaster::CEllipseRaster(const CRect& bounds)
    : m_bounds(bounds), m_centreX((bounds.left + bounds.right - 1) / 2.0),
      m_centreY((bounds.top + bounds.bottom - 1) / 2.0) {
    if (bounds.Width() <= 0 || bounds.Height() <= 0)
        return;
    for (int y = bounds.top; y < bounds.bottom; ++y)
        AddRow(y);
}

CEllipseRaster::Span CEllipseRaster::RowSpan(int y) const {
    const double a = m_bounds.Width() / 2.0;
    const double b = m_bounds.Height() / 2.0;
    const double dy = y - m_centreY;
    // The middle row always spans the full width, so that even a very flat ellipse touches
    // the rectangle's left and right.
    const double halfWidth =
        std::abs(dy) <= 0.5 ? a : a * std::sqrt(std::max(0.0, 1.0 - (dy / b) * (dy / b)));
    // Every row keeps at least its middle pixel(s), so a very narrow ellipse stays closed.
    const int left = std::min(static_cast<int>(std::ceil(m_centreX - halfWidth - 1e-9)),
                              static_cast<int>(std::floor(m_centreX)));
    return Span{left, m_bounds.left + m_bounds.right - 1 - left}; // mirrored: symmetric
}

void CEllipseRaster::AddRow(int y) {
    const Span row = RowSpan(y);
    // Inside: left and right neighbours in this row, the pixels above and below in theirs.
    int innerLeft = row.left + 1;
    int innerRight = row.right - 1;
    for (const int neighbour : {y - 1, y + 1}) {
        if (neighbour < m_bounds.top || neighbour >= m_bounds.bottom) {
            innerRight = innerLeft - 1; // the top and bottom rows are all outline
            break;
        }
        const Span other = RowSpan(neighbour);
        innerLeft = std::max(innerLeft, other.left);
        innerRight = std::min(innerRight, other.right);
    }
    if (innerLeft > innerRight) {
        m_outline.push_back(CRect{row.left, y, row.right + 1, y + 1});
        return;
    }
    m_outline.push_back(CRect{row.left, y, innerLeft, y + 1});
    m_outline.push_back(CRect{innerRight + 1, y, row.right + 1, y + 1});
}

double CEllipseRaster::AngleOf(double x, double y) const {
    const double a = std::max(1.0, m_bounds.Width() / 2.0);
    const double b = std::max(1.0, m_bounds.Height() / 2.0);
    return std::atan2(-(y - m_centreY) / b, (x - m_centreX) / a); // y grows downwards
}

std::vector<CRect> CEllipseRaster::Arc(CPoint start, CPoint end) const {
    if (start == end)
        return m_outline;
    constexpr double TURN = 2 * std::numbers::pi;
    constexpr double TOLERANCE = 1e-9;
    const double from = AngleOf(start.x, start.y);
    const auto sweepTo = [from](double angle) {
        const double s = std::fmod(angle - from + 2 * TURN, TURN);
        return s > TURN - TOLERANCE ? 0.0 : s;
    };
    double span = sweepTo(AngleOf(end.x, end.y));
    if (span <= TOLERANCE)
        span = TURN; // the same ray: the whole ellipse
    std::vector<CRect> pixels;
    for (const CRect& run : m_outline)
        for (int x = run.left; x < run.right; ++x)
            if (sweepTo(AngleOf(x, run.top)) <= span + TOLERANCE)
                pixels.push_back(CRect{x, run.top, x + 1, run.top + 1});
    return pixels;
}
