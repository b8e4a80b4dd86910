#pragma once
// Encodes sample vectors as a RIFF/WAVE PCM file: the plain 44-byte header ("fmt " of 16
// bytes, then "data"), 8-bit unsigned or 16-bit signed little-endian samples, channels
// interleaved frame by frame.

#include <cstdint>
#include <filesystem>
#include <vector>

namespace examples {

struct PcmFormat {
    std::uint32_t sampleRate = 0;
    std::uint16_t channels = 1;
    std::uint16_t bitsPerSample = 16;
};

class CWaveWriter {
public:
    using Channels = std::vector<std::vector<float>>;

    // One vector per channel, all of the same length; values outside [-1, 1] are limited.
    // Empty when the format or the channels do not fit together.
    static std::vector<std::uint8_t> Encode(const PcmFormat& format, const Channels& channels);
    static bool Save(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

    // One sample in the file's representation (rounded to the nearest step).
    static std::int16_t To16(float value);
    static std::uint8_t To8(float value);
};

} // namespace examples
