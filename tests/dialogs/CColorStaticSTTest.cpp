// The coloured static paints its own background and text in the colours it was given, and
// until then blends into the dialog it sits in.
#include "dialogs/CColorStaticST.h"
#include "platform/CSystemColors.h"

#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

bool Contains(const QImage& image, COLORREF color) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == qRgb(GetRValue(color), GetGValue(color), GetBValue(color)))
                return true;
    return false;
}

TEST(CColorStaticSTTest, PaintsInItsColours) {
    const struct {
        bool setColors;
        COLORREF text, background;
    } cases[] = {{true, RGB(0, 0, 255), RGB(255, 255, 0)},
                 {false, CSystemColors::ButtonText(), CSystemColors::ButtonFace()}};
    for (const auto& c : cases) {
        CWnd parent;
        ASSERT_TRUE(parent.Create(L"", L"", 0, CRect{0, 0, 200, 60}, nullptr, 0));
        CColorStaticST label;
        ASSERT_TRUE(label.Create(L"STATIC", L"WWW Mitte", WS_CHILD | WS_VISIBLE | SS_CENTER,
                                 CRect{10, 10, 190, 50}, &parent, 0xFFFF));
        if (c.setColors) {
            label.SetTextColor(c.text);
            label.SetBkColor(c.background);
        }
        const QImage image = label.Widget()->grab().toImage();
        EXPECT_EQ(image.pixel(0, 0), image.pixel(image.width() - 1, image.height() - 1));
        EXPECT_EQ(image.pixel(0, 0),
                  qRgb(GetRValue(c.background), GetGValue(c.background), GetBValue(c.background)));
        EXPECT_TRUE(Contains(image, c.text)) << "the text is drawn in the text colour";
    }
}

} // namespace
