#pragma once
// RIFF/WAVE bytes built chunk by chunk: each test states the exact layout, broken ones too.
#include <cstdint>
#include <string>
#include <vector>

class CWaveBytes {
public:
    static std::string Le16(std::uint16_t v) { return {char(v & 0xFF), char(v >> 8)}; }
    static std::string Le32(std::uint32_t v) {
        return Le16(std::uint16_t(v & 0xFFFF)) + Le16(std::uint16_t(v >> 16));
    }
    // Identifier, little-endian size (declaredSize, or the body's size when negative), body and
    // a pad byte when the body is odd.
    static std::string Chunk(const std::string& id, const std::string& body,
                             long long declaredSize = -1) {
        const std::string chunk =
            id + Le32(std::uint32_t(declaredSize < 0 ? body.size() : declaredSize)) + body;
        return body.size() % 2 != 0 ? chunk + '\0' : chunk;
    }
    static std::string Riff(const std::string& chunks, const std::string& formType = "WAVE") {
        return Chunk("RIFF", formType + chunks);
    }
    // The 16-byte body of a "fmt " chunk.
    static std::string Format(std::uint16_t channels, std::uint32_t sampleRate,
                              std::uint16_t blockAlign, std::uint16_t bitsPerSample) {
        return Le16(1) + Le16(channels) + Le32(sampleRate) + Le32(sampleRate * blockAlign) +
               Le16(blockAlign) + Le16(bitsPerSample);
    }
    static std::string Pcm16(const std::vector<std::int16_t>& values) {
        std::string bytes;
        for (const std::int16_t v : values)
            bytes += Le16(std::uint16_t(v));
        return bytes;
    }
    static std::string Pcm8(const std::vector<std::uint8_t>& values) {
        return {values.begin(), values.end()};
    }
    // A whole mono file: "fmt " then "data".
    static std::string Mono16(const std::vector<std::int16_t>& values, std::uint32_t rate = 8000) {
        return Riff(Chunk("fmt ", Format(1, rate, 2, 16)) + Chunk("data", Pcm16(values)));
    }
};
