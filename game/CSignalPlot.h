#pragma once
// The base of the plots that show one signal of the slide ("wave", "spectrum", "spectrogram",
// "impulse", "phase" and the filter elements, which show their input). It binds the signal,
// with the element that makes it prepared first, listens to it for as long as it is bound,
// and keeps the display in step: recomputed when the samples change (also when the news of
// the change reached no window) and when the plot's size changes, repainted at once on news.
// A kind says what it computes from the signal and what it draws, on white.

#include "dsp/CListenerHandle.h"
#include "game/CElement.h"
#include "game/CPlotAxes.h"

namespace dsp {
class CSignal;
}

namespace game {

class CSignalPlot : public CElement {
public:
    // tag: the element's tag in slide files, nullptr for kinds that read their own XML.
    CSignalPlot(CGameContext* context, const char* tag, const wchar_t* windowClass);
    ~CSignalPlot() override;

    // Binds the source, lets the kind make what it needs of it, listens, computes the display.
    int Prepare() override;
    // The common attributes, the kind's own, the axes and the source.
    int ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) override;

    dsp::CSignal* GetSignal() const { return m_signal; }

protected:
    // The kind's attributes, read after the common ones and before the axes: it sets the axes'
    // quantities here.
    virtual int ReadPlotXml(const tinyxml2::XMLElement& /*node*/) { return ERR_NONE; }
    // After binding: what the kind needs of the signal (an analysis). A code other than
    // ERR_NONE undoes the binding.
    virtual int OnBound() { return ERR_NONE; }
    // The display from the signal as it is now and the plot's size.
    virtual void ComputeDisplay() = 0;
    virtual void DrawPlot(CDC& dc) = 0;
    // Painted over the plot and the mark.
    virtual void DrawOverPlot(CDC& /*dc*/) {}
    // The bound signal's samples changed.
    virtual void OnSignalChanged();
    // The size changed: by default the display is recomputed. The size counts as seen after.
    virtual void OnResized() { Recompute(); }

    // Binds the signal and prepares the element that owns it unless that is this plot.
    // ERR_EXAMPLE_NOT_FOUND without a signal, the owner's code when its preparation fails; the
    // binding is undone on failure.
    int Bind(dsp::CSignal* signal);
    void Listen();
    void Unbind();
    bool IsBound() const { return m_signal != nullptr; }
    // ComputeDisplay, with the signal's revision and the size noted as seen.
    void Recompute();
    bool IsDisplayCurrent() const;
    void RepaintNow();

    CPlotAxes* PlotAxes() override { return &m_axes; }
    void OnPaint(CDC& dc) override;
    bool OnEraseBkgnd(CDC& dc) override;
    void OnSize(int cx, int cy) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    dsp::CSignal* m_signal = nullptr; // not owned
    CPlotAxes m_axes;

private:
    const char* m_tag;
    const wchar_t* m_class;
    dsp::CListenerHandle m_listening;
    unsigned m_seenRevision = 0;
    CSize m_seenSize{-1, -1};
};

} // namespace game
