#pragma once
// The signal a plot shows: taken from the slide's signal table, with the element that makes
// it prepared first, and the plot kept on the signal's listeners for as long as it is bound.
// The slide's context owns the signal and outlives its elements, so the binding may still
// reach the signal when the plot goes.

#include "platform/WinTypes.h"

class CWnd;
namespace dsp {
class CSignal;
}

namespace game {

class CElement;
class CGameContext;

class CPlotSignal {
public:
    explicit CPlotSignal(CWnd& listener) : m_listener(listener) {}
    ~CPlotSignal() { Unbind(); }
    CPlotSignal(const CPlotSignal&) = delete;
    CPlotSignal& operator=(const CPlotSignal&) = delete;

    // Binds the signal stored under sourceId and prepares the element that owns it (a filter
    // computes its output there) unless that is the plot itself. ERR_EXAMPLE_NOT_FOUND without
    // a signal, the owner's code when its preparation fails; the binding is undone on failure.
    int Bind(CGameContext& context, int sourceId, CElement& plot);
    // The same for a signal already at hand; a signal no element owns is bound as it is.
    int Bind(CGameContext& context, dsp::CSignal* signal, CElement& plot);
    // Starts listening for the signal's updates.
    void Listen();
    void Unbind();

    bool IsBound() const { return m_signal != nullptr; }
    dsp::CSignal* Get() const { return m_signal; }
    dsp::CSignal* operator->() const { return m_signal; }
    // The display is computed from the signal as it is now; HasChanged tells whether the
    // samples changed since. A plot prepared before another element changed its signal (a
    // notch adding its tone) thereby catches up when it is painted.
    void MarkSeen();
    bool HasChanged() const;
    // True when a UWM_UPDATE_ASIGNAL with this wParam is about the bound signal.
    bool IsUpdateOf(WPARAM wParam) const;

private:
    CWnd& m_listener;
    dsp::CSignal* m_signal = nullptr; // not owned
    unsigned m_seenRevision = 0;
};

} // namespace game
