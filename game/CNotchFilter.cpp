#include "game/CNotchFilter.h"

#include "dsp/CSignal.h"
#include "dsp/CSinNoise.h"
#include "dsp/CSpectrum.h"
#include "game/CColumnEnvelope.h"
#include "game/CGameContext.h"
#include "game/CToneSequence.h"
#include "game/StaticText.h"
#include "platform/CDC.h"
#include "platform/CText.h"

#include <tinyxml2.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace game {

namespace {

constexpr float PI = 3.1415927f;
constexpr int REFERENCE_WIDTH = 256;
// -2 x 0.9 and 0.9^2 as the filter always had them in single precision.
constexpr float POLE_TERM = -1.8f;
constexpr float POLE_SQUARE = 0.81f;
const char* const TOLERANCE_ATTRIBUTE = "tolerance_hz";
// Neither the spectrum's green nor the response's red: the answer stands apart from both.
constexpr COLORREF ANSWER_COLOR = RGB(0, 0, 255);
constexpr int DASH = 4;
constexpr int GAP = 3;
constexpr int TRIANGLE_HALF_WIDTH = 5;
constexpr int MARGIN = 3;
constexpr int LARGE_STEP = 10; // columns per Shift+arrow
constexpr float CUE_SECONDS = 0.15f;
constexpr float CUE_FADE_SECONDS = 0.01f;
constexpr float CUE_AMPLITUDE = 0.3f;

std::wstring WholeHz(double hz) {
    return std::to_wstring(std::lround(hz)) + L" Hz";
}

} // namespace

CNotchFilter::CNotchFilter(CGameContext* context, float step, float poleRadius)
    : CAudioFilterPlot(context), m_step(step), m_poleRadius(poleRadius) {
    AcceptKeys();
}

int CNotchFilter::ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) {
    if (std::strcmp(node.Name(), "notch") != 0)
        return ERR_XML_TITLE;
    const int result = CAudioFilterPlot::ReadXml(node, area, style);
    int solution = 0;
    node.QueryIntAttribute("solution", &solution);
    m_showSolution = solution > 0;
    if (result != ERR_NONE)
        return result;
    return ReadTolerance(node) ? ERR_NONE : ERR_UNKNOWN_ELEMENT;
}

bool CNotchFilter::ReadTolerance(const tinyxml2::XMLElement& node) {
    const char* text = node.Attribute(TOLERANCE_ATTRIBUTE);
    if (text == nullptr)
        return true;
    m_toleranceText = text;
    m_toleranceLine = node.GetLineNum();
    // Read the same in every locale; "nan" and "inf" parse, and are refused below.
    const char* end = text + std::strlen(text);
    double value = 0.0;
    const auto [rest, error] = std::from_chars(text, end, value);
    if (error != std::errc() || rest != end || !std::isfinite(value) || value < 0.0) {
        RefuseTolerance(L"ist keine gültige Toleranz: erwartet wird eine Zahl in Hz, 0 oder mehr");
        return false;
    }
    m_toleranceHz = value;
    return true;
}

void CNotchFilter::RefuseTolerance(const std::wstring& why) {
    m_context->ReportFailure(m_id, L"Zeile " + std::to_wstring(m_toleranceLine) + L": " +
                                       CText::ToWide(TOLERANCE_ATTRIBUTE) + L"=\"" +
                                       CText::ToWide(m_toleranceText) + L"\" " + why + L".");
}

int CNotchFilter::Prepare() {
    if (GetInput() != nullptr)
        return ERR_NONE;
    // The element that makes the input is prepared first, so a notch may also disturb the
    // output of another filter: unprepared, that output would still be empty.
    if (const int bound = BindInput(); bound != ERR_NONE)
        return bound;
    const double nyquist = GetInput()->GetFormat().sampleRate / 2.0;
    if (m_toleranceHz && *m_toleranceHz > nyquist) {
        RefuseTolerance(L"ist größer als die halbe Abtastrate (" + WholeHz(nyquist) + L")");
        return ERR_UNKNOWN_ELEMENT;
    }
    m_step = 1.0f / REFERENCE_WIDTH;
    m_tone = CToneSequence::Next(FIRST_TONE_COLUMN, TONE_COLUMNS);
    GetInput()->ApplyNoise(dsp::CSinNoise(TONE_AMPLITUDE, ToneOmega()));
    if (m_width != REFERENCE_WIDTH && m_width > 0)
        m_step = 1.0f / static_cast<float>(m_width);
    m_solution = DrawnToneColumn();
    m_placed = m_showSolution;
    PlaceNotch(m_showSolution ? m_solution : REFERENCE_WIDTH / 2);
    UpdateDisplay();
    return FilterIntoOutput();
}

void CNotchFilter::PlaceNotch(int column) {
    m_notch = column;
    SetNotchFrequency(static_cast<float>(column) * m_step * PI);
    SetAccessibleName(AccessibleName());
}

std::wstring CNotchFilter::AccessibleName() const {
    return L"Kerbfilter, Kerbe bei " + WholeHz(ColumnHz(m_notch));
}

void CNotchFilter::SetNotchFrequency(float omega) {
    const float c = std::cos(omega);
    const float b[3] = {1.0f, -2.0f * c, 1.0f};
    const float a[3] = {1.0f, POLE_TERM * c, POLE_SQUARE};
    m_filter.SetCoefficients(a, 3, b, 3);
}

void CNotchFilter::OnLButtonUp(UINT flags, CPoint point) {
    // After evaluation the player's answer stands as it was given.
    if (!TakeLeftRelease(flags, point) || m_revealed)
        return;
    TakePlayersNotch(point.x);
}

bool CNotchFilter::OnKeyDown(UINT key, UINT flags) {
    if (key == 'T' && flags == 0) {
        PlayNotchTone();
        return true;
    }
    if ((key != VK_LEFT && key != VK_RIGHT) || (flags & ~MK_SHIFT) != 0 || SwapsOnClick())
        return CAudioFilterPlot::OnKeyDown(key, flags);
    // After evaluation the arrows still belong to the notch, which no longer moves.
    if (m_revealed)
        return true;
    const int step = (flags & MK_SHIFT) != 0 ? LARGE_STEP : 1;
    const int column = m_notch + (key == VK_LEFT ? -step : step);
    TakePlayersNotch(std::clamp(column, 0, std::max(0, GetClientRect().Width() - 1)));
    return true;
}

// Faded in and out, so that the tone starts and ends without a click.
void CNotchFilter::PlayNotchTone() {
    const dsp::CSignal* input = GetInput();
    if (input == nullptr)
        return;
    const std::uint32_t rate = input->GetFormat().sampleRate;
    const int count = static_cast<int>(rate * CUE_SECONDS);
    const float fade = std::max(1.0f, static_cast<float>(rate) * CUE_FADE_SECONDS);
    const float omega = static_cast<float>(m_notch) * m_step * PI;
    std::vector<float> samples(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        const float edge = std::min(
            {1.0f, static_cast<float>(i) / fade, static_cast<float>(count - 1 - i) / fade});
        samples[static_cast<std::size_t>(i)] = CUE_AMPLITUDE * edge * std::sin(omega * i);
    }
    m_cue.StopPlayback();
    const dsp::CWaveFormat format{1, 1, rate, rate * 2, 2, 16, 0};
    if (m_cue.CreateFromSamples(format, samples.data(), count) == dsp::CSignal::RESULT_OK)
        m_cue.Play();
}

void CNotchFilter::TakePlayersNotch(int column) {
    PlaceNotch(column);
    m_placed = true;
    Refilter();
}

int CNotchFilter::DrawnToneColumn() const {
    // The tone lies exactly on a bin of the spectrum: 1024 bins span 256 reference columns.
    constexpr int bins = dsp::CSpectrum::BINS;
    const int bin = m_tone * (bins - 1) / REFERENCE_WIDTH;
    return CColumnEnvelope::ColumnOfValue(bin, bins, m_width);
}

float CNotchFilter::ToneOmega() const {
    return static_cast<float>(m_tone) * PI / REFERENCE_WIDTH;
}

double CNotchFilter::ToneHz() const {
    const dsp::CSignal* input = GetInput();
    const double rate = input != nullptr ? input->GetFormat().sampleRate : 0.0;
    return m_tone * rate / (2.0 * REFERENCE_WIDTH);
}

double CNotchFilter::ColumnHz(int column) const {
    const dsp::CSignal* input = GetInput();
    const double rate = input != nullptr ? input->GetFormat().sampleRate : 0.0;
    return column * static_cast<double>(m_step) * rate / 2.0;
}

int CNotchFilter::GetPoints() {
    if (!m_placed)
        return 0;
    if (m_notch == m_solution)
        return m_points;
    if (m_toleranceHz && std::fabs(ColumnHz(m_notch) - ToneHz()) <= *m_toleranceHz)
        return m_points / 2;
    return 0;
}

void CNotchFilter::ScaleHorizontal(float factor) {
    CAudioFilterPlot::ScaleHorizontal(factor);
    if (!(factor > 0.0f))
        return;
    m_step /= factor;
    m_solution = DrawnToneColumn();
    m_notch = StaticText::Scale(m_notch, factor);
}

void CNotchFilter::RevealAnswer() {
    // An element that never got its tone has no answer to show.
    if (m_revealed || GetInput() == nullptr)
        return;
    m_revealed = true;
    SetFont(&m_context->m_tooltipFont, false);
    if (HasWindow())
        m_listening.Create(*this, &m_context->m_tooltipFont,
                           CListeningButtons::ECorner::BottomRight); // the tones lie left
    RepaintNow();
}

std::wstring CNotchFilter::AnswerText() const {
    if (!m_revealed)
        return {};
    return L"Ton: " + WholeHz(ToneHz()) + L", deine Kerbe: " + WholeHz(ColumnHz(m_notch));
}

void CNotchFilter::OnCommand(UINT id) {
    if (!m_revealed || !CListeningButtons::IsButton(id)) {
        CAudioFilterPlot::OnCommand(id);
        return;
    }
    Listen(id == CListeningButtons::ID_RIGHT_SOLUTION);
}

void CNotchFilter::Listen(bool rightSolution) {
    if (rightSolution)
        SetNotchFrequency(ToneOmega());
    else
        PlaceNotch(m_notch);
    m_listening.Select(rightSolution);
    Refilter();
}

void CNotchFilter::DrawOverPlot(CDC& dc) {
    if (!m_revealed)
        return;
    const CRect client = GetClientRect();
    dc.SetTextColor(RGB(0, 0, 0));
    dc.SetBkColor(RGB(255, 255, 255));
    dc.SetBkMode(OPAQUE);
    dc.DrawText(AnswerText(), CRect{0, MARGIN, client.right - MARGIN, client.bottom},
                DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX);
    // The marker last: on a narrow plot the text reaches over the tone's column.
    const CPen pen(PS_SOLID, 1, ANSWER_COLOR);
    const CPen* previous = dc.SelectPen(&pen);
    const int x = m_solution;
    for (int y = 0; y < client.bottom; y += DASH + GAP) {
        dc.MoveTo(x, y);
        dc.LineTo(x, std::min(y + DASH, client.bottom));
    }
    // A triangle pointing down at the tone from the top edge, readable without colour.
    for (int row = 0; row < TRIANGLE_HALF_WIDTH; ++row) {
        const int half = TRIANGLE_HALF_WIDTH - row;
        dc.MoveTo(x - half, row);
        dc.LineTo(x + half + 1, row);
    }
    dc.SelectPen(previous);
}

} // namespace game
