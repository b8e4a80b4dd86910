#include "common/CWaveBytes.h"

std::string CWaveBytes::Le16(std::uint16_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}

std::string CWaveBytes::Le32(std::uint32_t v) {
    return Le16(static_cast<std::uint16_t>(v & 0xFFFF)) + Le16(static_cast<std::uint16_t>(v >> 16));
}

std::string CWaveBytes::Chunk(const std::string& id, const std::string& body,
                              long long declaredSize) {
    const auto size = static_cast<std::uint32_t>(declaredSize < 0 ? body.size() : declaredSize);
    std::string chunk = id + Le32(size) + body;
    if (body.size() % 2 != 0)
        chunk.push_back('\0');
    return chunk;
}

std::string CWaveBytes::Riff(const std::string& chunks, const std::string& formType) {
    return Chunk("RIFF", formType + chunks);
}

std::string CWaveBytes::Format(std::uint16_t channels, std::uint32_t sampleRate,
                               std::uint16_t blockAlign, std::uint16_t bitsPerSample) {
    return Le16(1) + Le16(channels) + Le32(sampleRate) + Le32(sampleRate * blockAlign) +
           Le16(blockAlign) + Le16(bitsPerSample);
}

std::string CWaveBytes::Pcm16(const std::vector<std::int16_t>& values) {
    std::string bytes;
    for (const std::int16_t v : values)
        bytes += Le16(static_cast<std::uint16_t>(v));
    return bytes;
}

std::string CWaveBytes::Pcm8(const std::vector<std::uint8_t>& values) {
    return std::string(values.begin(), values.end());
}

std::string CWaveBytes::Mono16(const std::vector<std::int16_t>& values, std::uint32_t rate) {
    return Riff(Chunk("fmt ", Format(1, rate, 2, 16)) + Chunk("data", Pcm16(values)));
}
