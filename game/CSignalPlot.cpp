#include "game/CSignalPlot.h"

#include "dsp/CSignal.h"
#include "game/CGameContext.h"
#include "platform/CDC.h"
#include "platform/CWindowClasses.h"

namespace game {

CSignalPlot::CSignalPlot(CGameContext* context, const char* tag, const wchar_t* windowClass)
    : CElement(context), m_tag(tag), m_class(windowClass) {
    CWindowClasses::EnsureRegistered(windowClass);
}

CSignalPlot::~CSignalPlot() {
    DestroyWindow();
}

int CSignalPlot::ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) {
    if (const int result = ReadCellXml(node, area, style, m_tag, m_class); result != ERR_NONE)
        return result;
    if (const int result = ReadPlotXml(node); result != ERR_NONE)
        return result;
    if (const int result = ReadAxes(m_axes, node, area); result != ERR_NONE)
        return result;
    return ResolveSource(node);
}

int CSignalPlot::Prepare() {
    if (IsBound())
        return ERR_NONE;
    if (const int bound = Bind(m_context->FindSignal(m_sourceId)); bound != ERR_NONE)
        return bound;
    if (const int result = OnBound(); result != ERR_NONE) {
        Unbind();
        return result;
    }
    Listen();
    Recompute();
    return ERR_NONE;
}

int CSignalPlot::Bind(dsp::CSignal* signal) {
    Unbind();
    // Bound before the owner is prepared: an owner that in turn prepares this plot finds it
    // bound and does not come back here.
    m_signal = signal;
    if (m_signal == nullptr)
        return ERR_EXAMPLE_NOT_FOUND;
    CElement* owner = m_context->FindElementBySignal(m_signal);
    if (owner != nullptr && owner != this) {
        if (const int result = owner->Prepare(); result != ERR_NONE) {
            m_signal = nullptr;
            return result;
        }
    }
    return ERR_NONE;
}

void CSignalPlot::Listen() {
    if (m_signal != nullptr)
        m_listening = m_signal->Listen(this);
}

void CSignalPlot::Unbind() {
    m_listening.Reset();
    m_signal = nullptr;
}

void CSignalPlot::Recompute() {
    m_seenRevision = m_signal != nullptr ? m_signal->GetRevision() : 0;
    m_seenSize = CSize{m_width, m_height};
    ComputeDisplay();
}

// A plot prepared before another element changed its signal (a notch adding its tone) thereby
// catches up when it is painted.
bool CSignalPlot::IsDisplayCurrent() const {
    return m_seenSize == CSize{m_width, m_height} &&
           (m_signal == nullptr || m_signal->GetRevision() == m_seenRevision);
}

void CSignalPlot::RepaintNow() {
    Invalidate(true);
    UpdateWindow();
}

void CSignalPlot::OnSignalChanged() {
    Recompute();
    RepaintNow();
}

void CSignalPlot::OnPaint(CDC& dc) {
    if (!IsDisplayCurrent())
        Recompute();
    DrawPlot(dc);
    const CRect client = GetClientRect();
    DrawMark(dc, client);
    DrawOverPlot(dc);
    m_axes.DrawReadout(dc, client);
    DrawFocus(dc);
}

bool CSignalPlot::OnEraseBkgnd(CDC& dc) {
    dc.FillSolidRect(GetClientRect(), RGB(255, 255, 255));
    return true;
}

void CSignalPlot::OnSize(int cx, int cy) {
    CElement::OnSize(cx, cy);
    m_width = cx;
    m_height = cy;
    if (m_seenSize != CSize{m_width, m_height})
        OnResized();
    m_seenSize = CSize{m_width, m_height};
}

LRESULT CSignalPlot::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != dsp::CSignal::UpdateMessage())
        return CElement::OnMessage(message, wParam, lParam);
    if (m_signal != nullptr && wParam == reinterpret_cast<WPARAM>(m_signal))
        OnSignalChanged();
    return 0;
}

} // namespace game
