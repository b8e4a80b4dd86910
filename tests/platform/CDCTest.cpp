// Painting through the device context: the GDI rules the plots rely on, checked on pixels.
#include "PaintedImage.h"

#include "platform/CDC.h"
#include "platform/CFont.h"
#include "platform/CImageBuffer.h"

#include "platform/CQtFont.h"
#include <QFontInfo>
#include <QFontMetrics>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using Pixel = PaintedImage::Pixel;
constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr COLORREF BLACK = RGB(0, 0, 0);
constexpr COLORREF BLUE = RGB(0, 0, 200);
constexpr COLORREF RED = RGB(255, 0, 0);

// One crisp pixel per step along the longer axis, from the start point up to but not including
// the end point, each within half a pixel of the true line.
TEST(CDCTest, LinesCoverTheStartButNotTheEndPoint) {
    const struct {
        CPoint from, to;
    } cases[] = {{{1, 2}, {8, 2}},  {{8, 2}, {1, 2}},    {{3, 9}, {3, 4}},    {{10, 9}, {5, 4}},
                 {{1, 1}, {20, 6}}, {{20, 22}, {15, 1}}, {{10, 10}, {10, 10}}};
    const CPen pen(PS_SOLID, 1, BLUE);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.from.x << "," << c.from.y << " to " << c.to.x << "," << c.to.y);
        const PaintedImage image(24, 24, [&](CDC& dc) {
            dc.SelectPen(&pen);
            dc.MoveTo(c.from);
            dc.LineTo(c.to);
        });
        const int dx = c.to.x - c.from.x, dy = c.to.y - c.from.y;
        const auto changed = image.Changed();
        ASSERT_EQ(changed.size(), std::size_t(std::max(std::abs(dx), std::abs(dy))));
        EXPECT_EQ(image.OfColor(BLUE), changed) << "antialiased or mixed pixels";
        if (changed.empty())
            continue;
        EXPECT_TRUE(changed.count({c.from.x, c.from.y}));
        EXPECT_FALSE(changed.count({c.to.x, c.to.y}));
        const bool xMajor = std::abs(dx) >= std::abs(dy);
        for (const auto& [x, y] : changed) {
            const double t = xMajor ? double(x - c.from.x) / dx : double(y - c.from.y) / dy;
            const double ideal = xMajor ? c.from.y + t * dy : c.from.x + t * dx;
            EXPECT_LE(std::abs((xMajor ? y : x) - ideal), 0.5) << x << "," << y;
        }
    }
}

// Widths 0 and 1 are the one crisp pixel and the null pen draws nothing; wider and styled pens
// are refused, and the pen selected before draws on.
TEST(CDCTest, OnlySolidOnePixelAndNullPensAreMade) {
    const struct {
        int style, width;
        bool made;
    } cases[] = {{PS_SOLID, 0, true},  {PS_SOLID, 1, true}, {PS_NULL, 1, true},
                 {PS_SOLID, 3, false}, {1, 1, false},       {PS_SOLID, -1, false}};
    for (const auto& c : cases) {
        const CPen pen(c.style, c.width, BLUE);
        EXPECT_EQ(pen.IsCreated(), c.made) << c.style << " " << c.width;
        const PaintedImage image(20, 12, [&](CDC& dc) {
            dc.SelectPen(&pen);
            dc.MoveTo(4, 5);
            dc.LineTo(14, 5);
        });
        const COLORREF drawn = c.made ? BLUE : BLACK;
        const bool visible = c.style == PS_SOLID || !c.made;
        EXPECT_EQ(image.OfColor(drawn).size(), visible ? 10u : 0u) << c.style << " " << c.width;
        EXPECT_EQ(image.OfColor(drawn), image.Changed()) << c.style << " " << c.width;
    }
}

TEST(CDCTest, PolylineDrawsEveryVertexButTheLastAndLineToContinues) {
    const CPoint points[] = {{1, 1}, {6, 1}, {6, 6}, {1, 9}};
    const PaintedImage image(12, 12, [&](CDC& dc) {
        dc.MoveTo(11, 11);
        dc.Polyline(points, 4);
        EXPECT_EQ(dc.GetCurrentPosition(), (CPoint{11, 11})) << "Polyline leaves the position";
        dc.LineTo(11, 7);
        dc.LineTo(8, 7);
    });
    const auto changed = image.Changed();
    EXPECT_EQ(changed.size(), 15u + 4u + 3u);
    for (const Pixel& p : {Pixel{1, 1}, Pixel{6, 1}, Pixel{6, 6}, Pixel{11, 11}, Pixel{11, 7}})
        EXPECT_TRUE(changed.count(p)) << p.first << "," << p.second;
    EXPECT_FALSE(changed.count({1, 9}));
    EXPECT_FALSE(changed.count({8, 7}));
    EXPECT_EQ(image.OfColor(BLACK), changed) << "the default pen is black";
}

TEST(CDCTest, SelectingReturnsThePreviousPenAndSurvivesItsDeletion) {
    const CPen blue(PS_SOLID, 1, BLUE), red(PS_SOLID, 1, RED), neverCreated;
    const PaintedImage image(10, 6, [&](CDC& dc) {
        const CPen* original = dc.SelectPen(&blue);
        ASSERT_NE(original, nullptr);
        EXPECT_EQ(dc.SelectPen(&red), &blue);
        EXPECT_EQ(dc.SelectPen(&neverCreated), nullptr) << "refused, red stays";
        dc.MoveTo(0, 0);
        dc.LineTo(5, 0);
        EXPECT_EQ(dc.SelectPen(original), &red);
        dc.MoveTo(0, 2);
        dc.LineTo(5, 2);
        {
            const CPen temporary(PS_SOLID, 1, BLUE);
            dc.SelectPen(&temporary);
        }
        dc.MoveTo(0, 4);
        dc.LineTo(5, 4);
    });
    EXPECT_EQ(image.At(2, 0), RED);
    EXPECT_EQ(image.At(2, 2), BLACK);
    EXPECT_EQ(image.At(2, 4), BLUE);
}

struct Box {
    int left = 1000, top = 1000, right = -1000, bottom = -1000;
};

Box BoxOf(const std::set<Pixel>& pixels) {
    Box box;
    for (const auto& [x, y] : pixels) {
        box.left = std::min(box.left, x);
        box.right = std::max(box.right, x);
        box.top = std::min(box.top, y);
        box.bottom = std::max(box.bottom, y);
    }
    return box;
}

// Arcs run counterclockwise from the ray to the start point to the ray to the end point.
TEST(CDCTest, ArcRunsCounterclockwiseFromStartToEnd) {
    const struct {
        const char* name;
        CPoint start, end;
        bool above, below;
    } cases[] = {{"whole", {40, 25}, {40, 25}, true, true},
                 {"upper half", {40, 25}, {10, 25}, true, false},
                 {"lower half", {10, 25}, {40, 25}, false, true}};
    const CRect circle{10, 10, 41, 41};
    for (const auto& c : cases) {
        const PaintedImage image(50, 50, [&](CDC& dc) { dc.Arc(circle, c.start, c.end); });
        const Box box = BoxOf(image.Changed());
        EXPECT_EQ(box.left, circle.left) << c.name;
        EXPECT_EQ(box.right, circle.right - 1) << c.name;
        EXPECT_EQ(box.top <= 12, c.above) << c.name;
        EXPECT_EQ(box.bottom >= 38, c.below) << c.name;
        EXPECT_EQ(image.OfColor(BLACK), image.Changed()) << c.name << ": crisp one-pixel arc";
    }
}

CFont MakeFont(int height) {
    CFont font;
    CLogFont description;
    description.height = height;
    description.faceName = L"Liberation Sans";
    font.CreateFontIndirect(description);
    return font;
}

TEST(CDCTest, DrawTextPlacesTextInItsColourInsideItsRectangle) {
    const struct {
        UINT format;
        double fromLeft; // where the ink's middle should be, as a fraction of the width
    } cases[] = {{DT_LEFT, 0.1}, {DT_CENTER, 0.5}, {DT_RIGHT, 0.9}};
    const CRect box{10, 20, 210, 60};
    const CFont font = MakeFont(-20);
    for (const auto& c : cases) {
        int height = 0;
        const PaintedImage image(220, 80, [&](CDC& dc) {
            dc.Painter().setFont(CQtFont::FromFont(font));
            dc.SetTextColor(RED);
            dc.SetBkMode(TRANSPARENT);
            height = dc.DrawText(L"Wg", box, c.format | DT_SINGLELINE | DT_VCENTER);
        });
        const auto ink = image.Changed();
        ASSERT_FALSE(ink.empty());
        EXPECT_FALSE(image.OfColor(RED).empty()) << "text in its colour";
        double sumX = 0, sumY = 0;
        for (const auto& [x, y] : ink) {
            EXPECT_TRUE(box.PtInRect(CPoint{x, y})) << x << "," << y;
            sumX += x;
            sumY += y;
        }
        EXPECT_NEAR((sumX / ink.size() - box.left) / box.Width(), c.fromLeft, 0.1) << c.format;
        EXPECT_NEAR(sumY / ink.size(), (box.top + box.bottom) / 2.0, 6) << c.format;
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
    for (int y = 8; y < 14; ++y) {
        const bool onLine = y == 10 || y == 11;
        EXPECT_EQ(target.pixel(4, y) == qRgb(0, 0, 0), onLine) << "device row " << y;
        EXPECT_EQ(target.pixel(23, y) == qRgb(0, 0, 0), onLine) << "device row " << y;
        EXPECT_EQ(target.pixel(24, y), qRgb(255, 255, 255)) << "end point left out";
    }
    std::vector<int> greys;
    for (int x = 0; x < 6; ++x)
        greys.push_back(qRed(target.pixel(x, 20)));
    EXPECT_EQ(greys, (std::vector<int>{0, 0, 0, 255, 255, 255}));
}

CLogFont Description(int height, const wchar_t* face, int weight = 400, bool italic = false) {
    CLogFont description;
    description.height = height;
    description.faceName = face;
    description.weight = weight;
    description.italic = italic;
    return description;
}

TEST(CQtFontTest, TimesResolvesToARealSerif) {
    const QString family = QFontInfo(CQtFont::FromLogFont(Description(-20, L"Times"))).family();
    EXPECT_FALSE(family.contains("Sans")) << family.toStdString();
}

// Negative heights are the character (em) height, positive ones the whole cell.
TEST(CQtFontTest, HeightsFollowTheWindowsSigns) {
    for (const wchar_t* face : {L"Times", L"Liberation Sans"}) {
        EXPECT_EQ(CQtFont::FromLogFont(Description(-13, face)).pixelSize(), 13);
        for (const auto& [height, cell] : {std::pair{22, 22}, std::pair{0, 16}}) {
            const QFontMetrics metrics(CQtFont::FromLogFont(Description(height, face)));
            EXPECT_NEAR(metrics.ascent() + metrics.descent(), cell, 1) << height;
        }
    }
}

TEST(CQtFontTest, StyleCarriesOverAndANeverCreatedFontIsTheApplicationFont) {
    CLogFont description = Description(-16, L"Liberation Serif", 700, true);
    description.underline = true;
    const QFont font = CQtFont::FromLogFont(description);
    EXPECT_TRUE(font.bold() && font.italic() && font.underline());
    EXPECT_EQ(CQtFont::FromLogFont(Description(-16, L"Liberation Serif", 0)).weight(),
              QFont::Normal)
        << "weight 0 means no preference";
    EXPECT_EQ(CQtFont::FromFont(CFont()), QFont());
}

} // namespace
