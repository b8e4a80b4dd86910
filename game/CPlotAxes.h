#pragma once
// Axes with labelled ticks beside a plot and a read-out of the value under the pointer,
// shared by every plot. A plot tells it what its columns and rows stand for, by its own
// mapping (a scale per direction); the axes then find round steps that fit the size, place
// each tick on the pixel the plot draws that value on, and word the labels and the read-out.
//
// The axes live in margins outside the plot area, so the plot keeps its size and mapping;
// the read-out is a small box at the top inside the plot. Both are off unless the slide
// ("axes", "readout" on <opt>) or the element (the same attributes) switches them on.

#include "platform/WinTypes.h"

#include <optional>
#include <string>
#include <vector>

class CDC;

namespace tinyxml2 {
class XMLElement;
}

namespace game {

class CGameContext;

class CPlotAxes {
public:
    // SAMPLE counts samples along a plot ("n"), AMPLITUDE is a plain value, PHASE an angle in
    // radians and DELAY a time in samples.
    enum class Quantity { NONE, FREQUENCY, TIME, LEVEL, REAL, IMAGINARY, SAMPLE, AMPLITUDE, PHASE, DELAY };

    // What the pixels of one direction stand for.
    class Scale {
    public:
        // Value index i (of count) is drawn on the column the column envelope gives it; a
        // value index stands for unit x i.
        static Scale Envelope(int count, int columns, double unit);
        // value = (pixel - origin) x unitsPerPixel.
        static Scale Linear(double origin, double unitsPerPixel);
        // The logarithmic level of spectra and responses on a plot this high, in dB: the row
        // of ln p is height - trunc(height x (ln p + 15) / 15.5).
        static Scale Decibel(int height);
        // An image of rows rows stretched onto pixels rows, row 0 at the top; the bottom image
        // row stands for 0, each row above for unit more.
        static Scale ImageRows(int rows, int pixels, double unit);

        // The value at the middle of a pixel.
        double ValueAt(int pixel) const;
        // The pixel the plot draws the value on; nullopt when it draws it nowhere.
        std::optional<int> PixelOf(double value) const;

    private:
        enum class Kind { ENVELOPE, LINEAR, DECIBEL, ROWS };
        Kind m_kind = Kind::LINEAR;
        int m_count = 0;
        int m_pixels = 0;
        double m_origin = 0.0;
        double m_unit = 1.0;
    };

    struct Tick {
        int pixel; // client column (horizontal) or row (vertical)
        std::wstring label;
        bool operator==(const Tick&) const = default;
    };

    // Reads "axes" and "readout" ("0" or "1") from the node over the slide's choice. False,
    // with the reason reported under the id, for any other value.
    bool ReadSwitches(const tinyxml2::XMLElement& node, CGameContext& context, int id);
    // The slide's choice, from <opt>; false and reported when malformed.
    static bool ReadSlideSwitches(const tinyxml2::XMLElement& opt, CGameContext& context);

    bool ShowsAxes() const { return m_axes; }
    bool ShowsReadout() const { return m_readout; }

    // What the plot's directions show; known when the element is read, so the margins are.
    void SetQuantities(Quantity horizontal, Quantity vertical);
    // The margins the axes need around the plot area; none while the axes are off.
    CRect Margins() const;

    // The mapping of the current data and size.
    void SetScales(const Scale& horizontal, const Scale& vertical, const CSize& plot);
    // Pole-zero plane: the circle's centre and radius in pixels and the sample rate; the
    // read-out gives radius, angle and the angle's frequency.
    void SetPlane(CPoint centre, int radius, double sampleRate, const CSize& plot);

    std::vector<Tick> HorizontalTicks() const;
    std::vector<Tick> VerticalTicks() const;
    // The read-out text at a client point.
    std::wstring ReadoutAt(CPoint point) const;
    // What the read-out shows now; empty while the pointer is elsewhere or it is off.
    std::wstring CurrentReadout() const;

    // The pointer over the plot, or gone from it. True when the read-out changes.
    bool TrackPointer(CPoint point);
    bool LosePointer();

    // The axes in the margins, in window coordinates; client is the plot area.
    void DrawAxes(CDC& dc, const CRect& client) const;
    // The read-out box at the top of the plot while the pointer is over it.
    void DrawReadout(CDC& dc, const CRect& client) const;

    // "1000 Hz (H5)": the nearest note, German names, A4 = 440 Hz; no note below C0.
    static std::wstring FrequencyText(double hz);
    static std::wstring NoteName(double hz);
    // A decimal number with a comma, at most decimals places, trailing zeros dropped.
    static std::wstring Decimal(double value, int decimals);

private:
    std::vector<Tick> Ticks(Quantity quantity, const Scale& scale, int extent,
                            bool horizontal) const;
    std::wstring Label(Quantity quantity, double value, bool horizontal) const;
    std::wstring ValueText(Quantity quantity, double value) const;
    std::wstring PlaneReadout(CPoint point) const;
    void DrawHorizontal(CDC& dc, const CRect& client, const CRect& margins) const;
    void DrawVertical(CDC& dc, const CRect& client, const CRect& margins) const;

    bool m_axes = false;
    bool m_readout = false;
    Quantity m_horizontalQuantity = Quantity::NONE;
    Quantity m_verticalQuantity = Quantity::NONE;
    Scale m_horizontal;
    Scale m_vertical;
    CSize m_plot{0, 0};
    bool m_plane = false;
    CPoint m_centre{0, 0};
    int m_radius = 1;
    double m_sampleRate = 0.0;
    std::optional<CPoint> m_pointer;
};

} // namespace game
