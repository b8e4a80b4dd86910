#pragma once
// Finds the format and the sample data of a RIFF/WAVE file and reads its frames.
//
// Accepted are files whose "fmt " chunk (at least 16 bytes) comes before a non-empty "data"
// chunk, with 8 or 16 integer bits per sample, frames large enough for one such sample, a
// sampling rate a sound card could have played and at most ten minutes of frames. A data chunk
// that claims more bytes than the file holds yields the whole frames that are there.

#include "dsp/CWaveFormat.h"

#include "platform/CRiffReader.h"

#include <cstdint>
#include <string>

namespace dsp {

class CWaveReader {
public:
    static constexpr std::uint32_t LOWEST_SAMPLE_RATE = 1000;
    static constexpr std::uint32_t HIGHEST_SAMPLE_RATE = 192000;
    // Longer files are refused before anything is allocated: an example is a few seconds, and
    // ten minutes at the highest rate are still only about 460 MB of samples.
    static constexpr std::uint32_t LONGEST_SECONDS = 600;

    // Why a file was not opened.
    enum class Refusal {
        None,
        NoFile,       // missing, unreadable or no regular file
        NotWave,      // no RIFF/WAVE, no usable "fmt " or no "data" behind it
        NoSamples,    // not one whole frame of data
        SampleWidth,  // neither 8 nor 16 bits
        FloatSamples, // floating-point samples
        SampleRate,   // outside LOWEST_SAMPLE_RATE..HIGHEST_SAMPLE_RATE
        TooLong,      // more than LONGEST_SECONDS
    };

    // Opens the file and stands at the first frame. False when it is not a WAV file we can
    // read; the file is then closed and GetRefusal says why.
    bool Open(const std::wstring& path);
    void Close() { m_riff.Close(); }

    const CWaveFormat& GetFormat() const { return m_format; }
    // Whole frames available from the start of the data.
    int GetFrameCount() const { return m_frames; }
    // Reads the next count frames (count * block alignment bytes). False on a short read.
    bool ReadFrames(std::uint8_t* buffer, int count);

    Refusal GetRefusal() const { return m_refusal; }
    // The refusal of the last Open as one German sentence naming the file; empty when it opened.
    std::wstring DescribeRefusal(const std::wstring& path) const;

private:
    bool ReadFormat(const CRiffChunk& riff);
    bool FindData(const CRiffChunk& riff);
    Refusal CheckFormat() const;
    bool Refuse(Refusal refusal, std::uint64_t detail = 0);

    CRiffReader m_riff;
    CWaveFormat m_format;
    int m_frames = 0;
    Refusal m_refusal = Refusal::None;
    // What the refusal names: bits per sample, the rate, or the length in whole seconds
    // (rounded up, so that a file just over the limit does not read as at it).
    std::uint64_t m_detail = 0;
};

} // namespace dsp
