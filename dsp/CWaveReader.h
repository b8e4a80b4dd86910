#pragma once
// Finds the format and the sample data of a RIFF/WAVE file and reads its frames.
//
// Accepted are files whose "fmt " chunk (at least 16 bytes) comes before a non-empty "data"
// chunk, with 8 or 16 bits per sample and frames large enough for one such sample. A data
// chunk that claims more bytes than the file holds yields the whole frames that are there.

#include "dsp/CWaveFormat.h"

#include "platform/CRiffReader.h"

#include <cstdint>
#include <string>

namespace dsp {

class CWaveReader {
public:
    // Opens the file and stands at the first frame. False when it is not a WAV file we can
    // read; the file is then closed.
    bool Open(const std::wstring& path);
    void Close() { m_riff.Close(); }

    const CWaveFormat& GetFormat() const { return m_format; }
    // Whole frames available from the start of the data.
    int GetFrameCount() const { return m_frames; }
    // Reads the next count frames (count * block alignment bytes). False on a short read.
    bool ReadFrames(std::uint8_t* buffer, int count);

private:
    bool ReadFormat(const CRiffChunk& riff);
    bool FindData(const CRiffChunk& riff);
    static bool IsUsable(const CWaveFormat& format);

    CRiffReader m_riff;
    CWaveFormat m_format;
    int m_frames = 0;
};

} // namespace dsp
