#include "game/CFilterResponsePlot.h"

#include "game/CAudioFilterPlot.h"
#include "game/CGameContext.h"
#include "platform/CDC.h"
#include "platform/CPen.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace game {

namespace {

constexpr COLORREF ZERO_LINE_COLOR = RGB(160, 160, 160);

} // namespace

CFilterResponsePlot::CFilterResponsePlot(CGameContext* context, const char* tag,
                                         const wchar_t* windowClass, const wchar_t* view,
                                         int inset)
    : CSignalPlot(context, tag, windowClass), m_view(view), m_inset(inset) {}

int CFilterResponsePlot::OnBound() {
    m_filter = CAudioFilterPlot::FilterMaking(*m_context, m_signal);
    if (m_filter != nullptr)
        return ERR_NONE;
    m_context->ReportFailure(m_id, std::wstring(m_view) +
                                       L" zeigt ein Filter: example_from muss ein "
                                       L"Filterelement (afilter, notch, polezero) nennen.");
    return ERR_UNKNOWN_ELEMENT;
}

void CFilterResponsePlot::SetRange(double bottom, double top, const CPlotAxes::Scale& horizontal) {
    m_bottom = bottom;
    m_top = top - bottom > 0.0 ? top : bottom + 1.0;
    const double rows = std::max(m_height - 2 * m_inset, 1);
    m_axes.SetScales(horizontal, CPlotAxes::Scale::Linear(RowOf(0.0), -(m_top - m_bottom) / rows),
                     CSize{m_width, m_height});
}

int CFilterResponsePlot::RowOf(double value) const {
    const double rows = std::max(m_height - 2 * m_inset, 1);
    return m_inset + static_cast<int>(std::lround((m_top - value) / (m_top - m_bottom) * rows));
}

void CFilterResponsePlot::DrawZeroLine(CDC& dc) const {
    const CPen zeroLine(PS_SOLID, 1, ZERO_LINE_COLOR);
    const CPen* previous = dc.SelectPen(&zeroLine);
    dc.MoveTo(0, RowOf(0.0));
    dc.LineTo(m_width, RowOf(0.0));
    dc.SelectPen(previous);
}

} // namespace game
