#include "game/CPlotAxes.h"

#include "game/CColumnEnvelope.h"
#include "game/CGameContext.h"
#include "platform/CDC.h"
#include "platform/CText.h"

#include <tinyxml2.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numbers>

namespace game {

namespace {

// The labels are laid out before there is a device context to measure them with: the
// plots' font averages about this many pixels per character.
constexpr int LABEL_CHAR_WIDTH = 7;
constexpr int TEXT_HEIGHT = 14;
constexpr int TICK_LENGTH = 4;
constexpr int LABEL_GAP = 10;      // between two labels of the horizontal axis
constexpr int VERTICAL_SPACING = 18; // between two ticks of the vertical axis
constexpr int LEFT_LABELS = 50;
constexpr COLORREF AXIS_COLOR = RGB(0, 0, 0);
constexpr COLORREF READOUT_BACK = RGB(255, 255, 225);
constexpr COLORREF READOUT_EDGE = RGB(128, 128, 128);
constexpr const wchar_t* MINUS = L"\u2212";
// 10 / ln 10: dB of a power from its natural logarithm.
constexpr double DB_PER_NEPER = 4.342944819032518;

int Width(const std::wstring& text) { return static_cast<int>(text.size()) * LABEL_CHAR_WIDTH; }

bool ReadSwitch(const tinyxml2::XMLElement& node, const char* name, bool& value,
                CGameContext& context, int id) {
    const char* text = node.Attribute(name);
    if (text == nullptr)
        return true;
    if (std::strcmp(text, "0") == 0 || std::strcmp(text, "1") == 0) {
        value = text[0] == '1';
        return true;
    }
    context.ReportFailure(id, L"Zeile " + std::to_wstring(node.GetLineNum()) + L": " +
                                  CText::ToWide(name) + L"=\"" + CText::ToWide(text) +
                                  L"\" ist ungültig; erlaubt sind 0 (aus) und 1 (an).");
    return false;
}

} // namespace

CPlotAxes::Scale CPlotAxes::Scale::Envelope(int count, int columns, double unit) {
    Scale scale;
    scale.m_kind = Kind::ENVELOPE;
    scale.m_count = count;
    scale.m_pixels = columns;
    scale.m_unit = unit;
    return scale;
}

CPlotAxes::Scale CPlotAxes::Scale::Linear(double origin, double unitsPerPixel) {
    Scale scale;
    scale.m_origin = origin;
    scale.m_unit = unitsPerPixel;
    return scale;
}

CPlotAxes::Scale CPlotAxes::Scale::Decibel(int height) {
    Scale scale;
    scale.m_kind = Kind::DECIBEL;
    scale.m_pixels = height;
    return scale;
}

CPlotAxes::Scale CPlotAxes::Scale::ImageRows(int rows, int pixels, double unit) {
    Scale scale;
    scale.m_kind = Kind::ROWS;
    scale.m_count = rows;
    scale.m_pixels = pixels;
    scale.m_unit = unit;
    return scale;
}

double CPlotAxes::Scale::ValueAt(int pixel) const {
    switch (m_kind) {
    case Kind::ENVELOPE: {
        if (m_count <= 0 || m_pixels <= 0)
            return 0.0;
        const int k = m_count / m_pixels;
        const double index = k >= 4 ? pixel * k + (k - 1) / 2.0
                                    : (pixel + 0.5) * m_count / m_pixels;
        return std::clamp(index, 0.0, m_count - 1.0) * m_unit;
    }
    case Kind::DECIBEL: {
        const double level = m_pixels > 0 ? static_cast<double>(m_pixels - pixel) / m_pixels : 0.0;
        return (level * 15.5 - 15.0) * DB_PER_NEPER;
    }
    case Kind::ROWS: {
        if (m_count <= 0 || m_pixels <= 0)
            return 0.0;
        const int row = std::clamp(static_cast<int>((pixel + 0.5) * m_count / m_pixels), 0,
                                   m_count - 1);
        return (m_count - 1 - row) * m_unit;
    }
    case Kind::LINEAR:
        break;
    }
    return (pixel - m_origin) * m_unit;
}

std::optional<int> CPlotAxes::Scale::PixelOf(double value) const {
    switch (m_kind) {
    case Kind::ENVELOPE: {
        const long long index = std::llround(value / m_unit);
        if (index < 0 || index >= m_count)
            return std::nullopt;
        const int column =
            CColumnEnvelope::ColumnOfValue(static_cast<int>(index), m_count, m_pixels);
        return column >= 0 ? std::optional<int>(column) : std::nullopt;
    }
    case Kind::DECIBEL: {
        const double level = (value / DB_PER_NEPER + 15.0) / 15.5;
        return m_pixels - static_cast<int>(m_pixels * level);
    }
    case Kind::ROWS: {
        const long long row = m_count - 1 - std::llround(value / m_unit);
        if (row < 0 || row >= m_count)
            return std::nullopt;
        return static_cast<int>((row + 0.5) * m_pixels / m_count);
    }
    case Kind::LINEAR:
        break;
    }
    return static_cast<int>(std::lround(m_origin + value / m_unit));
}

bool CPlotAxes::ReadSlideSwitches(const tinyxml2::XMLElement& opt, CGameContext& context) {
    return ReadSwitch(opt, "axes", context.m_plotAxes, context, 0) &&
           ReadSwitch(opt, "readout", context.m_plotReadout, context, 0);
}

bool CPlotAxes::ReadSwitches(const tinyxml2::XMLElement& node, CGameContext& context, int id) {
    m_axes = context.m_plotAxes;
    m_readout = context.m_plotReadout;
    return ReadSwitch(node, "axes", m_axes, context, id) &&
           ReadSwitch(node, "readout", m_readout, context, id);
}

void CPlotAxes::SetQuantities(Quantity horizontal, Quantity vertical) {
    m_horizontalQuantity = horizontal;
    m_verticalQuantity = vertical;
}

CRect CPlotAxes::Margins() const {
    if (!m_axes)
        return CRect{0, 0, 0, 0};
    const bool vertical = m_verticalQuantity != Quantity::NONE;
    const bool horizontal = m_horizontalQuantity != Quantity::NONE;
    // Half a label sticks out beyond the first and the last tick.
    return CRect{vertical ? LEFT_LABELS : 2 * LABEL_CHAR_WIDTH, TEXT_HEIGHT / 2 + 1,
                 horizontal ? 3 * LABEL_CHAR_WIDTH : LABEL_CHAR_WIDTH,
                 horizontal ? TICK_LENGTH + TEXT_HEIGHT + 2 : TEXT_HEIGHT / 2};
}

void CPlotAxes::SetScales(const Scale& horizontal, const Scale& vertical, const CSize& plot) {
    m_horizontal = horizontal;
    m_vertical = vertical;
    m_plot = plot;
}

void CPlotAxes::SetPlane(CPoint centre, int radius, double sampleRate, const CSize& plot) {
    m_plane = true;
    m_centre = centre;
    m_radius = std::max(radius, 1);
    m_sampleRate = sampleRate;
    SetScales(Scale::Linear(centre.x, 1.0 / m_radius), Scale::Linear(centre.y, -1.0 / m_radius),
              plot);
}

std::vector<CPlotAxes::Tick> CPlotAxes::HorizontalTicks() const {
    return Ticks(m_horizontalQuantity, m_horizontal, m_plot.cx, true);
}

std::vector<CPlotAxes::Tick> CPlotAxes::VerticalTicks() const {
    return Ticks(m_verticalQuantity, m_vertical, m_plot.cy, false);
}

// The smallest round step (1, 2 or 5 times a power of ten) whose ticks leave room for their
// labels; the plane keeps its ticks at -1, 0 and 1.
std::vector<CPlotAxes::Tick> CPlotAxes::Ticks(Quantity quantity, const Scale& scale, int extent,
                                              bool horizontal) const {
    if (quantity == Quantity::NONE || extent <= 1)
        return {};
    const double a = scale.ValueAt(0);
    const double b = scale.ValueAt(extent - 1);
    const double low = std::min(a, b);
    const double high = std::max(a, b);
    const double range = high - low;
    if (!(range > 0.0) || !std::isfinite(range))
        return {};
    const bool plane = quantity == Quantity::REAL || quantity == Quantity::IMAGINARY;
    // No step below one tick per few pixels needs to be tried.
    const double smallest = range * VERTICAL_SPACING / 4.0 / extent;
    const double decade = std::pow(10.0, std::floor(std::log10(smallest)));
    // Samples are counted in whole steps.
    const double first = plane ? 1.0 : quantity == Quantity::SAMPLE ? std::max(decade, 1.0) : decade;
    for (double power = first; power < 1e4 * first; power *= 10.0) {
        for (const double mantissa : {1.0, 2.0, 5.0}) {
            const double step = mantissa * power;
            std::vector<Tick> ticks;
            int widest = 0;
            // The values at the pixels' middles leave out the edges' own half pixels: the
            // rounding of PixelOf decides whether a value just outside them is drawn.
            for (double n = std::floor(low / step); n <= std::ceil(high / step); ++n) {
                const double value = n * step;
                const std::optional<int> pixel = scale.PixelOf(value);
                if (!pixel || *pixel < 0 || *pixel >= extent)
                    continue;
                Tick tick{*pixel, Label(quantity, value, horizontal)};
                widest = std::max(widest, Width(tick.label));
                ticks.push_back(std::move(tick));
            }
            const double spacing = extent * step / range;
            const double needed = horizontal ? widest + LABEL_GAP : VERTICAL_SPACING;
            if (plane || spacing >= needed)
                return ticks;
        }
    }
    return {};
}

std::wstring CPlotAxes::Label(Quantity quantity, double value, bool horizontal) const {
    switch (quantity) {
    case Quantity::FREQUENCY: {
        const std::wstring unit = horizontal ? L"" : L"Hz";
        if (std::fabs(value) < 1000.0)
            return std::to_wstring(std::lround(value)) + (horizontal ? L"" : L" Hz");
        return Decimal(value / 1000.0, 1) + L" k" + unit;
    }
    case Quantity::TIME:
        return Decimal(value, 3) + L" s";
    case Quantity::LEVEL:
        return Decimal(value, 0) + L" dB";
    case Quantity::REAL:
    case Quantity::IMAGINARY:
    case Quantity::DELAY:
        return Decimal(value, 1);
    case Quantity::SAMPLE:
        return std::to_wstring(std::lround(value));
    case Quantity::AMPLITUDE:
        return Decimal(value, 2);
    case Quantity::PHASE:
        return Decimal(value, 1);
    case Quantity::NONE:
        break;
    }
    return {};
}

// Written digit by digit: printf would follow the locale, which Qt sets from the desktop.
std::wstring CPlotAxes::Decimal(double value, int decimals) {
    long long unit = 1;
    for (int d = 0; d < decimals; ++d)
        unit *= 10;
    const long long scaled = std::llround(std::fabs(value) * static_cast<double>(unit));
    std::wstring fraction = std::to_wstring(unit + scaled % unit).substr(1);
    while (!fraction.empty() && fraction.back() == L'0')
        fraction.pop_back();
    const std::wstring digits = std::to_wstring(scaled / unit);
    const std::wstring text = fraction.empty() ? digits : digits + L"," + fraction;
    return scaled != 0 && value < 0.0 ? MINUS + text : text;
}

std::wstring CPlotAxes::NoteName(double hz) {
    static constexpr std::array<const wchar_t*, 12> NAMES = {
        L"C", L"Cis", L"D", L"Dis", L"E", L"F", L"Fis", L"G", L"Gis", L"A", L"B", L"H"};
    // C0, the lowest note with a name here, is 57 semitones below A4.
    if (!(hz >= 16.0))
        return {};
    const long long semitone = std::llround(12.0 * std::log2(hz / 440.0)) + 57;
    return NAMES[static_cast<std::size_t>(semitone % 12)] + std::to_wstring(semitone / 12);
}

std::wstring CPlotAxes::FrequencyText(double hz) {
    std::wstring text = std::to_wstring(std::lround(hz)) + L" Hz";
    if (const std::wstring note = NoteName(hz); !note.empty())
        text += L" (" + note + L")";
    return text;
}

std::wstring CPlotAxes::ValueText(Quantity quantity, double value) const {
    switch (quantity) {
    case Quantity::FREQUENCY:
        return FrequencyText(std::max(value, 0.0));
    case Quantity::TIME:
        return Decimal(value, 3) + L" s";
    case Quantity::LEVEL:
        return Decimal(value, 1) + L" dB";
    case Quantity::SAMPLE:
        return L"n = " + std::to_wstring(std::lround(value));
    case Quantity::AMPLITUDE:
        return Decimal(value, 3);
    case Quantity::PHASE:
        return Decimal(value, 2) + L" rad";
    case Quantity::DELAY:
        return Decimal(value, 1) + L" Abtastwerte";
    default:
        return {};
    }
}

std::wstring CPlotAxes::ReadoutAt(CPoint point) const {
    if (m_plane)
        return PlaneReadout(point);
    std::wstring text = ValueText(m_horizontalQuantity, m_horizontal.ValueAt(point.x));
    const std::wstring vertical = ValueText(m_verticalQuantity, m_vertical.ValueAt(point.y));
    if (!vertical.empty())
        text += (text.empty() ? L"" : L", ") + vertical;
    return text;
}

std::wstring CPlotAxes::CurrentReadout() const {
    return m_readout && m_pointer ? ReadoutAt(*m_pointer) : std::wstring();
}

// Conjugate roots come in pairs, so a point stands for its angle either side of the axis.
std::wstring CPlotAxes::PlaneReadout(CPoint point) const {
    const double re = static_cast<double>(point.x - m_centre.x) / m_radius;
    const double im = static_cast<double>(m_centre.y - point.y) / m_radius;
    const double angle = std::fabs(std::atan2(im, re));
    return L"r = " + Decimal(std::hypot(re, im), 2) + L", " +
           std::to_wstring(std::lround(angle * 180.0 / std::numbers::pi)) + L"°, " +
           std::to_wstring(std::lround(angle / std::numbers::pi * m_sampleRate / 2.0)) + L" Hz";
}

bool CPlotAxes::TrackPointer(CPoint point) {
    if (!m_readout || m_pointer == point)
        return false;
    m_pointer = point;
    return true;
}

bool CPlotAxes::LosePointer() {
    const bool had = m_pointer.has_value();
    m_pointer.reset();
    return had;
}

void CPlotAxes::DrawAxes(CDC& dc, const CRect& client) const {
    if (!m_axes)
        return;
    const CRect margins = Margins();
    const CPen pen(PS_SOLID, 1, AXIS_COLOR);
    const CPen* previous = dc.SelectPen(&pen);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(AXIS_COLOR);
    if (m_horizontalQuantity != Quantity::NONE)
        DrawHorizontal(dc, client, margins);
    if (m_verticalQuantity != Quantity::NONE)
        DrawVertical(dc, client, margins);
    dc.SelectPen(previous);
}

void CPlotAxes::DrawHorizontal(CDC& dc, const CRect& client, const CRect& margins) const {
    const int y = margins.top + client.Height();
    const int right = margins.left + client.Width();
    dc.MoveTo(margins.left, y);
    dc.LineTo(right, y);
    // The unit stands at the right end; labels it would cover are left out.
    const wchar_t* unit = m_horizontalQuantity == Quantity::FREQUENCY ? L"Hz"
                          : m_horizontalQuantity == Quantity::REAL    ? L"Re"
                          : m_horizontalQuantity == Quantity::SAMPLE  ? L"n"
                                                                      : L"";
    const int unitLeft = right + margins.right - Width(unit);
    const CRect textRow{0, y + TICK_LENGTH, right + margins.right, y + TICK_LENGTH + TEXT_HEIGHT};
    dc.DrawText(unit, CRect{unitLeft, textRow.top, textRow.right, textRow.bottom},
                DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    int labelledUpTo = -1000;
    for (const Tick& tick : HorizontalTicks()) {
        const int x = margins.left + tick.pixel;
        dc.MoveTo(x, y);
        dc.LineTo(x, y + TICK_LENGTH);
        const int half = Width(tick.label) / 2;
        if (x - half < labelledUpTo + LABEL_CHAR_WIDTH || (*unit != 0 && x + half > unitLeft))
            continue;
        labelledUpTo = x + half;
        dc.DrawText(tick.label, CRect{x - half - LABEL_CHAR_WIDTH, textRow.top, x + half + LABEL_CHAR_WIDTH,
                                      textRow.bottom},
                    DT_CENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    }
}

void CPlotAxes::DrawVertical(CDC& dc, const CRect& client, const CRect& margins) const {
    const int x = margins.left - 1;
    dc.MoveTo(x, margins.top);
    dc.LineTo(x, margins.top + client.Height());
    // The unit stands above the labels.
    const wchar_t* unit = m_verticalQuantity == Quantity::IMAGINARY ? L"Im"
                          : m_verticalQuantity == Quantity::PHASE   ? L"rad"
                                                                    : L"";
    dc.DrawText(unit, CRect{0, 0, x - TICK_LENGTH - 2, TEXT_HEIGHT},
                DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    for (const Tick& tick : VerticalTicks()) {
        const int y = margins.top + tick.pixel;
        dc.MoveTo(x - TICK_LENGTH, y);
        dc.LineTo(x, y);
        dc.DrawText(tick.label,
                    CRect{0, y - TEXT_HEIGHT / 2, x - TICK_LENGTH - 2, y + TEXT_HEIGHT / 2 + 1},
                    DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    }
}

void CPlotAxes::DrawReadout(CDC& dc, const CRect& client) const {
    const std::wstring text = CurrentReadout();
    if (text.empty())
        return;
    const int width = std::min(Width(text) + 8, client.Width());
    // Beside the pointer, on the side where it fits, so it never hides the spot read.
    int left = m_pointer->x + 12;
    if (left + width > client.Width())
        left = m_pointer->x - 12 - width;
    left = std::clamp(left, 0, std::max(client.Width() - width, 0));
    const CRect box{left, 1, left + width, 1 + TEXT_HEIGHT + 2};
    dc.FillSolidRect(box, READOUT_EDGE);
    dc.FillSolidRect(CRect{box.left + 1, box.top + 1, box.right - 1, box.bottom - 1},
                     READOUT_BACK);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(0, 0, 0));
    dc.DrawText(text, CRect{box.left + 4, box.top, box.right, box.bottom},
                DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

} // namespace game
