#pragma once
// Opens a file for reading only when it is a regular file. Paths come from slide files and
// folder listings: a FIFO or a device there must neither block the opening thread nor be read
// as content. The check is made on the opened descriptor, so a file swapped in between checking
// and opening cannot slip through.

#include <cstddef>
#include <cstdio>
#include <string>

class CRegularFile {
public:
    // path is the native (byte) path.
    explicit CRegularFile(const std::string& path);
    ~CRegularFile();
    CRegularFile(const CRegularFile&) = delete;
    CRegularFile& operator=(const CRegularFile&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    std::size_t Size() const { return m_size; }

    // The whole file; false when it cannot be read or is larger than maxBytes.
    bool ReadAll(std::string& contents, std::size_t maxBytes) const;
    // Everything from offset 0 of an open descriptor, in pieces; false on a read error or when
    // there is more than maxBytes (also when the file grows while it is read).
    static bool ReadDescriptor(int fd, std::string& contents, std::size_t maxBytes);
    // At most the first maxBytes bytes; empty when the file cannot be read.
    std::string ReadStart(std::size_t maxBytes) const;
    // Hands the descriptor over to a stdio stream (the object is then closed); null on failure.
    std::FILE* ReleaseAsStream();

private:
    int m_fd = -1;
    std::size_t m_size = 0;
};
