#include "dsp/CPhaseResponse.h"

#include "dsp/CFilter.h"

#include <cmath>
#include <complex>
#include <numbers>

namespace dsp {

namespace {

using Complex = std::complex<double>;

// P(e^jw) = sum c[k] e^-jwk and sum k c[k] e^-jwk, by Horner's rule in z^-1.
struct Evaluation {
    Complex value;
    Complex weighted;
};

Evaluation Evaluate(const float* c, int n, double omega) {
    const Complex zInverse = std::polar(1.0, -omega);
    Evaluation e{};
    for (int k = n - 1; k >= 0; --k) {
        e.value = e.value * zInverse + static_cast<double>(c[k]);
        e.weighted = e.weighted * zInverse + static_cast<double>(k) * c[k];
    }
    return e;
}

// Pass-through for a filter without coefficients, as CFilter filters.
Evaluation EvaluateNumerator(const CFilter& f, double omega) {
    if (f.GetDenominatorCount() == 0 || f.GetNumeratorCount() == 0)
        return {1.0, 0.0};
    return Evaluate(f.GetNumerator(), f.GetNumeratorCount(), omega);
}

Evaluation EvaluateDenominator(const CFilter& f, double omega) {
    if (f.GetDenominatorCount() == 0 || f.GetNumeratorCount() == 0)
        return {1.0, 0.0};
    return Evaluate(f.GetDenominator(), f.GetDenominatorCount(), omega);
}

double OmegaAt(int i, int count) {
    return std::numbers::pi * i / (count - 1);
}

// Values that could not be computed (NaN) take the last one before, or the first one after.
void FillGaps(std::vector<double>& v) {
    double last = NAN;
    for (double& x : v)
        std::isnan(x) ? void(x = last) : void(last = x);
    for (auto it = v.rbegin(); it != v.rend(); ++it)
        std::isnan(*it) ? void(*it = last) : void(last = *it);
    for (double& x : v)
        if (std::isnan(x))
            x = 0.0;
}

} // namespace

std::vector<double> CPhaseResponse::Phase(const CFilter& filter, int count) {
    if (count < 2)
        return {};
    std::vector<double> phase(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double omega = OmegaAt(i, count);
        const Complex b = EvaluateNumerator(filter, omega).value;
        const Complex a = EvaluateDenominator(filter, omega).value;
        phase[i] = b == 0.0 || a == 0.0 ? NAN : std::arg(b) - std::arg(a);
    }
    FillGaps(phase);
    // Each step is taken as the turn of at most half a circle that it stands for.
    constexpr double turn = 2.0 * std::numbers::pi;
    double shift = std::remainder(phase[0], turn) - phase[0];
    double previous = phase[0] + shift;
    phase[0] = previous;
    for (int i = 1; i < count; ++i) {
        double value = phase[i] + shift;
        const double wraps = std::round((value - previous) / turn);
        shift -= wraps * turn;
        value -= wraps * turn;
        phase[i] = previous = value;
    }
    return phase;
}

std::vector<double> CPhaseResponse::GroupDelay(const CFilter& filter, int count) {
    if (count < 2)
        return {};
    std::vector<double> delay(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double omega = OmegaAt(i, count);
        const Evaluation b = EvaluateNumerator(filter, omega);
        const Evaluation a = EvaluateDenominator(filter, omega);
        delay[i] = b.value == 0.0 || a.value == 0.0
                       ? NAN
                       : (b.weighted / b.value).real() - (a.weighted / a.value).real();
    }
    FillGaps(delay);
    return delay;
}

} // namespace dsp
