// The off-screen image: pixel access and half-tone (area averaging) stretching.
#include "PaintedImage.h"

#include "platform/CImageBuffer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr COLORREF Grey(int v) {
    return RGB(v, v, v);
}

// An image from rows of grey values.
CImageBuffer GreyImage(const std::vector<std::vector<int>>& rows) {
    CImageBuffer image;
    image.Create(static_cast<int>(rows.front().size()), static_cast<int>(rows.size()));
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            image.SetPixel(x, y, Grey(rows[y][x]));
    return image;
}

std::vector<std::vector<int>> GreysOf(const CImageBuffer& image) {
    std::vector<std::vector<int>> rows(image.Height(), std::vector<int>(image.Width()));
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            rows[y][x] = GetRValue(image.GetPixel(x, y));
    return rows;
}

TEST(CImageBufferTest, CreatesOnlyImagesWithPixels) {
    struct Case {
        int width;
        int height;
        bool created;
    };
    const Case cases[] = {
        {1, 1, true}, {860, 187, true}, {0, 187, false}, {5, 0, false}, {-3, 4, false}};
    for (const Case& c : cases) {
        CImageBuffer image;
        EXPECT_EQ(image.Create(c.width, c.height), c.created) << c.width << "x" << c.height;
        EXPECT_EQ(image.IsCreated(), c.created);
        EXPECT_EQ(image.Width(), c.created ? c.width : 0);
        EXPECT_EQ(image.Height(), c.created ? c.height : 0);
    }
}

TEST(CImageBufferTest, KeepsEveryPixelExactlyAndIgnoresPointsOutside) {
    CImageBuffer image;
    ASSERT_TRUE(image.Create(3, 2));
    EXPECT_EQ(image.GetPixel(2, 1), RGB(0, 0, 0)) << "starts black";
    image.SetPixel(0, 0, RGB(1, 2, 3));
    image.SetPixel(2, 1, RGB(0, 0, 143));
    image.SetPixel(3, 0, RGB(9, 9, 9));
    image.SetPixel(-1, 1, RGB(9, 9, 9));
    EXPECT_EQ(image.GetPixel(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(image.GetPixel(2, 1), RGB(0, 0, 143));
    EXPECT_EQ(image.GetPixel(1, 0), RGB(0, 0, 0));
    EXPECT_EQ(image.GetPixel(3, 0), CLR_INVALID);
    EXPECT_EQ(image.GetPixel(0, -1), CLR_INVALID);
}

// Each new pixel is the coverage-weighted mean of the source pixels under it.
TEST(CImageBufferTest, AreaAveragingBlendsWhatEachPixelCovers) {
    struct Case {
        const char* name;
        std::vector<std::vector<int>> source;
        int width;
        int height;
        std::vector<std::vector<int>> expected;
    };
    const Case cases[] = {
        {"checkerboard to one pixel", {{0, 255}, {255, 0}}, 1, 1, {{128}}},
        {"same size is exact", {{3, 200, 17}, {99, 0, 255}}, 3, 2, {{3, 200, 17}, {99, 0, 255}}},
        {"halving", {{0, 0, 255, 255}}, 2, 1, {{0, 255}}},
        {"three to two", {{0, 90, 180}}, 2, 1, {{30, 150}}},
        {"doubling", {{0, 255}}, 4, 1, {{0, 0, 255, 255}}},
        {"two to three", {{0, 255}}, 3, 1, {{0, 128, 255}}},
        {"blocks",
         {{0, 0, 60, 60}, {0, 0, 60, 60}, {100, 100, 20, 40}, {100, 100, 40, 60}},
         2,
         2,
         {{0, 60}, {100, 40}}},
        {"column to rows", {{10}, {20}, {30}, {40}}, 1, 2, {{15}, {35}}},
    };
    for (const Case& c : cases) {
        const CImageBuffer scaled = GreyImage(c.source).AreaAveraged(c.width, c.height);
        ASSERT_TRUE(scaled.IsCreated()) << c.name;
        EXPECT_EQ(GreysOf(scaled), c.expected) << c.name;
    }
}

TEST(CImageBufferTest, AreaAveragingKeepsColoursApartAndUniformAreasExact) {
    CImageBuffer mixed;
    ASSERT_TRUE(mixed.Create(2, 1));
    mixed.SetPixel(0, 0, RGB(255, 0, 0));
    mixed.SetPixel(1, 0, RGB(0, 0, 255));
    EXPECT_EQ(mixed.AreaAveraged(1, 1).GetPixel(0, 0), RGB(128, 0, 128));

    // A spectrogram-sized image squeezed and stretched by awkward ratios stays one colour.
    CImageBuffer uniform;
    ASSERT_TRUE(uniform.Create(860, 187));
    for (int y = 0; y < 187; ++y)
        for (int x = 0; x < 860; ++x)
            uniform.SetPixel(x, y, RGB(0, 0, 143));
    for (const auto& [w, h] : {std::pair{301, 97}, std::pair{1021, 513}}) {
        const CImageBuffer scaled = uniform.AreaAveraged(w, h);
        for (int y = 0; y < h; y += 7)
            for (int x = 0; x < w; x += 5)
                ASSERT_EQ(scaled.GetPixel(x, y), RGB(0, 0, 143)) << w << "x" << h;
    }
}

TEST(CImageBufferTest, DrawsOneToOneAndStretchedIntoItsDestinationOnly) {
    const CImageBuffer checker = GreyImage({{0, 255}, {255, 0}});
    const PaintedImage image(
        12, 12,
        [&](CDC& dc) {
            dc.DrawImage(checker, 1, 1);
            dc.StretchHalftone(checker, CRect{5, 5, 6, 6});
            dc.StretchHalftone(checker, CRect{8, 8, 10, 10});
        },
        RGB(0, 200, 0));
    EXPECT_EQ(image.At(1, 1), Grey(0));
    EXPECT_EQ(image.At(2, 1), Grey(255));
    EXPECT_EQ(image.At(1, 2), Grey(255));
    EXPECT_EQ(image.At(2, 2), Grey(0));
    EXPECT_EQ(image.At(5, 5), Grey(128));
    EXPECT_EQ(image.At(8, 8), Grey(0)) << "stretching to the same size is exact";
    EXPECT_EQ(image.At(9, 8), Grey(255));
    const int painted = 4 + 1 + 4;
    EXPECT_EQ(image.Changed().size(), static_cast<std::size_t>(painted));
}

TEST(CImageBufferTest, AnEmptyImageDrawsNothing) {
    const CImageBuffer empty;
    const PaintedImage image(6, 6, [&](CDC& dc) {
        dc.DrawImage(empty, 0, 0);
        dc.StretchHalftone(empty, CRect{0, 0, 6, 6});
    });
    EXPECT_TRUE(image.Changed().empty());
    EXPECT_FALSE(empty.AreaAveraged(4, 4).IsCreated());
}

} // namespace
