#pragma once
// The averaged power spectrum of a signal: 2048-sample Hamming windows every 1024 samples,
// the squared magnitudes summed over all windows and scaled for display.

#include "dsp/CFftwBuffer.h"
#include "dsp/CFftwPlan.h"

namespace dsp {

class CSpectrum {
public:
    static constexpr int WINDOW_LENGTH = 2048;
    static constexpr int HOP = 1024;
    static constexpr int BINS = WINDOW_LENGTH / 2 + 1;

    // Whole windows in a signal of this many samples.
    static int FrameCount(int samples);

    // Makes the block for a signal of this many samples: buffers and plan. False (and the
    // block absent) when memory or the plan cannot be had.
    bool Create(int samples);
    void Release();
    // Recomputes the power from samples (as many as given to Create). With factor 0 the block
    // normalises itself so that its largest bin becomes 1; otherwise every bin is scaled by
    // factor (a derived signal, with its root's factor). Allocates nothing.
    void Compute(const float* samples, float factor);

    bool Exists() const { return m_exists; }
    int GetBins() const { return m_exists ? BINS : 0; }
    int GetFrames() const { return m_frames; }
    int GetHop() const { return m_exists ? HOP : 0; }
    // 0 when the signal is silent or too short for one window: all bins are then 0.
    float GetFactor() const { return m_factor; }
    // Linear power per bin, summed over the windows, after scaling.
    const float* GetPower() const { return m_power.Get(); }

private:
    void AddFrame(const float* frame);
    float LargestBin() const;
    void Scale(float factor);

    CFftwBuffer<fftwf_complex> m_output;
    CFftwBuffer<float> m_input;
    CFftwBuffer<float> m_power;
    CFftwPlan m_plan;
    int m_frames = 0;
    float m_factor = 0.0f;
    bool m_exists = false;
};

} // namespace dsp
