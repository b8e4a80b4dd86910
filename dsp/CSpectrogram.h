#pragma once
// The short-time Fourier transform of a signal: 1024-sample Hamming windows every 512
// samples, kept as complex values in a bin-major matrix and scaled for display.
//
// Each window is transformed into a contiguous row of a small scratch block and the block is
// then scattered to its bin-major places. The plan therefore describes the same problem for
// every signal, whatever its length: FFTW measures it once per process and every signal and
// thread shares it; a plan that wrote the bins straight to their places would need a new
// measurement for every frame count.
//
// The frames are transformed in groups spread over the worker pool; each group writes its own
// columns of the matrix and the largest value is the same whichever thread finds it, so the
// result does not depend on how many threads there are.

#include "dsp/CAnalysis.h"
#include "dsp/CFftwBuffer.h"

#include <fftw3.h>

#include <atomic>
#include <complex>
#include <cstdint>

namespace dsp {

class CSpectrogram : public CAnalysis {
public:
    static constexpr int WINDOW_LENGTH = 1024;
    static constexpr int HOP = 512;
    static constexpr int BINS = WINDOW_LENGTH / 2 + 1;
    // A root signal's strongest real or imaginary part is drawn at this value.
    static constexpr float FULL_SCALE = 0.8f;

    // Whole windows in a signal of this many samples.
    static int FrameCount(int samples);

    // Computing with factor 0 normalises the block so that its largest part becomes FULL_SCALE.
    bool Create(int samples) override;
    void Release() override;
    int BeginCompute(float factor) override;
    void ComputePiece(const float* samples, int piece, const CSampleFeed* feed) override;
    bool FinishCompute() override;

    bool Exists() const override { return m_exists; }
    int GetBins() const { return m_exists ? BINS : 0; }
    int GetFrames() const { return m_frames; }
    int GetHop() const { return m_exists ? HOP : 0; }
    float GetFactor() const override { return m_factor; }
    // Bin k of frame t is at k * GetStride() + t, to be multiplied by GetMatrixScale(): a root
    // signal keeps its transforms as they came, since its factor is known only after the last.
    const fftwf_complex* GetMatrix() const { return m_matrix.Get(); }
    float GetMatrixScale() const { return m_matrixScale; }
    // Cells from one bin to the next: the frame count rounded up to whole cache lines (the
    // cells past the last frame are 0).
    int GetStride() const { return m_stride; }
    // A value as displayed: scaled.
    std::complex<float> GetValue(int bin, int frame) const;

private:
    // Transforms the frames of one group and moves them to the matrix, scaled by factor or, when
    // factor is 0, as they are; then the largest part is the group's result. Negative when the
    // thread has no working memory.
    float ComputeGroup(const float* samples, int group, float factor);
    void MergeLargest(float value);
    void Zero();

    CFftwBuffer<fftwf_complex> m_matrix;
    fftwf_plan m_plan = nullptr; // shared, not owned
    int m_frames = 0;
    int m_stride = 0;
    float m_factor = 0.0f;
    float m_matrixScale = 1.0f;
    bool m_exists = false;
    // While a computation runs: its factor (0: find it), the largest part found so far (as the
    // bits of a float that is not negative), and whether a thread lacked working memory.
    float m_pendingFactor = 0.0f;
    std::atomic<std::uint32_t> m_largestBits{0};
    std::atomic<bool> m_failed{false};
};

} // namespace dsp
