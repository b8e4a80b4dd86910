#include "game/CColourTable.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

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

namespace {

// The row by its definition: the logarithm in double precision and the level rounded to float
// before it is cut into rows, so that a power of e^-10 lands exactly on row 32 and not just
// below it.
int RowByLogarithm(float power) {
    const float p = power > 1.0f ? 1.0f : power;
    const double x = p > 0.0f ? std::log(static_cast<double>(p)) : -20.0;
    const float y = static_cast<float>(1.0 + 0.05 * x);
    return std::clamp(static_cast<int>(y * 64.0f), 0, CColourTable::SIZE - 1);
}

// The same rows without a logarithm per cell, which a spectrogram picture needs hundreds of
// thousands of. The rows rise with the power, so each row is reached at a least power, found once
// by bisecting the positive floats (ordered like their bit patterns). The top bits of a power
// (exponent and 4 bits of mantissa, a sixteenth of an octave, less than a row) then name the row
// its bucket starts in, and one comparison tells whether it reaches the next row.
class CRowThresholds {
public:
    CRowThresholds() {
        m_least[0] = 0;
        for (int row = 1; row < CColourTable::SIZE; ++row)
            m_least[row] = LeastBitsOf(row);
        for (std::uint32_t bucket = 0; bucket < BUCKETS; ++bucket)
            m_bucketRow[bucket] =
                static_cast<std::uint8_t>(RowByLogarithm(FloatOf(bucket << SHIFT)));
    }

    int RowOf(float power) const {
        if (!(power > 0.0f))
            return 0; // also NaN
        if (power >= 1.0f)
            return CColourTable::SIZE - 1;
        const std::uint32_t bits = std::bit_cast<std::uint32_t>(power);
        int row = m_bucketRow[bits >> SHIFT];
        if (row + 1 < CColourTable::SIZE && bits >= m_least[row + 1])
            ++row;
        return row;
    }

private:
    static constexpr int SHIFT = 19;
    static constexpr std::uint32_t ONE = 0x3f800000; // the bits of 1.0f
    static constexpr std::uint32_t BUCKETS = ONE >> SHIFT;

    static float FloatOf(std::uint32_t bits) { return std::bit_cast<float>(bits); }

    // The bits of the least positive float below 1 whose row is at least `row`.
    static std::uint32_t LeastBitsOf(int row) {
        std::uint32_t low = 1;
        std::uint32_t high = ONE;
        while (low < high) {
            const std::uint32_t middle = low + (high - low) / 2;
            if (RowByLogarithm(FloatOf(middle)) >= row)
                high = middle;
            else
                low = middle + 1;
        }
        return low;
    }

    std::array<std::uint32_t, CColourTable::SIZE> m_least{};
    std::array<std::uint8_t, BUCKETS> m_bucketRow{};
};

} // namespace

int CColourTable::IndexOf(float power) {
    static const CRowThresholds thresholds;
    return thresholds.RowOf(power);
}

} // namespace game
