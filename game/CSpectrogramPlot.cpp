#include "game/CSpectrogramPlot.h"

#include "dsp/CSignal.h"
#include "dsp/CSpectrogram.h"
#include "game/CSpectrogramImage.h"
#include "platform/CDC.h"

#include <tinyxml2.h>

namespace game {

CSpectrogramPlot::CSpectrogramPlot(CGameContext* context)
    : CSignalPlot(context, "spectrogram", L"MFCSpectrogramPlot") {}

int CSpectrogramPlot::ReadPlotXml(const tinyxml2::XMLElement& node) {
    node.QueryIntAttribute("fmax", &m_fmax);
    m_axes.SetQuantities(CPlotAxes::Quantity::TIME, CPlotAxes::Quantity::FREQUENCY);
    return ERR_NONE;
}

int CSpectrogramPlot::OnBound() {
    return m_signal->EnsureSpectrogram() ? ERR_NONE : ERR_PREPARE_STFT;
}

int CSpectrogramPlot::CreateElementWindow(CWnd* parent, UINT id) {
    const int result = CElement::CreateElementWindow(parent, id);
    if (result == ERR_NONE)
        Recompute();
    return result;
}

void CSpectrogramPlot::ComputeDisplay() {
    m_image.Release();
    if (!IsBound() || !HasWindow())
        return;
    CSpectrogramImage::Render(m_signal->GetSpectrogram(), m_signal->GetFormat().sampleRate, m_fmax,
                              m_image);
    UpdateScales();
}

// Frame t starts at sample t x hop; image row r from the bottom holds bin r, of
// rate / window length Hz each.
void CSpectrogramPlot::UpdateScales() {
    const CRect client = GetClientRect();
    if (!IsBound() || !m_image.IsCreated() || client.Width() <= 0)
        return;
    const dsp::CSpectrogram& spectrogram = m_signal->GetSpectrogram();
    const double rate = m_signal->GetFormat().sampleRate;
    const double duration = static_cast<double>(spectrogram.GetFrames()) * spectrogram.GetHop() / rate;
    m_axes.SetScales(CPlotAxes::Scale::Linear(0.0, duration / client.Width()),
                     CPlotAxes::Scale::ImageRows(m_image.Height(), client.Height(),
                                                 rate / dsp::CSpectrogram::WINDOW_LENGTH),
                     CSize{client.Width(), client.Height()});
}

void CSpectrogramPlot::DrawPlot(CDC& dc) {
    if (!m_image.IsCreated())
        ComputeDisplay();
    if (m_image.IsCreated())
        dc.StretchHalftone(m_image, GetClientRect());
}

} // namespace game
