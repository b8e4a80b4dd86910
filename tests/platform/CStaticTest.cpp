// Texts of slides are shown as they are written: no markup, and nothing loaded from disk.
#include "common/CTempFolder.h"

#include "platform/CStatic.h"
#include "platform/CText.h"

#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

int PixelsOf(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == colour;
    return count;
}

TEST(CStatic, MarkupInATextIsShownAsWrittenAndLoadsNothing) {
    CTempFolder folder;
    QImage red(40, 40, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    const std::wstring image = folder.PathOf("rot.png");
    ASSERT_TRUE(red.save(QString::fromStdWString(image)));
    const std::wstring markup = L"<h1>Titel</h1><img src=\"" + image + L"\">";

    CStatic text;
    ASSERT_TRUE(text.Create(L"STATIC", markup, WS_VISIBLE, CRect{0, 0, 600, 200}, nullptr, 1));
    const QImage shot = text.Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(PixelsOf(shot, qRgb(255, 0, 0)), 0) << "the image file was loaded";
    // As plain text the tags are one more line of ordinary letters; a heading would be taller.
    CStatic tagged, plain;
    ASSERT_TRUE(tagged.Create(L"STATIC", L"<h1>Titel</h1>", WS_VISIBLE, CRect{0, 0, 600, 200},
                              nullptr, 2));
    ASSERT_TRUE(plain.Create(L"STATIC", L"Titel", WS_VISIBLE, CRect{0, 0, 600, 200}, nullptr, 3));
    EXPECT_EQ(tagged.Widget()->sizeHint().height(), plain.Widget()->sizeHint().height())
        << "the text became a heading";
}

} // namespace
