#include "game/CColourTable.h"

#include <gtest/gtest.h>

#include <cmath>

using game::CColourTable;

static constexpr COLORREF EMPTY_CELL = RGB(0, 0, 143);

// Silence and no number are darkest blue, full power dark red, every colour reached in turn.
TEST(ColourTable, PowerRisesThroughEveryColourInTurn) {
    EXPECT_EQ(CColourTable::ColourOf(0.0f), EMPTY_CELL);
    EXPECT_EQ(CColourTable::ColourOf(std::nanf("")), EMPTY_CELL);
    EXPECT_EQ(CColourTable::ColourOf(1e30f), RGB(127, 0, 0));
    int previous = 0;
    for (double x = -20.0; x <= 0.0; x += 0.01) {
        const int row = CColourTable::IndexOf(static_cast<float>(std::exp(x)));
        ASSERT_TRUE(row == previous || row == previous + 1) << "ln p " << x;
        previous = row;
    }
    EXPECT_EQ(previous, 63);
    EXPECT_EQ(CColourTable::Row(39), RGB(255, 255, 0)) << "yellow two thirds up";
}
