#include "game/CNotchFilter.h"

#include "dsp/CSignal.h"
#include "dsp/CSinNoise.h"
#include "dsp/CSpectrum.h"
#include "game/CColumnEnvelope.h"
#include "game/StaticText.h"
#include "platform/CRandom.h"

#include <tinyxml2.h>

#include <cmath>
#include <cstring>

namespace game {

namespace {

constexpr float PI = 3.1415927f;
constexpr int REFERENCE_WIDTH = 256;
// -2 x 0.9 and 0.9^2 as the filter always had them in single precision.
constexpr float POLE_TERM = -1.8f;
constexpr float POLE_SQUARE = 0.81f;

} // namespace

CNotchFilter::CNotchFilter(CGameContext* context, float step, float poleRadius)
    : CAudioFilterPlot(context), m_step(step), m_poleRadius(poleRadius) {}

int CNotchFilter::ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) {
    if (std::strcmp(node.Name(), "notch") != 0)
        return ERR_XML_TITLE;
    const int result = CAudioFilterPlot::ReadXml(node, area, style);
    int solution = 0;
    node.QueryIntAttribute("solution", &solution);
    m_showSolution = solution > 0;
    return result;
}

int CNotchFilter::Prepare() {
    if (GetInput() != nullptr)
        return ERR_NONE;
    // The element that makes the input is prepared first, so a notch may also disturb the
    // output of another filter: unprepared, that output would still be empty.
    if (const int bound = BindInput(); bound != ERR_NONE)
        return bound;
    m_step = 1.0f / REFERENCE_WIDTH;
    m_tone = CRandom::Next() % TONE_COLUMNS + FIRST_TONE_COLUMN;
    const float omega = static_cast<float>(m_tone) * PI / REFERENCE_WIDTH;
    GetInput()->ApplyNoise(dsp::CSinNoise(TONE_AMPLITUDE, omega));
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
    const float c = std::cos(static_cast<float>(column) * m_step * PI);
    const float b[3] = {1.0f, -2.0f * c, 1.0f};
    const float a[3] = {1.0f, POLE_TERM * c, POLE_SQUARE};
    m_filter.SetCoefficients(a, 3, b, 3);
}

void CNotchFilter::OnLButtonUp(UINT flags, CPoint point) {
    if (!TakeLeftRelease(flags, point))
        return;
    PlaceNotch(point.x);
    m_placed = true;
    Refilter();
}

int CNotchFilter::DrawnToneColumn() const {
    // The tone lies exactly on a bin of the spectrum: 1024 bins span 256 reference columns.
    constexpr int bins = dsp::CSpectrum::BINS;
    const int bin = m_tone * (bins - 1) / REFERENCE_WIDTH;
    return CColumnEnvelope::ColumnOfValue(bin, bins, m_width);
}

int CNotchFilter::GetPoints() {
    return m_placed && m_notch == m_solution ? 1 : 0;
}

void CNotchFilter::ScaleHorizontal(float factor) {
    CAudioFilterPlot::ScaleHorizontal(factor);
    if (!(factor > 0.0f))
        return;
    m_step /= factor;
    m_solution = DrawnToneColumn();
    m_notch = StaticText::Scale(m_notch, factor);
}

} // namespace game
