#pragma once
// A small plot of the shares of points of the last tries, oldest at the left: a line through
// one dot per try, between a bottom line (nothing) and a top line (all points).

#include "platform/CWnd.h"

#include <vector>

class CTrendPlot : public CWnd {
public:
    // Shares from 0 to 1; others are drawn at the nearer edge.
    void SetShares(std::vector<double> shares);

    static constexpr COLORREF LINE_COLOR = RGB(0, 90, 170);

protected:
    bool OnEraseBkgnd(CDC& dc) override;
    void OnPaint(CDC& dc) override;

private:
    std::vector<double> m_shares;
};
