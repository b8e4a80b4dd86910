#pragma once
// The "spectrogram" element: the short-time spectrum of a signal as a colour image, time from
// left to right, frequency from the bottom up to "fmax" kHz, the power of each cell as one of
// 64 colours. The image is rendered when the window is made and whenever the signal changes;
// painting only stretches it onto the element.

#include "game/CElement.h"
#include "game/CPlotAxes.h"
#include "game/CPlotSignal.h"
#include "platform/CImageBuffer.h"

namespace game {

class CSpectrogramPlot : public CElement {
public:
    explicit CSpectrogramPlot(CGameContext* context);
    ~CSpectrogramPlot() override;

    int Prepare() override;
    int ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) override;
    std::wstring AccessibleName() const override { return KindOfExample(L"Spektrogramm"); }
    int CreateElementWindow(CWnd* parent, UINT id) override;

    // Highest frequency shown, in kHz.
    int GetFmax() const { return m_fmax; }
    const dsp::CSignal* GetSignal() const { return m_signal.Get(); }
    // The rendered picture, frames x rows; not created while there is nothing to show.
    const CImageBuffer& GetImage() const { return m_image; }

protected:
    CPlotAxes* PlotAxes() override { return &m_axes; }
    void OnSize(int cx, int cy) override;
    void OnPaint(CDC& dc) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Only a plot with a window renders: the picture is made on the user-interface thread.
    void RenderImage();

    CPlotSignal m_signal;
    CImageBuffer m_image;
    // What the stretched picture's columns and rows stand for at the current size.
    void UpdateScales();

    int m_fmax = 8;
    CPlotAxes m_axes;
};

} // namespace game
