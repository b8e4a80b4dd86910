#pragma once
// Builds the bytes of RIFF/WAVE files for tests, chunk by chunk, so that each test states the
// exact layout it reads, including broken ones.

#include <cstdint>
#include <string>
#include <vector>

class CWaveBytes {
public:
    // A chunk: identifier, little-endian size (declaredSize, or the body's size when negative),
    // body and a pad byte when the body is odd.
    static std::string Chunk(const std::string& id, const std::string& body,
                             long long declaredSize = -1);
    // A "RIFF" chunk of the given form type around the chunks.
    static std::string Riff(const std::string& chunks, const std::string& formType = "WAVE");
    // The 16-byte body of a "fmt " chunk.
    static std::string Format(std::uint16_t channels, std::uint32_t sampleRate,
                              std::uint16_t blockAlign, std::uint16_t bitsPerSample);
    static std::string Pcm16(const std::vector<std::int16_t>& values);
    static std::string Pcm8(const std::vector<std::uint8_t>& values);
    // A whole mono file: "fmt " then "data".
    static std::string Mono16(const std::vector<std::int16_t>& values, std::uint32_t rate = 8000);

    static std::string Le16(std::uint16_t v);
    static std::string Le32(std::uint32_t v);
};
