#include "dsp/CFilter.h"

#include "dsp/SampleLimit.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <new>
#include <utility>

namespace dsp {

namespace {

bool IsValidSet(const float* values, int count) {
    if (count < 0 || (count > 0 && values == nullptr))
        return false;
    return std::all_of(values, values + count, [](float v) { return std::isfinite(v); });
}

float LargestMagnitude(const float* values, int count) {
    float largest = 0.0f;
    for (int i = 0; i < count; ++i)
        largest = std::fmax(largest, std::fabs(values[i]));
    return largest;
}

std::unique_ptr<float[]> CopyOf(const float* values, int count) {
    if (count == 0)
        return nullptr;
    std::unique_ptr<float[]> copy(new (std::nothrow) float[count]);
    if (copy)
        std::copy_n(values, count, copy.get());
    return copy;
}

// The final division by a[0], as a multiplication by g = 1 / a[0].
struct CGain {
    float g;
    float operator()(float s) const { return s * g; }
};
// Designed filters mostly have a[0] = 1, and multiplying by 1 changes nothing: leaving it out
// shortens the chain from one output to the next, which sets the speed of the loop.
struct CUnitGain {
    float operator()(float s) const { return s; }
};

// The right-hand side of the equation for output i, summed in single precision in the
// equation's order (newest feedback term last), over the terms b[0 .. lastB], a[1 .. lastA].
float Sum(const float* b, int lastB, const float* a, int lastA, const float* x, const float* y,
          int i) {
    float s = 0.0f;
    for (int j = lastB; j >= 0; --j)
        s += b[j] * x[i - j];
    for (int j = lastA; j >= 1; --j)
        s -= a[j] * y[i - j];
    return s;
}

// The hot loop for NB + NA coefficients, unrolled for that order, with the last outputs kept in
// registers. Same terms in the same order as Sum, so the same results to the bit.
template <int NB, int NA, typename Scale>
void RunUnrolled(const float* b, const float* a, const float* x, int start, int n, float* y,
                 Scale scale) {
    float bb[NB];
    float aa[NA];
    float past[NA]; // past[j] = y[i - j] for j >= 1
    std::copy_n(b, NB, bb);
    std::copy_n(a, NA, aa);
    for (int j = 1; j < NA; ++j)
        past[j] = y[start - j];
    for (int i = start; i < n; ++i) {
        float s = 0.0f;
#pragma GCC unroll 8
        for (int j = NB - 1; j >= 0; --j)
            s += bb[j] * x[i - j];
#pragma GCC unroll 8
        for (int j = NA - 1; j >= 1; --j)
            s -= aa[j] * past[j];
        const float out = LimitSample(scale(s));
        y[i] = out;
#pragma GCC unroll 8
        for (int j = NA - 1; j >= 2; --j)
            past[j] = past[j - 1];
        if constexpr (NA > 1)
            past[1] = out;
    }
}

// Orders up to this many coefficients on either side have an unrolled loop.
constexpr int UNROLLED = 5;

template <typename Scale>
using Kernel = void (*)(const float*, const float*, const float*, int, int, float*, Scale);

template <typename Scale, int... I>
constexpr std::array<Kernel<Scale>, sizeof...(I)> MakeKernels(std::integer_sequence<int, I...>) {
    return {&RunUnrolled<I / UNROLLED + 1, I % UNROLLED + 1, Scale>...};
}

// The kernel for nb, na (both 1 .. UNROLLED).
template <typename Scale> Kernel<Scale> KernelFor(int nb, int na) {
    static constexpr auto kernels =
        MakeKernels<Scale>(std::make_integer_sequence<int, UNROLLED * UNROLLED>());
    return kernels[(nb - 1) * UNROLLED + na - 1];
}

// Outputs max(begin, 1) .. end - 1 (output 0 is done by the caller).
template <typename Scale>
void Run(const float* b, int nb, const float* a, int na, const float* x, int begin, int end,
         float* y, Scale scale) {
    // Until the equation reaches back to index 0 fewer terms exist; after that the counts are
    // fixed and the hot loop needs no bounds.
    const int full = std::max(na, nb);
    for (int i = std::max(begin, 1); i < std::min(end, full); ++i)
        y[i] = LimitSample(scale(Sum(b, std::min(i, nb - 1), a, std::min(i, na - 1), x, y, i)));
    const int start = std::max(begin, full);
    if (start >= end)
        return;
    if (nb <= UNROLLED && na <= UNROLLED) {
        KernelFor<Scale>(nb, na)(b, a, x, start, end, y, scale);
        return;
    }
    for (int i = start; i < end; ++i)
        y[i] = LimitSample(scale(Sum(b, nb - 1, a, na - 1, x, y, i)));
}

} // namespace

CFilter::Verdict CFilter::Check(const float* a, int na, const float* b, int nb) {
    if (!IsValidSet(a, na) || !IsValidSet(b, nb))
        return Verdict::MALFORMED;
    if (na == 0)
        return Verdict::ACCEPTED;
    // a[0] divides the whole equation: 0 leaves no filter to speak of, and a divisor so small
    // that a coefficient divided by it is beyond float gives infinite and NaN outputs.
    if (a[0] == 0.0f)
        return Verdict::ZERO_LEAD;
    const double largest = std::fmax(LargestMagnitude(a, na), LargestMagnitude(b, nb));
    if (std::fpclassify(a[0]) == FP_SUBNORMAL || largest / std::fabs(a[0]) > FLT_MAX)
        return Verdict::TINY_LEAD;
    return Verdict::ACCEPTED;
}

bool CFilter::SetCoefficients(const float* a, int na, const float* b, int nb) {
    Reset();
    if (Check(a, na, b, nb) != Verdict::ACCEPTED)
        return false;
    std::unique_ptr<float[]> newA = CopyOf(a, na);
    std::unique_ptr<float[]> newB = CopyOf(b, nb);
    if ((na > 0 && !newA) || (nb > 0 && !newB))
        return false;
    m_a = std::move(newA);
    m_b = std::move(newB);
    m_na = na;
    m_nb = nb;
    return true;
}

void CFilter::Apply(const float* x, int n, float* y) const {
    ApplyPart(x, 0, n, y);
}

void CFilter::ApplyPart(const float* x, int begin, int end, float* y) const {
    if (begin < 0 || end <= begin)
        return;
    if (m_na == 0 || m_nb == 0) {
        std::copy(x + begin, x + end, y + begin);
        return;
    }
    const float g = 1.0f / m_a[0];
    if (begin == 0)
        y[0] = LimitSample(m_b[0] * g * x[0]);
    if (g == 1.0f)
        Run(m_b.get(), m_nb, m_a.get(), m_na, x, begin, end, y, CUnitGain());
    else
        Run(m_b.get(), m_nb, m_a.get(), m_na, x, begin, end, y, CGain{g});
}

void CFilter::Reset() {
    m_a.reset();
    m_b.reset();
    m_na = 0;
    m_nb = 0;
}

} // namespace dsp
