#include "dsp/CFilter.h"

#include "dsp/SampleLimit.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace dsp {

namespace {

bool IsValidSet(const float* values, int count) {
    if (count < 0 || (count > 0 && values == nullptr))
        return false;
    return std::all_of(values, values + count, [](float v) { return std::isfinite(v); });
}

std::unique_ptr<float[]> CopyOf(const float* values, int count) {
    if (count == 0)
        return nullptr;
    std::unique_ptr<float[]> copy(new (std::nothrow) float[count]);
    if (copy)
        std::copy_n(values, count, copy.get());
    return copy;
}

} // namespace

bool CFilter::SetCoefficients(const float* a, int na, const float* b, int nb) {
    Reset();
    if (!IsValidSet(a, na) || !IsValidSet(b, nb))
        return false;
    // a[0] divides the whole equation; 0 leaves no filter to speak of.
    if (na > 0 && a[0] == 0.0f)
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
    if (n <= 0)
        return;
    if (m_na == 0 || m_nb == 0) {
        std::copy_n(x, n, y);
        return;
    }
    const float g = 1.0f / m_a[0];
    y[0] = LimitSample(m_b[0] * g * x[0]);
    // Designed filters mostly have a[0] = 1, and multiplying by 1 changes nothing: leaving it
    // out shortens the chain from one output to the next, which sets the speed of the loop.
    if (g == 1.0f)
        Run(x, n, y, [](float s) { return s; });
    else
        Run(x, n, y, [g](float s) { return s * g; });
}

template <typename Scale> void CFilter::Run(const float* x, int n, float* y, Scale scale) const {
    // Until the equation reaches back to index 0 fewer terms exist; after that the counts are
    // fixed and the hot loop needs no bounds.
    const int start = std::min(n, std::max(m_na, m_nb));
    for (int i = 1; i < start; ++i)
        y[i] = LimitSample(scale(Sum(x, y, i, std::min(i, m_nb - 1), std::min(i, m_na - 1))));
    for (int i = start; i < n; ++i)
        y[i] = LimitSample(scale(Sum(x, y, i, m_nb - 1, m_na - 1)));
}

void CFilter::Reset() {
    m_a.reset();
    m_b.reset();
    m_na = 0;
    m_nb = 0;
}

// The right-hand side of the equation for output i, summed in single precision in the
// equation's order (newest feedback term last).
inline float CFilter::Sum(const float* x, const float* y, int i, int lastB, int lastA) const {
    float s = 0.0f;
    for (int j = lastB; j >= 0; --j)
        s += m_b[j] * x[i - j];
    for (int j = lastA; j >= 1; --j)
        s -= m_a[j] * y[i - j];
    return s;
}

} // namespace dsp
