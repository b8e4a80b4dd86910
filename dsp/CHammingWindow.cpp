#include "dsp/CHammingWindow.h"

#include <array>
#include <cmath>
#include <numbers>

namespace dsp {

namespace {

template <int N> const std::array<float, N>& BuildTable() {
    static const std::array<float, N> table = [] {
        std::array<float, N> values{};
        for (int i = 0; i < N; ++i)
            values[i] = CHammingWindow::Value(i, N);
        return values;
    }();
    return table;
}

} // namespace

std::span<const float> CHammingWindow::Table(int length) {
    switch (length) {
    case 1024:
        return BuildTable<1024>();
    case 2048:
        return BuildTable<2048>();
    default:
        return {};
    }
}

float CHammingWindow::Value(int i, int length) {
    if (length < 2)
        return 1.0f;
    const double w = 0.54 - 0.46 * std::cos(2.0 * std::numbers::pi * i / (length - 1));
    return static_cast<float>(std::round(w * 1e6) / 1e6);
}

} // namespace dsp
