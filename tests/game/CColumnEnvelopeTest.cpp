#include "game/CColumnEnvelope.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

using game::CColumnEnvelope;

// Rows that read back as the values times 1000.
static int Milli(float v) {
    return static_cast<int>(std::lround(v * 1000.0f));
}

static CColumnEnvelope Of(const std::vector<float>& v, int columns) {
    return CColumnEnvelope::Compute(v.data(), static_cast<int>(v.size()), columns, Milli);
}

// Values i * step.
static std::vector<float> Ramp(int count, float step) {
    std::vector<float> v(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        v[i] = static_cast<float>(i) * step;
    return v;
}

// 10050 values on 100 pixels: column x holds values 100x .. 100x + 99, the rest is not shown.
TEST(CColumnEnvelope, WholeBlocksShowEachBlocksExtremesAndMean) {
    std::vector<float> v(10050, 1.0f);
    for (int x = 0; x < 100; ++x) {
        std::fill_n(v.begin() + x * 100, 100, 0.0f);
        v[x * 100] = 0.5f;
        v[x * 100 + 93] = -0.25f;
        v[x * 100 + 50] = 0.1f * static_cast<float>(x) - 0.25f;
    }
    const CColumnEnvelope e = Of(v, 100);
    ASSERT_EQ(e.Width(), 100);
    EXPECT_EQ(e.ValuesPerColumn(), 100);
    for (int x = 0; x < 100; ++x) {
        EXPECT_EQ(e.TopRows()[x], x < 8 ? 500 : 100 * x - 250) << x;
        EXPECT_EQ(e.BottomRows()[x], -250) << x;
        EXPECT_EQ(e.MeanRows()[x], x) << x; // (0.5 - 0.25 + 0.1 x - 0.25) / 100
    }
}

// 250 values on 100 pixels (k = 2): value i goes to column trunc(0.4 i), so columns take three
// and two values in turn and the last value reaches column 99.
TEST(CColumnEnvelope, SharedColumnsFollowTheProportionalMapping) {
    const CColumnEnvelope e = Of(Ramp(250, 0.001f), 100);
    ASSERT_EQ(e.Width(), 100);
    EXPECT_EQ(e.ValuesPerColumn(), 2);
    EXPECT_EQ(std::vector<int>(e.BottomRows().begin(), e.BottomRows().begin() + 4),
              (std::vector<int>{0, 3, 5, 8}));
    EXPECT_EQ(std::vector<int>(e.TopRows().begin(), e.TopRows().begin() + 4),
              (std::vector<int>{2, 4, 7, 9}));
    EXPECT_EQ(e.BottomRows()[99], 248);
    EXPECT_EQ(e.TopRows()[99], 249);
    EXPECT_EQ(Of(std::vector<float>(250, 0.3f), 100).MeanRows(), std::vector<int>(100, 300));
}

// Fewer values than pixels: only the mean line, each value on its column, the columns between
// interpolated, and columns right of the last value repeating its row.
TEST(CColumnEnvelope, FewValuesGiveAnInterpolatedMeanLine) {
    const struct {
        int count, columns;
        std::vector<int> rows; // value i = i / 100
    } cases[] = {{2, 5, {0, 5, 10, 10, 10}}, {3, 10, {0, 3, 7, 10, 13, 17, 20, 20, 20, 20}}};
    for (const auto& c : cases) {
        const CColumnEnvelope e = Of(Ramp(c.count, 0.01f), c.columns);
        EXPECT_EQ(e.ValuesPerColumn(), 0);
        EXPECT_FALSE(e.HasRange());
        EXPECT_EQ(e.MeanRows(), c.rows) << c.count;
    }
    const CColumnEnvelope fifty = Of(Ramp(50, 0.01f), 100);
    ASSERT_EQ(fifty.Width(), 100);
    EXPECT_EQ(std::vector<int>(fifty.MeanRows().begin() + 97, fifty.MeanRows().end()),
              (std::vector<int>{485, 490, 490}));
}

TEST(CColumnEnvelope, NothingToShowGivesAnEmptyEnvelope) {
    const std::vector<float> v(10, 0.5f);
    for (const auto& [values, count, columns] : {std::tuple{v.data(), 0, 10}, {v.data(), 10, 0},
                                                 {nullptr, 10, 10}, {v.data(), -1, 10}}) {
        const CColumnEnvelope e = CColumnEnvelope::Compute(values, count, columns, Milli);
        EXPECT_EQ(e.Width(), 0);
        EXPECT_FALSE(e.HasMean());
    }
}
