// Text painted through the device context, checked on pixels.
#include "common/PaintedImage.h"

#include "platform/CDC.h"
#include "platform/CFont.h"
#include "platform/CImageBuffer.h"

#include "platform/CQtFont.h"
#include <gtest/gtest.h>

namespace {

constexpr COLORREF RED = RGB(255, 0, 0);

CLogFont Description(int height, const wchar_t* face) {
    CLogFont description;
    description.height = height;
    description.faceName = face;
    return description;
}

// Left, centred and right text in its colour, vertically centred, inside its rectangle only.
TEST(CDCTest, DrawTextPlacesTextInItsColourInsideItsRectangle) {
    const CRect box{10, 20, 210, 60};
    CFont font;
    ASSERT_TRUE(font.CreateFontIndirect(Description(-20, L"Liberation Sans")));
    for (const auto& [format, fromLeft] :
         {std::pair{DT_LEFT, 0.1}, {DT_CENTER, 0.5}, {DT_RIGHT, 0.9}}) {
        int height = 0;
        const PaintedImage image(220, 80, [&](CDC& dc) {
            dc.Painter().setFont(CQtFont::FromFont(font));
            dc.SetTextColor(RED);
            dc.SetBkMode(TRANSPARENT);
            height = dc.DrawText(L"Wg", box, format | DT_SINGLELINE | DT_VCENTER);
        });
        const auto ink = image.Changed();
        ASSERT_FALSE(image.OfColor(RED).empty()) << "text in its colour";
        double sumX = 0, sumY = 0;
        for (const auto& [x, y] : ink) {
            EXPECT_TRUE(box.PtInRect(CPoint{x, y})) << x << "," << y;
            sumX += x, sumY += y;
        }
        EXPECT_NEAR((sumX / ink.size() - box.left) / box.Width(), fromLeft, 0.1) << format;
        EXPECT_NEAR(sumY / ink.size(), (box.top + box.bottom) / 2.0, 6) << format;
        EXPECT_GT(height, 20);
    }
}

} // namespace
