#pragma once
// The picture of a spectrogram: one column per analysis frame, one row per frequency bin with
// bin 0 at the bottom, up to a chosen highest frequency, each cell in the colour of its power.
// Rendered once into an off-screen image so that painting is only a stretched copy.

#include "platform/WinTypes.h"

class CImageBuffer;
namespace dsp {
class CSpectrogram;
}

namespace game {

class CSpectrogramImage {
public:
    // Rows reaching above half the sample rate (an fmax beyond what the signal holds) show
    // this, the colour of an empty cell.
    static constexpr COLORREF ABOVE_HALF_RATE = RGB(0, 0, 143);

    // Rows for the frequencies 0 .. fmaxKhz at the sample rate: ceil(513 x fmax x 2000 / rate)
    // in single precision. 0 when nothing is to be shown (fmax <= 0, no sample rate).
    static int RowsFor(int fmaxKhz, unsigned sampleRate);

    // Renders frames x RowsFor(...) pixels into image. False, and no image, when either side is
    // empty or the memory is not there.
    static bool Render(const dsp::CSpectrogram& spectrogram, unsigned sampleRate, int fmaxKhz,
                       CImageBuffer& image);
};

} // namespace game
