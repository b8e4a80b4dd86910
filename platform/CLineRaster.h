#pragma once
// Rasterises one-pixel lines the way GDI does: Bresenham steps from the start point up to the
// end point, which is left out, so that joined segments never paint a shared vertex twice and
// a line of length zero paints nothing. Styled pens walk their on/off pattern along the
// pixels; the pattern runs on across the segments of one polyline.
// The pixels come out merged into runs (rectangles one pixel high or wide) so a painter can
// fill a whole plot in one call.

#include "platform/WinTypes.h"

#include <vector>

class CLineRaster {
public:
    explicit CLineRaster(int penStyle);

    void AddLine(CPoint from, CPoint to);

    // Pixels in the pen's colour.
    const std::vector<CRect>& OnRuns() const { return m_on; }
    // The gaps of a styled pen, which an opaque background mode fills.
    const std::vector<CRect>& OffRuns() const { return m_off; }

private:
    void AddPixel(int x, int y);
    bool NextPatternBit();
    static void Extend(std::vector<CRect>& runs, int x, int y);

    std::vector<int> m_pattern; // alternating on/off lengths; empty = solid
    std::size_t m_patternIndex = 0;
    int m_patternLeft = 0;
    std::vector<CRect> m_on;
    std::vector<CRect> m_off;
};
