// Painting through the device context: the GDI rules the plots rely on, checked on pixels.
#include "PaintedImage.h"

#include "platform/CDC.h"
#include "platform/CFont.h"
#include "platform/CImageBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Pixel = PaintedImage::Pixel;

constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr COLORREF BLUE = RGB(0, 0, 200);
constexpr COLORREF RED = RGB(255, 0, 0);

struct LineCase {
    const char* name;
    CPoint from;
    CPoint to;
};

void PrintTo(const LineCase& c, std::ostream* os) {
    *os << c.name;
}

class LineTest : public testing::TestWithParam<LineCase> {};

// A line covers one pixel per step along its longer axis, starting at its start point and
// stopping before its end point, each pixel next to the previous one and within half a pixel
// of the true line; a one-pixel pen paints only its own colour.
TEST_P(LineTest, CoversStartUpToButNotIncludingEnd) {
    const LineCase c = GetParam();
    const CPen pen(PS_SOLID, 1, BLUE);
    const PaintedImage image(24, 24, [&](CDC& dc) {
        dc.SelectPen(&pen);
        dc.MoveTo(c.from);
        dc.LineTo(c.to);
    });
    const int dx = c.to.x - c.from.x;
    const int dy = c.to.y - c.from.y;
    const int steps = std::max(std::abs(dx), std::abs(dy));
    const auto changed = image.Changed();
    ASSERT_EQ(changed.size(), static_cast<std::size_t>(steps));
    EXPECT_EQ(image.OfColor(BLUE), changed) << "antialiased or mixed pixels";
    if (steps == 0)
        return;
    EXPECT_TRUE(changed.count({c.from.x, c.from.y}));
    EXPECT_FALSE(changed.count({c.to.x, c.to.y}));
    for (const auto& [x, y] : changed) {
        // Distance along the minor axis from the ideal line at this pixel's major coordinate.
        const bool xMajor = std::abs(dx) >= std::abs(dy);
        const double t = xMajor ? double(x - c.from.x) / dx : double(y - c.from.y) / dy;
        const double ideal = xMajor ? c.from.y + t * dy : c.from.x + t * dx;
        EXPECT_LE(std::abs((xMajor ? y : x) - ideal), 0.5) << x << "," << y;
        EXPECT_GE(t, 0.0);
        EXPECT_LT(t, 1.0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Directions, LineTest,
    testing::Values(LineCase{"Right", {1, 2}, {8, 2}}, LineCase{"Left", {8, 2}, {1, 2}},
                    LineCase{"Down", {3, 4}, {3, 9}}, LineCase{"Up", {3, 9}, {3, 4}},
                    LineCase{"Diagonal", {5, 4}, {10, 9}},
                    LineCase{"DiagonalBack", {10, 9}, {5, 4}}, LineCase{"Shallow", {1, 1}, {20, 6}},
                    LineCase{"ShallowBack", {20, 16}, {1, 11}}, LineCase{"Steep", {2, 1}, {7, 22}},
                    LineCase{"SteepUp", {20, 22}, {15, 1}},
                    LineCase{"ZeroLength", {10, 10}, {10, 10}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CDCTest, PenWidthsZeroAndOneAreOnePixelWideWiderPensAreCentred) {
    struct Case {
        int width;
        std::vector<int> rows;
    };
    const Case cases[] = {{0, {5}}, {1, {5}}, {3, {4, 5, 6}}};
    for (const Case& c : cases) {
        const CPen pen(PS_SOLID, c.width, BLUE);
        const PaintedImage image(20, 12, [&](CDC& dc) {
            dc.SelectPen(&pen);
            dc.MoveTo(4, 5);
            dc.LineTo(14, 5);
        });
        std::vector<int> rows;
        for (int y = 0; y < image.Height(); ++y)
            if (image.At(9, y) == BLUE)
                rows.push_back(y);
        EXPECT_EQ(rows, c.rows) << "width " << c.width;
        EXPECT_EQ(image.OfColor(BLUE), image.Changed()) << "width " << c.width;
    }
}

TEST(CDCTest, NullPenDrawsNoLinesAndOnlyTheBrushOfShapes) {
    const CBrush brush(RED);
    const PaintedImage image(30, 30, [&](CDC& dc) {
        dc.SelectStockObject(NULL_PEN);
        dc.SelectBrush(&brush);
        dc.MoveTo(0, 0);
        dc.LineTo(29, 29);
        const CPoint points[] = {{0, 5}, {20, 5}, {20, 20}};
        dc.Polyline(points, 3);
        dc.Rectangle(CRect{10, 10, 16, 14});
    });
    // Without a pen Windows fills one pixel less to the right and below.
    std::set<Pixel> expected;
    for (int y = 10; y < 13; ++y)
        for (int x = 10; x < 15; ++x)
            expected.insert({x, y});
    EXPECT_EQ(image.Changed(), expected);
}

TEST(CDCTest, PolylineDrawsEveryVertexButTheLastOnce) {
    const CPoint points[] = {{1, 1}, {6, 1}, {6, 6}, {1, 9}};
    CPoint positionAfter;
    const PaintedImage image(12, 12, [&](CDC& dc) {
        dc.MoveTo(11, 11);
        dc.Polyline(points, 4);
        positionAfter = dc.GetCurrentPosition();
    });
    const auto changed = image.Changed();
    EXPECT_EQ(changed.size(), 5u + 5u + 5u);
    EXPECT_TRUE(changed.count({1, 1}));
    EXPECT_TRUE(changed.count({6, 1}));
    EXPECT_TRUE(changed.count({6, 6}));
    EXPECT_FALSE(changed.count({1, 9}));
    EXPECT_EQ(image.OfColor(RGB(0, 0, 0)), changed) << "the default pen is black";
    EXPECT_EQ(positionAfter, (CPoint{11, 11}));
}

TEST(CDCTest, LineToContinuesFromTheLastEndPoint) {
    const PaintedImage image(10, 10, [](CDC& dc) {
        dc.MoveTo(0, 0);
        dc.LineTo(5, 0);
        dc.LineTo(5, 5);
    });
    const auto changed = image.Changed();
    EXPECT_EQ(changed.size(), 10u);
    EXPECT_TRUE(changed.count({5, 0}));
    EXPECT_FALSE(changed.count({5, 5}));
}

// Styled one-pixel pens: the dash pattern runs along the pixels; an opaque background mode
// fills the gaps with the background colour, a transparent one leaves them alone.
TEST(CDCTest, StyledPensDrawTheirPatternAndFillGapsOnlyWhenOpaque) {
    struct Case {
        int style;
        int bkMode;
        std::string expected; // '#' pen, 'r' background colour, '.' untouched
    };
    const Case cases[] = {
        {PS_DOT, TRANSPARENT, "###...###...###.."},
        {PS_DOT, OPAQUE, "###rrr###rrr###rr"},
        {PS_DASH, TRANSPARENT, "##################......###"},
        {PS_SOLID, OPAQUE, "#########"},
    };
    for (const Case& c : cases) {
        const CPen pen(c.style, 1, BLUE);
        const int length = static_cast<int>(c.expected.size());
        const PaintedImage image(length + 2, 3, [&](CDC& dc) {
            dc.SelectPen(&pen);
            dc.SetBkMode(c.bkMode);
            dc.SetBkColor(RED);
            dc.MoveTo(0, 1);
            dc.LineTo(length, 1);
        });
        std::string row;
        for (int x = 0; x < length; ++x) {
            const COLORREF pixel = image.At(x, 1);
            row += pixel == BLUE ? '#' : pixel == RED ? 'r' : '.';
        }
        EXPECT_EQ(row, c.expected) << "style " << c.style << " mode " << c.bkMode;
    }
}

TEST(CDCTest, SelectingReturnsThePreviousObjectForRestoring) {
    const CPen blue(PS_SOLID, 1, BLUE);
    const CPen red(PS_SOLID, 1, RED);
    const CPen neverCreated;
    const PaintedImage image(10, 4, [&](CDC& dc) {
        const CPen* original = dc.SelectPen(&blue);
        ASSERT_NE(original, nullptr);
        EXPECT_EQ(dc.SelectPen(&red), &blue);
        EXPECT_EQ(dc.SelectPen(&neverCreated), nullptr) << "refused, red stays";
        dc.MoveTo(0, 0);
        dc.LineTo(5, 0);
        EXPECT_EQ(dc.SelectPen(original), &red);
        dc.MoveTo(0, 2);
        dc.LineTo(5, 2);
    });
    EXPECT_EQ(image.At(2, 0), RED);
    EXPECT_EQ(image.At(2, 2), RGB(0, 0, 0));
}

TEST(CDCTest, ASelectedPenMayBeDeletedWhileSelected) {
    const PaintedImage image(10, 4, [](CDC& dc) {
        {
            const CPen temporary(PS_SOLID, 1, BLUE);
            dc.SelectPen(&temporary);
        }
        dc.MoveTo(0, 1);
        dc.LineTo(5, 1);
    });
    EXPECT_EQ(image.At(2, 1), BLUE);
}

// Shapes: right and bottom are exclusive, so the outline touches left .. right - 1 and
// top .. bottom - 1 and nothing outside.
struct ShapeCase {
    const char* name;
    CRect rect;
};

void PrintTo(const ShapeCase& c, std::ostream* os) {
    *os << c.name;
}

class ShapeBoundsTest : public testing::TestWithParam<ShapeCase> {};

struct Box {
    int left = 1000;
    int top = 1000;
    int right = -1000;
    int bottom = -1000;
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

TEST_P(ShapeBoundsTest, EllipseAndRectangleStayInsideTheExclusiveRect) {
    const CRect r = GetParam().rect;
    const CPen pen(PS_SOLID, 1, BLUE);
    const CBrush brush(RED);
    for (const bool ellipse : {true, false}) {
        const PaintedImage image(50, 50, [&](CDC& dc) {
            dc.SelectPen(&pen);
            dc.SelectBrush(&brush);
            ellipse ? dc.Ellipse(r) : dc.Rectangle(r);
        });
        const Box box = BoxOf(image.Changed());
        const char* shape = ellipse ? "ellipse" : "rectangle";
        EXPECT_EQ(box.left, r.left) << shape;
        EXPECT_EQ(box.top, r.top) << shape;
        EXPECT_EQ(box.right, r.right - 1) << shape;
        EXPECT_EQ(box.bottom, r.bottom - 1) << shape;
        const int cx = (r.left + r.right) / 2;
        const int cy = (r.top + r.bottom) / 2;
        EXPECT_EQ(image.At(cx, cy), RED) << shape << ": the brush fills the inside";
        for (const auto& [x, y] : image.Changed()) {
            const COLORREF c = image.At(x, y);
            EXPECT_TRUE(c == BLUE || c == RED) << shape << " blended pixel at " << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rects, ShapeBoundsTest,
    testing::Values(ShapeCase{"Square", {10, 10, 30, 30}}, ShapeCase{"Wide", {3, 20, 47, 31}},
                    ShapeCase{"Tall", {20, 2, 29, 48}}, ShapeCase{"Odd", {5, 6, 16, 17}},
                    ShapeCase{"Marker", {20, 20, 31, 31}}, ShapeCase{"Flat", {2, 30, 48, 34}}),
    [](const auto& info) { return std::string(info.param.name); });

// The unit circle of the pole-zero plot and the zero markers must be closed, round rings:
// symmetric about both axes, and nothing leaks from outside to the centre.
TEST_P(ShapeBoundsTest, EllipseOutlineIsAClosedSymmetricRing) {
    const CRect r = GetParam().rect;
    const PaintedImage image(50, 50, [&](CDC& dc) {
        dc.SelectStockObject(NULL_BRUSH);
        dc.Ellipse(r);
    });
    const auto ring = image.Changed();
    for (const auto& [x, y] : ring) {
        EXPECT_TRUE(ring.count({r.left + r.right - 1 - x, y})) << x << "," << y;
        EXPECT_TRUE(ring.count({x, r.top + r.bottom - 1 - y})) << x << "," << y;
    }
    // Flood the outside through the four neighbours of each pixel.
    std::set<Pixel> reached{{0, 0}};
    std::vector<Pixel> todo{{0, 0}};
    while (!todo.empty()) {
        const auto [x, y] = todo.back();
        todo.pop_back();
        for (const Pixel& next :
             {Pixel{x + 1, y}, Pixel{x - 1, y}, Pixel{x, y + 1}, Pixel{x, y - 1}}) {
            const bool onImage =
                next.first >= 0 && next.first < 50 && next.second >= 0 && next.second < 50;
            if (onImage && !ring.count(next) && reached.insert(next).second)
                todo.push_back(next);
        }
    }
    EXPECT_FALSE(reached.count({(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
}

TEST(CDCTest, RectangleOutlineIsExactlyTheBorderPixels) {
    const CRect r{2, 3, 9, 8};
    const PaintedImage image(12, 12, [&](CDC& dc) {
        dc.SelectStockObject(NULL_BRUSH);
        dc.Rectangle(r);
    });
    std::set<Pixel> border;
    for (int x = r.left; x < r.right; ++x) {
        border.insert({x, r.top});
        border.insert({x, r.bottom - 1});
    }
    for (int y = r.top; y < r.bottom; ++y) {
        border.insert({r.left, y});
        border.insert({r.right - 1, y});
    }
    EXPECT_EQ(image.Changed(), border);
}

TEST(CDCTest, HollowBrushLeavesTheInsideOfAnEllipse) {
    const PaintedImage image(40, 40, [](CDC& dc) {
        dc.FillSolidRect(CRect{0, 0, 40, 40}, RED);
        dc.SelectStockObject(NULL_BRUSH);
        dc.Ellipse(CRect{5, 5, 35, 35});
    });
    EXPECT_EQ(image.At(20, 20), RED);
    EXPECT_EQ(image.At(5, 20), RGB(0, 0, 0));
}

// Arcs run counterclockwise from the ray towards the start point to the ray towards the end
// point; equal points give the whole ellipse.
TEST(CDCTest, ArcRunsCounterclockwiseFromStartToEnd) {
    struct Case {
        const char* name;
        CPoint start;
        CPoint end;
        bool above;
        bool below;
    };
    const CRect circle{10, 10, 41, 41}; // centre (25, 25)
    const Case cases[] = {
        {"whole", {40, 25}, {40, 25}, true, true},
        {"upper half", {40, 25}, {10, 25}, true, false},
        {"lower half", {10, 25}, {40, 25}, false, true},
    };
    for (const Case& c : cases) {
        const PaintedImage image(50, 50, [&](CDC& dc) { dc.Arc(circle, c.start, c.end); });
        const auto pixels = image.Changed();
        const Box box = BoxOf(pixels);
        EXPECT_EQ(box.left, circle.left) << c.name;
        EXPECT_EQ(box.right, circle.right - 1) << c.name;
        EXPECT_EQ(box.top <= 12, c.above) << c.name;
        EXPECT_EQ(box.bottom >= 38, c.below) << c.name;
        EXPECT_EQ(image.OfColor(RGB(0, 0, 0)), pixels) << c.name << ": crisp one-pixel arc";
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

// Text lands inside its rectangle in the text colour, placed left, centred or right.
TEST(CDCTest, DrawTextPlacesTextInsideItsRectangle) {
    struct Case {
        UINT format;
        double fromLeft; // where the ink's middle should be, as a fraction of the width
    };
    const Case cases[] = {{DT_LEFT, 0.1}, {DT_CENTER, 0.5}, {DT_RIGHT, 0.9}};
    const CRect box{10, 20, 210, 60};
    const CFont font = MakeFont(-20);
    for (const Case& c : cases) {
        int height = 0;
        const PaintedImage image(220, 80, [&](CDC& dc) {
            dc.SelectFont(&font);
            dc.SetTextColor(RED);
            dc.SetBkMode(TRANSPARENT);
            height = dc.DrawText(L"Wg", box, c.format | DT_SINGLELINE | DT_VCENTER);
        });
        const auto ink = image.Changed();
        ASSERT_FALSE(ink.empty());
        EXPECT_FALSE(image.OfColor(RED).empty()) << "text in its colour";
        double sumX = 0;
        double sumY = 0;
        for (const auto& [x, y] : ink) {
            EXPECT_TRUE(box.PtInRect(CPoint{x, y})) << x << "," << y;
            sumX += x;
            sumY += y;
        }
        const double middleX = (sumX / ink.size() - box.left) / box.Width();
        const double middleY = sumY / ink.size();
        EXPECT_NEAR(middleX, c.fromLeft, 0.1) << "format " << c.format;
        EXPECT_NEAR(middleY, (box.top + box.bottom) / 2.0, 6) << "format " << c.format;
        EXPECT_GT(height, 20);
    }
}

TEST(CDCTest, TextOutFillsItsCellOnlyInOpaqueMode) {
    const CFont font = MakeFont(-16);
    for (const int mode : {OPAQUE, TRANSPARENT}) {
        CSize extent;
        const PaintedImage image(120, 40, [&](CDC& dc) {
            dc.SelectFont(&font);
            dc.SetBkMode(mode);
            dc.SetBkColor(RED);
            dc.SetTextColor(BLUE);
            extent = dc.GetTextExtent(L"Signal");
            dc.TextOut(10, 5, L"Signal");
        });
        const bool opaque = mode == OPAQUE;
        EXPECT_EQ(image.At(10, 5) == RED, opaque) << "cell's top-left corner";
        EXPECT_EQ(image.At(10 + extent.cx - 1, 5 + extent.cy - 1) == RED, opaque);
        EXPECT_EQ(image.At(10 + extent.cx, 5 + extent.cy), WHITE) << "nothing beyond the cell";
        EXPECT_EQ(image.At(9, 4), WHITE);
        EXPECT_FALSE(image.OfColor(BLUE).empty());
    }
}

TEST(CDCTest, TextExtentGrowsWithTheTextAndHasTheCellHeight) {
    const CFont cell22 = MakeFont(22); // positive: the whole cell
    const PaintedImage image(10, 10, [&](CDC& dc) {
        dc.SelectFont(&cell22);
        const CSize short_ = dc.GetTextExtent(L"ab");
        const CSize long_ = dc.GetTextExtent(L"abababab");
        EXPECT_GT(long_.cx, 3 * short_.cx);
        EXPECT_NEAR(short_.cy, 22, 1);
        EXPECT_EQ(short_.cy, long_.cy);
        EXPECT_EQ(dc.GetTextExtent(L"").cx, 0);
    });
}

// On a screen with two device pixels per logical pixel a one-pixel line is a crisp two device
// pixels wide, and a stretched image is averaged at the finer resolution.
TEST(CDCTest, HighDensityDevicesKeepLogicalPixelsCrisp) {
    QImage target(40, 40, QImage::Format_RGB32);
    target.setDevicePixelRatio(2);
    target.fill(Qt::white);
    CImageBuffer ramp;
    ASSERT_TRUE(ramp.Create(2, 1));
    ramp.SetPixel(1, 0, RGB(255, 255, 255));
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

TEST(CDCTest, SelectingThePreviousFontRestoresIt) {
    const CFont big = MakeFont(-40);
    const CFont small = MakeFont(-10);
    const CFont neverCreated;
    const PaintedImage image(10, 10, [&](CDC& dc) {
        const CSize original = dc.GetTextExtent(L"Hz");
        const CFont* painterFont = dc.SelectFont(&big);
        EXPECT_EQ(painterFont, nullptr);
        const CSize bigExtent = dc.GetTextExtent(L"Hz");
        EXPECT_EQ(dc.SelectFont(&neverCreated), nullptr);
        EXPECT_EQ(dc.GetTextExtent(L"Hz"), bigExtent) << "refused, the big font stays";
        EXPECT_EQ(dc.SelectFont(&small), &big);
        EXPECT_LT(dc.GetTextExtent(L"Hz").cy, bigExtent.cy);
        EXPECT_EQ(dc.SelectFont(painterFont), &small);
        EXPECT_EQ(dc.GetTextExtent(L"Hz"), original);
    });
}

TEST(CDCTest, RestoresThePaintersStateWhenDone) {
    QImage target(4, 4, QImage::Format_RGB32);
    QPainter painter(&target);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QFont before = painter.font();
    const CFont font = MakeFont(-31);
    {
        CDC dc(painter);
        dc.SelectFont(&font);
        dc.MoveTo(0, 0);
        dc.LineTo(3, 3);
    }
    EXPECT_TRUE(painter.testRenderHint(QPainter::Antialiasing));
    EXPECT_EQ(painter.font(), before);
}

} // namespace
