#include "dsp/CSinNoise.h"

#include <cmath>

namespace dsp {

void CSinNoise::AddTo(float* buffer, int count) const {
    if (buffer == nullptr || count <= 0)
        return;
    if (count <= UNRAMPED_MAX) {
        for (int i = 0; i < count; ++i)
            buffer[i] += m_amplitude * Tone(i);
        return;
    }
    for (int i = 0; i < RAMP; ++i)
        buffer[i] += Tone(i) * (static_cast<float>(i) * m_amplitude / RAMP);
    for (int i = RAMP; i < count - RAMP; ++i)
        buffer[i] += m_amplitude * Tone(i);
    for (int i = count - RAMP; i < count; ++i) {
        const int k = count - 1 - i;
        buffer[i] += Tone(i) * (static_cast<float>(k) * m_amplitude / RAMP);
    }
}

// The phase is formed in single precision from i as a float, the sine rounded to float.
float CSinNoise::Tone(int i) const {
    const float phase = m_omega * static_cast<float>(i);
    return static_cast<float>(std::sin(static_cast<double>(phase)));
}

} // namespace dsp
