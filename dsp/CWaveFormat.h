#pragma once
// The WAVE format block of a signal, the fields of a "fmt " chunk in file order. Only the
// first 16 bytes of a chunk are read, so the extra-information size is always 0.

#include <cstdint>

namespace dsp {

struct CWaveFormat {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;     // frames per second
    std::uint32_t bytesPerSecond = 0; // as the file says; not used for reading
    std::uint16_t blockAlign = 0;     // bytes per frame
    std::uint16_t bitsPerSample = 0;
    std::uint16_t extraSize = 0;

    bool operator==(const CWaveFormat&) const = default;
};

} // namespace dsp
