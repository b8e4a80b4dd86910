#pragma once
// Paints through a CDC into an image and reads the pixels back, for the painting tests.
#include "platform/CDC.h"
#include "platform/CQtColor.h"

#include <QImage>
#include <QPainter>

#include <functional>
#include <set>
#include <utility>

class PaintedImage {
public:
    using Pixel = std::pair<int, int>; // x, y
    PaintedImage(int width, int height, const std::function<void(CDC&)>& paint,
                 COLORREF background = RGB(255, 255, 255))
        : m_image(width, height, QImage::Format_RGB32), m_background(background) {
        m_image.fill(CQtColor::ToRgb(background));
        QPainter painter(&m_image);
        CDC dc(painter);
        paint(dc);
    }
    COLORREF At(int x, int y) const { return CQtColor::FromRgb(m_image.pixel(x, y)); }
    int Width() const { return m_image.width(); }
    int Height() const { return m_image.height(); }
    // Every pixel painting changed, or every pixel of exactly this colour.
    std::set<Pixel> Changed() const { return Where(m_background, false); }
    std::set<Pixel> OfColor(COLORREF color) const { return Where(color, true); }

private:
    std::set<Pixel> Where(COLORREF color, bool equal) const {
        std::set<Pixel> pixels;
        for (int y = 0; y < Height(); ++y)
            for (int x = 0; x < Width(); ++x)
                if ((At(x, y) == color) == equal)
                    pixels.insert({x, y});
        return pixels;
    }
    QImage m_image;
    COLORREF m_background;
};
