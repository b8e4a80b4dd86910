#include "dsp/CSpectrum.h"

#include "dsp/CFftwPlanner.h"
#include "dsp/CFloatBlocks.h"
#include "dsp/CHammingWindow.h"

#include <algorithm>
#include <cmath>

namespace dsp {

int CSpectrum::FrameCount(int samples) {
    return samples >= WINDOW_LENGTH ? (samples - HOP) / HOP : 0;
}

bool CSpectrum::Create(int samples) {
    Release();
    if (!m_output.Allocate(BINS) || !m_input.Allocate(WINDOW_LENGTH) || !m_power.Allocate(BINS)) {
        Release();
        return false;
    }
    m_plan = CFftwPlanner::PlanRealToComplex(WINDOW_LENGTH, m_input.Get(), m_output.Get(),
                                             FFTW_ESTIMATE);
    if (m_plan.IsEmpty()) {
        Release();
        return false;
    }
    m_frames = FrameCount(samples);
    m_exists = true;
    return true;
}

void CSpectrum::Release() {
    m_plan.Reset();
    m_output.Release();
    m_input.Release();
    m_power.Release();
    m_frames = 0;
    m_factor = 0.0f;
    m_exists = false;
}

void CSpectrum::Compute(const float* samples, float factor) {
    if (!m_exists)
        return;
    std::fill_n(m_power.Get(), BINS, 0.0f);
    for (int t = 0; t < m_frames; ++t)
        AddFrame(samples + std::size_t(t) * HOP);
    if (factor == 0.0f) {
        const float largest = LargestBin();
        factor = largest > 0.0f ? 1.0f / largest : 0.0f;
        if (!std::isfinite(factor))
            factor = 0.0f;
    }
    Scale(factor);
    m_factor = factor;
}

void CSpectrum::AddFrame(const float* frame) {
    CFloatBlocks::Multiply<WINDOW_LENGTH>(CHammingWindow::Table(WINDOW_LENGTH).data(), frame,
                                          m_input.Get());
    fftwf_execute(m_plan.Get());
    // Bins 0 .. 1023 in SIMD blocks, the last one (half the sample rate) on its own.
    const fftwf_complex* out = m_output.Get();
    float* power = m_power.Get();
    CFloatBlocks::AddSquaredMagnitudes<BINS - 1>(&out[0][0], power);
    power[BINS - 1] += out[BINS - 1][0] * out[BINS - 1][0] + out[BINS - 1][1] * out[BINS - 1][1];
}

float CSpectrum::LargestBin() const {
    return *std::max_element(m_power.Get(), m_power.Get() + BINS);
}

// A derived signal is scaled by its root's factor, which can be any size: held to the float
// range so that a display never meets an infinity.
void CSpectrum::Scale(float factor) {
    CFloatBlocks::ScaleLimited(m_power.Get(), BINS, factor);
}

} // namespace dsp
