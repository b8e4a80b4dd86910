#include "dsp/CWaveReader.h"

#include <algorithm>

namespace dsp {

namespace {

constexpr std::uint32_t FORMAT_BYTES = 16;
constexpr std::uint16_t FORMAT_IEEE_FLOAT = 3;

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
    m_refusal = Refusal::None;
    m_detail = 0;
    if (!m_riff.Open(path))
        return Refuse(Refusal::NoFile);
    CRiffChunk riff;
    if (!m_riff.EnterRiff(riff, CRiffReader::FourCC("WAVE")) || !ReadFormat(riff))
        return Refuse(Refusal::NotWave);
    if (const Refusal refusal = CheckFormat(); refusal != Refusal::None)
        return Refuse(refusal, refusal == Refusal::SampleRate ? m_format.sampleRate
                                                              : m_format.bitsPerSample);
    return FindData(riff);
}

bool CWaveReader::Refuse(Refusal refusal, std::uint64_t detail) {
    m_riff.Close();
    m_format = {};
    m_frames = 0;
    m_refusal = refusal;
    m_detail = detail;
    return false;
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

// The data is searched from behind "fmt ": a "data" chunk before it is not seen. The length is
// judged from the header and the file's size, before a single sample is read.
bool CWaveReader::FindData(const CRiffChunk& riff) {
    CRiffChunk data;
    if (!m_riff.EnterChunk(data, CRiffReader::FourCC("data"), riff))
        return Refuse(Refusal::NotWave);
    const std::uint64_t present = std::min<std::uint64_t>(data.size, m_riff.BytesLeft());
    const std::uint64_t frames = present / m_format.blockAlign;
    if (frames == 0)
        return Refuse(Refusal::NoSamples);
    const std::uint64_t rate = m_format.sampleRate;
    if (frames > rate * LONGEST_SECONDS)
        return Refuse(Refusal::TooLong, (frames + rate - 1) / rate);
    m_frames = static_cast<int>(frames);
    return true;
}

// Integer samples only: the sample width decides how frames are read, so other format tags
// with such widths are read alike. A frame must hold at least the first channel's sample, or
// reading it would run into the next frame (or, for the last one, past the data).
CWaveReader::Refusal CWaveReader::CheckFormat() const {
    if (m_format.formatTag == FORMAT_IEEE_FLOAT)
        return Refusal::FloatSamples;
    if (m_format.bitsPerSample != 8 && m_format.bitsPerSample != 16)
        return Refusal::SampleWidth;
    if (m_format.blockAlign < m_format.bitsPerSample / 8)
        return Refusal::NotWave;
    if (m_format.sampleRate < LOWEST_SAMPLE_RATE || m_format.sampleRate > HIGHEST_SAMPLE_RATE)
        return Refusal::SampleRate;
    return Refusal::None;
}

std::wstring CWaveReader::DescribeRefusal(const std::wstring& path) const {
    const std::wstring file = L"Die Datei " + path;
    const std::wstring detail = std::to_wstring(m_detail);
    switch (m_refusal) {
    case Refusal::None:
        return {};
    case Refusal::NoFile:
        return file + L" fehlt oder ist keine gewöhnliche Datei.";
    case Refusal::NotWave:
        return file + L" ist keine WAV-Datei, die das Spiel lesen kann.";
    case Refusal::NoSamples:
        return file + L" enthält keine Abtastwerte.";
    case Refusal::SampleWidth:
        return file + L" hat " + detail + L" Bit je Abtastwert; das Spiel liest nur 8 und 16 Bit.";
    case Refusal::FloatSamples:
        return file + L" enthält Gleitkomma-Abtastwerte; das Spiel liest nur ganzzahlige mit 8 "
                      L"und 16 Bit.";
    case Refusal::SampleRate:
        return file + L" hat die Abtastrate " + detail + L" Hz; das Spiel liest " +
               std::to_wstring(LOWEST_SAMPLE_RATE) + L" bis " +
               std::to_wstring(HIGHEST_SAMPLE_RATE) + L" Hz.";
    case Refusal::TooLong:
        return file + L" dauert " + detail + L" s; das Spiel liest höchstens " +
               std::to_wstring(LONGEST_SECONDS) + L" s (" + std::to_wstring(LONGEST_SECONDS / 60) +
               L" Minuten).";
    }
    return {};
}

} // namespace dsp
