// The mark bitmaps and their transparent drawing.
#include "PaintedImage.h"

#include "platform/CBitmap.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF BACKGROUND = RGB(0, 0, 143);

TEST(CBitmapTest, LoadsBothMarksAndNothingForUnknownIds) {
    const struct {
        UINT id;
        CPoint onStroke; // the tick's corner (green), the cross's centre (red)
        bool green;
    } marks[] = {{IDB_MARK_CORRECT, {50, 94}, true}, {IDB_MARK_WRONG, {64, 64}, false}};
    for (const auto& mark : marks) {
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.LoadBitmap(mark.id)) << mark.id;
        EXPECT_EQ(bitmap.Width(), 128);
        EXPECT_EQ(bitmap.TransparentColor(), RGB(255, 255, 255));
        const COLORREF c = bitmap.GetPixel(mark.onStroke.x, mark.onStroke.y);
        EXPECT_GT(mark.green ? GetGValue(c) : GetRValue(c),
                  2 * (mark.green ? GetRValue(c) : GetGValue(c)))
            << mark.id;
    }
    CBitmap unknown;
    EXPECT_FALSE(unknown.LoadBitmap(132));
    const PaintedImage image(8, 8, [&](CDC& dc) { dc.DrawTransparent(unknown, 0, 0); });
    EXPECT_TRUE(image.Changed().empty());
}

// Pixels of the top-left colour leave the background, all others are copied exactly; the
// mark may hang over the edges of a small plot.
TEST(CBitmapTest, TransparentDrawingKeepsTheBackgroundWhereTheTopLeftColourIs) {
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadBitmap(IDB_MARK_WRONG));
    for (const CPoint at : {CPoint{6, 4}, CPoint{-14, -14}}) {
        const PaintedImage image(
            140, 140, [&](CDC& dc) { dc.DrawTransparent(bitmap, at.x, at.y); }, BACKGROUND);
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x) {
                const COLORREF source = bitmap.GetPixel(x - at.x, y - at.y);
                const bool keep = source == CLR_INVALID || source == bitmap.TransparentColor();
                ASSERT_EQ(image.At(x, y), keep ? BACKGROUND : source)
                    << "at " << at.x << "," << at.y << ": pixel " << x << "," << y;
            }
    }
}

} // namespace
