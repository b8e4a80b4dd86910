#include "game/CPlotSignal.h"

#include "dsp/CSignal.h"
#include "game/CElement.h"
#include "game/CGameContext.h"

namespace game {

int CPlotSignal::Bind(CGameContext& context, int sourceId, CElement& plot) {
    return Bind(context, context.FindSignal(sourceId), plot);
}

int CPlotSignal::Bind(CGameContext& context, dsp::CSignal* signal, CElement& plot) {
    Unbind();
    // Bound before the owner is prepared: an owner that in turn prepares this plot finds it
    // bound and does not come back here.
    m_signal = signal;
    if (m_signal == nullptr)
        return ERR_EXAMPLE_NOT_FOUND;
    CElement* owner = context.FindElementBySignal(m_signal);
    if (owner != nullptr && owner != &plot) {
        const int result = owner->Prepare();
        if (result != ERR_NONE) {
            m_signal = nullptr;
            return result;
        }
    }
    return ERR_NONE;
}

void CPlotSignal::Listen() {
    if (m_signal != nullptr)
        m_signal->AddListener(&m_listener);
}

void CPlotSignal::Unbind() {
    if (m_signal != nullptr)
        m_signal->RemoveListener(&m_listener);
    m_signal = nullptr;
}

void CPlotSignal::MarkSeen() {
    if (m_signal != nullptr)
        m_seenRevision = m_signal->GetRevision();
}

bool CPlotSignal::HasChanged() const {
    return m_signal != nullptr && m_signal->GetRevision() != m_seenRevision;
}

bool CPlotSignal::IsUpdateOf(WPARAM wParam) const {
    return m_signal != nullptr && wParam == reinterpret_cast<WPARAM>(m_signal);
}

} // namespace game
