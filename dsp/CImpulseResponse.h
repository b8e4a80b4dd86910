#pragma once
// The first samples of a filter's answer to a unit impulse, in double precision: the power
// series of B(z) / A(z), term by term,
//   h[n] = (b[n] - sum_{k = 1 .. n} a[k] h[n - k]) / a[0].
// A finite (FIR) filter's series ends after its numerator; a recursive one's goes on.

#include <vector>

namespace dsp {

class CFilter;

class CImpulseResponse {
public:
    // Every value is held within +-LIMIT: an unstable filter's growth stays a finite number
    // that a plot can scale, where the series would run to infinity and then to NaN.
    static constexpr double LIMIT = 1e30;

    // The first count samples (none for a count below 1). A filter without coefficients
    // passes the impulse on unchanged.
    static std::vector<double> Compute(const CFilter& filter, int count);
};

} // namespace dsp
