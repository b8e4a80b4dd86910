#pragma once
// The "polezero" element: the player designs a filter in the z-plane. A left click adds a zero
// (a green circle), a right click a pole (a red cross); a click within 5 pixels of a root of
// that kind removes it. Complex roots come with their conjugates, so only the upper half plane
// is shown; a click within 5 pixels of the real axis places a real root. After every click the
// filter is rebuilt from its roots, normalised to a peak gain of 1 and the output re-filtered,
// so every plot and playback of the output follows at once. In a plot so small that a root far
// out would make the coefficients overflow, that click is refused and the plot says so.
//
// A left press on a root of either kind and a move of more than DRAG_START pixels drags it
// (its conjugate with it); the response and the output follow while the button is held, and a
// root dragged near the real axis snaps onto it. Ctrl+Z takes back the last click or drag, up
// to UNDO_DEPTH of them. A double click counts as one click.
//
// By keyboard, a cursor cross (shown while the plane has the focus by Tab, or once a key has
// used it) moves with the arrow keys, CURSOR_STEP pixels or with Shift CURSOR_LARGE_STEP; N
// there acts as a left click (a zero), P as a right click (a pole), and Delete removes the
// root nearest to it.
//
// A slide may give the design a target, a child <target zeros="1@180" poles="0.8"/> (see the
// README): then the element scores its points when the player's magnitude response is close
// to the target's, and once evaluated it draws the target's response over the player's, shows
// the target's roots and lets the player hear the own design and the target's in turn.

#include "game/CAudioFilterPlot.h"
#include "game/CListeningButtons.h"

#include <array>
#include <complex>
#include <cstddef>
#include <deque>
#include <optional>
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
    // A press on a root that moves farther than this (in pixels) drags it instead of clicking.
    static constexpr int DRAG_START = 3;
    static constexpr std::size_t UNDO_DEPTH = 50;
    static constexpr int CURSOR_STEP = 1;
    static constexpr int CURSOR_LARGE_STEP = 10;

    using Polynomial = std::array<float, MAX_COEFFICIENTS>;
    // How far the player's response may lie from the target's without tolerance_db: the RMS
    // of the level differences in dB, both normalised to their peak and floored at -40 dB.
    static constexpr double DEFAULT_TOLERANCE_DB = 3.0;

    explicit CPoleZeroPlot(CGameContext* context);

    int ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) override;
    std::wstring AccessibleName() const override { return L"Pol-Nullstellen-Diagramm"; }
    int Prepare() override;
    // With a target: all points when the design is within the tolerance, none otherwise.
    int GetPoints() override;
    void RevealAnswer() override;

    bool HasTarget() const { return m_target.has_value(); }
    // The target's roots of the upper half plane; empty without a target.
    std::vector<std::complex<double>> TargetRoots(bool poles) const {
        return m_target ? (poles ? m_target->poles : m_target->zeros)
                        : std::vector<std::complex<double>>{};
    }
    // The RMS level difference in dB between the player's response and the target's.
    double Deviation() const;

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
    // Where the keyboard's cursor stands, in client coordinates.
    CPoint GetCursor() const { return CPoint{m_centre.x + m_cursor.x, m_centre.y + m_cursor.y}; }
    int GetRadius() const { return m_radius; }

protected:
    void OnPaint(CDC& dc) override;
    void OnSize(int cx, int cy) override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnLButtonDblClk(UINT flags, CPoint point) override;
    void OnRButtonUp(UINT flags, CPoint point) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    bool OnKeyDown(UINT key, UINT flags) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCommand(UINT id) override;
    void ChooseAxes() override;
    void UpdateAxes() override;

private:
    // The roots of one kind, in pixels relative to the centre, and their polynomial.
    struct Roots {
        std::vector<CPoint> points;
        Polynomial polynomial{1.0f};
        int count = 1;
    };

    // What the player has made: the roots, and the filter heard, taken as it is (a design
    // without roots may be the slide's pass-through filter).
    struct Design {
        Roots zeros;
        Roots poles;
        std::vector<float> denominator, numerator;
    };

    // A left press on a root, which becomes a drag once the pointer has moved far enough.
    struct Drag {
        bool pole = false;
        std::size_t index = 0;
        CPoint press;
        CPoint latest;         // the newest pointer position, applied at the next update
        bool moving = false;   // moved farther than DRAG_START: the release is no click
        bool recorded = false; // the design before the drag is on the undo list
        Design before;
    };

    enum class Outcome { IGNORED, CHANGED, REFUSED };

    // The roots the slide names, as complex numbers of the upper half plane, and the filter
    // they make (conjugates included).
    struct Target {
        std::vector<std::complex<double>> zeros, poles;
        std::vector<float> numerator, denominator;
        double toleranceDb = DEFAULT_TOLERANCE_DB;
    };

    int ReadTarget(const tinyxml2::XMLElement& target);
    int RefuseTarget(int line, const std::wstring& why);
    // The two responses as the filter plots draw them, taken when the slide is evaluated.
    void ComputeAnswerCurves();
    void DrawTarget(CDC& dc) const;
    // The player's design or the target, refiltered in place.
    void Listen(bool target);

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

    // Starts a drag when the press hits a root the player may move.
    void BeginDrag(CPoint client);
    // The dragged root moved to the client point, unless the filter could not take it there.
    void MoveDraggedRoot(CPoint client);
    // The keyboard's cursor moved by dx, dy pixels, kept on the plot.
    void MoveCursor(int dx, int dy);
    // The root of either kind nearest to the cursor goes, as a click on it would take it.
    void RemoveNearestRoot();
    void DrawCursor(CDC& dc) const;
    Design Snapshot() const;
    void Remember(const Design& before);
    void Undo();

    Roots m_zeros;
    Roots m_poles;
    CPoint m_centre{0, 0};
    CPoint m_cursor{0, 0}; // relative to the centre, as the roots are
    // The player moved the cursor or set a root by key since the last click: the cursor shows
    // even where the focus came by a click.
    bool m_cursorUsed = false;
    int m_radius = 1;
    std::wstring m_notice; // why the last click was refused; drawn in the plot
    std::optional<Target> m_target;
    bool m_revealed = false;
    CListeningButtons m_listening;
    Curve m_playerCurve{};
    Curve m_targetCurve{};
    std::optional<Drag> m_drag;
    bool m_updatePosted = false;  // a drag update is on its way; later moves only move `latest`
    bool m_secondRelease = false; // the next left release ends a double click
    std::deque<Design> m_undo;    // the designs before the latest changes, newest last
};

} // namespace game
