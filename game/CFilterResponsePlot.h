#pragma once
// The base of the plots of a filter element's response ("impulse", "phase"): example_from
// names the filter ("afilter", "notch", "polezero"), whose coefficients the plot follows as
// its magnitude curve does. Values are drawn on a vertical scale that spans the range a kind
// sets, with 0 always inside it and a grey zero line across the plot.

#include "game/CSignalPlot.h"

namespace dsp {
class CFilter;
}

namespace game {

class CFilterResponsePlot : public CSignalPlot {
public:
    // view: the kind's name as it starts the sentence that refuses a source that is no filter
    // ("Die Impulsantwort"); inset: rows kept free above and below the values.
    CFilterResponsePlot(CGameContext* context, const char* tag, const wchar_t* windowClass,
                        const wchar_t* view, int inset);

    // The client row of a value.
    int RowOf(double value) const;

protected:
    // Finds the filter, or refuses the source with the kind's reason.
    int OnBound() override;

    // The values from bottom to top span the plot's rows inside the inset (a span of none
    // counts as 0 to 1); the vertical axis follows, the horizontal one is the kind's.
    void SetRange(double bottom, double top, const CPlotAxes::Scale& horizontal);
    void DrawZeroLine(CDC& dc) const;

    const dsp::CFilter* m_filter = nullptr; // the filter element's own

private:
    const wchar_t* m_view;
    int m_inset;
    double m_top = 1.0;
    double m_bottom = 0.0;
};

} // namespace game
