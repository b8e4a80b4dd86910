#include "platform/CLineRaster.h"

#include <cstdlib>

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
    if (!m_runs.empty()) {
        CRect& last = m_runs.back();
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
    m_runs.push_back(CRect{x, y, x + 1, y + 1});
}
