#pragma once
// Rasterises the ellipse inscribed in a rectangle with exclusive right and bottom, GDI style:
// a one-pixel outline that touches left, right - 1, top and bottom - 1, symmetric about both
// axes and closed. Arcs are the part of the outline on a counterclockwise sweep.
// A pixel belongs to the ellipse when its centre lies inside the ellipse that fills the
// rectangle edge to edge; it is outline when one of its four neighbours does not. Pixels come
// out as runs (rectangles one pixel high) for filling in one call.

#include "platform/WinTypes.h"

#include <vector>

class CEllipseRaster {
public:
    explicit CEllipseRaster(const CRect& bounds);

    // The outline pixels from the ray towards start counterclockwise to the ray towards end
    // (rays from the centre, measured on the ellipse); start equal to end: the whole outline.
    std::vector<CRect> Arc(CPoint start, CPoint end) const;

private:
    struct Span {
        int left;
        int right; // inclusive
    };
    // The columns of a row whose centres are inside the ellipse.
    Span RowSpan(int y) const;
    void AddRow(int y);
    double AngleOf(double x, double y) const;

    CRect m_bounds;
    double m_centreX;
    double m_centreY;
    std::vector<CRect> m_outline;
};
