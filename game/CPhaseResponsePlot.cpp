#include "game/CPhaseResponsePlot.h"

#include "dsp/CPhaseResponse.h"
#include "dsp/CSignal.h"
#include "game/CAudioFilterPlot.h"
#include "game/CGameContext.h"
#include "platform/CDC.h"
#include "platform/CPen.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cmath>

namespace game {

namespace {

constexpr COLORREF LINE_COLOR = RGB(200, 0, 0);
constexpr COLORREF ZERO_LINE_COLOR = RGB(160, 160, 160);

} // namespace

CPhaseResponsePlot::CPhaseResponsePlot(CGameContext* context)
    : CSignalPlot(context, "phase", L"MFCPhaseResponsePlot") {}

int CPhaseResponsePlot::ReadPlotXml(const tinyxml2::XMLElement& node) {
    m_delay = node.IntAttribute("delay", 0) == 1;
    m_axes.SetQuantities(CPlotAxes::Quantity::FREQUENCY, m_delay ? CPlotAxes::Quantity::DELAY
                                                                 : CPlotAxes::Quantity::PHASE);
    return ERR_NONE;
}

int CPhaseResponsePlot::OnBound() {
    m_filter = CAudioFilterPlot::FilterMaking(*m_context, m_signal);
    if (m_filter != nullptr)
        return ERR_NONE;
    m_context->ReportFailure(m_id, L"Der Phasengang zeigt ein Filter: example_from muss ein "
                                   L"Filterelement (afilter, notch, polezero) nennen.");
    return ERR_UNKNOWN_ELEMENT;
}

void CPhaseResponsePlot::ComputeDisplay() {
    m_values.clear();
    if (m_filter == nullptr || m_width <= 0)
        return;
    const int perColumn = std::clamp(MAX_FREQUENCIES / m_width, 1, SAMPLES_PER_COLUMN);
    const int count = perColumn * m_width + 1;
    const std::vector<double> all = m_delay ? dsp::CPhaseResponse::GroupDelay(*m_filter, count)
                                            : dsp::CPhaseResponse::Phase(*m_filter, count);
    m_top = 0.0;
    m_bottom = 0.0;
    for (int x = 0; x < m_width; ++x) {
        const double value = std::clamp(all[static_cast<std::size_t>(perColumn) * x], -MAX_DELAY, MAX_DELAY);
        m_values.push_back(value);
        m_top = std::max(m_top, value);
        m_bottom = std::min(m_bottom, value);
    }
    // A line that hardly moves (an all-pass of small delay) is not blown up to the full height.
    const double pad = std::max(0.0, 1.0 - (m_top - m_bottom)) / 2.0;
    m_top += pad;
    m_bottom -= pad;
    const double columnHz = m_signal->GetFormat().sampleRate / 2.0 / m_width;
    const double rows = std::max(m_height - 2 * INSET, 1);
    m_axes.SetScales(CPlotAxes::Scale::Linear(0.0, columnHz),
                     CPlotAxes::Scale::Linear(RowOf(0.0), -(m_top - m_bottom) / rows),
                     CSize{m_width, m_height});
}

int CPhaseResponsePlot::RowOf(double value) const {
    const double rows = std::max(m_height - 2 * INSET, 1);
    return INSET + static_cast<int>(std::lround((m_top - value) / (m_top - m_bottom) * rows));
}

void CPhaseResponsePlot::DrawPlot(CDC& dc) {
    const CPen zeroLine(PS_SOLID, 1, ZERO_LINE_COLOR);
    const CPen* previous = dc.SelectPen(&zeroLine);
    dc.MoveTo(0, RowOf(0.0));
    dc.LineTo(m_width, RowOf(0.0));
    const CPen line(PS_SOLID, 1, LINE_COLOR);
    dc.SelectPen(&line);
    for (int x = 0; x < static_cast<int>(m_values.size()); ++x) {
        const int row = RowOf(m_values[x]);
        if (x == 0)
            dc.MoveTo(x, row);
        // The end point of a line is not drawn: the last column gets its own pixel.
        dc.LineTo(x, row);
    }
    if (!m_values.empty())
        dc.LineTo(static_cast<int>(m_values.size()), RowOf(m_values.back()));
    dc.SelectPen(previous);
}

} // namespace game
