#pragma once
// The "phase" element: the phase response of a filter element, unwrapped, as a red line over
// frequency from 0 at the left to half the sample rate at the right; with delay="1" the
// filter's group delay in samples instead:
//   <phase id="32" example_from="11" delay="1"/>
// example_from names the filter ("afilter", "notch", "polezero"). The line follows the
// filter's coefficients whenever they change, as its magnitude curve does. It is scaled to
// the values shown, with 0 always inside the plot.

#include "game/CFilterResponsePlot.h"

#include <vector>

namespace game {

class CPhaseResponsePlot : public CFilterResponsePlot {
public:
    // Frequencies computed per pixel column: unwrapping needs steps far below half a turn. A
    // wide plot takes fewer, down to one, so that a change of a long filter costs no more
    // than its magnitude curve (see CAudioFilterPlot::MAX_RESPONSE_SAMPLES).
    static constexpr int SAMPLES_PER_COLUMN = 4;
    static constexpr int MAX_FREQUENCIES = 2048;
    // Group delays beyond this many samples (beside a zero just off the unit circle) are held
    // at it, so that the rest of the line still has a scale.
    static constexpr double MAX_DELAY = 10000.0;
    static constexpr int INSET = 3;

    explicit CPhaseResponsePlot(CGameContext* context);

    std::wstring AccessibleName() const override {
        return KindOfExample(m_delay ? L"Gruppenlaufzeit" : L"Phasengang");
    }

    // Per client column x: the value at the frequency x / width x half the sample rate, in
    // radians or samples.
    const std::vector<double>& GetValues() const { return m_values; }

protected:
    int ReadPlotXml(const tinyxml2::XMLElement& node) override;
    void ComputeDisplay() override;
    void DrawPlot(CDC& dc) override;

private:
    bool m_delay = false;
    std::vector<double> m_values;
};

} // namespace game
