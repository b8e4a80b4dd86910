#pragma once
// The short-time Fourier transform of a signal: 1024-sample Hamming windows every 512
// samples, kept as complex values in a bin-major matrix and scaled for display.
//
// Each window is transformed into a contiguous row of a small scratch block and the block is
// then scattered to its bin-major places. The plan therefore describes the same problem for
// every signal, whatever its length, and FFTW measures it once per process; a plan that wrote
// the bins straight to their places would need a new measurement for every frame count.

#include "dsp/CFftwBuffer.h"
#include "dsp/CFftwPlan.h"

#include <complex>

namespace dsp {

class CSpectrogram {
public:
    static constexpr int WINDOW_LENGTH = 1024;
    static constexpr int HOP = 512;
    static constexpr int BINS = WINDOW_LENGTH / 2 + 1;
    // A root signal's strongest real or imaginary part is drawn at this value.
    static constexpr float FULL_SCALE = 0.8f;

    // Whole windows in a signal of this many samples.
    static int FrameCount(int samples);

    // Makes the block for a signal of this many samples: buffers and plan. False (and the
    // block absent) when memory or the plan cannot be had.
    bool Create(int samples);
    void Release();
    // Recomputes the matrix from samples (as many as given to Create). With factor 0 the block
    // normalises itself so that its largest part becomes FULL_SCALE; otherwise every value is
    // scaled by factor (a derived signal, with its root's factor). Allocates nothing.
    void Compute(const float* samples, float factor);

    bool Exists() const { return m_exists; }
    int GetBins() const { return m_exists ? BINS : 0; }
    int GetFrames() const { return m_frames; }
    int GetHop() const { return m_exists ? HOP : 0; }
    // 0 when the signal is silent or too short for one window: all values are then 0.
    float GetFactor() const { return m_factor; }
    // Bin k of frame t is at k * GetFrames() + t.
    const fftwf_complex* GetMatrix() const { return m_matrix.Get(); }
    std::complex<float> GetValue(int bin, int frame) const;

private:
    // Transforms the frames of one group and moves them to the matrix through op.
    template <typename Op> void ScatterGroup(const float* samples, int first, Op& op);
    void TransformGroup(const float* samples, int first, int count);

    CFftwBuffer<fftwf_complex> m_matrix;
    CFftwBuffer<float> m_input;           // one windowed frame
    CFftwBuffer<fftwf_complex> m_scratch; // a group of transformed frames, one per row
    CFftwPlan m_plan;
    int m_frames = 0;
    float m_factor = 0.0f;
    bool m_exists = false;
};

} // namespace dsp
