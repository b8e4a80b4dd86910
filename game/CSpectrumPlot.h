#pragma once
// The "spectrum" element: the averaged power spectrum of a signal as a green curve on white,
// frequency from 0 at the left edge to half the sample rate at the right edge, level from the
// bottom edge up, linear in magnitude or ("scale"="log") logarithmic. The 1025 bins are
// reduced to one pixel column each by the column envelope the wave plot uses.

#include "game/CColumnEnvelope.h"
#include "game/CSignalPlot.h"
#include "platform/CPen.h"

namespace game {

class CSpectrumPlot : public CSignalPlot {
public:
    explicit CSpectrumPlot(CGameContext* context);
    std::wstring AccessibleName() const override { return KindOfExample(L"Spektrum"); }

    // The level a bin of linear power p is drawn at, 1 being the top edge and 0 the bottom:
    // linear, the magnitude sqrt(p); logarithmic, (ln p + 15) / 15.5, so that p = 1 sits at
    // 0.9677 and p = e^-15 (-65 dB) on the bottom edge, with p = 0 on the bottom edge too.
    static float DisplayValue(float power, bool logarithmic);
    // The row of a level on a plot of this height: height - trunc(height x level), but at most
    // height - 1: a level at or below the bottom edge (0, -inf dB, under the log floor) runs
    // along the bottom row instead of vanishing under the plot.
    static int RowOf(float level, int height);

    bool IsLogarithmic() const { return m_logarithmic; }
    const CColumnEnvelope& GetEnvelope() const { return m_envelope; }

protected:
    int ReadPlotXml(const tinyxml2::XMLElement& node) override;
    int OnBound() override;
    // The envelope of the display values for the element's current size.
    void ComputeDisplay() override;
    void DrawPlot(CDC& dc) override;

private:
    CPen m_pen{PS_SOLID, 1, RGB(90, 197, 99)};
    CColumnEnvelope m_envelope;
    bool m_logarithmic = false;
};

} // namespace game
