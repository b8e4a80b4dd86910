#include "game/CPoleZeroPlot.h"

#include "platform/CDC.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace game {

namespace {

constexpr COLORREF POLE_COLOR = RGB(200, 0, 0);
constexpr int MARKER = 5; // half the size of a marker in pixels

const wchar_t* const ZERO_REFUSED =
    L"Abgelehnt: mit diesen Nullstellen so weit außen liefe der Filter über.";
const wchar_t* const POLE_REFUSED = L"Abgelehnt: mit diesen Polen so weit außen liefe der Filter über.";

// |P(w)| is at most the sum of the coefficients' magnitudes; when its square fits in a float,
// the filter takes the coefficients and its gain can be normalised at every frequency.
bool StaysFinite(const CPoleZeroPlot::Polynomial& polynomial) {
    double sum = 0.0;
    for (const float c : polynomial)
        sum += std::fabs(c);
    return sum * sum < FLT_MAX;
}

// Scales by a power of two, which is exact, so that the largest coefficient lies in [1, 2):
// the product of many roots far out then stays within float.
void KeepNearOne(CPoleZeroPlot::Polynomial& polynomial) {
    float largest = 0.0f;
    for (const float c : polynomial)
        largest = std::fmax(largest, std::fabs(c));
    if (!(largest > 0.0f) || !std::isfinite(largest))
        return;
    const int exponent = std::ilogb(largest);
    for (float& c : polynomial)
        c = std::ldexp(c, -exponent);
}

bool Hits(CPoint root, CPoint click) {
    const long long dx = root.x - click.x;
    const long long dy = root.y - click.y;
    return dx * dx + dy * dy < CPoleZeroPlot::CATCH_RADIUS * CPoleZeroPlot::CATCH_RADIUS;
}

} // namespace

CPoleZeroPlot::CPoleZeroPlot(CGameContext* context) : CAudioFilterPlot(context) {}

int CPoleZeroPlot::Prepare() {
    Layout(m_width, m_height);
    return CAudioFilterPlot::Prepare();
}

void CPoleZeroPlot::Layout(int width, int height) {
    m_centre = CPoint{width / 2, height - 5};
    // A plot too small for a circle still gets one pixel, so roots stay finite.
    m_radius = std::max(1, std::min(width, height) * 9 / 10);
    UpdateAxes();
}

void CPoleZeroPlot::ChooseAxes() {
    m_axes.SetQuantities(CPlotAxes::Quantity::REAL, CPlotAxes::Quantity::IMAGINARY);
}

void CPoleZeroPlot::UpdateAxes() {
    m_axes.SetPlane(m_centre, m_radius, InputRate(), CSize{m_width, m_height});
}

int CPoleZeroPlot::AddRoot(CPoint& point, Polynomial& c) const {
    const float radius = static_cast<float>(m_radius);
    const float re = static_cast<float>(point.x) / radius;
    const float im = static_cast<float>(point.y) / radius;
    if (point.y >= -CATCH_RADIUS && point.y <= CATCH_RADIUS) {
        point.y = 0;
        for (int k = MAX_COEFFICIENTS - 1; k >= 1; --k)
            c[k] -= re * c[k - 1];
        return 1;
    }
    const float p1 = -2.0f * re;
    const float p2 = re * re + im * im;
    for (int k = MAX_COEFFICIENTS - 1; k >= 2; --k)
        c[k] += p1 * c[k - 1] + p2 * c[k - 2];
    c[1] += p1 * c[0];
    return p2 == 0.0f ? 1 : 2;
}

CPoleZeroPlot::Outcome CPoleZeroPlot::Toggle(Roots& roots, CPoint client) const {
    const CPoint point{client.x - m_centre.x, client.y - m_centre.y};
    Roots changed = roots;
    const auto hit = std::find_if(changed.points.begin(), changed.points.end(),
                                  [point](CPoint root) { return Hits(root, point); });
    if (hit != changed.points.end()) {
        changed.points.erase(hit);
        Rebuild(changed, &roots == &m_zeros);
    } else {
        if (changed.count >= FULL_COUNT)
            return Outcome::IGNORED;
        CPoint placed = point;
        changed.count += AddRoot(placed, changed.polynomial);
        changed.points.push_back(placed);
    }
    if (!StaysFinite(changed.polynomial))
        return Outcome::REFUSED;
    roots = std::move(changed);
    return Outcome::CHANGED;
}

void CPoleZeroPlot::HandleClick(Roots& roots, CPoint client, const wchar_t* refusal) {
    switch (Toggle(roots, client)) {
    case Outcome::IGNORED:
        return;
    case Outcome::CHANGED:
        m_notice.clear();
        ApplyRoots();
        return;
    case Outcome::REFUSED:
        // The filter stays as it was, so what is heard still matches what is drawn.
        m_notice = refusal;
        RepaintNow();
        return;
    }
}

void CPoleZeroPlot::Rebuild(Roots& roots, bool scaleFree) const {
    roots.polynomial = Polynomial{1.0f};
    roots.count = 1;
    for (CPoint& point : roots.points) {
        roots.count += AddRoot(point, roots.polynomial);
        if (scaleFree)
            KeepNearOne(roots.polynomial);
    }
}

void CPoleZeroPlot::ApplyRoots() {
    m_filter.SetCoefficients(m_poles.polynomial.data(), m_poles.count, m_zeros.polynomial.data(),
                             m_zeros.count);
    NormalizeGain();
    // The stored numerator is the normalised one, so later roots multiply into it.
    std::copy_n(m_filter.GetNumerator(), std::min(m_filter.GetNumeratorCount(), m_zeros.count),
                m_zeros.polynomial.begin());
    Refilter();
}

void CPoleZeroPlot::OnLButtonUp(UINT flags, CPoint point) {
    if (TakeLeftRelease(flags, point))
        HandleClick(m_zeros, point, ZERO_REFUSED);
}

void CPoleZeroPlot::OnRButtonUp(UINT, CPoint point) {
    HandleClick(m_poles, point, POLE_REFUSED);
}

void CPoleZeroPlot::OnSize(int cx, int cy) {
    CAudioFilterPlot::OnSize(cx, cy);
    Layout(cx, cy);
}

void CPoleZeroPlot::OnPaint(CDC& dc) {
    const int width = GetClientRect().Width();
    const int height = GetClientRect().Height();
    const CPen axes(PS_SOLID, 1, RGB(0, 0, 0));
    const CPen* previous = dc.SelectPen(&axes);
    dc.MoveTo(0, height - 5);
    dc.LineTo(width, height - 5);
    dc.MoveTo(width / 2, 0);
    dc.LineTo(width / 2, height);
    const CPoint circleStart{width / 2 + m_radius, height - 5};
    dc.Arc(CRect{width / 2 - m_radius, height - 5 - m_radius, width / 2 + m_radius,
                 height - 5 + m_radius},
           circleStart, circleStart);
    const CPen cross(PS_SOLID, 1, POLE_COLOR);
    dc.SelectPen(&cross);
    for (const CPoint pole : m_poles.points) {
        const int x = m_centre.x + pole.x;
        const int y = m_centre.y + pole.y;
        dc.MoveTo(x - MARKER, y - MARKER);
        dc.LineTo(x + MARKER, y + MARKER);
        dc.MoveTo(x + MARKER, y - MARKER);
        dc.LineTo(x - MARKER, y + MARKER);
    }
    dc.SelectPen(&m_spectrumPen);
    for (const CPoint zero : m_zeros.points) {
        const int x = m_centre.x + zero.x;
        const int y = m_centre.y + zero.y;
        const CPoint start{x + MARKER, y};
        dc.Arc(CRect{x - MARKER, y - MARKER, x + MARKER, y + MARKER}, start, start);
    }
    dc.SelectPen(previous);
    if (!m_notice.empty()) {
        dc.SetBkMode(TRANSPARENT);
        dc.DrawText(m_notice, GetClientRect(), DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    }
    m_axes.DrawReadout(dc, GetClientRect());
}

} // namespace game
