#include "game/CAudioFilterPlot.h"

#include "dsp/CSignal.h"
#include "game/CGameContext.h"
#include "game/CSpectrumPlot.h"
#include "platform/CDC.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <numbers>
#include <vector>

namespace game {

namespace {

const wchar_t* const WINDOW_CLASS = L"MFCAudioFilterPlot";
constexpr float PI = 3.1415927f;
// 1 / 15.5: the response's log display spans ln|H|^2 = -15 (bottom) to 0.5 (top).
constexpr float PER_NEPER = 0.0645161f;
constexpr COLORREF RESPONSE_COLOR = RGB(200, 0, 0);
// The arrow that marks a response above the plot, in pixels.
constexpr int ARROW_LENGTH = 7;
constexpr int ARROW_HEAD = 3;

// The test frequencies of NormalizeGain: j / 49 rounded to four decimals, times pi.
const std::array<float, CAudioFilterPlot::TEST_FREQUENCIES>& TestFrequencies() {
    static const auto omegas = [] {
        std::array<float, CAudioFilterPlot::TEST_FREQUENCIES> result{};
        for (int j = 0; j < CAudioFilterPlot::TEST_FREQUENCIES; ++j) {
            const float t = static_cast<float>(std::round(j / 49.0 * 10000.0) / 10000.0);
            result[j] = t * PI;
        }
        return result;
    }();
    return omegas;
}

// The level a response value is drawn at, 0 at the bottom edge and 1 at the top edge.
float ResponseLevel(float h2, float peak, bool logarithmic) {
    if (!logarithmic)
        return std::sqrt(h2 / peak);
    if (h2 == 0.0f)
        return 0.0f;
    return (std::log(h2) + 15.0f) * PER_NEPER;
}

// |P|^2 of the polynomial c[0] + c[1] z^-1 + ... at every unit phasor (cosines, sines), by
// Horner's rule: a complex multiply-add per coefficient and frequency instead of a cosine and a
// sine, so that thousands of frequencies cost what a few hundred did. (The phasors' conjugates
// give the same magnitudes.)
std::vector<double> SquaredMagnitudes(const float* c, int n, const std::vector<double>& cosines,
                                      const std::vector<double>& sines) {
    const std::size_t m = cosines.size();
    std::vector<double> re(m, c[n - 1]);
    std::vector<double> im(m, 0.0);
    for (int k = n - 2; k >= 0; --k)
        for (std::size_t i = 0; i < m; ++i) {
            const double r = re[i] * cosines[i] - im[i] * sines[i] + c[k];
            im[i] = re[i] * sines[i] + im[i] * cosines[i];
            re[i] = r;
        }
    for (std::size_t i = 0; i < m; ++i)
        re[i] = re[i] * re[i] + im[i] * im[i];
    return re;
}

// CAudioFilterPlot::PowerGain at every frequency at once, by the same rules.
std::vector<float> PowerGains(const dsp::CFilter& filter, const std::vector<double>& cosines,
                              const std::vector<double>& sines) {
    const int na = filter.GetDenominatorCount();
    const int nb = filter.GetNumeratorCount();
    if (na == 0 || nb == 0)
        return std::vector<float>(cosines.size(), 1.0f);
    const std::vector<double> a2 = SquaredMagnitudes(filter.GetDenominator(), na, cosines, sines);
    const std::vector<double> b2 = SquaredMagnitudes(filter.GetNumerator(), nb, cosines, sines);
    std::vector<float> gains(cosines.size());
    constexpr double huge = CAudioFilterPlot::HUGE_GAIN;
    for (std::size_t i = 0; i < gains.size(); ++i) {
        const double gain = a2[i] == 0.0 ? (b2[i] == 0.0 ? 1.0 : huge) : b2[i] / a2[i];
        gains[i] = static_cast<float>(std::fmin(gain, huge));
    }
    return gains;
}

// Without this, each element of a loop would take the other's output before it exists, and
// the slide would fail with a message about memory or spectra.
std::wstring LoopReason(std::vector<int> loop) {
    if (loop.size() == 1)
        return L"Element " + std::to_wstring(loop.front()) + L" wird von sich selbst gespeist.";
    std::sort(loop.begin(), loop.end());
    std::wstring ids = std::to_wstring(loop.front());
    for (std::size_t i = 1; i + 1 < loop.size(); ++i)
        ids += L", " + std::to_wstring(loop[i]);
    ids += L" und " + std::to_wstring(loop.back());
    return L"Die Filter " + ids + L" speisen sich gegenseitig im Kreis.";
}

int IntAttribute(const tinyxml2::XMLElement& node, const char* name, int fallback) {
    int value = fallback;
    node.QueryIntAttribute(name, &value);
    return value;
}

} // namespace

CAudioFilterPlot::CAudioFilterPlot(CGameContext* context)
    : CSignalPlot(context, nullptr, WINDOW_CLASS) {}

const dsp::CFilter* CAudioFilterPlot::FilterMaking(const CGameContext& context,
                                                   const dsp::CSignal* signal) {
    const auto* maker = dynamic_cast<const CAudioFilterPlot*>(context.FindElementBySignal(signal));
    return maker != nullptr && maker->m_output == signal ? &maker->m_filter : nullptr;
}

int CAudioFilterPlot::ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) {
    // A side out of bounds refuses the element before it loads anything.
    if (const int common = CElement::ReadXml(node, area, style); common != ERR_NONE)
        return common;
    m_windowClass = WINDOW_CLASS;
    const char* scale = node.Attribute("scale");
    m_logarithmic = scale != nullptr && std::strcmp(scale, "log") == 0;
    m_showSpectrum = IntAttribute(node, "spec_in", 0) == 1;
    m_showTransfer = IntAttribute(node, "transfer", 1) == 1;
    ChooseAxes();
    if (const int result = ReadAxes(m_axes, node, area); result != ERR_NONE)
        return result;
    m_sourceId = m_context->ResolveExample(node, m_id);
    if (m_sourceId == 0)
        return ERR_EXAMPLE_NOT_FOUND;
    // An "example" of its own is loaded under the element's id, where the output goes next.
    // Filtering the output into itself would be meaningless: the example is the input.
    // (An example_from naming the element itself loads nothing: that loop is refused later.)
    const char* example = node.Attribute("example");
    if (example != nullptr && *example != '\0')
        m_ownExample = m_context->FindSignal(m_id);
    auto output = std::unique_ptr<dsp::CSignal>(new (std::nothrow) dsp::CSignal());
    if (!output)
        return ERR_MEMORY;
    m_output = output.get();
    m_context->SetSignal(m_id, std::move(output));
    return ERR_NONE;
}

int CAudioFilterPlot::Prepare() {
    if (IsBound())
        return ERR_NONE;
    if (const int bound = BindInput(); bound != ERR_NONE)
        return bound;
    if (const int work = CheckWork(); work != ERR_NONE)
        return work;
    UpdateDisplay();
    return FilterIntoOutput();
}

int CAudioFilterPlot::CheckWork() {
    const long long coefficients = m_filter.GetDenominatorCount() + m_filter.GetNumeratorCount();
    const long long samples = m_signal->GetSampleCount();
    if (coefficients * (samples + CURVE_WORK) <= WORK_BUDGET)
        return ERR_NONE;
    Unbind();
    return Refuse(ERR_MEMORY, L"Der Filter ist zu aufwendig: " + std::to_wstring(coefficients) +
                                  L" Koeffizienten bei " + std::to_wstring(samples) +
                                  L" Abtastwerten; bei diesem Signal sind höchstens " +
                                  std::to_wstring(WORK_BUDGET / (samples + CURVE_WORK)) +
                                  L" Koeffizienten möglich.");
}

int CAudioFilterPlot::Refuse(int code, const std::wstring& reason) {
    m_context->ReportFailure(m_id, reason);
    return code;
}

std::vector<int> CAudioFilterPlot::FeedingLoop() const {
    std::vector<int> loop{m_id};
    for (const CAudioFilterPlot* link = this; link->m_ownExample == nullptr;) {
        const int source = link->m_sourceId;
        if (source == m_id)
            return loop;
        // A loop further up that does not pass here: its own members report it.
        if (std::find(loop.begin(), loop.end(), source) != loop.end())
            return {};
        link = dynamic_cast<const CAudioFilterPlot*>(
            m_context->FindElementBySignal(m_context->FindSignal(source)));
        if (link == nullptr)
            return {};
        loop.push_back(link->m_id);
    }
    return {};
}

int CAudioFilterPlot::BindInput() {
    if (const std::vector<int> loop = FeedingLoop(); !loop.empty())
        return Refuse(ERR_EXAMPLE_NOT_FOUND, LoopReason(loop));
    dsp::CSignal* input =
        m_ownExample != nullptr ? m_ownExample : m_context->FindSignal(m_sourceId);
    if (const int bound = Bind(input); bound != ERR_NONE)
        return bound;
    if (m_showSpectrum && !m_signal->EnsureSpectrum()) {
        Unbind();
        return ERR_PREPARE_FFT;
    }
    Listen();
    m_outputListening = m_output->Listen(this);
    return ERR_NONE;
}

int CAudioFilterPlot::FilterIntoOutput() {
    if (m_output->CreateFrom(m_signal) != dsp::CSignal::RESULT_OK)
        return ERR_MEMORY;
    m_output->ApplyFilter(m_filter);
    return ERR_NONE;
}

void CAudioFilterPlot::Refilter() {
    if (IsBound())
        m_output->ApplyFilter(m_filter);
    ComputeTransferCurve();
    RepaintNow();
}

bool CAudioFilterPlot::SwapsOnClick() const {
    const int group = m_context->SwitchGroupOf(m_id);
    return group != 0 && group != m_id;
}

bool CAudioFilterPlot::TakeLeftRelease(UINT flags, CPoint point) {
    if (SwapsOnClick()) {
        CElement::OnLButtonUp(flags, point);
        return false;
    }
    ClearPick();
    return true;
}

float CAudioFilterPlot::PowerGain(const dsp::CFilter& filter, float omega) {
    const int na = filter.GetDenominatorCount();
    const int nb = filter.GetNumeratorCount();
    if (na == 0 || nb == 0)
        return 1.0f;
    float aRe = 0.0f, aIm = 0.0f, bRe = 0.0f, bIm = 0.0f;
    for (int k = 0; k < na; ++k) {
        const float angle = static_cast<float>(k) * omega;
        aRe += filter.GetDenominator()[k] * std::cos(angle);
        aIm += filter.GetDenominator()[k] * std::sin(angle);
    }
    for (int k = 0; k < nb; ++k) {
        const float angle = static_cast<float>(k) * omega;
        bRe += filter.GetNumerator()[k] * std::cos(angle);
        bIm += filter.GetNumerator()[k] * std::sin(angle);
    }
    const float a2 = aRe * aRe + aIm * aIm;
    const float b2 = bRe * bRe + bIm * bIm;
    // A pole on the unit circle: the gain is unbounded there; a zero at the same place
    // cancels it.
    if (a2 == 0.0f)
        return b2 == 0.0f ? 1.0f : HUGE_GAIN;
    return std::fmin(b2 / a2, HUGE_GAIN);
}

void CAudioFilterPlot::ComputeTransferCurve() {
    if (m_showTransfer)
        ComputeResponse();
}

void CAudioFilterPlot::ComputeCurve(const dsp::CFilter& filter, Curve& curve,
                                    std::array<bool, CURVE_POINTS>& offPlot) const {
    const int width = m_width;
    for (int i = 0; i < CURVE_POINTS; ++i)
        curve[i].x = static_cast<int>(static_cast<double>(width) * i / (CURVE_POINTS - 1));
    curve[0].x = 0;
    curve[CURVE_POINTS - 1].x = width - 1;
    const float step = width > 0 ? PI / static_cast<float>(width) : 0.0f;
    std::array<float, CURVE_POINTS> h2{};
    float peak = 1.0f;
    for (int i = 0; i < CURVE_POINTS; ++i) {
        h2[i] = PowerGain(filter, static_cast<float>(curve[i].x) * step);
        if (h2[i] <= MAX_LINEAR_POWER)
            peak = std::fmax(peak, h2[i]);
    }
    for (int i = 0; i < CURVE_POINTS; ++i)
        curve[i].y = RowOfGain(h2[i], peak, offPlot[i]);
}

void CAudioFilterPlot::ComputeResponse() {
    m_response.clear();
    m_responseOffPlot.clear();
    const int width = m_width;
    if (width <= 0)
        return;
    const int perColumn = std::clamp(MAX_RESPONSE_SAMPLES / width, 1, SAMPLES_PER_COLUMN);
    const int count = perColumn * width + 1;
    const double step = std::numbers::pi / (perColumn * width);
    try {
        std::vector<double> cosines(static_cast<std::size_t>(count));
        std::vector<double> sines(cosines.size());
        for (int i = 0; i < count; ++i) {
            const double omega = std::clamp((i - 0.5 * perColumn) * step, 0.0, std::numbers::pi);
            cosines[i] = std::cos(omega);
            sines[i] = std::sin(omega);
        }
        const std::vector<float> h2 = PowerGains(m_filter, cosines, sines);
        float peak = 1.0f;
        for (const float gain : h2)
            if (gain <= MAX_LINEAR_POWER)
                peak = std::fmax(peak, gain);
        m_response.resize(2 * static_cast<std::size_t>(width));
        m_responseOffPlot.resize(static_cast<std::size_t>(width));
        for (int x = 0; x < width; ++x) {
            // Neighbouring columns share the frequency between them, so their lines meet.
            const auto first = h2.begin() + static_cast<std::ptrdiff_t>(perColumn) * x;
            const auto [low, high] = std::minmax_element(first, first + perColumn + 1);
            bool off = false;
            m_response[2 * x] = CPoint{x, RowOfGain(*high, peak, off)};
            m_responseOffPlot[x] = off;
            m_response[2 * x + 1] = CPoint{x, RowOfGain(*low, peak, off)};
        }
    } catch (const std::bad_alloc&) {
        m_response.clear();
        m_responseOffPlot.clear();
    }
}

int CAudioFilterPlot::RowOfGain(float h2, float peak, bool& offPlot) const {
    offPlot = !m_logarithmic && h2 > peak;
    const float level = offPlot ? 1.0f : ResponseLevel(h2, peak, m_logarithmic);
    return CSpectrumPlot::RowOf(level, m_height);
}

void CAudioFilterPlot::ComputeDisplay() {
    ComputeTransferCurve();
    ComputeColumns();
    UpdateAxes();
}

// The input's log spectrum is scaled to its own data, so only the response has a dB axis.
void CAudioFilterPlot::ChooseAxes() {
    m_axes.SetQuantities(CPlotAxes::Quantity::FREQUENCY, m_logarithmic && m_showTransfer
                                                             ? CPlotAxes::Quantity::LEVEL
                                                             : CPlotAxes::Quantity::NONE);
}

void CAudioFilterPlot::UpdateAxes() {
    const double columnHz = m_width > 0 ? InputRate() / 2.0 / m_width : 0.0;
    m_axes.SetScales(CPlotAxes::Scale::Linear(0.0, columnHz), CPlotAxes::Scale::Decibel(m_height),
                     CSize{m_width, m_height});
}

double CAudioFilterPlot::InputRate() const {
    return IsBound() ? m_signal->GetFormat().sampleRate : 0.0;
}

void CAudioFilterPlot::ComputeColumns() {
    if (!IsBound() || !m_showSpectrum)
        return;
    const dsp::CSpectrum& spectrum = m_signal->GetSpectrum();
    std::vector<float> v;
    try {
        v.assign(spectrum.GetPower(), spectrum.GetPower() + spectrum.GetBins());
    } catch (const std::bad_alloc&) {
        m_columns = CColumnEnvelope();
        return;
    }
    if (m_logarithmic) {
        // Relative to the data: the smallest positive power on the bottom edge, 1 on the top.
        float smallest = 1.0f;
        for (const float p : v)
            if (p > 0.0f && p < smallest)
                smallest = p;
        const float range = std::fabs(std::log(smallest));
        for (float& p : v) {
            if (p == 0.0f)
                continue;
            // Without any power below 1 there is no range: every non-zero bin is drawn on the
            // top edge, the limit of the mapping for a vanishing range.
            p = range > 0.0f ? std::log(p) / range + 1.0f : 1.0f;
        }
    } else {
        for (float& p : v)
            p = std::sqrt(p);
    }
    const int height = m_height;
    m_columns = CColumnEnvelope::Compute(
        v.data(), static_cast<int>(v.size()), m_width,
        [height](float level) { return CSpectrumPlot::RowOf(level, height); });
}

void CAudioFilterPlot::NormalizeGain() {
    float largest = 0.0f;
    for (const float omega : TestFrequencies()) {
        const float h2 = PowerGain(m_filter, omega);
        // A pole on the unit circle at a test frequency has no finite gain to scale by; the
        // other frequencies still set the level.
        if (h2 < HUGE_GAIN)
            largest = std::fmax(largest, h2);
    }
    const float gain = 1.0f / std::sqrt(largest);
    // A filter silent at every test frequency (or a gain beyond float) is left as it is.
    if (!(largest > 0.0f) || !std::isfinite(gain))
        return;
    const int nb = m_filter.GetNumeratorCount();
    std::vector<float> b(m_filter.GetNumerator(), m_filter.GetNumerator() + nb);
    for (float& coefficient : b)
        coefficient *= gain;
    const std::vector<float> a(m_filter.GetDenominator(),
                               m_filter.GetDenominator() + m_filter.GetDenominatorCount());
    m_filter.SetCoefficients(a.data(), static_cast<int>(a.size()), b.data(), nb);
}

void CAudioFilterPlot::DrawPlot(CDC& dc) {
    const CPen* previous = dc.SelectPen(&m_spectrumPen);
    if (m_showSpectrum) {
        m_columns.DrawMeanLine(dc);
        m_columns.DrawColumns(dc);
    }
    if (m_showTransfer) {
        const CPen response(PS_SOLID, 1, RESPONSE_COLOR);
        dc.SelectPen(&response);
        DrawResponse(dc);
        DrawOffPlotArrows(dc);
        dc.SelectPen(&m_spectrumPen);
    }
    dc.SelectPen(previous);
}

void CAudioFilterPlot::DrawResponse(CDC& dc) const {
    for (std::size_t i = 0; i + 1 < m_response.size(); i += 2) {
        dc.MoveTo(m_response[i].x, m_response[i].y);
        // A line leaves out its end point; the lowest row belongs to the column as well.
        dc.LineTo(m_response[i + 1].x, m_response[i + 1].y + 1);
    }
}

// An arrow up from the top edge where the response leaves the plot: there the curve runs
// along the edge only because it is clipped.
void CAudioFilterPlot::DrawOffPlotArrows(CDC& dc) const {
    for (int x = 0; x < static_cast<int>(m_responseOffPlot.size()); ++x) {
        if (!m_responseOffPlot[x])
            continue;
        dc.MoveTo(x, ARROW_LENGTH);
        dc.LineTo(x, -1);
        dc.MoveTo(x - ARROW_HEAD, ARROW_HEAD);
        dc.LineTo(x, 0);
        dc.MoveTo(x + ARROW_HEAD, ARROW_HEAD);
        dc.LineTo(x, 0);
    }
}

void CAudioFilterPlot::OnSignalChanged() {
    if (IsWindowVisible())
        CSignalPlot::OnSignalChanged();
    m_output->ApplyFilter(m_filter);
}

} // namespace game
