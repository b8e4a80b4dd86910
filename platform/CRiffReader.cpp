#include "platform/CRiffReader.h"

#include "platform/CDirectory.h"
#include "platform/CRegularFile.h"

#include <algorithm>

namespace {

constexpr std::uint64_t HEADER_BYTES = 8;
constexpr std::uint64_t FORM_TYPE_BYTES = 4;

std::uint32_t LittleEndian32(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

} // namespace

bool CRiffReader::Open(const std::wstring& path) {
    Close();
    // Only regular files have a size we can hold declared chunk sizes against, and only they
    // open without waiting for someone at the other end.
    CRegularFile regular(CDirectory::NativePath(path));
    const std::uint64_t size = regular.Size();
    std::unique_ptr<std::FILE, FileCloser> file(regular.ReleaseAsStream());
    if (!file)
        return false;
    m_file = std::move(file);
    m_fileSize = size;
    m_position = 0;
    return true;
}

void CRiffReader::Close() {
    m_file.reset();
    m_fileSize = 0;
    m_position = 0;
}

bool CRiffReader::EnterRiff(CRiffChunk& riff, std::uint32_t formType) {
    if (!IsOpen() || !SeekTo(0))
        return false;
    CRiffChunk found;
    if (!ReadHeader(found.id, found.size) || found.id != FourCC("RIFF"))
        return false;
    unsigned char form[FORM_TYPE_BYTES];
    if (Read(form, sizeof form) != sizeof form)
        return false;
    found.formType = LittleEndian32(form);
    found.dataOffset = HEADER_BYTES;
    if (found.formType != formType)
        return false;
    riff = found;
    return true;
}

bool CRiffReader::EnterChunk(CRiffChunk& chunk, std::uint32_t id, const CRiffChunk& parent) {
    if (!IsOpen())
        return false;
    const std::uint64_t end = std::min(PaddedEnd(parent), m_fileSize);
    std::uint64_t offset = std::max(m_position, parent.dataOffset + FORM_TYPE_BYTES);
    while (offset + HEADER_BYTES <= end) {
        CRiffChunk found;
        if (!SeekTo(offset) || !ReadHeader(found.id, found.size))
            return false;
        found.dataOffset = offset + HEADER_BYTES;
        if (found.id == id) {
            chunk = found;
            return true;
        }
        offset = PaddedEnd(found);
    }
    return false;
}

bool CRiffReader::LeaveChunk(const CRiffChunk& chunk) {
    // A chunk may claim more than the file holds; standing at the end of the file is as far
    // as leaving it can go, and any search after it then finds nothing.
    return IsOpen() && SeekTo(std::min(PaddedEnd(chunk), m_fileSize));
}

std::size_t CRiffReader::Read(void* buffer, std::size_t bytes) {
    if (!IsOpen() || bytes == 0)
        return 0;
    const std::size_t got = std::fread(buffer, 1, bytes, m_file.get());
    m_position += got;
    return got;
}

std::uint64_t CRiffReader::BytesLeft() const {
    return m_position < m_fileSize ? m_fileSize - m_position : 0;
}

bool CRiffReader::SeekTo(std::uint64_t offset) {
    if (offset > m_fileSize || fseeko(m_file.get(), static_cast<off_t>(offset), SEEK_SET) != 0)
        return false;
    m_position = offset;
    return true;
}

bool CRiffReader::ReadHeader(std::uint32_t& id, std::uint32_t& size) {
    unsigned char header[HEADER_BYTES];
    if (Read(header, sizeof header) != sizeof header)
        return false;
    id = LittleEndian32(header);
    size = LittleEndian32(header + 4);
    return true;
}

std::uint64_t CRiffReader::PaddedEnd(const CRiffChunk& chunk) {
    return chunk.dataOffset + chunk.size + (chunk.size & 1u);
}
