// The mark bitmaps and their transparent drawing.
#include "PaintedImage.h"

#include "platform/CBitmap.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF BACKGROUND = RGB(0, 0, 143);

struct MarkCase {
    UINT id;
    bool (*isStroke)(COLORREF);
    CPoint onStroke; // the tick's corner, the cross's centre
};

const MarkCase MARKS[] = {
    {IDB_MARK_CORRECT, [](COLORREF c) { return GetGValue(c) > 2 * GetRValue(c); }, {50, 94}},
    {IDB_MARK_WRONG, [](COLORREF c) { return GetRValue(c) > 2 * GetGValue(c); }, {64, 64}},
};

TEST(CBitmapTest, LoadsBothMarksAsColouredStrokesOnWhite) {
    for (const MarkCase& mark : MARKS) {
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.LoadBitmap(mark.id)) << mark.id;
        EXPECT_EQ(bitmap.Width(), 128);
        EXPECT_EQ(bitmap.Height(), 128);
        EXPECT_EQ(bitmap.TransparentColor(), RGB(255, 255, 255));
        EXPECT_TRUE(mark.isStroke(bitmap.GetPixel(mark.onStroke.x, mark.onStroke.y))) << mark.id;
        int strokes = 0;
        for (int y = 0; y < 128; ++y)
            for (int x = 0; x < 128; ++x)
                strokes += mark.isStroke(bitmap.GetPixel(x, y));
        EXPECT_GT(strokes, 128 * 128 / 10) << mark.id;
    }
}

TEST(CBitmapTest, UnknownIdsLoadNothing) {
    for (const UINT id : {0u, 128u, 132u, 135u}) {
        CBitmap bitmap;
        EXPECT_FALSE(bitmap.LoadBitmap(id)) << id;
        EXPECT_FALSE(bitmap.IsLoaded());
        EXPECT_EQ(bitmap.Width(), 0);
        const PaintedImage image(8, 8, [&](CDC& dc) { dc.DrawTransparent(bitmap, 0, 0); });
        EXPECT_TRUE(image.Changed().empty());
    }
}

// Pixels of the top-left colour leave the background, all others are copied exactly; the
// mark may hang over the edges of a small plot.
TEST(CBitmapTest, TransparentDrawingKeepsTheBackgroundWhereTheTopLeftColourIs) {
    struct Offset {
        int x;
        int y;
    };
    for (const MarkCase& mark : MARKS) {
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.LoadBitmap(mark.id));
        const COLORREF key = bitmap.TransparentColor();
        for (const Offset at : {Offset{6, 4}, Offset{-14, -14}}) {
            const PaintedImage image(
                140, 140, [&](CDC& dc) { dc.DrawTransparent(bitmap, at.x, at.y); }, BACKGROUND);
            for (int y = 0; y < image.Height(); ++y) {
                for (int x = 0; x < image.Width(); ++x) {
                    const COLORREF source = bitmap.GetPixel(x - at.x, y - at.y);
                    const COLORREF expected =
                        source == CLR_INVALID || source == key ? BACKGROUND : source;
                    ASSERT_EQ(image.At(x, y), expected)
                        << "mark " << mark.id << " at " << at.x << "," << at.y << ": pixel " << x
                        << "," << y;
                }
            }
        }
    }
}

} // namespace
