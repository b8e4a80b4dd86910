#pragma once
// The 64 colours of the spectrogram, from dark blue (weak) over cyan, yellow and red to dark
// red (strong), and the mapping of a cell's power onto them.

#include "platform/WinTypes.h"

namespace game {

class CColourTable {
public:
    static constexpr int SIZE = 64;

    // Row i of the table, 0 <= i < SIZE; rows outside are held to the nearest end.
    static COLORREF Row(int i);
    // The row for a cell of linear power p: ln p from -20 to 0 spread evenly over the 64 rows,
    // 0.3125 per row. Weaker cells (and 0, negative powers, NaN) get row 0, p >= 1 row 63.
    static int IndexOf(float power);
    static COLORREF ColourOf(float power) { return Row(IndexOf(power)); }
};

} // namespace game
