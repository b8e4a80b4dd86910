#include "dsp/CSpectrum.h"

#include "dsp/CFftwPlanner.h"
#include "dsp/CFloatBlocks.h"
#include "dsp/CHammingWindow.h"
#include "dsp/CSampleFeed.h"

#include <algorithm>
#include <cmath>

namespace dsp {

namespace {

// A chunk's row of sums, padded to a multiple of 64 bytes so that no two threads write into
// one cache line.
constexpr int SUM_ROW = 1040;
static_assert(SUM_ROW >= CSpectrum::BINS && SUM_ROW * sizeof(float) % 64 == 0);

int ChunkCount(int frames) {
    return (frames + CSpectrum::CHUNK - 1) / CSpectrum::CHUNK;
}

// What one thread needs to transform a frame: made on the thread's first chunk and kept for
// the thread's life, so that later computations allocate nothing.
class CFrameWorkspace {
public:
    // Null when the memory cannot be had; a later call tries again.
    static CFrameWorkspace* ForThisThread() {
        thread_local CFrameWorkspace workspace;
        const bool ready = !workspace.m_output.IsEmpty() ||
                           (workspace.m_input.Allocate(CSpectrum::WINDOW_LENGTH) &&
                            workspace.m_output.Allocate(CSpectrum::BINS));
        return ready ? &workspace : nullptr;
    }

    // sums[k] += the power of bin k of the windowed frame.
    void AddFrame(fftwf_plan plan, const float* frame, float* sums) {
        const int BINS = CSpectrum::BINS;
        CFloatBlocks::Multiply<CSpectrum::WINDOW_LENGTH>(
            CHammingWindow::Table(CSpectrum::WINDOW_LENGTH).data(), frame, m_input.Get());
        fftwf_execute_dft_r2c(plan, m_input.Get(), m_output.Get());
        // Bins 0 .. 1023 in SIMD blocks, the last one (half the sample rate) on its own.
        const fftwf_complex* out = m_output.Get();
        CFloatBlocks::AddSquaredMagnitudes<BINS - 1>(&out[0][0], sums);
        sums[BINS - 1] += out[BINS - 1][0] * out[BINS - 1][0] + out[BINS - 1][1] * out[BINS - 1][1];
    }

private:
    CFftwBuffer<float> m_input;
    CFftwBuffer<fftwf_complex> m_output;
};

void AddRow(const float* __restrict row, float* __restrict sums) {
    for (int k = 0; k < CSpectrum::BINS; ++k)
        sums[k] += row[k];
}

} // namespace

int CSpectrum::FrameCount(int samples) {
    return samples >= WINDOW_LENGTH ? (samples - HOP) / HOP : 0;
}

bool CSpectrum::Create(int samples) {
    Release();
    const int frames = FrameCount(samples);
    const std::size_t sums = std::size_t(std::max(1, ChunkCount(frames))) * SUM_ROW;
    m_plan = CFftwPlanner::SharedRealToComplex(WINDOW_LENGTH, FFTW_ESTIMATE);
    if (m_plan == nullptr || !m_power.Allocate(BINS) || !m_chunkSums.Allocate(sums)) {
        Release();
        return false;
    }
    m_frames = frames;
    m_exists = true;
    return true;
}

void CSpectrum::Release() {
    m_plan = nullptr;
    m_power.Release();
    m_chunkSums.Release();
    m_frames = 0;
    m_factor = 0.0f;
    m_exists = false;
}

int CSpectrum::BeginCompute(float factor) {
    m_pendingFactor = factor;
    m_failed = false;
    return m_exists ? ChunkCount(m_frames) : 0;
}

void CSpectrum::ComputePiece(const float* samples, int piece, const CSampleFeed* feed) {
    if (feed != nullptr) {
        const int lastFrame = std::min(m_frames, (piece + 1) * CHUNK) - 1;
        feed->WaitFor(lastFrame * HOP + WINDOW_LENGTH);
    }
    if (!SumChunk(samples, piece))
        m_failed = true;
}

bool CSpectrum::FinishCompute() {
    if (!m_exists)
        return false;
    if (m_failed) {
        std::fill_n(m_power.Get(), BINS, 0.0f);
        m_factor = 0.0f;
        return false;
    }
    AddChunkSums();
    float factor = m_pendingFactor;
    if (factor == 0.0f) {
        const float largest = LargestBin();
        factor = largest > 0.0f ? 1.0f / largest : 0.0f;
        if (!std::isfinite(factor))
            factor = 0.0f;
    }
    Scale(factor);
    m_factor = factor;
    return true;
}

bool CSpectrum::SumChunk(const float* samples, int chunk) {
    CFrameWorkspace* workspace = CFrameWorkspace::ForThisThread();
    if (workspace == nullptr)
        return false;
    float* sums = m_chunkSums.Get() + std::size_t(chunk) * SUM_ROW;
    std::fill_n(sums, BINS, 0.0f);
    const int end = std::min(m_frames, (chunk + 1) * CHUNK);
    for (int t = chunk * CHUNK; t < end; ++t)
        workspace->AddFrame(m_plan, samples + std::size_t(t) * HOP, sums);
    return true;
}

// The chunks in their order, whichever thread summed them.
void CSpectrum::AddChunkSums() {
    float* power = m_power.Get();
    std::fill_n(power, BINS, 0.0f);
    for (int chunk = 0; chunk < ChunkCount(m_frames); ++chunk)
        AddRow(m_chunkSums.Get() + std::size_t(chunk) * SUM_ROW, power);
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
