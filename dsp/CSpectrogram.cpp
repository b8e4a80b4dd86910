#include "dsp/CSpectrogram.h"

#include "dsp/CFftwPlanner.h"
#include "dsp/CFloatBlocks.h"
#include "dsp/CHammingWindow.h"
#include "dsp/CSampleFeed.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace dsp {

namespace {

// Frames transformed before they are scattered: the scratch block (48 rows of 4 KiB) stays in
// the second-level cache while it is read out bin by bin, and each bin's row of the matrix gets
// 384 bytes at a time, whole cache lines but at the edges. Every thread keeps its own block.
constexpr int GROUP = 48;
// Scratch rows are padded to a multiple of 64 bytes so that every row has the alignment the
// plan was made for, and consecutive rows fall into different cache sets.
constexpr int ROW = 520;
static_assert(ROW >= CSpectrogram::BINS && ROW * sizeof(fftwf_complex) % 64 == 0);
static_assert(GROUP % 2 == 0);
// Matrix cells in a cache line. A bin's row is padded to whole lines and a group of frames
// fills whole lines of it, so threads that scatter neighbouring groups never write one line.
constexpr int LINE_CELLS = 64 / sizeof(fftwf_complex);
static_assert(GROUP % LINE_CELLS == 0);

// What one thread needs to transform a group of frames: made on the thread's first group and
// kept for the thread's life, so that later computations allocate nothing.
class CGroupWorkspace {
public:
    // Null when the memory cannot be had; a later call tries again.
    static CGroupWorkspace* ForThisThread() {
        thread_local CGroupWorkspace workspace;
        const bool ready = !workspace.m_scratch.IsEmpty() ||
                           (workspace.m_input.Allocate(CSpectrogram::WINDOW_LENGTH) &&
                            workspace.m_scratch.Allocate(std::size_t(GROUP) * ROW));
        return ready ? &workspace : nullptr;
    }

    // Windows and transforms frames first .. first + count - 1 into scratch rows 0 .. count - 1.
    void Transform(fftwf_plan plan, const float* samples, int first, int count) {
        const float* window = CHammingWindow::Table(CSpectrogram::WINDOW_LENGTH).data();
        for (int row = 0; row < count; ++row) {
            const float* frame = samples + std::size_t(first + row) * CSpectrogram::HOP;
            CFloatBlocks::Multiply<CSpectrogram::WINDOW_LENGTH>(frame, window, m_input.Get());
            fftwf_execute_dft_r2c(plan, m_input.Get(), m_scratch.Get() + std::size_t(row) * ROW);
        }
    }
    const fftwf_complex* Scratch() const { return m_scratch.Get(); }

private:
    CFftwBuffer<float> m_input;           // one windowed frame
    CFftwBuffer<fftwf_complex> m_scratch; // a group of transformed frames, one per row
};

// Two complex values as one SIMD register (GCC/Clang vector extensions, SSE2 on x86-64).
using Floats4 = float __attribute__((vector_size(16)));
using Ints4 = std::int32_t __attribute__((vector_size(16)));

Floats4 Load(const fftwf_complex* values) {
    Floats4 v;
    std::memcpy(&v, values, sizeof v);
    return v;
}

void Store(fftwf_complex* values, Floats4 v) {
    std::memcpy(values, &v, sizeof v);
}

// Passes values on unchanged and remembers the largest magnitude among them (values are finite:
// samples are held within SAMPLE_LIMIT).
class CTrackLargest {
public:
    Floats4 operator()(Floats4 v) {
        const Floats4 magnitude =
            reinterpret_cast<Floats4>(reinterpret_cast<Ints4>(v) & 0x7FFFFFFF);
        m_largest = m_largest > magnitude ? m_largest : magnitude;
        return v;
    }
    float operator()(float v) {
        m_scalar = std::max(m_scalar, std::fabs(v));
        return v;
    }
    float Largest() const {
        float largest = m_scalar;
        for (int lane = 0; lane < 4; ++lane)
            largest = std::max(largest, m_largest[lane]);
        return largest;
    }

private:
    Floats4 m_largest = {0.0f, 0.0f, 0.0f, 0.0f};
    float m_scalar = 0.0f;
};

// Scales values by a factor that can be any size (a derived signal's root's factor), held to
// the float range so that a display never meets an infinity.
class CScaleLimited {
public:
    explicit CScaleLimited(float factor)
        : m_factor{factor, factor, factor, factor}, m_scalarFactor(factor) {}
    Floats4 operator()(Floats4 v) const {
        const Floats4 high = {FLT_MAX, FLT_MAX, FLT_MAX, FLT_MAX};
        v *= m_factor;
        v = v > high ? high : v;
        return v < -high ? -high : v;
    }
    float operator()(float v) const { return std::clamp(v * m_scalarFactor, -FLT_MAX, FLT_MAX); }

private:
    Floats4 m_factor;
    float m_scalarFactor;
};

// Moves count transformed frames (scratch rows) to their bin-major places, frames first ..
// first + count - 1 of rows stride cells apart, passing every value through op. Works on 2 bins x 2
// frames at a time: two loads, two shuffles, two stores.
template <typename Op>
void Scatter(const fftwf_complex* scratch, fftwf_complex* matrix, int stride, int first, int count,
             Op& op) {
    const int BINS = CSpectrogram::BINS;
    const int pairedRows = count - count % 2;
    auto single = [&](int bin, int row) {
        const fftwf_complex& in = scratch[std::size_t(row) * ROW + bin];
        fftwf_complex& out = matrix[std::size_t(bin) * stride + first + row];
        out[0] = op(in[0]);
        out[1] = op(in[1]);
    };
    for (int bin = 0; bin + 1 < BINS; bin += 2) {
        fftwf_complex* out0 = matrix + std::size_t(bin) * stride + first;
        fftwf_complex* out1 = out0 + stride;
        for (int row = 0; row < pairedRows; row += 2) {
            const Floats4 a = op(Load(scratch + std::size_t(row) * ROW + bin));
            const Floats4 b = op(Load(scratch + std::size_t(row + 1) * ROW + bin));
            Store(out0 + row, __builtin_shufflevector(a, b, 0, 1, 4, 5));
            Store(out1 + row, __builtin_shufflevector(a, b, 2, 3, 6, 7));
        }
        for (int row = pairedRows; row < count; ++row) {
            single(bin, row);
            single(bin + 1, row);
        }
    }
    for (int row = 0; row < count; ++row)
        single(BINS - 1, row);
}

} // namespace

int CSpectrogram::FrameCount(int samples) {
    return samples >= WINDOW_LENGTH ? (samples - HOP) / HOP : 0;
}

bool CSpectrogram::Create(int samples) {
    Release();
    const int frames = FrameCount(samples);
    const int stride = (frames + LINE_CELLS - 1) / LINE_CELLS * LINE_CELLS;
    // A signal shorter than one window still gets a (silent) block; it just has no frames.
    const std::size_t values = std::max<std::size_t>(1, std::size_t(stride) * BINS);
    m_plan = CFftwPlanner::SharedRealToComplex(WINDOW_LENGTH, FFTW_MEASURE);
    if (m_plan == nullptr || !m_matrix.Allocate(values)) {
        Release();
        return false;
    }
    m_frames = frames;
    m_stride = stride;
    // The padding past each bin's last frame is never written, but read with the rest.
    for (int bin = 0; bin < BINS && frames < stride; ++bin)
        std::fill_n(&m_matrix.Get()[std::size_t(bin) * stride + frames][0], 2 * (stride - frames),
                    0.0f);
    m_exists = true;
    return true;
}

void CSpectrogram::Release() {
    m_plan = nullptr;
    m_matrix.Release();
    m_frames = 0;
    m_stride = 0;
    m_factor = 0.0f;
    m_matrixScale = 1.0f;
    m_exists = false;
}

int CSpectrogram::BeginCompute(float factor) {
    m_pendingFactor = factor;
    m_largestBits = 0;
    m_failed = false;
    return m_exists ? (m_frames + GROUP - 1) / GROUP : 0;
}

void CSpectrogram::ComputePiece(const float* samples, int piece, const CSampleFeed* feed) {
    if (feed != nullptr) {
        const int lastFrame = std::min(m_frames, (piece + 1) * GROUP) - 1;
        feed->WaitFor(lastFrame * HOP + WINDOW_LENGTH);
    }
    const float largest = ComputeGroup(samples, piece, m_pendingFactor);
    if (largest < 0.0f)
        m_failed = true;
    else
        MergeLargest(largest);
}

bool CSpectrogram::FinishCompute() {
    if (!m_exists)
        return false;
    if (m_failed) {
        Zero();
        return false;
    }
    float factor = m_pendingFactor;
    m_matrixScale = 1.0f;
    if (factor == 0.0f) {
        // A root signal: the factor needed the largest value of the whole matrix, which stays
        // as it was transformed and is scaled when read.
        const std::uint32_t bits = m_largestBits;
        float largest;
        std::memcpy(&largest, &bits, sizeof largest);
        factor = largest > 0.0f ? FULL_SCALE / largest : 0.0f;
        if (!std::isfinite(factor))
            factor = 0.0f;
        m_matrixScale = factor;
    }
    m_factor = factor;
    return true;
}

// Magnitudes are finite and not negative, and such floats order as their bit patterns do; the
// largest is the same whichever thread finds it first.
void CSpectrogram::MergeLargest(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    std::uint32_t known = m_largestBits.load(std::memory_order_relaxed);
    while (known < bits && !m_largestBits.compare_exchange_weak(known, bits))
        ;
}

float CSpectrogram::ComputeGroup(const float* samples, int group, float factor) {
    CGroupWorkspace* workspace = CGroupWorkspace::ForThisThread();
    if (workspace == nullptr)
        return -1.0f;
    const int first = group * GROUP;
    const int count = std::min(GROUP, m_frames - first);
    workspace->Transform(m_plan, samples, first, count);
    if (factor != 0.0f) {
        // A derived signal: its root's factor is known, so values are scaled on their way.
        CScaleLimited scale(factor);
        Scatter(workspace->Scratch(), m_matrix.Get(), m_stride, first, count, scale);
        return 0.0f;
    }
    CTrackLargest largest;
    Scatter(workspace->Scratch(), m_matrix.Get(), m_stride, first, count, largest);
    return largest.Largest();
}

void CSpectrogram::Zero() {
    std::fill_n(&m_matrix.Get()[0][0], 2 * std::size_t(m_stride) * BINS, 0.0f);
    m_factor = 0.0f;
    m_matrixScale = 1.0f;
}

// A root's own factor maps its largest part to FULL_SCALE, so the product cannot overflow.
std::complex<float> CSpectrogram::GetValue(int bin, int frame) const {
    const fftwf_complex& v = m_matrix.Get()[std::size_t(bin) * m_stride + frame];
    return {v[0] * m_matrixScale, v[1] * m_matrixScale};
}

} // namespace dsp
