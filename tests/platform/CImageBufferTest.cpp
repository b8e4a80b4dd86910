// The off-screen image: pixel access, and the evaluation marks drawn from it.
#include "common/PaintedImage.h"

#include "platform/CImageBuffer.h"

#include "platform/CBitmap.h"
#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

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
