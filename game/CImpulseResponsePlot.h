#pragma once
// The "impulse" element: the impulse response of a filter element, its first "samples" values
// (default 32, from 2 to 512) as stems from a grey zero line, sample 0 at the left:
//   <impulse id="31" example_from="11" samples="40"/>
// example_from names the filter ("afilter", "notch", "polezero"). The stems follow the
// filter's coefficients whenever they change, as its magnitude curve does. The plot is
// scaled to the values shown, so it tells the response's shape, not its level.

#include "game/CFilterResponsePlot.h"

#include <vector>

namespace game {

class CImpulseResponsePlot : public CFilterResponsePlot {
public:
    static constexpr int DEFAULT_SAMPLES = 32;
    static constexpr int MIN_SAMPLES = 2;
    static constexpr int MAX_SAMPLES = 512;
    // Rows kept free above and below the stems for their tips.
    static constexpr int INSET = 4;

    explicit CImpulseResponsePlot(CGameContext* context);

    std::wstring AccessibleName() const override { return KindOfExample(L"Impulsantwort"); }

    int GetSampleCount() const { return m_count; }
    // The values shown, in double precision.
    const std::vector<double>& GetResponse() const { return m_response; }
    // The client column of sample n's stem.
    int ColumnOf(int n) const;

protected:
    int ReadPlotXml(const tinyxml2::XMLElement& node) override;
    void ComputeDisplay() override;
    void DrawPlot(CDC& dc) override;

private:
    int m_count = DEFAULT_SAMPLES;
    std::vector<double> m_response;
};

} // namespace game
