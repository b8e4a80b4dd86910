#include "game/CSpectrumPlot.h"

#include "dsp/CSignal.h"
#include "game/CGameContext.h"
#include "platform/CDC.h"
#include "platform/CWindowClasses.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

namespace game {

namespace {

const wchar_t* const WINDOW_CLASS = L"MFCSpectrumPlot";
// 1 / 15.5 in single precision: the log display spans 15.5 nepers of power, about 67 dB.
constexpr float PER_NEPER = 0.06451613f;

} // namespace

CSpectrumPlot::CSpectrumPlot(CGameContext* context) : CElement(context), m_signal(*this) {
    CWindowClasses::EnsureRegistered(WINDOW_CLASS);
}

CSpectrumPlot::~CSpectrumPlot() {
    DestroyWindow();
}

int CSpectrumPlot::ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) {
    if (const int result = ReadCellXml(node, area, style, "spectrum", WINDOW_CLASS);
        result != ERR_NONE)
        return result;
    const char* scale = node.Attribute("scale");
    m_logarithmic = scale != nullptr && std::strcmp(scale, "log") == 0;
    m_axes.SetQuantities(CPlotAxes::Quantity::FREQUENCY,
                         m_logarithmic ? CPlotAxes::Quantity::LEVEL : CPlotAxes::Quantity::NONE);
    if (const int result = ReadAxes(m_axes, node, area); result != ERR_NONE)
        return result;
    return ResolveSource(node);
}

int CSpectrumPlot::Prepare() {
    if (m_signal.IsBound())
        return ERR_NONE;
    const int bound = m_signal.Bind(*m_context, m_sourceId, *this);
    if (bound != ERR_NONE)
        return bound;
    if (!m_signal->EnsureSpectrum()) {
        m_signal.Unbind();
        return ERR_PREPARE_FFT;
    }
    m_signal.Listen();
    ComputeDisplay();
    return ERR_NONE;
}

float CSpectrumPlot::DisplayValue(float power, bool logarithmic) {
    if (!logarithmic)
        return std::sqrt(power);
    if (!(power > 0.0f))
        return 0.0f;
    return static_cast<float>((std::log(static_cast<double>(power)) + 15.0) * PER_NEPER);
}

int CSpectrumPlot::RowOf(float level, int height) {
    // Levels far above the plot (a filter output louder than its source) are held two heights
    // beyond the top edge: the pixels inside stay the same, and a line never has to be walked
    // for millions of rows nor a float cut beyond int. Below the plot there is nothing to
    // show but that the value is that low, so the bottom row takes it.
    const float h = static_cast<float>(height);
    const float scaled = std::fmin(std::fmax(h * level, -2.0f * h), 3.0f * h);
    return std::min(height - static_cast<int>(scaled), height - 1);
}

void CSpectrumPlot::ComputeDisplay() {
    m_envelope = CColumnEnvelope();
    m_envelopeHeight = m_height;
    m_signal.MarkSeen();
    if (!m_signal.IsBound() || !m_signal->GetSpectrum().Exists())
        return;
    const dsp::CSpectrum& spectrum = m_signal->GetSpectrum();
    const int bins = spectrum.GetBins();
    std::vector<float> levels;
    try {
        levels.resize(static_cast<std::size_t>(bins));
    } catch (const std::bad_alloc&) {
        return;
    }
    for (int k = 0; k < bins; ++k)
        levels[k] = DisplayValue(spectrum.GetPower()[k], m_logarithmic);
    const int height = m_height;
    m_envelope = CColumnEnvelope::Compute(levels.data(), bins, m_width,
                                          [height](float v) { return RowOf(v, height); });
    // The last bin lies on half the sample rate.
    const double binHz = bins > 1 ? m_signal->GetFormat().sampleRate / 2.0 / (bins - 1) : 0.0;
    m_axes.SetScales(CPlotAxes::Scale::Envelope(bins, m_width, binHz),
                     CPlotAxes::Scale::Decibel(m_height), CSize{m_width, m_height});
}

void CSpectrumPlot::OnPaint(CDC& dc) {
    if (m_envelope.Width() == 0 || m_signal.HasChanged())
        ComputeDisplay();
    const CPen* previous = dc.SelectPen(&m_pen);
    m_envelope.DrawMeanLine(dc);
    m_envelope.DrawColumns(dc);
    dc.SelectPen(previous);
    DrawMark(dc, GetClientRect());
    m_axes.DrawReadout(dc, GetClientRect());
    DrawFocus(dc);
}

bool CSpectrumPlot::OnEraseBkgnd(CDC& dc) {
    dc.FillSolidRect(GetClientRect(), RGB(255, 255, 255));
    return true;
}

void CSpectrumPlot::OnSize(int cx, int cy) {
    CElement::OnSize(cx, cy);
    m_width = cx;
    m_height = cy;
    // The rows depend on the height as well: a plot made only taller gets its curve remapped.
    if (m_width != m_envelope.Width() || m_height != m_envelopeHeight)
        ComputeDisplay();
}

LRESULT CSpectrumPlot::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != dsp::CSignal::UpdateMessage())
        return CElement::OnMessage(message, wParam, lParam);
    if (m_signal.IsUpdateOf(wParam)) {
        ComputeDisplay();
        Invalidate(true);
        UpdateWindow();
    }
    return 0;
}

} // namespace game
