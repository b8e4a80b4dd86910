#include "dsp/CImpulseResponse.h"

#include "dsp/CFilter.h"

#include <algorithm>

namespace dsp {

std::vector<double> CImpulseResponse::Compute(const CFilter& filter, int count) {
    if (count < 1)
        return {};
    std::vector<double> h(static_cast<std::size_t>(count), 0.0);
    const int na = filter.GetDenominatorCount();
    const int nb = filter.GetNumeratorCount();
    if (na == 0 || nb == 0) {
        h[0] = 1.0;
        return h;
    }
    const float* a = filter.GetDenominator();
    const float* b = filter.GetNumerator();
    for (int n = 0; n < count; ++n) {
        double sum = n < nb ? b[n] : 0.0;
        for (int k = 1; k < na && k <= n; ++k)
            sum -= static_cast<double>(a[k]) * h[n - k];
        h[n] = std::clamp(sum / a[0], -LIMIT, LIMIT);
    }
    return h;
}

} // namespace dsp
