#pragma once
// Reads RIFF files chunk by chunk: open, enter a chunk (searching forward for its identifier),
// read its contents, leave it, close. Declared sizes are never trusted beyond the end of the
// file, so a damaged header cannot make a reader run past what is really there.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

// A chunk the reader has entered.
struct CRiffChunk {
    std::uint32_t id = 0;
    std::uint32_t size = 0;       // declared size of the contents (after the 8-byte header)
    std::uint32_t formType = 0;   // "RIFF" and "LIST" chunks only
    std::uint64_t dataOffset = 0; // file offset of the contents (the form type, for RIFF/LIST)
};

class CRiffReader {
public:
    static constexpr std::uint32_t FourCC(const char (&code)[5]) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 8 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 16 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(code[3])) << 24;
    }

    CRiffReader() = default;
    ~CRiffReader() = default;
    CRiffReader(const CRiffReader&) = delete;
    CRiffReader& operator=(const CRiffReader&) = delete;

    bool Open(const std::wstring& path);
    void Close();
    bool IsOpen() const { return m_file != nullptr; }

    // Enters the chunk at the start of the file, which must be "RIFF" with the given form type;
    // afterwards the reader stands just behind the form type.
    bool EnterRiff(CRiffChunk& riff, std::uint32_t formType);
    // Searches forward from the current position, within parent (a "RIFF" or "LIST" chunk),
    // for a chunk with this identifier and stands at the start of its contents.
    bool EnterChunk(CRiffChunk& chunk, std::uint32_t id, const CRiffChunk& parent);
    // Stands behind the chunk and its pad byte (chunks are padded to an even size).
    bool LeaveChunk(const CRiffChunk& chunk);

    // Reads up to bytes from the current position; returns how many were read (fewer at the end
    // of the file or on a read error).
    std::size_t Read(void* buffer, std::size_t bytes);
    // Bytes from the current position to the end of the file.
    std::uint64_t BytesLeft() const;

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    bool SeekTo(std::uint64_t offset);
    bool ReadHeader(std::uint32_t& id, std::uint32_t& size);
    static std::uint64_t PaddedEnd(const CRiffChunk& chunk);

    std::unique_ptr<std::FILE, FileCloser> m_file;
    std::uint64_t m_fileSize = 0;
    std::uint64_t m_position = 0;
};
