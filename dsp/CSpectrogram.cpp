#include "dsp/CSpectrogram.h"

#include "dsp/CFftwPlanner.h"
#include "dsp/CFloatBlocks.h"
#include "dsp/CHammingWindow.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace dsp {

namespace {

// Frames transformed before they are scattered: the scratch block (24 rows of 4 KiB) stays in
// the cache while it is read out bin by bin. Kept under 128 KiB, the size from which the C
// library maps every allocation freshly, paying a page fault per 4 KiB each time.
constexpr int GROUP = 24;
// Scratch rows are padded to a multiple of 64 bytes so that every row has the alignment the
// plan was made for, and consecutive rows fall into different cache sets.
constexpr int ROW = 520;
static_assert(ROW >= CSpectrogram::BINS && ROW * sizeof(fftwf_complex) % 64 == 0);
static_assert(GROUP % 2 == 0);

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
// first + count - 1, passing every value through op. Works on 2 bins x 2 frames at a time: two
// loads, two shuffles, two stores.
template <typename Op>
void Scatter(const fftwf_complex* scratch, fftwf_complex* matrix, int frames, int first, int count,
             Op& op) {
    const int BINS = CSpectrogram::BINS;
    const int pairedRows = count - count % 2;
    auto single = [&](int bin, int row) {
        const fftwf_complex& in = scratch[std::size_t(row) * ROW + bin];
        fftwf_complex& out = matrix[std::size_t(bin) * frames + first + row];
        out[0] = op(in[0]);
        out[1] = op(in[1]);
    };
    for (int bin = 0; bin + 1 < BINS; bin += 2) {
        fftwf_complex* out0 = matrix + std::size_t(bin) * frames + first;
        fftwf_complex* out1 = out0 + frames;
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
    // A signal shorter than one window still gets a (silent) block; it just has no frames.
    const std::size_t values = std::max<std::size_t>(1, std::size_t(frames) * BINS);
    if (!m_matrix.Allocate(values) || !m_input.Allocate(WINDOW_LENGTH) ||
        !m_scratch.Allocate(std::size_t(GROUP) * ROW)) {
        Release();
        return false;
    }
    m_plan = CFftwPlanner::PlanRealToComplex(WINDOW_LENGTH, m_input.Get(), m_scratch.Get(),
                                             FFTW_MEASURE);
    if (m_plan.IsEmpty()) {
        Release();
        return false;
    }
    m_frames = frames;
    m_exists = true;
    return true;
}

void CSpectrogram::Release() {
    m_plan.Reset();
    m_matrix.Release();
    m_input.Release();
    m_scratch.Release();
    m_frames = 0;
    m_factor = 0.0f;
    m_exists = false;
}

void CSpectrogram::Compute(const float* samples, float factor) {
    if (!m_exists)
        return;
    if (factor != 0.0f) {
        // A derived signal: its root's factor is known, so values are scaled on their way.
        CScaleLimited scale(factor);
        for (int first = 0; first < m_frames; first += GROUP)
            ScatterGroup(samples, first, scale);
        m_factor = factor;
        return;
    }
    // A root signal: the factor needs the largest value of the whole matrix.
    CTrackLargest largest;
    for (int first = 0; first < m_frames; first += GROUP)
        ScatterGroup(samples, first, largest);
    factor = largest.Largest() > 0.0f ? FULL_SCALE / largest.Largest() : 0.0f;
    if (!std::isfinite(factor))
        factor = 0.0f;
    // A root's own factor maps its largest part to FULL_SCALE, so nothing here can overflow.
    CFloatBlocks::Scale(&m_matrix.Get()[0][0], 2 * std::size_t(m_frames) * BINS, factor);
    m_factor = factor;
}

template <typename Op> void CSpectrogram::ScatterGroup(const float* samples, int first, Op& op) {
    const int count = std::min(GROUP, m_frames - first);
    TransformGroup(samples, first, count);
    Scatter(m_scratch.Get(), m_matrix.Get(), m_frames, first, count, op);
}

std::complex<float> CSpectrogram::GetValue(int bin, int frame) const {
    const fftwf_complex& v = m_matrix.Get()[std::size_t(bin) * m_frames + frame];
    return {v[0], v[1]};
}

void CSpectrogram::TransformGroup(const float* samples, int first, int count) {
    const float* window = CHammingWindow::Table(WINDOW_LENGTH).data();
    for (int row = 0; row < count; ++row) {
        const float* frame = samples + std::size_t(first + row) * HOP;
        CFloatBlocks::Multiply<WINDOW_LENGTH>(frame, window, m_input.Get());
        fftwf_execute_dft_r2c(m_plan.Get(), m_input.Get(),
                              m_scratch.Get() + std::size_t(row) * ROW);
    }
}

} // namespace dsp
