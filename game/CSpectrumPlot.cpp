#include "game/CSpectrumPlot.h"

#include "dsp/CSignal.h"
#include "game/CGameContext.h"
#include "platform/CDC.h"

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

CSpectrumPlot::CSpectrumPlot(CGameContext* context)
    : CSignalPlot(context, "spectrum", WINDOW_CLASS) {}

int CSpectrumPlot::ReadPlotXml(const tinyxml2::XMLElement& node) {
    const char* scale = node.Attribute("scale");
    m_logarithmic = scale != nullptr && std::strcmp(scale, "log") == 0;
    m_axes.SetQuantities(CPlotAxes::Quantity::FREQUENCY,
                         m_logarithmic ? CPlotAxes::Quantity::LEVEL : CPlotAxes::Quantity::NONE);
    return ERR_NONE;
}

int CSpectrumPlot::OnBound() {
    return m_signal->EnsureSpectrum() ? ERR_NONE : ERR_PREPARE_FFT;
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
    if (!IsBound() || !m_signal->GetSpectrum().Exists())
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

void CSpectrumPlot::DrawPlot(CDC& dc) {
    const CPen* previous = dc.SelectPen(&m_pen);
    m_envelope.DrawMeanLine(dc);
    m_envelope.DrawColumns(dc);
    dc.SelectPen(previous);
}

} // namespace game
