#pragma once
// a[0] y[n] = sum b[k] x[n - k] - sum_{k >= 1} a[k] y[n - k] from rest, in double precision.

#include <cstddef>
#include <vector>

template <typename Sample>
std::vector<double> ReferenceFilter(const std::vector<double>& a, const std::vector<double>& b,
                                    const std::vector<Sample>& x) {
    std::vector<double> y(x.size());
    for (std::size_t n = 0; n < x.size(); ++n) {
        double sum = 0.0;
        for (std::size_t k = 0; k < b.size() && k <= n; ++k)
            sum += b[k] * x[n - k];
        for (std::size_t k = 1; k < a.size() && k <= n; ++k)
            sum -= a[k] * y[n - k];
        y[n] = sum / a[0];
    }
    return y;
}
