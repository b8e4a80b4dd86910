#pragma once
// The "polezero" element: the player designs a filter in the z-plane. A left click adds a zero
// (a green circle), a right click a pole (a red cross); a click within 5 pixels of a root of
// that kind removes it. Complex roots come with their conjugates, so only the upper half plane
// is shown; a click within 5 pixels of the real axis places a real root. After every click the
// filter is rebuilt from its roots, normalised to a peak gain of 1 and the output re-filtered,
// so every plot and playback of the output follows at once. In a plot so small that a root far
// out would make the coefficients overflow, that click is refused and the plot says so.

#include "game/CAudioFilterPlot.h"

#include <array>
#include <string>
#include <vector>

namespace game {

class CPoleZeroPlot : public CAudioFilterPlot {
public:
    // Coefficients a polynomial can hold; a click that could need more is ignored.
    static constexpr int MAX_COEFFICIENTS = 21;
    static constexpr int FULL_COUNT = 19;
    // Clicks closer than this (in pixels) to a root remove it; closer to the axis, a real root.
    static constexpr int CATCH_RADIUS = 5;

    using Polynomial = std::array<float, MAX_COEFFICIENTS>;

    explicit CPoleZeroPlot(CGameContext* context);

    int Prepare() override;

    // Multiplies the polynomial by the root's factor (and its conjugate's): the number of
    // coefficients added. A point within CATCH_RADIUS of the real axis is moved onto it.
    int AddRoot(CPoint& point, Polynomial& polynomial) const;

    const std::vector<CPoint>& GetZeros() const { return m_zeros.points; }
    const std::vector<CPoint>& GetPoles() const { return m_poles.points; }
    const Polynomial& GetNumerator() const { return m_zeros.polynomial; }
    const Polynomial& GetDenominator() const { return m_poles.polynomial; }
    int GetNumeratorCount() const { return m_zeros.count; }
    int GetDenominatorCount() const { return m_poles.count; }
    CPoint GetCentre() const { return m_centre; }
    int GetRadius() const { return m_radius; }

protected:
    void OnPaint(CDC& dc) override;
    void OnSize(int cx, int cy) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnRButtonUp(UINT flags, CPoint point) override;
    void ChooseAxes() override;
    void UpdateAxes() override;

private:
    // The roots of one kind, in pixels relative to the centre, and their polynomial.
    struct Roots {
        std::vector<CPoint> points;
        Polynomial polynomial{1.0f};
        int count = 1;
    };

    enum class Outcome { IGNORED, CHANGED, REFUSED };

    void Layout(int width, int height);
    // A click on the roots of one kind; refusal is the text shown when it is refused.
    void HandleClick(Roots& roots, CPoint client, const wchar_t* refusal);
    // Adds a root at the client point or removes the one it hits. IGNORED when the polynomial
    // is full; REFUSED, the roots unchanged, when the new polynomial could overflow (poles far
    // outside the circle of a small plot).
    Outcome Toggle(Roots& roots, CPoint client) const;
    // The polynomial anew from the points. scaleFree: only the ratios of the coefficients
    // matter (the numerator is normalised after every change), so they are kept within float.
    void Rebuild(Roots& roots, bool scaleFree) const;
    // The filter from both polynomials, normalised, then heard and seen.
    void ApplyRoots();

    Roots m_zeros;
    Roots m_poles;
    CPoint m_centre{0, 0};
    int m_radius = 1;
    std::wstring m_notice; // why the last click was refused; drawn in the plot

};

} // namespace game
