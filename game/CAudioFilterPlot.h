#pragma once
// The base of the filter elements ("afilter", "notch", "polezero"): takes the signal of another
// element, filters it into an output signal published under its own id, and draws the input's
// spectrum (green) and the filter's magnitude response (red) in the same coordinates:
// frequency 0 at the left edge to half the sample rate at the right edge.
//
// Whenever the input changes, the element re-filters, also while its window is hidden, so
// everything that shows or plays the output stays up to date.

#include "dsp/CFilter.h"
#include "dsp/CListenerHandle.h"
#include "game/CColumnEnvelope.h"
#include "game/CSignalPlot.h"
#include "platform/CPen.h"

#include <array>
#include <string>
#include <vector>

namespace game {

class CAudioFilterPlot : public CSignalPlot {
public:
    static constexpr int CURVE_POINTS = 200;
    static constexpr int TEST_FREQUENCIES = 50;
    using Curve = std::array<CPoint, CURVE_POINTS>;

    explicit CAudioFilterPlot(CGameContext* context);

    int Prepare() override;
    int ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) override;
    std::wstring AccessibleName() const override { return KindOfExample(L"Filter"); }

    // The transfer curve and the spectrum columns for the current filter, input and size.
    void UpdateDisplay() { Recompute(); }
    // The drawn magnitude response alone.
    void ComputeTransferCurve();
    // Scales the numerator so that the largest gain over the 50 test frequencies is 1.
    void NormalizeGain();

    // |B|^2 / |A|^2 of the filter at omega (radians per sample), in single precision. A filter
    // without numerator or denominator passes its input through and has the gain 1; where
    // |A| = 0 the gain is HUGE_GAIN, or 1 where |B| = 0 as well.
    static float PowerGain(const dsp::CFilter& filter, float omega);
    static constexpr float HUGE_GAIN = 1e30f;
    // The linear display scales the response to its largest power gain up to this (|H| = 10);
    // greater gains leave the plot at the top edge and are marked there. Scaled to a pole on
    // the unit circle, the rest of the curve would be one flat line on the bottom edge.
    static constexpr float MAX_LINEAR_POWER = 100.0f;

    // The most one filtering of the input may cost, in products of a coefficient and a sample:
    // the filter loop takes about 1 ns per product here, so a change stays within about 100 ms
    // on the user-interface thread. The drawn response costs about as much per coefficient as
    // CURVE_WORK samples (a complex multiply-add at each of at most MAX_RESPONSE_SAMPLES + 1
    // frequencies). A 30 s example at 44.1 kHz thus allows 75 coefficients, numerator and
    // denominator together.
    static constexpr long long WORK_BUDGET = 100'000'000;
    static constexpr long long CURVE_WORK = 4000;
    // The drawn response takes up to this many frequencies per pixel column, and at most
    // MAX_RESPONSE_SAMPLES + 1 over the plot: a narrow peak or notch keeps its height within
    // a pixel where one frequency per column would cut it off or miss it.
    static constexpr int SAMPLES_PER_COLUMN = 8;
    static constexpr int MAX_RESPONSE_SAMPLES = 2048;

    const dsp::CFilter& GetFilter() const { return m_filter; }
    // The filter whose output the signal is, in the context; nullptr for any other signal.
    static const dsp::CFilter* FilterMaking(const CGameContext& context, const dsp::CSignal* signal);
    dsp::CSignal* GetInput() const { return m_signal; }
    dsp::CSignal* GetOutput() const { return m_output; }
    // The response as drawn, a vertical line per column x from point 2x (the highest row the
    // response reaches in the column) to point 2x + 1 (its lowest row).
    const std::vector<CPoint>& GetTransferCurve() const { return m_response; }
    const CColumnEnvelope& GetColumns() const { return m_columns; }
    bool ShowsSpectrum() const { return m_showSpectrum; }
    bool ShowsTransfer() const { return m_showTransfer; }
    bool IsLogarithmic() const { return m_logarithmic; }

protected:
    // For kinds that draw something else in the response's place: it is then never computed,
    // which spares every filter change (and every step of a drag) its cost.
    void HideResponse() { m_showTransfer = false; }
    // What the axes show: frequency along the plot and, on a logarithmic response, its level.
    virtual void ChooseAxes();
    // The axes' mapping for the current input and size: the response's columns run from 0 to
    // half the input's sample rate.
    virtual void UpdateAxes();
    double InputRate() const;
    // Binds the input, prepares the element that makes it, computes the input's spectrum when
    // it is shown and listens to input and output.
    int BindInput();
    // The output made from the input and filtered.
    int FilterIntoOutput();
    // The output re-filtered, a new transfer curve and the window repainted: after the player
    // changed the filter.
    void Refilter();
    // The response of any filter as a line through CURVE_POINTS frequencies, in this plot's
    // scale and rows.
    void ComputeCurve(const dsp::CFilter& filter, Curve& curve,
                      std::array<bool, CURVE_POINTS>& offPlot) const;
    // For the elements the player clicks: false when the left release belongs to
    // drag-to-swap (the element is in another element's switch group) and was handed on;
    // true when the element takes the click itself.
    bool TakeLeftRelease(UINT flags, CPoint point);
    // In another element's switch group, a click on the element swaps panels instead.
    bool SwapsOnClick() const;

    void ComputeDisplay() override;
    void DrawPlot(CDC& dc) override;
    // Whenever the input changes the output is filtered anew, also while the window is hidden
    // (a hidden window catches up when it is painted).
    void OnSignalChanged() override;

    dsp::CFilter m_filter;
    const CPen m_spectrumPen{PS_SOLID, 1, RGB(90, 197, 99)};

private:
    void ComputeColumns();
    // The drawn response of the element's own filter: each column spans the frequencies from
    // half a column left of its own to half a column right of it.
    void ComputeResponse();
    // The row of a power gain on this plot, the linear display scaled to peak; true in
    // offPlot when the gain lies above the linear plot.
    int RowOfGain(float h2, float peak, bool& offPlot) const;
    void DrawResponse(CDC& dc) const;
    void DrawOffPlotArrows(CDC& dc) const;
    // The ids of the filter elements round a loop that feeds this element from its own output,
    // this element first; empty when the input comes from outside every loop.
    std::vector<int> FeedingLoop() const;
    // ERR_NONE when filtering the bound input stays within WORK_BUDGET.
    int CheckWork();
    int Refuse(int code, const std::wstring& reason);

    bool m_showSpectrum = false;
    bool m_showTransfer = true;
    bool m_logarithmic = false;
    // The example this element loaded under its own id, which its output then replaced: the
    // element filters that example.
    dsp::CSignal* m_ownExample = nullptr;
    dsp::CSignal* m_output = nullptr; // owned by the slide's signal table
    dsp::CListenerHandle m_outputListening;
    CColumnEnvelope m_columns;
    std::vector<CPoint> m_response;
    std::vector<bool> m_responseOffPlot; // per column: the gain there lies above the linear plot
};

} // namespace game
