#include "game/CImpulseResponsePlot.h"

#include "dsp/CImpulseResponse.h"
#include "platform/CDC.h"
#include "platform/CPen.h"

#include <tinyxml2.h>

#include <algorithm>

namespace game {

namespace {

constexpr COLORREF STEM_COLOR = RGB(0, 0, 200);
// The dot at a stem's tip reaches this far round it.
constexpr int TIP_RADIUS = 1;

} // namespace

CImpulseResponsePlot::CImpulseResponsePlot(CGameContext* context)
    : CFilterResponsePlot(context, "impulse", L"MFCImpulseResponsePlot", L"Die Impulsantwort",
                          INSET) {}

int CImpulseResponsePlot::ReadPlotXml(const tinyxml2::XMLElement& node) {
    node.QueryIntAttribute("samples", &m_count);
    m_count = std::clamp(m_count, MIN_SAMPLES, MAX_SAMPLES);
    m_axes.SetQuantities(CPlotAxes::Quantity::SAMPLE, CPlotAxes::Quantity::AMPLITUDE);
    return ERR_NONE;
}

void CImpulseResponsePlot::ComputeDisplay() {
    m_response = m_filter != nullptr ? dsp::CImpulseResponse::Compute(*m_filter, m_count)
                                     : std::vector<double>();
    double top = 0.0;
    double bottom = 0.0;
    for (const double h : m_response) {
        top = std::max(top, h);
        bottom = std::min(bottom, h);
    }
    // Sample n stands at the middle of its share of the width.
    const double samplesPerPixel = m_width > 0 ? static_cast<double>(m_count) / m_width : 1.0;
    SetRange(bottom, top, CPlotAxes::Scale::Linear(0.5 / samplesPerPixel, samplesPerPixel));
}

int CImpulseResponsePlot::ColumnOf(int n) const {
    return static_cast<int>((2.0 * n + 1.0) * m_width / (2.0 * m_count));
}

void CImpulseResponsePlot::DrawPlot(CDC& dc) {
    DrawZeroLine(dc);
    const int zero = RowOf(0.0);
    const CPen stem(PS_SOLID, 1, STEM_COLOR);
    const CPen* previous = dc.SelectPen(&stem);
    for (int n = 0; n < static_cast<int>(m_response.size()); ++n) {
        const int x = ColumnOf(n);
        const int tip = RowOf(m_response[n]);
        dc.MoveTo(x, zero);
        dc.LineTo(x, tip);
        dc.FillSolidRect(CRect{x - TIP_RADIUS, tip - TIP_RADIUS, x + TIP_RADIUS + 1,
                               tip + TIP_RADIUS + 1},
                         STEM_COLOR);
    }
    dc.SelectPen(previous);
}

} // namespace game
