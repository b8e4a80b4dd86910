#pragma once
// A bitmap from the program's resources, drawn with a transparent colour: the colour of its
// top-left pixel. The marks of the evaluation are such bitmaps.

#include "platform/CImageBuffer.h" // CLR_INVALID
#include "platform/WinTypes.h"

#include <memory>

class QImage;

constexpr UINT IDB_MARK_CORRECT = 133; // blue tick on white
constexpr UINT IDB_MARK_WRONG = 134;   // vermilion cross on white

class CBitmap {
public:
    CBitmap();
    ~CBitmap();
    CBitmap(CBitmap&& other) noexcept;
    CBitmap& operator=(CBitmap&& other) noexcept;
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    // False for an id the program has no bitmap for; the bitmap is then empty.
    bool LoadBitmap(UINT resourceId);
    void DeleteObject();
    bool IsLoaded() const;
    int Width() const;
    int Height() const;
    // CLR_INVALID outside the bitmap.
    COLORREF GetPixel(int x, int y) const;
    COLORREF TransparentColor() const { return GetPixel(0, 0); }

    // For the platform's painting only: the bitmap with every pixel of the transparent colour
    // fully transparent and every other pixel fully opaque.
    const QImage& KeyedImage() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};
