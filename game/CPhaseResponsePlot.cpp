#include "game/CPhaseResponsePlot.h"

#include "dsp/CPhaseResponse.h"
#include "dsp/CSignal.h"
#include "platform/CDC.h"
#include "platform/CPen.h"

#include <tinyxml2.h>

#include <algorithm>

namespace game {

namespace {

constexpr COLORREF LINE_COLOR = RGB(200, 0, 0);

} // namespace

CPhaseResponsePlot::CPhaseResponsePlot(CGameContext* context)
    : CFilterResponsePlot(context, "phase", L"MFCPhaseResponsePlot", L"Der Phasengang", INSET) {}

int CPhaseResponsePlot::ReadPlotXml(const tinyxml2::XMLElement& node) {
    m_delay = node.IntAttribute("delay", 0) == 1;
    m_axes.SetQuantities(CPlotAxes::Quantity::FREQUENCY, m_delay ? CPlotAxes::Quantity::DELAY
                                                                 : CPlotAxes::Quantity::PHASE);
    return ERR_NONE;
}

void CPhaseResponsePlot::ComputeDisplay() {
    m_values.clear();
    if (m_filter == nullptr || m_width <= 0)
        return;
    const int perColumn = std::clamp(MAX_FREQUENCIES / m_width, 1, SAMPLES_PER_COLUMN);
    const int count = perColumn * m_width + 1;
    const std::vector<double> all = m_delay ? dsp::CPhaseResponse::GroupDelay(*m_filter, count)
                                            : dsp::CPhaseResponse::Phase(*m_filter, count);
    double top = 0.0;
    double bottom = 0.0;
    for (int x = 0; x < m_width; ++x) {
        const double value = std::clamp(all[static_cast<std::size_t>(perColumn) * x], -MAX_DELAY, MAX_DELAY);
        m_values.push_back(value);
        top = std::max(top, value);
        bottom = std::min(bottom, value);
    }
    // A line that hardly moves (an all-pass of small delay) is not blown up to the full height.
    const double pad = std::max(0.0, 1.0 - (top - bottom)) / 2.0;
    const double columnHz = m_signal->GetFormat().sampleRate / 2.0 / m_width;
    SetRange(bottom - pad, top + pad, CPlotAxes::Scale::Linear(0.0, columnHz));
}

void CPhaseResponsePlot::DrawPlot(CDC& dc) {
    DrawZeroLine(dc);
    const CPen line(PS_SOLID, 1, LINE_COLOR);
    const CPen* previous = dc.SelectPen(&line);
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
