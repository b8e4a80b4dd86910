#include "game/CColourTable.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace game {

namespace {

constexpr int Clamp(int v) {
    return std::clamp(v, 0, 255);
}

// Three overlapping ramps of 16 steps per row: blue fades in, then green, then red, while the
// earlier ones fade out again.
constexpr int Red(int i) {
    if (i <= 39)
        return Clamp(16 * (i - 23) - 1);
    return i <= 55 ? 255 : 255 - 16 * (i - 55);
}
constexpr int Green(int i) {
    if (i <= 23)
        return Clamp(16 * (i - 7) - 1);
    return i <= 39 ? 255 : Clamp(255 - 16 * (i - 39));
}
constexpr int Blue(int i) {
    if (i <= 7)
        return 143 + 16 * i;
    return i <= 23 ? 255 : Clamp(255 - 16 * (i - 23));
}

constexpr std::array<COLORREF, CColourTable::SIZE> MakeTable() {
    std::array<COLORREF, CColourTable::SIZE> table{};
    for (int i = 0; i < CColourTable::SIZE; ++i)
        table[i] = RGB(Red(i), Green(i), Blue(i));
    return table;
}

constexpr std::array<COLORREF, CColourTable::SIZE> TABLE = MakeTable();

} // namespace

COLORREF CColourTable::Row(int i) {
    return TABLE[std::clamp(i, 0, SIZE - 1)];
}

// The logarithm in double precision and the level rounded to float before it is cut into rows,
// so that a power of e^-10 lands exactly on row 32 and not just below it. (A search among the
// rows' lowest powers gives the same rows but is no faster than the library's logarithm.)
int CColourTable::IndexOf(float power) {
    const float p = power > 1.0f ? 1.0f : power;
    const double x = p > 0.0f ? std::log(static_cast<double>(p)) : -20.0;
    const float y = static_cast<float>(1.0 + 0.05 * x);
    return std::clamp(static_cast<int>(y * 64.0f), 0, SIZE - 1);
}

} // namespace game
