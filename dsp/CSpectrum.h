#pragma once
// The averaged power spectrum of a signal: 2048-sample Hamming windows every 1024 samples,
// the squared magnitudes summed over all windows and scaled for display.
//
// The windows are summed in chunks of a fixed number of frames spread over the worker pool,
// and the chunks' sums are then added in chunk order: the same additions in the same order
// however many threads there are, so the result does not depend on it.

#include "dsp/CAnalysis.h"
#include "dsp/CFftwBuffer.h"

#include <fftw3.h>

#include <atomic>

namespace dsp {

class CSpectrum : public CAnalysis {
public:
    static constexpr int WINDOW_LENGTH = 2048;
    static constexpr int HOP = 1024;
    static constexpr int BINS = WINDOW_LENGTH / 2 + 1;

    // Whole windows in a signal of this many samples.
    static int FrameCount(int samples);

    // Frames summed by one piece of work: as many samples as a spectrogram piece reads, so the
    // pieces of both analyses of a signal go through the samples at the same pace.
    static constexpr int CHUNK = 24;

    // Computing with factor 0 normalises the block so that its largest bin becomes 1.
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
    // Linear power per bin, summed over the windows, after scaling.
    const float* GetPower() const { return m_power.Get(); }

private:
    // Sums the frames of one chunk into its row of m_chunkSums; false without working memory.
    bool SumChunk(const float* samples, int chunk);
    void AddChunkSums();
    float LargestBin() const;
    void Scale(float factor);

    CFftwBuffer<float> m_power;
    CFftwBuffer<float> m_chunkSums; // one padded row per chunk
    fftwf_plan m_plan = nullptr;    // shared, not owned
    int m_frames = 0;
    float m_factor = 0.0f;
    bool m_exists = false;
    // While a computation runs: its factor (0: find it) and whether a thread lacked memory.
    float m_pendingFactor = 0.0f;
    std::atomic<bool> m_failed{false};
};

} // namespace dsp
