#include "game/CSpectrogramImage.h"

#include "dsp/CSpectrogram.h"
#include "game/CColourTable.h"
#include "platform/CImageBuffer.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace game {

int CSpectrogramImage::RowsFor(int fmaxKhz, unsigned sampleRate) {
    if (fmaxKhz <= 0 || sampleRate == 0)
        return 0;
    // The fraction of the bins up to fmax (1 = half the sample rate).
    const auto fraction = static_cast<float>(fmaxKhz * 2000.0 / sampleRate);
    const float rows = std::ceil(static_cast<float>(dsp::CSpectrogram::BINS) * fraction);
    // A height no image could have (an fmax given in Hz, say) shows nothing rather than
    // overflowing.
    if (!(rows < static_cast<float>(INT_MAX)))
        return 0;
    return static_cast<int>(rows);
}

bool CSpectrogramImage::Render(const dsp::CSpectrogram& spectrogram, unsigned sampleRate,
                               int fmaxKhz, CImageBuffer& image) {
    image.Release();
    const int frames = spectrogram.GetFrames();
    const int rows = RowsFor(fmaxKhz, sampleRate);
    // A picture of more than 2^26 pixels (256 MiB) would only come from an fmax far beyond the
    // signal (given in Hz instead of kHz, say): it is not made, as if memory had run out,
    // rather than stall every paint with averaging it down.
    constexpr long long MAX_PIXELS = 1LL << 26;
    if (!spectrogram.Exists() || frames <= 0 || rows <= 0 ||
        static_cast<long long>(frames) * rows > MAX_PIXELS || !image.Create(frames, rows))
        return false;
    const int binRows = std::min(rows, dsp::CSpectrogram::BINS);
    const int firstBinRow = rows - binRows;
    const float scale = spectrogram.GetMatrixScale();
    std::vector<COLORREF> line(static_cast<std::size_t>(frames), ABOVE_HALF_RATE);
    for (int r = 0; r < firstBinRow; ++r)
        image.SetRow(r, line.data(), frames);
    // The matrix is bin-major, so one image row reads one contiguous run of frames. A row's
    // colours are worked out first and written after: the logarithms of neighbouring cells
    // then overlap, which they cannot across the out-of-line pixel writes.
    for (int r = firstBinRow; r < rows; ++r) {
        const int bin = rows - 1 - r;
        const fftwf_complex* cells =
            spectrogram.GetMatrix() + std::size_t(bin) * spectrogram.GetStride();
        for (int t = 0; t < frames; ++t) {
            const float re = cells[t][0] * scale, im = cells[t][1] * scale;
            line[t] = CColourTable::ColourOf(re * re + im * im);
        }
        image.SetRow(r, line.data(), frames);
    }
    return true;
}

} // namespace game
