// The off-screen image: pixel access and half-tone (area averaging) stretching.
#include "common/PaintedImage.h"

#include "platform/CImageBuffer.h"

#include "platform/CBitmap.h"
#include <gtest/gtest.h>

#include <climits>
#include <tuple>
#include <vector>

namespace {

using Greys = std::vector<std::vector<int>>;
constexpr COLORREF Grey(int v) {
    return RGB(v, v, v);
}

CImageBuffer GreyImage(const Greys& rows) {
    CImageBuffer image;
    image.Create(static_cast<int>(rows.front().size()), static_cast<int>(rows.size()));
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            image.SetPixel(x, y, Grey(rows[y][x]));
    return image;
}

// Images of no pixels or of more than memory holds are refused and release the one before;
// pixels and rows outside the image are neither written nor read.
TEST(CImageBufferTest, CreatesOnlyImagesWithPixelsAndKeepsThemExactly) {
    CImageBuffer image;
    for (const auto& [w, h] :
         {std::pair{0, 187}, std::pair{5, 0}, std::pair{-3, 4}, std::pair{INT_MAX, 1}}) {
        ASSERT_TRUE(image.Create(2, 2));
        EXPECT_FALSE(image.Create(w, h) || image.IsCreated()) << w << "x" << h;
    }
    ASSERT_TRUE(image.Create(3, 2));
    image.SetPixel(0, 0, RGB(1, 2, 3));
    image.SetPixel(3, 0, RGB(9, 9, 9));
    const COLORREF row[] = {RGB(4, 5, 6), RGB(7, 8, 9), RGB(1, 1, 1), RGB(2, 2, 2)};
    image.SetRow(1, row, 4); // cut to the width
    image.SetRow(-1, row + 2, 1);
    image.SetRow(2, row + 2, 1);
    EXPECT_EQ(image.GetPixel(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(image.GetPixel(1, 0), RGB(0, 0, 0)) << "starts black";
    EXPECT_EQ(image.GetPixel(2, 1), RGB(1, 1, 1));
    EXPECT_TRUE(image.GetPixel(3, 0) == CLR_INVALID && image.GetPixel(0, -1) == CLR_INVALID);
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
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                EXPECT_EQ(scaled.GetPixel(x, y), Grey(c.expected[y][x])) << c.name;
    }
    CImageBuffer mixed = GreyImage({{0, 0}}); // channels averaged apart
    mixed.SetPixel(0, 0, RGB(255, 0, 0));
    mixed.SetPixel(1, 0, RGB(0, 255, 0));
    EXPECT_EQ(mixed.AreaAveraged(1, 1).GetPixel(0, 0), RGB(128, 128, 0));
    // So many pixels that 255 times their count needs more than 32 bits.
    const std::vector<COLORREF> white(4200, RGB(255, 255, 255));
    CImageBuffer large;
    ASSERT_TRUE(large.Create(4200, 4200));
    for (int y = 0; y < 4200; ++y)
        large.SetRow(y, white.data(), 4200);
    EXPECT_EQ(large.AreaAveraged(1, 1).GetPixel(0, 0), RGB(255, 255, 255));
}

// Drawn one to one, half-toned to a smaller or the same size, only inside the destination.
TEST(CImageBufferTest, DrawsOneToOneAndStretchedIntoItsDestinationOnly) {
    const CImageBuffer checker = GreyImage({{0, 255}, {255, 0}}), empty;
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
    for (const auto& [x, y, grey] :
         {std::tuple{1, 1, 0}, {2, 1, 255}, {1, 2, 255}, {5, 5, 128}, {8, 8, 0}, {9, 8, 255}})
        EXPECT_EQ(image.At(x, y), Grey(grey)) << x << "," << y;
    EXPECT_EQ(image.Changed().size(), 4u + 1u + 4u);
}

// Both marks load, the tick green and the cross red; pixels of the top-left colour leave the
// background, all others are copied exactly, also over the edges. An unknown id draws nothing.
TEST(CBitmapTest, TransparentDrawingKeepsTheBackgroundWhereTheTopLeftColourIs) {
    constexpr COLORREF BACKGROUND = RGB(0, 0, 143);
    const struct {
        UINT id;
        CPoint onStroke, at;
        bool green;
    } marks[] = {{IDB_MARK_CORRECT, {50, 94}, {6, 4}, true},
                 {IDB_MARK_WRONG, {64, 64}, {-14, -14}, false},
                 {132, {0, 0}, {0, 0}, false}};
    for (const auto& mark : marks) {
        CBitmap bitmap;
        ASSERT_EQ(bitmap.LoadBitmap(mark.id), mark.id != 132) << mark.id;
        const COLORREF c = bitmap.GetPixel(mark.onStroke.x, mark.onStroke.y);
        EXPECT_TRUE(mark.id == 132 || (mark.green ? GetGValue(c) > 2 * GetRValue(c)
                                                  : GetRValue(c) > 2 * GetGValue(c)));
        const PaintedImage image(
            140, 140, [&](CDC& dc) { dc.DrawTransparent(bitmap, mark.at.x, mark.at.y); },
            BACKGROUND);
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x) {
                const COLORREF source = bitmap.GetPixel(x - mark.at.x, y - mark.at.y);
                const bool keep = source == CLR_INVALID || source == RGB(255, 255, 255);
                ASSERT_EQ(image.At(x, y), keep ? BACKGROUND : source)
                    << mark.id << ": pixel " << x << "," << y;
            }
    }
}

} // namespace
