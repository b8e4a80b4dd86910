#pragma once
// An off-screen image filled pixel by pixel (the spectrogram renders into one) and then
// painted through a CDC, either 1:1 or stretched with half-tone area averaging.

#include "platform/WinTypes.h"

#include <memory>

class QImage;

// What GetPixel answers for a point outside the image.
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

class CImageBuffer {
public:
    CImageBuffer();
    ~CImageBuffer();
    CImageBuffer(CImageBuffer&& other) noexcept;
    CImageBuffer& operator=(CImageBuffer&& other) noexcept;
    CImageBuffer(const CImageBuffer&) = delete;
    CImageBuffer& operator=(const CImageBuffer&) = delete;

    // A new image, all black like a fresh compatible bitmap. False (and no image) when a side
    // is not positive or the memory is not there.
    bool Create(int width, int height);
    void Release();
    bool IsCreated() const;
    int Width() const;
    int Height() const;

    // Points outside the image are ignored.
    void SetPixel(int x, int y, COLORREF color);
    COLORREF GetPixel(int x, int y) const;
    // Row y from x = 0 on: the first count colours (at most the width); one row access instead
    // of one per pixel, for renderers that make whole rows.
    void SetRow(int y, const COLORREF* colors, int count);

    // The image resampled to the given size by area averaging: every new pixel is the mean of
    // the source area it covers, weighted by coverage, so shrinking blends the detail it
    // cannot show and enlarging shows each source pixel as a block with blended seams.
    CImageBuffer AreaAveraged(int width, int height) const;

    // For the platform's painting only.
    const QImage& Image() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};
