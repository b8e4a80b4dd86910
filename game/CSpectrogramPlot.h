#pragma once
// The "spectrogram" element: the short-time spectrum of a signal as a colour image, time from
// left to right, frequency from the bottom up to "fmax" kHz, the power of each cell as one of
// 64 colours. The image is rendered when the window is made and whenever the signal changes;
// painting only stretches it onto the element.

#include "game/CSignalPlot.h"
#include "platform/CImageBuffer.h"

namespace game {

class CSpectrogramPlot : public CSignalPlot {
public:
    explicit CSpectrogramPlot(CGameContext* context);

    std::wstring AccessibleName() const override { return KindOfExample(L"Spektrogramm"); }
    int CreateElementWindow(CWnd* parent, UINT id) override;

    // Highest frequency shown, in kHz.
    int GetFmax() const { return m_fmax; }
    // The rendered picture, frames x rows; not created while there is nothing to show.
    const CImageBuffer& GetImage() const { return m_image; }

protected:
    int ReadPlotXml(const tinyxml2::XMLElement& node) override;
    int OnBound() override;
    // Only a plot with a window renders: the picture is made on the user-interface thread.
    void ComputeDisplay() override;
    void DrawPlot(CDC& dc) override;
    // The picture stretches to any size; only what its pixels stand for changes.
    void OnResized() override { UpdateScales(); }
    // Where there is no picture the plot shows the window's own background, not white.
    bool OnEraseBkgnd(CDC& dc) override { return CElement::OnEraseBkgnd(dc); }

private:
    // What the stretched picture's columns and rows stand for at the current size.
    void UpdateScales();

    CImageBuffer m_image;
    int m_fmax = 8;
};

} // namespace game
