#include "game/CSpectrogramPlot.h"

#include "dsp/CSignal.h"
#include "dsp/CSpectrogram.h"
#include "game/CGameContext.h"
#include "game/CSpectrogramImage.h"
#include "platform/CDC.h"
#include "platform/CWindowClasses.h"

#include <tinyxml2.h>


namespace game {

namespace {
const wchar_t* const WINDOW_CLASS = L"MFCSpectrogramPlot";
}

CSpectrogramPlot::CSpectrogramPlot(CGameContext* context) : CElement(context), m_signal(*this) {
    CWindowClasses::EnsureRegistered(WINDOW_CLASS);
}

CSpectrogramPlot::~CSpectrogramPlot() {
    DestroyWindow();
}

int CSpectrogramPlot::ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) {
    if (const int result = ReadCellXml(node, area, style, "spectrogram", WINDOW_CLASS);
        result != ERR_NONE)
        return result;
    node.QueryIntAttribute("fmax", &m_fmax);
    m_axes.SetQuantities(CPlotAxes::Quantity::TIME, CPlotAxes::Quantity::FREQUENCY);
    if (const int result = ReadAxes(m_axes, node, area); result != ERR_NONE)
        return result;
    return ResolveSource(node);
}

int CSpectrogramPlot::Prepare() {
    if (m_signal.IsBound())
        return ERR_NONE;
    const int bound = m_signal.Bind(*m_context, m_sourceId, *this);
    if (bound != ERR_NONE)
        return bound;
    if (!m_signal->EnsureSpectrogram()) {
        m_signal.Unbind();
        return ERR_PREPARE_STFT;
    }
    m_signal.Listen();
    RenderImage();
    return ERR_NONE;
}

int CSpectrogramPlot::CreateElementWindow(CWnd* parent, UINT id) {
    const int result = CElement::CreateElementWindow(parent, id);
    if (result == ERR_NONE)
        RenderImage();
    return result;
}

void CSpectrogramPlot::RenderImage() {
    m_image.Release();
    if (!m_signal.IsBound() || !HasWindow())
        return;
    CSpectrogramImage::Render(m_signal->GetSpectrogram(), m_signal->GetFormat().sampleRate, m_fmax,
                              m_image);
    UpdateScales();
}

// Frame t starts at sample t x hop; image row r from the bottom holds bin r, of
// rate / window length Hz each.
void CSpectrogramPlot::UpdateScales() {
    const CRect client = GetClientRect();
    if (!m_signal.IsBound() || !m_image.IsCreated() || client.Width() <= 0)
        return;
    const dsp::CSpectrogram& spectrogram = m_signal->GetSpectrogram();
    const double rate = m_signal->GetFormat().sampleRate;
    const double duration = static_cast<double>(spectrogram.GetFrames()) * spectrogram.GetHop() / rate;
    m_axes.SetScales(CPlotAxes::Scale::Linear(0.0, duration / client.Width()),
                     CPlotAxes::Scale::ImageRows(m_image.Height(), client.Height(),
                                                 rate / dsp::CSpectrogram::WINDOW_LENGTH),
                     CSize{client.Width(), client.Height()});
}

void CSpectrogramPlot::OnSize(int cx, int cy) {
    CElement::OnSize(cx, cy);
    UpdateScales();
}

void CSpectrogramPlot::OnPaint(CDC& dc) {
    if (!m_image.IsCreated())
        RenderImage();
    const CRect client = GetClientRect();
    if (m_image.IsCreated())
        dc.StretchHalftone(m_image, client);
    DrawMark(dc, client);
    m_axes.DrawReadout(dc, client);
    DrawFocus(dc);
}

LRESULT CSpectrogramPlot::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != dsp::CSignal::UpdateMessage())
        return CElement::OnMessage(message, wParam, lParam);
    if (m_signal.IsUpdateOf(wParam)) {
        RenderImage();
        Invalidate(true);
        UpdateWindow();
    }
    return 0;
}

} // namespace game
