// Text the program colours itself must stay readable (WCAG: 4.5:1 against its background), the
// evaluation marks must stand out from the white plots (3:1, as for any graphic), and tick and
// cross must differ in colour for red-green colour-blind eyes too.
#include "dialogs/CHighScore.h"
#include "platform/CBitmap.h"
#include "platform/CSystemColors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

double Linear(int channel) {
    const double v = channel / 255.0;
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double Gamma(double linear) {
    const double v = std::clamp(linear, 0.0, 1.0);
    return 255.0 * (v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055);
}

double Luminance(COLORREF c) {
    return 0.2126 * Linear(GetRValue(c)) + 0.7152 * Linear(GetGValue(c)) +
           0.0722 * Linear(GetBValue(c));
}

double Contrast(COLORREF a, COLORREF b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// How far apart two colours look to a dichromat (Viénot, Brettel and Mollon's simulation, in
// linear RGB), in sRGB steps.
double SeenApart(COLORREF a, COLORREF b, const double (&m)[3][3]) {
    double squares = 0;
    for (const auto& row : m) {
        const auto seen = [&](COLORREF c) {
            return Gamma(row[0] * Linear(GetRValue(c)) + row[1] * Linear(GetGValue(c)) +
                         row[2] * Linear(GetBValue(c)));
        };
        squares += std::pow(seen(a) - seen(b), 2);
    }
    return std::sqrt(squares);
}

TEST(TextContrast, ColouredTextAndMarksStayReadableAlsoForRedGreenBlindEyes) {
    CBitmap tickMark, crossMark; // a pixel in the middle of each stroke
    ASSERT_TRUE(tickMark.LoadBitmap(IDB_MARK_CORRECT) && crossMark.LoadBitmap(IDB_MARK_WRONG));
    const COLORREF tick = tickMark.GetPixel(78, 64), cross = crossMark.GetPixel(64, 64);
    const COLORREF white = RGB(255, 255, 255), face = CSystemColors::ButtonFace();
    const struct {
        const char* what;
        COLORREF ink, paper;
        double least;
    } pairs[] = {{"new result in the high-score list", CHighScore::HIGHLIGHT_COLOR, face, 4.5},
                 {"dialog text", CSystemColors::ButtonText(), face, 4.5},
                 {"tick", tick, white, 3.0},
                 {"cross", cross, white, 3.0}};
    for (const auto& p : pairs)
        EXPECT_GE(Contrast(p.ink, p.paper), p.least) << p.what;
    const struct {
        const char* what;
        double m[3][3];
    } eyes[] = {
        {"deuteranopia", {{0.29275, 0.70725, 0}, {0.29275, 0.70725, 0}, {-0.02234, 0.02234, 1}}},
        {"protanopia", {{0.11238, 0.88762, 0}, {0.11238, 0.88762, 0}, {0.00401, -0.00401, 1}}},
    };
    for (const auto& eye : eyes)
        EXPECT_GE(SeenApart(tick, cross, eye.m), 100.0) << eye.what;
}

} // namespace
