#pragma once
// The device context: painting with the GDI rules the game relies on, over a QPainter.
// Coordinates are logical pixels. One-pixel pens are crisp (no antialiasing) and leave a
// line's end point out, so lines and polylines join without double pixels. A new CDC starts
// with GDI's defaults: black one-pixel pen, black text on an opaque white background, the
// painter's font. It saves the painter's state and restores it when it goes.

#include "platform/CPen.h"
#include "platform/WinTypes.h"

#include <string>

class QPainter;
class CBitmap;
class CImageBuffer;

// Background modes: whether text gets the background colour behind it.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// DrawText formats.
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_VCENTER = 0x0004; // with DT_SINGLELINE only, as on Windows
constexpr UINT DT_BOTTOM = 0x0008;  // with DT_SINGLELINE only
constexpr UINT DT_WORDBREAK = 0x0010;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_NOCLIP = 0x0100;
constexpr UINT DT_NOPREFIX = 0x0800;

class CDC {
public:
    explicit CDC(QPainter& painter);
    ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // Returns the pen selected before, to be selected again when done. A pen that was never
    // created is refused: the answer is nullptr and the selection stays. The CDC keeps a copy
    // of the selected pen, so deleting it while selected is safe.
    const CPen* SelectPen(const CPen* pen);

    // Each returns the previous value.
    COLORREF SetTextColor(COLORREF color);
    COLORREF SetBkColor(COLORREF color);
    int SetBkMode(int mode);

    // Returns the previous current position.
    CPoint MoveTo(int x, int y);
    CPoint MoveTo(CPoint point) { return MoveTo(point.x, point.y); }
    // A line from the current position to (x, y), which is not drawn and becomes the current
    // position.
    void LineTo(int x, int y);
    void LineTo(CPoint point) { LineTo(point.x, point.y); }
    CPoint GetCurrentPosition() const { return m_position; }
    // Connected lines through the points; the last point is not drawn. The current position
    // neither matters nor changes.
    void Polyline(const CPoint* points, int count);

    // The part of the ellipse in rect (right and bottom exclusive: it runs through
    // left .. right - 1 and top .. bottom - 1) from the ray towards start counterclockwise to the
    // ray towards end; start equal to end draws the whole ellipse.
    void Arc(const CRect& rect, CPoint start, CPoint end);

    void FillSolidRect(const CRect& rect, COLORREF color);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color) {
        FillSolidRect(CRect{x, y, x + cx, y + cy}, color);
    }

    // Text placed in rect by the DT_ format in the painter's font; returns the height of the
    // drawn text.
    int DrawText(const std::wstring& text, const CRect& rect, UINT format);

    // The image 1:1 with its top-left corner at (x, y).
    void DrawImage(const CImageBuffer& image, int x, int y);
    // The whole image stretched onto dest with half-tone (area averaging) colour blending.
    void StretchHalftone(const CImageBuffer& image, const CRect& dest);
    // The bitmap at (x, y); its pixels of its top-left colour leave the background as it is.
    void DrawTransparent(const CBitmap& bitmap, int x, int y);

    QPainter& Painter() const { return m_painter; }

private:
    void StrokeLines(const CPoint* points, int count);
    void FillTextBackground(int x, int y, int width, int height);

    QPainter& m_painter;
    CPen m_pen;
    const CPen* m_selectedPen;
    COLORREF m_textColor = RGB(0, 0, 0);
    COLORREF m_bkColor = RGB(255, 255, 255);
    int m_bkMode = OPAQUE;
    CPoint m_position;
};
