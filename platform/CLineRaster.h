#pragma once
// Rasterises one-pixel lines the way GDI does: Bresenham steps from the start point up to the
// end point, which is left out, so that joined segments never paint a shared vertex twice and
// a line of length zero paints nothing.
// The pixels come out merged into runs (rectangles one pixel high or wide) so a painter can
// fill a whole plot in one call.

#include "platform/WinTypes.h"

#include <vector>

class CLineRaster {
public:
    void AddLine(CPoint from, CPoint to);

    // The pixels of the lines so far.
    const std::vector<CRect>& Runs() const { return m_runs; }

private:
    void AddPixel(int x, int y);

    std::vector<CRect> m_runs;
};
