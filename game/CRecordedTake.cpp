#include "game/CRecordedTake.h"

#include <algorithm>
#include <cmath>

namespace game {

void CRecordedTake::AddTo(float* buffer, int count) const {
    const auto n =
        std::min({static_cast<std::size_t>(std::max(count, 0)), m_take.size(), m_previous.size()});
    for (std::size_t i = 0; i < n; ++i)
        buffer[i] += m_take[i] - m_previous[i];
}

std::vector<float> CRecordedTake::Fit(const float* samples, int count, int fromRate, int toRate,
                                      int frames) {
    std::vector<float> fitted(static_cast<std::size_t>(std::max(frames, 0)), 0.0f);
    if (samples == nullptr || count <= 0 || fromRate <= 0 || toRate <= 0)
        return fitted;
    if (fromRate == toRate) {
        std::copy_n(samples, std::min(count, frames), fitted.begin());
        return fitted;
    }
    const double step = static_cast<double>(fromRate) / toRate; // input samples per output one
    // A box of the output sample's span in front of the interpolation: a crude low-pass, but
    // enough to keep a whistle at 5 kHz from appearing at 3 kHz in an 8 kHz slide.
    // Odd and centred, so that the sound is not shifted.
    const int half = static_cast<int>(std::floor(step)) / 2;
    std::vector<double> running(static_cast<std::size_t>(count) + 1, 0.0);
    for (int i = 0; i < count; ++i)
        running[i + 1] = running[i] + samples[i];
    auto smoothed = [&](int i) {
        const int first = std::max(i - half, 0);
        const int last = std::min(i + half + 1, count);
        return (running[last] - running[first]) / (last - first);
    };
    for (int j = 0; j < frames; ++j) {
        const double at = j * step;
        const int i = static_cast<int>(at);
        if (i >= count)
            break;
        const double weight = at - i;
        const double next = i + 1 < count ? smoothed(i + 1) : smoothed(i);
        fitted[j] = static_cast<float>(smoothed(i) * (1.0 - weight) + next * weight);
    }
    return fitted;
}

} // namespace game
