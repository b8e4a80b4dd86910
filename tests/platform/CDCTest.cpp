// Painting through the device context: the GDI rules the plots rely on, checked on pixels.
#include "common/PaintedImage.h"

#include "platform/CDC.h"
#include "platform/CFont.h"
#include "platform/CImageBuffer.h"

#include "platform/CQtFont.h"
#include <QFontInfo>
#include <QFontMetrics>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <ranges>
#include <tuple>

namespace {

using Pixel = PaintedImage::Pixel;
constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr COLORREF BLACK = RGB(0, 0, 0);
constexpr COLORREF BLUE = RGB(0, 0, 200);
constexpr COLORREF RED = RGB(255, 0, 0);

// Widths 0 and 1 draw one crisp pixel, the null pen nothing; other pens are refused and the one
// before draws on; a pen deleted while selected still draws; the first pen is black.
TEST(CDCTest, OnlySolidOnePixelAndNullPensAreMade) {
    const struct {
        int style, width;
        bool made;
    } cases[] = {{PS_SOLID, 0, true},  {PS_SOLID, 1, true}, {PS_NULL, 1, true},
                 {PS_SOLID, 3, false}, {1, 1, false},       {PS_SOLID, -1, false}};
    const CPen red(PS_SOLID, 1, RED);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.style << " " << c.width);
        const PaintedImage image(20, 12, [&](CDC& dc) {
            const CPen* original = dc.SelectPen(&red);
            {
                const CPen pen(c.style, c.width, BLUE);
                EXPECT_EQ(pen.IsCreated(), c.made);
                EXPECT_EQ(dc.SelectPen(&pen), c.made ? &red : nullptr);
            }
            dc.MoveTo(4, 5);
            dc.LineTo(14, 5);
            dc.SelectPen(original);
            dc.MoveTo(4, 8);
            dc.LineTo(14, 8);
        });
        const COLORREF drawn = c.made ? BLUE : RED;
        const bool visible = c.style == PS_SOLID || !c.made;
        EXPECT_EQ(image.OfColor(drawn).size(), visible ? 10u : 0u);
        EXPECT_EQ(image.OfColor(BLACK).size(), 10u);
        EXPECT_EQ(image.Changed().size(), visible ? 20u : 10u);
    }
}

// Lines cover their start point but not their end point, one pixel per step along the longer
// axis; Polyline leaves the position where LineTo goes on from.
TEST(CDCTest, PolylineDrawsEveryVertexButTheLastAndLineToContinues) {
    const CPoint points[] = {{1, 1}, {6, 1}, {6, 6}, {1, 9}};
    const PaintedImage image(12, 12, [&](CDC& dc) {
        dc.MoveTo(11, 11);
        dc.Polyline(points, 4);
        EXPECT_EQ(dc.GetCurrentPosition(), (CPoint{11, 11}));
        dc.LineTo(11, 7);
        dc.LineTo(8, 7);
        dc.LineTo(9, 1);
        dc.LineTo(9, 1); // no length, no pixel
    });
    const auto changed = image.Changed();
    EXPECT_EQ(changed.size(), 15u + 4u + 3u + 6u);
    for (const Pixel& p : {Pixel{1, 1}, Pixel{6, 1}, Pixel{6, 6}, Pixel{11, 11}, Pixel{8, 7}})
        EXPECT_TRUE(changed.count(p)) << p.first << "," << p.second;
    EXPECT_FALSE(changed.count({1, 9}) || changed.count({9, 1}));
}

// Arcs run counterclockwise from the ray to the start point to the ray to the end point.
TEST(CDCTest, ArcRunsCounterclockwiseFromStartToEnd) {
    const struct {
        CPoint start, end;
        bool above, below;
    } cases[] = {{{40, 25}, {40, 25}, true, true}, // whole
                 {{40, 25}, {10, 25}, true, false},
                 {{10, 25}, {40, 25}, false, true}};
    for (const auto& c : cases) {
        const PaintedImage image(50, 50, [&](CDC& dc) {
            dc.Arc({10, 10, 41, 41}, c.start, c.end);
        });
        const auto changed = image.Changed();
        SCOPED_TRACE(testing::Message() << c.above << c.below);
        const auto [top, bottom] = std::ranges::minmax(changed | std::views::values);
        EXPECT_EQ(
            std::tuple(changed.begin()->first, changed.rbegin()->first, top <= 12, bottom >= 38),
            std::tuple(10, 40, c.above, c.below))
            << "leftmost, rightmost, above, below";
        EXPECT_EQ(image.OfColor(BLACK), changed) << "a crisp one-pixel arc";
    }
}

// Left, centred and right text in its colour, vertically centred, inside its rectangle only.
TEST(CDCTest, DrawTextPlacesTextInItsColourInsideItsRectangle) {
    const CRect box{10, 20, 210, 60};
    CFont font;
    ASSERT_TRUE(font.CreateFontIndirect({-20, 400, false, false, L"Liberation Sans"}));
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

// With two device pixels per logical pixel a one-pixel line is a crisp two device pixels wide,
// and a stretched image is averaged at the finer resolution.
TEST(CDCTest, HighDensityDevicesKeepLogicalPixelsCrisp) {
    QImage target(40, 40, QImage::Format_RGB32);
    target.setDevicePixelRatio(2);
    target.fill(Qt::white);
    CImageBuffer ramp;
    ASSERT_TRUE(ramp.Create(2, 1));
    ramp.SetPixel(1, 0, WHITE);
    {
        QPainter painter(&target);
        CDC dc(painter);
        dc.MoveTo(2, 5);
        dc.LineTo(12, 5);
        dc.StretchHalftone(ramp, CRect{0, 10, 3, 11}); // 6 device pixels from 2 source pixels
    }
    const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255);
    for (int y = 8; y < 14; ++y) {
        const QRgb line = y == 10 || y == 11 ? black : white; // the end point is left out
        EXPECT_EQ((std::array{target.pixel(4, y), target.pixel(23, y), target.pixel(24, y)}),
                  (std::array{line, line, white}))
            << "device row " << y;
    }
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(target.pixel(x, 20), x < 3 ? black : white) << x;
}

// Negative heights are the character (em) height, positive ones the whole cell; Times is a
// real serif; the style carries over; a never-created font is the application's.
TEST(CQtFontTest, HeightsFollowTheWindowsSigns) {
    const auto font = [](int height, const wchar_t* face, int weight = 400, bool styled = false) {
        return CQtFont::FromLogFont({height, weight, styled, styled, face});
    };
    for (const wchar_t* face : {L"Times", L"Liberation Sans"}) {
        EXPECT_EQ(font(-13, face).pixelSize(), 13);
        for (const auto& [height, cell] : {std::pair{22, 22}, std::pair{0, 16}}) {
            const QFontMetrics metrics(font(height, face));
            EXPECT_NEAR(metrics.ascent() + metrics.descent(), cell, 1) << height;
        }
    }
    const QString family = QFontInfo(font(-20, L"Times")).family();
    EXPECT_FALSE(family.contains("Sans")) << family.toStdString();
    const QFont styled = font(-16, L"Liberation Serif", 700, true);
    EXPECT_TRUE(styled.bold() && styled.italic() && styled.underline());
    EXPECT_EQ(font(-16, L"Liberation Serif", 0).weight(), QFont::Normal) << "0: no preference";
    EXPECT_EQ(CQtFont::FromFont(CFont()), QFont());
}

} // namespace
