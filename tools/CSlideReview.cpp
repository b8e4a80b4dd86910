#include "tools/CSlideReview.h"

#include "dsp/CSignal.h"
#include "game/CAudioFilterPlot.h"
#include "game/CContainer.h"
#include "game/CExplanation.h"
#include "game/CGameContext.h"
#include "game/CGameSlide.h"
#include "game/CSpectrumPlot.h"
#include "game/CTable.h"
#include "platform/CStatic.h"
#include "platform/CText.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <regex>

namespace {

// A plot with frequency along its width: what it is to be compared by.
struct FrequencyPlot {
    int id = 0;
    bool logarithmic = false;
    double halfRateHz = 0.0; // half the sample rate, where the right edge should be
    int bins = 0;
    int columns = 0; // of the drawn spectrum; 0 without one
    int shown = 0;   // bins the spectrum draws, from the first on

    // The frequency at the right edge.
    double SpanHz() const {
        return shown < bins ? halfRateHz * (shown - 1) / (bins - 1) : halfRateHz;
    }
};

std::optional<FrequencyPlot> FrequencyPlotOf(const game::CElement& element) {
    FrequencyPlot plot{element.GetId()};
    const dsp::CSignal* signal = nullptr;
    const game::CColumnEnvelope* spectrum = nullptr;
    if (const auto* plotted = dynamic_cast<const game::CSpectrumPlot*>(&element)) {
        plot.logarithmic = plotted->IsLogarithmic();
        spectrum = &plotted->GetEnvelope();
        signal = plotted->GetSignal();
    } else if (const auto* filter = dynamic_cast<const game::CAudioFilterPlot*>(&element)) {
        plot.logarithmic = filter->IsLogarithmic();
        if (filter->ShowsSpectrum())
            spectrum = &filter->GetColumns();
        signal = filter->GetSignal();
    }
    if (signal == nullptr)
        return std::nullopt;
    plot.halfRateHz = signal->GetFormat().sampleRate / 2.0;
    plot.bins = signal->GetSpectrum().GetBins();
    plot.shown = plot.bins;
    if (spectrum != nullptr && spectrum->Width() > 0) {
        // From four bins a column on, the envelope draws whole blocks of k and leaves the rest.
        plot.columns = spectrum->Width();
        const int k = spectrum->ValuesPerColumn();
        if (k >= 4)
            plot.shown = std::min(plot.bins, k * plot.columns);
    }
    return plot;
}

std::string Pixels(int width, int height) {
    return std::to_string(width) + " x " + std::to_string(height) + " pixels";
}

std::string Hz(double hz) {
    return "0-" + std::to_string(std::lround(hz)) + " Hz";
}

std::string Ids(const std::vector<FrequencyPlot>& plots, bool logarithmic) {
    std::string ids;
    for (const FrequencyPlot& plot : plots)
        if (plot.logarithmic == logarithmic)
            ids += (ids.empty() ? "" : ", ") + std::to_string(plot.id);
    return ids;
}

bool IsSwitchTable(const game::CContainer& container) {
    if (dynamic_cast<const game::CTable*>(&container) == nullptr)
        return false;
    const game::CGameContext& context = *container.GetContext();
    return std::any_of(container.Children().begin(), container.Children().end(),
                       [&](const auto& child) { return context.HasSwitchGroup(child->GetId()); });
}

// Terms joined by an operator between ordinary spaces ("z = -1", "8000 Hz / 8"), and a number
// before its unit ("440 Hz"): a line may break at each of those spaces. A no-break space or a
// line break the author wrote is not matched.
const std::wregex& Expression() {
    static const std::wregex expression(
        L"[^ \\t\\r\\n]+( [=\u2248/+\u2212\u00b7\u00d7<>\u2264\u2265] [^ \\t\\r\\n]+)+"
        L"|\\d+(,\\d+)? (k?Hz|dB|ms|s)\\b");
    return expression;
}

} // namespace

void CSlideReview::Review(const game::CGameSlide& slide, const std::wstring& path,
                          CSlideChecker::Report& report) {
    CSlideReview(slide, path, report).Walk(slide);
}

std::string CSlideReview::Overflow(const std::wstring& text, const CFont& font,
                                   const CRect& area) {
    const CSize needed = CStatic::TextExtent(text, font, area.Width());
    if (needed.cx <= area.Width() && needed.cy <= area.Height())
        return {};
    return "needs " + Pixels(needed.cx, needed.cy) + ", its area has " +
           Pixels(area.Width(), area.Height());
}

CSlideReview::CSlideReview(const game::CGameSlide& slide, const std::wstring& path,
                           CSlideChecker::Report& report)
    : m_slide(slide), m_path(path), m_report(report) {}

void CSlideReview::Walk(const game::CContainer& container) {
    CheckPlots(container);
    CheckTexts(container);
    for (const auto& child : container.Children())
        if (const auto* inner = dynamic_cast<const game::CContainer*>(child.get()))
            Walk(*inner);
}

void CSlideReview::CheckPlots(const game::CContainer& container) {
    std::vector<FrequencyPlot> plots;
    for (const auto& child : container.Children())
        if (const auto plot = FrequencyPlotOf(*child))
            plots.push_back(*plot);
    for (const FrequencyPlot& plot : plots) {
        // The bin on half the sample rate alone, as 256 columns leave it, is not missed.
        const int dropped = plot.bins - plot.shown;
        if (dropped <= 1)
            continue;
        Warn("element " + std::to_string(plot.id) + ": " + std::to_string(plot.columns) +
             " columns leave out the last " + std::to_string(dropped) + " of " +
             std::to_string(plot.bins) + " bins, so the spectrum shows " + Hz(plot.SpanHz()) +
             " of " + Hz(plot.halfRateHz) + "; a width of 205, 256 or more shows every bin");
    }
    if (plots.size() < 2 || !IsSwitchTable(container))
        return;
    const std::string linear = Ids(plots, false), log = Ids(plots, true);
    if (!linear.empty() && !log.empty())
        Warn("curves and spectra to be matched are on different scales: linear " + linear +
             ", logarithmic " + log);
    const auto [narrow, wide] = std::minmax_element(
        plots.begin(), plots.end(),
        [](const FrequencyPlot& a, const FrequencyPlot& b) { return a.SpanHz() < b.SpanHz(); });
    if (wide->SpanHz() > narrow->SpanHz() * 1.01)
        Warn("curves and spectra to be matched span different frequencies: element " +
             std::to_string(narrow->id) + " " + Hz(narrow->SpanHz()) + ", element " +
             std::to_string(wide->id) + " " + Hz(wide->SpanHz()));
}

void CSlideReview::CheckTexts(const game::CContainer& container) {
    const CFont& font = m_slide.Context().m_textFont;
    for (const game::StaticText& text : container.StaticTexts()) {
        // An empty cell is spacing: a line's height of nothing is not text that is cut off.
        if (text.text.find_first_not_of(L" \t\r\n") == std::wstring::npos)
            continue;
        if (const std::string overflow = Overflow(text.text, font, text.rect); !overflow.empty())
            m_report.failures.push_back({m_path, game::ERR_NONE, {}, 0,
                                         L"the text \"" + text.text.substr(0, 30) + L"\" " +
                                             CText::ToWide(overflow)});
        CheckExpressions(text.text, text.rect.Width());
    }
    for (const auto& child : container.Children())
        if (dynamic_cast<const game::CExplanation*>(child.get()) != nullptr)
            CheckExpressions(child->GetText(), child->GetRect().Width());
}

// Word wrapping fills each line before the next, so the lines of the text up to a point are
// those of the whole text: the expression is broken when the text up to its end needs more
// lines than the text up to the end of its first term.
void CSlideReview::CheckExpressions(const std::wstring& text, int width) {
    const CFont& font = m_slide.Context().m_textFont;
    const auto height = [&](std::size_t end) {
        return CStatic::TextExtent(text.substr(0, end), font, width).cy;
    };
    for (auto match = std::wsregex_iterator(text.begin(), text.end(), Expression());
         match != std::wsregex_iterator(); ++match) {
        const std::size_t start = match->position(), end = start + match->length();
        const std::size_t firstTerm = text.find(L' ', start);
        if (height(end) > height(firstTerm))
            Warn("\"" + CText::ToNarrow(match->str()) +
                 "\" breaks across two lines: write no-break spaces inside it");
    }
}

void CSlideReview::Warn(const std::string& text) {
    m_report.warnings.push_back({m_path, text});
}
