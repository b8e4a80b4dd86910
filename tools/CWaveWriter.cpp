#include "tools/CWaveWriter.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace examples {

namespace {

class ByteSink {
public:
    explicit ByteSink(std::vector<std::uint8_t>& bytes) : m_bytes(bytes) {}
    void Tag(const char (&tag)[5]) {
        for (int i = 0; i < 4; ++i)
            m_bytes.push_back(static_cast<std::uint8_t>(tag[i]));
    }
    void U16(std::uint16_t value) {
        m_bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
        m_bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    void U32(std::uint32_t value) {
        U16(static_cast<std::uint16_t>(value & 0xFFFF));
        U16(static_cast<std::uint16_t>(value >> 16));
    }

private:
    std::vector<std::uint8_t>& m_bytes;
};

bool Fits(const PcmFormat& format, const CWaveWriter::Channels& channels) {
    if (format.sampleRate == 0 || (format.bitsPerSample != 8 && format.bitsPerSample != 16))
        return false;
    if (channels.empty() || channels.size() != format.channels)
        return false;
    return std::all_of(channels.begin(), channels.end(),
                       [&](const auto& c) { return c.size() == channels.front().size(); });
}

float Limited(float value) {
    return std::clamp(value, -1.0f, 1.0f);
}

} // namespace

std::int16_t CWaveWriter::To16(float value) {
    const long step = std::lround(Limited(value) * 32767.0f);
    return static_cast<std::int16_t>(step);
}

std::uint8_t CWaveWriter::To8(float value) {
    const long step = std::lround(Limited(value) * 127.0f) + 128;
    return static_cast<std::uint8_t>(step);
}

std::vector<std::uint8_t> CWaveWriter::Encode(const PcmFormat& format, const Channels& channels) {
    std::vector<std::uint8_t> bytes;
    if (!Fits(format, channels))
        return bytes;
    const std::uint32_t frames = static_cast<std::uint32_t>(channels.front().size());
    const std::uint16_t blockAlign =
        static_cast<std::uint16_t>(format.channels * format.bitsPerSample / 8);
    const std::uint32_t dataSize = frames * blockAlign;
    // A chunk of odd size is followed by a pad byte that the RIFF size counts.
    const std::uint32_t pad = dataSize % 2;

    bytes.reserve(44 + dataSize + pad);
    ByteSink sink(bytes);
    sink.Tag("RIFF");
    sink.U32(4 + (8 + 16) + (8 + dataSize + pad));
    sink.Tag("WAVE");
    sink.Tag("fmt ");
    sink.U32(16);
    sink.U16(1); // integer PCM
    sink.U16(format.channels);
    sink.U32(format.sampleRate);
    sink.U32(format.sampleRate * blockAlign);
    sink.U16(blockAlign);
    sink.U16(format.bitsPerSample);
    sink.Tag("data");
    sink.U32(dataSize);
    for (std::uint32_t frame = 0; frame < frames; ++frame) {
        for (const auto& channel : channels) {
            if (format.bitsPerSample == 8)
                bytes.push_back(To8(channel[frame]));
            else
                sink.U16(static_cast<std::uint16_t>(To16(channel[frame])));
        }
    }
    if (pad != 0)
        bytes.push_back(0);
    return bytes;
}

bool CWaveWriter::Save(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

} // namespace examples
