#include "game/CColumnEnvelope.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

using game::CColumnEnvelope;

// Values on columns: at least 4 a column, whole blocks (the rest not shown) give each column
// its extremes and mean; with 1 to 3, value i goes to column trunc(i x columns / count), the last
// reaching the last column; fewer values than columns give only the mean line, each value on
// its column, the columns between interpolated and those right of the last value repeating it.
TEST(CColumnEnvelope, EachColumnShowsTheValuesItCovers) {
    const auto milli = [](float v) { return static_cast<int>(std::lround(v * 1000.0f)); };
    const struct {
        std::vector<float> values;
        int columns, perColumn;
        std::vector<int> top, bottom, mean;
    } cases[] = {
        {{0.5f, 0, -0.25f, 0.15f, 0, 0, 0, 0, 9}, 2, 4, {500, 0}, {-250, 0}, {100, 0}},
        {{0, 0.001f, 0.002f, 0.005f, 0.004f, 0.006f, 0.008f}, 2, 3, {5, 8}, {0, 4}, {2, 6}},
        {{0, 0.01f, 0.02f}, 10, 0, {}, {}, {0, 3, 7, 10, 13, 17, 20, 20, 20, 20}},
    };
    for (const auto& c : cases) {
        const CColumnEnvelope e = CColumnEnvelope::Compute(
            c.values.data(), static_cast<int>(c.values.size()), c.columns, milli);
        ASSERT_EQ(e.Width(), c.columns);
        EXPECT_EQ(e.ValuesPerColumn(), c.perColumn);
        EXPECT_EQ(e.TopRows(), c.top) << c.perColumn;
        EXPECT_EQ(e.BottomRows(), c.bottom) << c.perColumn;
        EXPECT_EQ(e.MeanRows(), c.mean) << c.perColumn;
    }
    const std::vector<float> v(10, 0.5f);
    for (const auto& [values, count, columns] : {std::tuple{v.data(), 0, 10}, {v.data(), 10, 0},
                                                 {nullptr, 10, 10}, {v.data(), -1, 10}}) {
        const CColumnEnvelope e = CColumnEnvelope::Compute(values, count, columns, milli);
        EXPECT_EQ(e.Width(), 0) << count << " values on " << columns;
        EXPECT_FALSE(e.HasMean());
    }
}
