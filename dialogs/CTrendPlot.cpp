#include "dialogs/CTrendPlot.h"

#include "platform/CDC.h"
#include "platform/CPen.h"

#include <algorithm>

void CTrendPlot::SetShares(std::vector<double> shares) {
    m_shares = std::move(shares);
    Invalidate();
}

bool CTrendPlot::OnEraseBkgnd(CDC&) {
    return true; // OnPaint covers every pixel
}

void CTrendPlot::OnPaint(CDC& dc) {
    const CRect client = GetClientRect();
    dc.FillSolidRect(client, RGB(255, 255, 255));
    const int left = client.left + 3, right = client.right - 4;
    const int top = client.top + 3, bottom = client.bottom - 4;
    const CPen guide(PS_SOLID, 1, RGB(200, 200, 200));
    const CPen* previous = dc.SelectPen(&guide);
    for (int y : {top, bottom}) {
        dc.MoveTo(left, y);
        dc.LineTo(right + 1, y);
    }
    const CPen line(PS_SOLID, 1, LINE_COLOR);
    dc.SelectPen(&line);
    const int count = static_cast<int>(m_shares.size());
    std::vector<CPoint> points;
    for (int i = 0; i < count; ++i) {
        const double share = std::clamp(m_shares[static_cast<std::size_t>(i)], 0.0, 1.0);
        // A single try stands in the middle.
        const int x = count == 1 ? (left + right) / 2 : left + (right - left) * i / (count - 1);
        points.push_back({x, bottom - static_cast<int>(share * (bottom - top) + 0.5)});
        dc.FillSolidRect(x - 1, points.back().y - 1, 3, 3, LINE_COLOR);
    }
    if (points.size() > 1)
        dc.Polyline(points.data(), static_cast<int>(points.size()));
    dc.SelectPen(previous);
}
