#include "platform/CLineRaster.h"

#include "platform/CPen.h"

#include <cstdlib>

namespace {

// The dash lengths of Windows' styled one-pixel pens, in pixels.
std::vector<int> PatternOf(int penStyle) {
    switch (penStyle) {
    case PS_DASH:
        return {18, 6};
    case PS_DOT:
        return {3, 3};
    case PS_DASHDOT:
        return {9, 6, 3, 6};
    case PS_DASHDOTDOT:
        return {9, 3, 3, 3, 3, 3};
    default:
        return {};
    }
}

} // namespace

CLineRaster::CLineRaster(int penStyle) : m_pattern(PatternOf(penStyle)) {
    if (!m_pattern.empty())
        m_patternLeft = m_pattern.front();
}

void CLineRaster::AddLine(CPoint from, CPoint to) {
    const int dx = std::abs(to.x - from.x);
    const int dy = std::abs(to.y - from.y);
    const int sx = to.x >= from.x ? 1 : -1;
    const int sy = to.y >= from.y ? 1 : -1;
    const bool xMajor = dx >= dy;
    const int major = xMajor ? dx : dy;
    const int minor = xMajor ? dy : dx;
    // Bresenham on the doubled error term; a tie keeps the minor coordinate.
    int error = 2 * minor - major;
    int x = from.x;
    int y = from.y;
    for (int step = 0; step < major; ++step) {
        AddPixel(x, y);
        if (error > 0) {
            (xMajor ? y : x) += xMajor ? sy : sx;
            error -= 2 * major;
        }
        error += 2 * minor;
        (xMajor ? x : y) += xMajor ? sx : sy;
    }
}

void CLineRaster::AddPixel(int x, int y) {
    Extend(NextPatternBit() ? m_on : m_off, x, y);
}

bool CLineRaster::NextPatternBit() {
    if (m_pattern.empty())
        return true;
    const bool on = m_patternIndex % 2 == 0;
    if (--m_patternLeft == 0) {
        m_patternIndex = (m_patternIndex + 1) % m_pattern.size();
        m_patternLeft = m_pattern[m_patternIndex];
    }
    return on;
}

void CLineRaster::Extend(std::vector<CRect>& runs, int x, int y) {
    if (!runs.empty()) {
        CRect& last = runs.back();
        const bool inRow = last.Height() == 1 && y == last.top;
        const bool inColumn = last.Width() == 1 && x == last.left;
        if (inRow && x == last.right) {
            ++last.right;
            return;
        }
        if (inRow && x == last.left - 1) {
            --last.left;
            return;
        }
        if (inColumn && y == last.bottom) {
            ++last.bottom;
            return;
        }
        if (inColumn && y == last.top - 1) {
            --last.top;
            return;
        }
    }
    runs.push_back(CRect{x, y, x + 1, y + 1});
}
