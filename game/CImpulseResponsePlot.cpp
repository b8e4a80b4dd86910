#include "game/CImpulseResponsePlot.h"

#include "dsp/CImpulseResponse.h"
#include "game/CAudioFilterPlot.h"
#include "game/CGameContext.h"
#include "platform/CDC.h"
#include "platform/CPen.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cmath>

namespace game {

namespace {

constexpr COLORREF STEM_COLOR = RGB(0, 0, 200);
constexpr COLORREF ZERO_LINE_COLOR = RGB(160, 160, 160);
// The dot at a stem's tip reaches this far round it.
constexpr int TIP_RADIUS = 1;

} // namespace

CImpulseResponsePlot::CImpulseResponsePlot(CGameContext* context)
    : CSignalPlot(context, "impulse", L"MFCImpulseResponsePlot") {}

int CImpulseResponsePlot::ReadPlotXml(const tinyxml2::XMLElement& node) {
    node.QueryIntAttribute("samples", &m_count);
    m_count = std::clamp(m_count, MIN_SAMPLES, MAX_SAMPLES);
    m_axes.SetQuantities(CPlotAxes::Quantity::SAMPLE, CPlotAxes::Quantity::AMPLITUDE);
    return ERR_NONE;
}

int CImpulseResponsePlot::OnBound() {
    m_filter = CAudioFilterPlot::FilterMaking(*m_context, m_signal);
    if (m_filter != nullptr)
        return ERR_NONE;
    m_context->ReportFailure(m_id, L"Die Impulsantwort zeigt ein Filter: example_from muss ein "
                                   L"Filterelement (afilter, notch, polezero) nennen.");
    return ERR_UNKNOWN_ELEMENT;
}

void CImpulseResponsePlot::ComputeDisplay() {
    m_response = m_filter != nullptr ? dsp::CImpulseResponse::Compute(*m_filter, m_count)
                                     : std::vector<double>();
    m_top = 0.0;
    m_bottom = 0.0;
    for (const double h : m_response) {
        m_top = std::max(m_top, h);
        m_bottom = std::min(m_bottom, h);
    }
    if (!(m_top - m_bottom > 0.0))
        m_top = 1.0;
    // Sample n stands at the middle of its share of the width.
    const double samplesPerPixel = m_width > 0 ? static_cast<double>(m_count) / m_width : 1.0;
    const double rows = std::max(m_height - 2 * INSET, 1);
    m_axes.SetScales(CPlotAxes::Scale::Linear(0.5 / samplesPerPixel, samplesPerPixel),
                     CPlotAxes::Scale::Linear(RowOf(0.0), -(m_top - m_bottom) / rows),
                     CSize{m_width, m_height});
}

int CImpulseResponsePlot::ColumnOf(int n) const {
    return static_cast<int>((2.0 * n + 1.0) * m_width / (2.0 * m_count));
}

int CImpulseResponsePlot::RowOf(double value) const {
    const double rows = std::max(m_height - 2 * INSET, 1);
    return INSET + static_cast<int>(std::lround((m_top - value) / (m_top - m_bottom) * rows));
}

void CImpulseResponsePlot::DrawPlot(CDC& dc) {
    const int zero = RowOf(0.0);
    const CPen zeroLine(PS_SOLID, 1, ZERO_LINE_COLOR);
    const CPen* previous = dc.SelectPen(&zeroLine);
    dc.MoveTo(0, zero);
    dc.LineTo(m_width, zero);
    const CPen stem(PS_SOLID, 1, STEM_COLOR);
    dc.SelectPen(&stem);
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
