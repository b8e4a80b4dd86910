#pragma once
// A recursive digital filter given by its difference equation
//   a[0] y[i] = sum b[j] x[i - j] - sum_{j >= 1} a[j] y[i - j],
// applied to a whole signal from rest. Without coefficients it passes signals through.

#include <memory>

namespace dsp {

class CFilter {
public:
    CFilter() = default;
    virtual ~CFilter() = default;
    CFilter(const CFilter&) = delete;
    CFilter& operator=(const CFilter&) = delete;
    CFilter(CFilter&&) noexcept = default;
    CFilter& operator=(CFilter&&) noexcept = default;

    // Whether coefficient sets describe a filter, and if not, why.
    enum class Verdict {
        ACCEPTED,
        MALFORMED,  // a value that is not finite, a negative count or a missing array
        ZERO_LEAD,  // a[0] = 0: the equation is divided by it
        TINY_LEAD,  // a[0] subnormal, or so small that dividing by it overflows a coefficient
    };
    static Verdict Check(const float* a, int na, const float* b, int nb);

    // Replaces the coefficients by copies of a[0 .. na - 1] (denominator) and b[0 .. nb - 1]
    // (numerator). False, and the filter left empty (pass-through), when Check refuses the
    // sets or memory runs out. Two empty sets are accepted and mean pass-through.
    bool SetCoefficients(const float* a, int na, const float* b, int nb);

    // y[0 .. n - 1] = the filtered x[0 .. n - 1], starting from rest; x and y must not overlap.
    // The output of an unstable filter is held within +-SAMPLE_LIMIT (see SampleLimit.h).
    void Apply(const float* x, int n, float* y) const;
    // Outputs begin .. end - 1 of Apply, given outputs 0 .. begin - 1: Apply in pieces, so
    // that others may read the first outputs while the rest are computed. Same results.
    void ApplyPart(const float* x, int begin, int end, float* y) const;

    int GetDenominatorCount() const { return m_na; }
    int GetNumeratorCount() const { return m_nb; }
    const float* GetDenominator() const { return m_a.get(); }
    const float* GetNumerator() const { return m_b.get(); }

private:
    void Reset();

    std::unique_ptr<float[]> m_a;
    std::unique_ptr<float[]> m_b;
    int m_na = 0;
    int m_nb = 0;
};

} // namespace dsp
