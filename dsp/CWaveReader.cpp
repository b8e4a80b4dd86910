#include "dsp/CWaveReader.h"

#include <algorithm>
#include <climits>

namespace dsp {

namespace {

constexpr std::uint32_t FORMAT_BYTES = 16;
// Below this rate a 25 ms playback block would hold no frame at all.
constexpr std::uint32_t LOWEST_SAMPLE_RATE = 40;

std::uint16_t Read16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t Read32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(Read16(p)) | static_cast<std::uint32_t>(Read16(p + 2)) << 16;
}

} // namespace

bool CWaveReader::Open(const std::wstring& path) {
    m_format = {};
    m_frames = 0;
    CRiffChunk riff;
    const bool ok = m_riff.Open(path) && m_riff.EnterRiff(riff, CRiffReader::FourCC("WAVE")) &&
                    ReadFormat(riff) && IsUsable(m_format) && FindData(riff);
    if (!ok) {
        m_riff.Close();
        m_format = {};
        m_frames = 0;
    }
    return ok;
}

bool CWaveReader::ReadFrames(std::uint8_t* buffer, int count) {
    const std::size_t bytes = std::size_t(count) * m_format.blockAlign;
    return m_riff.Read(buffer, bytes) == bytes;
}

bool CWaveReader::ReadFormat(const CRiffChunk& riff) {
    CRiffChunk fmt;
    std::uint8_t bytes[FORMAT_BYTES];
    if (!m_riff.EnterChunk(fmt, CRiffReader::FourCC("fmt "), riff) || fmt.size < FORMAT_BYTES ||
        m_riff.Read(bytes, FORMAT_BYTES) != FORMAT_BYTES)
        return false;
    m_format.formatTag = Read16(bytes);
    m_format.channels = Read16(bytes + 2);
    m_format.sampleRate = Read32(bytes + 4);
    m_format.bytesPerSecond = Read32(bytes + 8);
    m_format.blockAlign = Read16(bytes + 12);
    m_format.bitsPerSample = Read16(bytes + 14);
    m_format.extraSize = 0;
    return m_riff.LeaveChunk(fmt);
}

// The data is searched from behind "fmt ": a "data" chunk before it is not seen.
bool CWaveReader::FindData(const CRiffChunk& riff) {
    CRiffChunk data;
    if (!m_riff.EnterChunk(data, CRiffReader::FourCC("data"), riff) || data.size == 0)
        return false;
    const std::uint64_t present = std::min<std::uint64_t>(data.size, m_riff.BytesLeft());
    const std::uint64_t frames = present / m_format.blockAlign;
    if (frames == 0 || frames > INT_MAX)
        return false;
    m_frames = static_cast<int>(frames);
    return true;
}

// The format tag is not examined: the sample width alone decides how frames are read. A frame
// must hold at least the first channel's sample, or reading it would run into the next frame
// (or, for the last one, past the data).
bool CWaveReader::IsUsable(const CWaveFormat& format) {
    if (format.bitsPerSample != 8 && format.bitsPerSample != 16)
        return false;
    return format.blockAlign >= format.bitsPerSample / 8 && format.sampleRate >= LOWEST_SAMPLE_RATE;
}

} // namespace dsp
