#include "game/CColumnEnvelope.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using game::CColumnEnvelope;

namespace {

// Rows that read back as the values themselves (times 1000), so expectations stay readable.
int Milli(float v) {
    return static_cast<int>(std::lround(v * 1000.0f));
}
// The wave plot's mapping for a plot 101 pixels high.
int WaveRow101(float v) {
    return 50 - static_cast<int>(50.0f * v);
}

std::vector<float> Ramp(int count, float step) {
    std::vector<float> v(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        v[i] = static_cast<float>(i) * step;
    return v;
}

CColumnEnvelope Of(const std::vector<float>& v, int columns,
                   const CColumnEnvelope::RowMapping& rowOf = Milli) {
    return CColumnEnvelope::Compute(v.data(), static_cast<int>(v.size()), columns, rowOf);
}

} // namespace

// 10000 samples on 100 pixels: column x holds exactly samples 100x .. 100x + 99.
TEST(CColumnEnvelope, WholeBlocksShowEachBlocksExtremesAndMean) {
    std::vector<float> v(10000, 0.0f);
    for (int x = 0; x < 100; ++x) {
        v[x * 100 + 7] = 0.5f;    // the block's maximum
        v[x * 100 + 93] = -0.25f; // and minimum
        v[x * 100 + 50] = 0.04f * static_cast<float>(x) - 0.25f;
    }
    const CColumnEnvelope e = Of(v, 100);
    ASSERT_EQ(e.Width(), 100);
    EXPECT_EQ(e.ValuesPerColumn(), 100);
    ASSERT_TRUE(e.HasRange());
    for (int x = 0; x < 100; ++x) {
        SCOPED_TRACE(x);
        EXPECT_EQ(e.TopRows()[x], std::max(500, Milli(0.04f * x - 0.25f)));
        EXPECT_EQ(e.BottomRows()[x], -250);
        // (0.5 - 0.25 + the marker) / 100 = 0.0004 x
        EXPECT_EQ(e.MeanRows()[x], Milli(0.0004f * x));
    }
}

TEST(CColumnEnvelope, WholeBlocksLeaveTheRemainderOut) {
    std::vector<float> v(10050, 0.0f);
    std::fill(v.begin() + 10000, v.end(), 1.0f);
    const CColumnEnvelope e = Of(v, 100, WaveRow101);
    ASSERT_EQ(e.Width(), 100);
    for (int x = 0; x < 100; ++x)
        EXPECT_EQ(e.TopRows()[x], 50) << x;
}

// 250 samples on 100 pixels (k = 2): sample i goes to column trunc(0.4 i), so the columns take
// three and two samples in turn and the last sample still reaches column 99.
TEST(CColumnEnvelope, SharedColumnsFollowTheProportionalMapping) {
    const CColumnEnvelope e = Of(Ramp(250, 0.001f), 100);
    ASSERT_EQ(e.Width(), 100);
    EXPECT_EQ(e.ValuesPerColumn(), 2);
    ASSERT_TRUE(e.HasRange());
    for (int x = 0; x < 100; ++x) {
        SCOPED_TRACE(x);
        const int first = static_cast<int>(std::ceil(2.5 * x));
        const int last = static_cast<int>(std::ceil(2.5 * (x + 1))) - 1;
        EXPECT_EQ(e.BottomRows()[x], first);
        EXPECT_EQ(e.TopRows()[x], last);
        EXPECT_NEAR(e.MeanRows()[x], (first + last) / 2.0, 0.5);
    }
}

// Fewer samples than pixels: only the mean line, each sample on its column and the columns
// between interpolated; columns right of the last sample repeat its row.
TEST(CColumnEnvelope, FewValuesGiveAnInterpolatedMeanLine) {
    struct Case {
        int count;
        int columns;
        std::vector<int> rows; // expected mean rows, value i = i / 100
    };
    const Case cases[] = {
        {2, 5, {0, 5, 10, 10, 10}},                     // columns 0 and 2, then the tail
        {3, 10, {0, 3, 7, 10, 13, 17, 20, 20, 20, 20}}, // columns 0, 3, 6
        {1, 4, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        const CColumnEnvelope e = Of(Ramp(c.count, 0.01f), c.columns);
        ASSERT_EQ(e.Width(), c.columns);
        EXPECT_EQ(e.ValuesPerColumn(), 0);
        EXPECT_FALSE(e.HasRange());
        EXPECT_EQ(e.MeanRows(), c.rows);
    }
}

// 50 samples on 100 pixels: two columns per sample, the odd ones halfway, and column 99
// (right of the last sample) keeps the last sample's row instead of an undefined one.
TEST(CColumnEnvelope, FiftySamplesOnAHundredPixels) {
    const CColumnEnvelope e = Of(Ramp(50, 0.01f), 100);
    ASSERT_EQ(e.Width(), 100);
    for (int i = 0; i < 49; ++i) {
        EXPECT_EQ(e.MeanRows()[2 * i], 10 * i) << i;
        EXPECT_EQ(e.MeanRows()[2 * i + 1], 10 * i + 5) << i;
    }
    EXPECT_EQ(e.MeanRows()[98], 490);
    EXPECT_EQ(e.MeanRows()[99], 490);
}

TEST(CColumnEnvelope, FullScaleMapsToTheEdgesOfA101PixelPlot) {
    struct Case {
        float value;
        int row;
    };
    for (const Case c : {Case{1.0f, 0}, Case{-1.0f, 100}, Case{0.0f, 50}, Case{0.5f, 25}}) {
        SCOPED_TRACE(c.value);
        for (int count : {400, 200, 50}) { // k = 4, 2 and 0 on 100 columns
            const CColumnEnvelope e = Of(std::vector<float>(count, c.value), 100, WaveRow101);
            ASSERT_EQ(e.Width(), 100);
            for (int x = 0; x < 100; ++x) {
                ASSERT_EQ(e.MeanRows()[x], c.row) << count << " " << x;
                if (e.HasRange()) {
                    ASSERT_EQ(e.TopRows()[x], c.row);
                    ASSERT_EQ(e.BottomRows()[x], c.row);
                }
            }
        }
    }
}

TEST(CColumnEnvelope, NothingToShowGivesAnEmptyEnvelope) {
    const std::vector<float> v(10, 0.5f);
    struct Case {
        const float* values;
        int count;
        int columns;
    };
    for (const Case c : {Case{v.data(), 0, 10}, Case{v.data(), 10, 0}, Case{v.data(), 10, -3},
                         Case{nullptr, 10, 10}, Case{v.data(), -1, 10}}) {
        const CColumnEnvelope e = CColumnEnvelope::Compute(c.values, c.count, c.columns, Milli);
        EXPECT_EQ(e.Width(), 0);
        EXPECT_FALSE(e.HasMean());
        EXPECT_FALSE(e.HasRange());
    }
}
