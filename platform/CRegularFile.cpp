#include "platform/CRegularFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CRegularFile::CRegularFile(const std::string& path) {
    // O_NONBLOCK: opening a FIFO without a writer would otherwise wait for one forever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return;
    }
    // Reads of a regular file never block; the flag only mattered for the opening.
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0)
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    m_fd = fd;
    m_size = static_cast<std::size_t>(info.st_size);
}

CRegularFile::~CRegularFile() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool CRegularFile::ReadAll(std::string& contents, std::size_t maxBytes) const {
    return m_fd >= 0 && m_size <= maxBytes && ReadDescriptor(m_fd, contents, maxBytes);
}

bool CRegularFile::ReadDescriptor(int fd, std::string& contents, std::size_t maxBytes) {
    std::string data;
    char chunk[16384];
    for (;;) {
        const ssize_t got = pread(fd, chunk, sizeof chunk, static_cast<off_t>(data.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        data.append(chunk, static_cast<std::size_t>(got));
        if (data.size() > maxBytes)
            return false;
    }
    contents = std::move(data);
    return true;
}

std::string CRegularFile::ReadStart(std::size_t maxBytes) const {
    std::string data(m_fd >= 0 ? std::min(maxBytes, m_size) : 0, '\0');
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t got = pread(m_fd, data.data() + done, data.size() - done, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    data.resize(done);
    return data;
}

std::FILE* CRegularFile::ReleaseAsStream() {
    if (m_fd < 0)
        return nullptr;
    std::FILE* stream = fdopen(m_fd, "rb");
    if (stream == nullptr)
        ::close(m_fd);
    m_fd = -1;
    return stream;
}
