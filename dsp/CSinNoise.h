#pragma once
// A sine tone as a disturbance: amplitude A, omega radians per sample, phase 0 at the first
// sample. On buffers longer than 4096 samples it fades in and out over 1024 samples at each
// end, so that it starts and stops without a click.

#include "dsp/CNoise.h"

namespace dsp {

class CSinNoise : public CNoise {
public:
    static constexpr int RAMP = 1024;
    // Buffers up to this length get the tone at full amplitude throughout.
    static constexpr int UNRAMPED_MAX = 4096;

    CSinNoise(float amplitude, float omega) : m_amplitude(amplitude), m_omega(omega) {}

    void AddTo(float* buffer, int count) const override;

    float GetAmplitude() const { return m_amplitude; }
    float GetOmega() const { return m_omega; }

private:
    float Tone(int i) const;

    float m_amplitude;
    float m_omega;
};

} // namespace dsp
