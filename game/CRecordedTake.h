#pragma once
// A new sound for a signal the player records: written through the signal's generator call,
// which changes the samples under the playback's lock, recomputes the analyses that exist and
// tells every bound element, as a filter's new output does. What the slide added on top of
// the sound it had (a notch exercise's hum) is kept: the signal becomes
// take + (signal - sound it had).

#include "dsp/CNoise.h"

#include <vector>

namespace game {

class CRecordedTake final : public dsp::CNoise {
public:
    // Both of the signal's length; the previous sound is what the signal held before anything
    // was added to it.
    CRecordedTake(const std::vector<float>& take, const std::vector<float>& previous)
        : m_take(take), m_previous(previous) {}

    void AddTo(float* buffer, int count) const override;

    // The samples at fromRate as a sound of frames samples at toRate: linearly interpolated,
    // averaged over the span of one output sample when it shrinks (so that tones above the new
    // half rate fade instead of folding back), then cut or padded with silence.
    static std::vector<float> Fit(const float* samples, int count, int fromRate, int toRate,
                                  int frames);

private:
    const std::vector<float>& m_take;
    const std::vector<float>& m_previous;
};

} // namespace game
