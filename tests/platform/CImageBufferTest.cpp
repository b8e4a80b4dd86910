// The off-screen image: pixel access and half-tone (area averaging) stretching.
#include "PaintedImage.h"

#include "platform/CImageBuffer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Greys = std::vector<std::vector<int>>;
constexpr COLORREF Grey(int v) { return RGB(v, v, v); }

CImageBuffer GreyImage(const Greys& rows) {
    CImageBuffer image;
    image.Create(static_cast<int>(rows.front().size()), static_cast<int>(rows.size()));
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            image.SetPixel(x, y, Grey(rows[y][x]));
    return image;
}

TEST(CImageBufferTest, CreatesOnlyImagesWithPixelsAndKeepsThemExactly) {
    for (const auto& [w, h] : {std::pair{0, 187}, std::pair{5, 0}, std::pair{-3, 4}}) {
        CImageBuffer image;
        EXPECT_FALSE(image.Create(w, h)) << w << "x" << h;
        EXPECT_EQ(image.Width(), 0);
    }
    CImageBuffer image;
    ASSERT_TRUE(image.Create(3, 2));
    EXPECT_EQ(image.GetPixel(2, 1), RGB(0, 0, 0)) << "starts black";
    image.SetPixel(0, 0, RGB(1, 2, 3));
    image.SetPixel(3, 0, RGB(9, 9, 9)); // outside: ignored
    EXPECT_EQ(image.GetPixel(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(image.GetPixel(3, 0), CLR_INVALID);
    EXPECT_EQ(image.GetPixel(0, -1), CLR_INVALID);
}

// Each new pixel is the coverage-weighted mean of the source pixels under it.
TEST(CImageBufferTest, AreaAveragingBlendsWhatEachPixelCovers) {
    const struct {
        const char* name;
        Greys source;
        int width, height;
        Greys expected;
    } cases[] = {
        {"checkerboard to one pixel", {{0, 255}, {255, 0}}, 1, 1, {{128}}},
        {"same size is exact", {{3, 200, 17}, {99, 0, 255}}, 3, 2, {{3, 200, 17}, {99, 0, 255}}},
        {"three to two", {{0, 90, 180}}, 2, 1, {{30, 150}}},
        {"two to three", {{0, 255}}, 3, 1, {{0, 128, 255}}},
        {"column to rows", {{10}, {20}, {30}, {40}}, 1, 2, {{15}, {35}}},
    };
    for (const auto& c : cases) {
        const CImageBuffer scaled = GreyImage(c.source).AreaAveraged(c.width, c.height);
        ASSERT_TRUE(scaled.IsCreated()) << c.name;
        Greys greys(c.height, std::vector<int>(c.width));
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                greys[y][x] = GetRValue(scaled.GetPixel(x, y));
        EXPECT_EQ(greys, c.expected) << c.name;
    }
    CImageBuffer mixed; // colours are averaged apart
    ASSERT_TRUE(mixed.Create(2, 1));
    mixed.SetPixel(0, 0, RGB(255, 0, 0));
    mixed.SetPixel(1, 0, RGB(0, 0, 255));
    EXPECT_EQ(mixed.AreaAveraged(1, 1).GetPixel(0, 0), RGB(128, 0, 128));
}

TEST(CImageBufferTest, DrawsOneToOneAndStretchedIntoItsDestinationOnly) {
    const CImageBuffer checker = GreyImage({{0, 255}, {255, 0}});
    const CImageBuffer empty;
    const PaintedImage image(
        12, 12,
        [&](CDC& dc) {
            dc.DrawImage(checker, 1, 1);
            dc.StretchHalftone(checker, CRect{5, 5, 6, 6});
            dc.StretchHalftone(checker, CRect{8, 8, 10, 10});
            dc.DrawImage(empty, 0, 0);
            dc.StretchHalftone(empty, CRect{0, 0, 12, 12});
        },
        RGB(0, 200, 0));
    EXPECT_EQ(image.At(1, 1), Grey(0));
    EXPECT_EQ(image.At(2, 1), Grey(255));
    EXPECT_EQ(image.At(1, 2), Grey(255));
    EXPECT_EQ(image.At(5, 5), Grey(128)) << "half-tone of a checkerboard is grey";
    EXPECT_EQ(image.At(8, 8), Grey(0)) << "stretching to the same size is exact";
    EXPECT_EQ(image.At(9, 8), Grey(255));
    EXPECT_EQ(image.Changed().size(), 4u + 1u + 4u);
}

} // namespace
