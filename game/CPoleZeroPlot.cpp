#include "game/CPoleZeroPlot.h"

#include "game/CGameContext.h"
#include "platform/CDC.h"
#include "platform/CText.h"
#include "platform/CWindowMessages.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <utility>

namespace game {

namespace {

constexpr COLORREF POLE_COLOR = RGB(200, 0, 0);
constexpr int MARKER = 5;     // half the size of a marker in pixels
constexpr int CURSOR_ARM = 7; // the keyboard cursor's cross reaches this far from its centre
constexpr int AXIS_ROW = 5;   // the real axis lies this many pixels above the bottom edge

// Posted to the plot itself while a root is dragged: the newest position is applied once per
// turn of the event loop, however many moves arrived meanwhile.
UINT DragUpdateMessage() {
    static const UINT message = CWindowMessages::Register("UWM_POLEZERO_DRAG_UPDATE");
    return message;
}

const wchar_t* const ZERO_REFUSED =
    L"Abgelehnt: mit diesen Nullstellen so weit außen liefe der Filter über.";
const wchar_t* const POLE_REFUSED =
    L"Abgelehnt: mit diesen Polen so weit außen liefe der Filter über.";

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

constexpr double PI = 3.14159265358979323846;
constexpr COLORREF ANSWER_COLOR = RGB(0, 0, 255);
constexpr int TARGET_MARKER = 8; // the target's markers stand larger than the player's
constexpr int CURVE_DASH = 3;    // curve segments drawn, then CURVE_GAP left out
constexpr int CURVE_GAP = 2;
constexpr double LARGEST_ROOT = 2.0;
constexpr int RESPONSE_POINTS = 256;
constexpr double FLOOR_DB = -40.0;

// The coefficients of the product of (1 - r z^-1) over the roots and their conjugates.
std::vector<float> FromRoots(const std::vector<std::complex<double>>& roots) {
    std::vector<std::complex<double>> c{1.0};
    const auto multiply = [&c](std::complex<double> r) {
        c.push_back(0.0);
        for (std::size_t k = c.size() - 1; k >= 1; --k)
            c[k] -= r * c[k - 1];
    };
    for (const auto& r : roots) {
        multiply(r);
        if (r.imag() != 0.0)
            multiply(std::conj(r));
    }
    std::vector<float> real;
    for (const auto& v : c)
        real.push_back(static_cast<float>(v.real()));
    return real;
}

// Levels in dB over the frequencies from 0 to half the sampling rate, the peak at 0 dB.
std::vector<double> LevelsDb(const float* b, int nb, const float* a, int na) {
    const auto at = [](const float* c, int n, double omega) {
        std::complex<double> sum = 0.0;
        for (int k = 0; k < n; ++k)
            sum += static_cast<double>(c[k]) * std::polar(1.0, -omega * k);
        return std::abs(sum);
    };
    std::vector<double> levels(RESPONSE_POINTS);
    double peak = 0.0;
    for (int i = 0; i < RESPONSE_POINTS; ++i) {
        const double omega = PI * (i + 0.5) / RESPONSE_POINTS;
        const double denominator = at(a, na, omega);
        levels[i] = denominator > 0.0 ? at(b, nb, omega) / denominator : HUGE_VAL;
        if (std::isfinite(levels[i]))
            peak = std::max(peak, levels[i]);
    }
    for (double& level : levels)
        level = peak > 0.0 && std::isfinite(level)
                    ? std::max(FLOOR_DB, 20.0 * std::log10(std::max(level / peak, 1e-12)))
                    : 0.0;
    return levels;
}

// One root as written: a real number ("-1", "0.8") or radius@angle in degrees ("0.9@45").
bool ParseRoot(std::string_view token, std::complex<double>& root) {
    const auto number = [](std::string_view text, double& value) {
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        return error == std::errc{} && end == text.data() + text.size() && std::isfinite(value);
    };
    const std::size_t at = token.find('@');
    if (at == std::string_view::npos) {
        double x = 0.0;
        if (!number(token, x) || std::fabs(x) > LARGEST_ROOT)
            return false;
        root = x;
        return true;
    }
    double radius = 0.0, degrees = 0.0;
    if (!number(token.substr(0, at), radius) || !number(token.substr(at + 1), degrees) ||
        radius < 0.0 || radius > LARGEST_ROOT || degrees < 0.0 || degrees > 180.0)
        return false;
    root = degrees == 0.0 || degrees == 180.0
               ? std::complex<double>(degrees == 0.0 ? radius : -radius)
               : std::polar(radius, degrees * PI / 180.0);
    return true;
}

// The roots of an attribute, separated by spaces or commas; false with the token at fault.
bool ParseRoots(const char* text, std::vector<std::complex<double>>& roots, std::string& bad) {
    const std::string_view all = text != nullptr ? text : "";
    std::size_t pos = 0;
    while ((pos = all.find_first_not_of(" ,\t\n\r", pos)) != std::string_view::npos) {
        const std::size_t end = std::min(all.find_first_of(" ,\t\n\r", pos), all.size());
        std::complex<double> root;
        if (!ParseRoot(all.substr(pos, end - pos), root)) {
            bad = std::string(all.substr(pos, end - pos));
            return false;
        }
        roots.push_back(root);
        pos = end;
    }
    return true;
}

std::wstring Decibels(double db) {
    std::wstring text = std::to_wstring(std::lround(db * 10.0) / 10) + L"," +
                        std::to_wstring(std::abs(std::lround(db * 10.0) % 10));
    return text + L" dB";
}

bool Hits(CPoint root, CPoint click) {
    const long long dx = root.x - click.x;
    const long long dy = root.y - click.y;
    return dx * dx + dy * dy < CPoleZeroPlot::CATCH_RADIUS * CPoleZeroPlot::CATCH_RADIUS;
}

} // namespace

CPoleZeroPlot::CPoleZeroPlot(CGameContext* context) : CAudioFilterPlot(context) {
    // A click or Tab gives the plot the keyboard, so Ctrl+Z and the cursor keys reach it.
    AcceptKeys();
}

int CPoleZeroPlot::ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) {
    if (const int result = CAudioFilterPlot::ReadXml(node, area, style); result != ERR_NONE)
        return result;
    HideResponse(); // the plane is drawn instead
    const tinyxml2::XMLElement* target = node.FirstChildElement("target");
    return target != nullptr ? ReadTarget(*target) : ERR_NONE;
}

int CPoleZeroPlot::RefuseTarget(int line, const std::wstring& why) {
    m_context->ReportFailure(m_id, L"Das Ziel in Zeile " + std::to_wstring(line) + L" " + why);
    return ERR_UNKNOWN_ELEMENT;
}

int CPoleZeroPlot::ReadTarget(const tinyxml2::XMLElement& node) {
    Target target;
    const int line = node.GetLineNum();
    for (auto [name, roots] : {std::pair{"zeros", &target.zeros}, {"poles", &target.poles}}) {
        std::string bad;
        if (!ParseRoots(node.Attribute(name), *roots, bad))
            return RefuseTarget(line, L"nennt in „" + CText::ToWide(name) + L"“ die Stelle „" +
                                          CText::ToWide(bad) +
                                          L"“; erwartet sind Zahlen wie -1 oder 0.9@45 (Radius "
                                          L"bis 2, Winkel 0 bis 180 Grad).");
    }
    target.numerator = FromRoots(target.zeros);
    target.denominator = FromRoots(target.poles);
    if (target.zeros.empty() && target.poles.empty())
        return RefuseTarget(line, L"nennt weder Nullstellen noch Pole.");
    if (static_cast<int>(std::max(target.numerator.size(), target.denominator.size())) > FULL_COUNT)
        return RefuseTarget(line, L"hat mehr Nullstellen oder Pole, als der Spieler setzen kann.");
    if (const char* tolerance = node.Attribute("tolerance_db")) {
        const std::string_view text = tolerance;
        const auto [end, error] =
            std::from_chars(text.data(), text.data() + text.size(), target.toleranceDb);
        if (error != std::errc{} || end != text.data() + text.size() ||
            !(target.toleranceDb >= 0.0 && target.toleranceDb <= -FLOOR_DB))
            return RefuseTarget(line, L"hat die Toleranz „" + CText::ToWide(tolerance) +
                                          L"“; erwartet ist eine Zahl von 0 bis 40 dB.");
    }
    m_target = std::move(target);
    return ERR_NONE;
}

double CPoleZeroPlot::Deviation() const {
    if (!m_target)
        return 0.0;
    const std::vector<double> mine = LevelsDb(m_zeros.polynomial.data(), m_zeros.count,
                                              m_poles.polynomial.data(), m_poles.count);
    const std::vector<double> wanted =
        LevelsDb(m_target->numerator.data(), static_cast<int>(m_target->numerator.size()),
                 m_target->denominator.data(), static_cast<int>(m_target->denominator.size()));
    double sum = 0.0;
    for (std::size_t i = 0; i < mine.size(); ++i)
        sum += (mine[i] - wanted[i]) * (mine[i] - wanted[i]);
    return std::sqrt(sum / static_cast<double>(mine.size()));
}

int CPoleZeroPlot::GetPoints() {
    if (!m_target)
        return CAudioFilterPlot::GetPoints();
    return Deviation() <= m_target->toleranceDb ? m_points : 0;
}

void CPoleZeroPlot::RevealAnswer() {
    if (!m_target || m_revealed)
        return;
    m_revealed = true;
    ComputeAnswerCurves();
    if (HasWindow()) {
        // Above the circle's right end, where a design has no root it could hide.
        m_listening.Create(*this, &m_context->m_tooltipFont, CListeningButtons::ECorner::TopRight);
        RepaintNow();
    }
}

void CPoleZeroPlot::OnCommand(UINT id) {
    if (!m_revealed || !CListeningButtons::IsButton(id)) {
        CAudioFilterPlot::OnCommand(id);
        return;
    }
    Listen(id == CListeningButtons::ID_RIGHT_SOLUTION);
}

void CPoleZeroPlot::Listen(bool target) {
    m_listening.Select(target);
    if (!target) {
        ApplyRoots();
        return;
    }
    m_filter.SetCoefficients(
        m_target->denominator.data(), static_cast<int>(m_target->denominator.size()),
        m_target->numerator.data(), static_cast<int>(m_target->numerator.size()));
    NormalizeGain();
    Refilter();
}

void CPoleZeroPlot::ComputeAnswerCurves() {
    std::array<bool, CURVE_POINTS> offPlot{};
    ComputeCurve(m_filter, m_playerCurve, offPlot);
    dsp::CFilter target;
    if (target.SetCoefficients(
            m_target->denominator.data(), static_cast<int>(m_target->denominator.size()),
            m_target->numerator.data(), static_cast<int>(m_target->numerator.size())))
        ComputeCurve(target, m_targetCurve, offPlot);
}

void CPoleZeroPlot::DrawTarget(CDC& dc) const {
    // The player's response solid in the design's red, the target's dashed over it.
    const CPen design(PS_SOLID, 1, POLE_COLOR);
    const CPen* previous = dc.SelectPen(&design);
    dc.Polyline(m_playerCurve.data(), CURVE_POINTS);
    const CPen pen(PS_SOLID, 1, ANSWER_COLOR);
    dc.SelectPen(&pen);
    for (int i = 0; i + 1 < CURVE_POINTS; ++i) {
        if (i % (CURVE_DASH + CURVE_GAP) >= CURVE_DASH)
            continue;
        dc.MoveTo(m_targetCurve[i].x, m_targetCurve[i].y);
        dc.LineTo(m_targetCurve[i + 1].x, m_targetCurve[i + 1].y);
    }
    const double radius = m_radius;
    const auto pixel = [&](std::complex<double> root) {
        return CPoint{m_centre.x + static_cast<int>(std::lround(root.real() * radius)),
                      m_centre.y - static_cast<int>(std::lround(std::fabs(root.imag()) * radius))};
    };
    // Upright crosses for the target's poles, large rings for its zeros: apart from the
    // player's diagonal crosses and small rings by shape, not only by colour.
    for (const auto& pole : m_target->poles) {
        const CPoint p = pixel(pole);
        dc.MoveTo(p.x - TARGET_MARKER, p.y);
        dc.LineTo(p.x + TARGET_MARKER + 1, p.y);
        dc.MoveTo(p.x, p.y - TARGET_MARKER);
        dc.LineTo(p.x, p.y + TARGET_MARKER + 1);
    }
    for (const auto& zero : m_target->zeros) {
        const CPoint p = pixel(zero);
        const CPoint start{p.x + TARGET_MARKER, p.y};
        dc.Arc(CRect{p.x - TARGET_MARKER, p.y - TARGET_MARKER, p.x + TARGET_MARKER,
                     p.y + TARGET_MARKER},
               start, start);
    }
    dc.SelectPen(previous);
    dc.SetTextColor(RGB(0, 0, 0));
    dc.SetBkMode(TRANSPARENT);
    dc.DrawText(L"Abweichung vom Ziel: " + Decibels(Deviation()) + L" (erlaubt: " +
                    Decibels(m_target->toleranceDb) + L")",
                CRect{3, 0, GetClientRect().right, GetClientRect().bottom},
                DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

int CPoleZeroPlot::Prepare() {
    Layout(m_width, m_height);
    return CAudioFilterPlot::Prepare();
}

void CPoleZeroPlot::Layout(int width, int height) {
    m_centre = CPoint{width / 2, height - AXIS_ROW};
    // Markers reach MARKER pixels left of and above a root and MARKER - 1 right of it: the
    // circle keeps that far from the border, so a root at -1, +1 or i is drawn whole. A plot
    // too small for a circle still gets one pixel, so roots stay finite.
    m_radius = std::max(1, std::min({std::min(width, height) * 9 / 10, m_centre.x - MARKER,
                                     width - MARKER - m_centre.x, m_centre.y - MARKER}));
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
    const Design before = Snapshot();
    switch (Toggle(roots, client)) {
    case Outcome::IGNORED:
        return;
    case Outcome::CHANGED:
        Remember(before);
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

void CPoleZeroPlot::BeginDrag(CPoint client) {
    // In another element's switch group a press starts drag-to-swap; once evaluated the
    // design stands.
    if (m_revealed || SwapsOnClick())
        return;
    const CPoint point{client.x - m_centre.x, client.y - m_centre.y};
    for (const bool pole : {false, true}) {
        const std::vector<CPoint>& points = (pole ? m_poles : m_zeros).points;
        const auto hit = std::find_if(points.begin(), points.end(),
                                      [point](CPoint root) { return Hits(root, point); });
        if (hit == points.end())
            continue;
        m_drag = Drag{
            pole,      static_cast<std::size_t>(hit - points.begin()), client, client, false, false,
            Snapshot()};
        return;
    }
}

void CPoleZeroPlot::MoveDraggedRoot(CPoint client) {
    Roots& roots = m_drag->pole ? m_poles : m_zeros;
    Roots moved = roots;
    moved.points[m_drag->index] = CPoint{client.x - m_centre.x, client.y - m_centre.y};
    Rebuild(moved, !m_drag->pole);
    // A real root pulled off the axis becomes a pair: no more coefficients than clicks allow.
    if (moved.count > FULL_COUNT + 1 || moved.points == roots.points)
        return;
    if (!StaysFinite(moved.polynomial)) {
        // The root stays where the filter could still take it, heard as drawn.
        m_notice = m_drag->pole ? POLE_REFUSED : ZERO_REFUSED;
        RepaintNow();
        return;
    }
    if (!std::exchange(m_drag->recorded, true))
        Remember(m_drag->before);
    roots = std::move(moved);
    m_notice.clear();
    ApplyRoots();
}

CPoleZeroPlot::Design CPoleZeroPlot::Snapshot() const {
    const float* a = m_filter.GetDenominator();
    const float* b = m_filter.GetNumerator();
    return Design{m_zeros,
                  m_poles,
                  {a, a + m_filter.GetDenominatorCount()},
                  {b, b + m_filter.GetNumeratorCount()}};
}

void CPoleZeroPlot::Remember(const Design& before) {
    m_undo.push_back(before);
    if (m_undo.size() > UNDO_DEPTH)
        m_undo.pop_front();
}

void CPoleZeroPlot::Undo() {
    if (m_revealed || m_undo.empty())
        return;
    m_drag.reset();
    const Design& design = m_undo.back();
    m_zeros = design.zeros;
    m_poles = design.poles;
    // The filter as it was, not made anew from the roots: normalising again could change the
    // last bits of the numerator, and the design would not be the one taken back.
    m_filter.SetCoefficients(design.denominator.data(), static_cast<int>(design.denominator.size()),
                             design.numerator.data(), static_cast<int>(design.numerator.size()));
    m_undo.pop_back();
    m_notice.clear();
    Refilter();
}

void CPoleZeroPlot::OnLButtonDown(UINT flags, CPoint point) {
    CAudioFilterPlot::OnLButtonDown(flags, point);
    m_cursorUsed = false;
    m_secondRelease = false;
    m_updatePosted = false; // a window made anew drops what was posted to the old one
    m_drag.reset();
    BeginDrag(point);
}

void CPoleZeroPlot::OnLButtonDblClk(UINT flags, CPoint point) {
    CAudioFilterPlot::OnLButtonDblClk(flags, point);
    // The first click of the pair has done its work; its twin would take it back.
    m_secondRelease = true;
}

void CPoleZeroPlot::OnMouseMove(UINT flags, CPoint point) {
    CAudioFilterPlot::OnMouseMove(flags, point);
    if (!m_drag)
        return;
    // Released outside the plot: the drag ended where the root was last moved.
    if ((flags & MK_LBUTTON) == 0) {
        m_drag.reset();
        return;
    }
    m_drag->latest = point;
    const long long dx = point.x - m_drag->press.x;
    const long long dy = point.y - m_drag->press.y;
    m_drag->moving = m_drag->moving || dx * dx + dy * dy > DRAG_START * DRAG_START;
    if (m_drag->moving && !m_updatePosted)
        m_updatePosted = PostMessage(DragUpdateMessage(), 0, 0);
}

LRESULT CPoleZeroPlot::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != DragUpdateMessage())
        return CAudioFilterPlot::OnMessage(message, wParam, lParam);
    m_updatePosted = false;
    if (m_drag && m_drag->moving && !m_revealed)
        MoveDraggedRoot(m_drag->latest);
    return 0;
}

bool CPoleZeroPlot::OnKeyDown(UINT key, UINT flags) {
    if (key == 'Z' && flags == MK_CONTROL) {
        Undo();
        return true;
    }
    // A panel to swap takes no roots: its keys are the table's.
    if (SwapsOnClick() || (flags & ~MK_SHIFT) != 0)
        return CAudioFilterPlot::OnKeyDown(key, flags);
    const int step = (flags & MK_SHIFT) != 0 ? CURSOR_LARGE_STEP : CURSOR_STEP;
    m_cursorUsed = m_cursorUsed || key == VK_LEFT || key == VK_RIGHT || key == VK_UP ||
                   key == VK_DOWN || key == 'N' || key == 'P' || key == VK_DELETE;
    switch (key) {
    case VK_LEFT:
        MoveCursor(-step, 0);
        return true;
    case VK_RIGHT:
        MoveCursor(step, 0);
        return true;
    case VK_UP:
        MoveCursor(0, -step);
        return true;
    case VK_DOWN:
        MoveCursor(0, step);
        return true;
    default:
        break;
    }
    if (flags != 0 || (key != 'N' && key != 'P' && key != VK_DELETE))
        return CAudioFilterPlot::OnKeyDown(key, flags);
    // Once evaluated the design stands, as it does against clicks.
    if (m_revealed)
        return true;
    m_drag.reset();
    if (key == VK_DELETE)
        RemoveNearestRoot();
    else if (key == 'N')
        HandleClick(m_zeros, GetCursor(), ZERO_REFUSED);
    else
        HandleClick(m_poles, GetCursor(), POLE_REFUSED);
    return true;
}

void CPoleZeroPlot::MoveCursor(int dx, int dy) {
    const CRect client = GetClientRect();
    m_cursor.x = std::clamp(m_cursor.x + dx, -m_centre.x, client.Width() - 1 - m_centre.x);
    m_cursor.y = std::clamp(m_cursor.y + dy, -m_centre.y, client.Height() - 1 - m_centre.y);
    Invalidate(true);
}

void CPoleZeroPlot::RemoveNearestRoot() {
    Roots* nearestKind = nullptr;
    CPoint nearest{0, 0};
    long long best = 0;
    for (Roots* roots : {&m_zeros, &m_poles})
        for (const CPoint root : roots->points) {
            const long long dx = root.x - m_cursor.x;
            const long long dy = root.y - m_cursor.y;
            if (nearestKind == nullptr || dx * dx + dy * dy < best)
                nearestKind = roots, nearest = root, best = dx * dx + dy * dy;
        }
    if (nearestKind == nullptr)
        return;
    const bool zero = nearestKind == &m_zeros;
    HandleClick(*nearestKind, CPoint{m_centre.x + nearest.x, m_centre.y + nearest.y},
                zero ? ZERO_REFUSED : POLE_REFUSED);
}

// Black on a white outline, so the cross shows over the circle, the axes and every root.
void CPoleZeroPlot::DrawCursor(CDC& dc) const {
    if (!HasFocus() || !(m_cursorUsed || ShowsFocusCue()) || SwapsOnClick())
        return;
    const CPoint at = GetCursor();
    dc.FillSolidRect(at.x - CURSOR_ARM - 1, at.y - 1, 2 * CURSOR_ARM + 3, 3, RGB(255, 255, 255));
    dc.FillSolidRect(at.x - 1, at.y - CURSOR_ARM - 1, 3, 2 * CURSOR_ARM + 3, RGB(255, 255, 255));
    dc.FillSolidRect(at.x - CURSOR_ARM, at.y, 2 * CURSOR_ARM + 1, 1, RGB(0, 0, 0));
    dc.FillSolidRect(at.x, at.y - CURSOR_ARM, 1, 2 * CURSOR_ARM + 1, RGB(0, 0, 0));
}

void CPoleZeroPlot::OnLButtonUp(UINT flags, CPoint point) {
    if (!TakeLeftRelease(flags, point) || std::exchange(m_secondRelease, false))
        return;
    if (m_drag && m_drag->moving) {
        // The release puts the root at its final place at once, without waiting for an update.
        if (!m_revealed)
            MoveDraggedRoot(point);
        m_drag.reset();
        return;
    }
    m_drag.reset();
    if (!m_revealed)
        HandleClick(m_zeros, point, ZERO_REFUSED);
}

void CPoleZeroPlot::OnRButtonUp(UINT, CPoint point) {
    // Once evaluated the design stands, as the answer given.
    if (!m_revealed)
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
    dc.MoveTo(0, m_centre.y);
    dc.LineTo(width, m_centre.y);
    dc.MoveTo(m_centre.x, 0);
    dc.LineTo(m_centre.x, height);
    const CPoint circleStart{m_centre.x + m_radius, m_centre.y};
    dc.Arc(CRect{m_centre.x - m_radius, m_centre.y - m_radius, m_centre.x + m_radius,
                 m_centre.y + m_radius},
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
    // Once evaluated, the refusal of an earlier click is no longer of interest.
    if (!m_notice.empty() && !m_revealed) {
        dc.SetBkMode(TRANSPARENT);
        dc.DrawText(m_notice, GetClientRect(), DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    }
    if (m_revealed)
        DrawTarget(dc);
    DrawCursor(dc);
    m_axes.DrawReadout(dc, GetClientRect());
    DrawFocus(dc);
}

} // namespace game
