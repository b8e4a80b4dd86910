#pragma once
// The fuzz input as a file the game's own readers open by path: an in-memory file rewritten on
// every run, named through /proc so no disk is touched.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

class CFuzzFile {
public:
    CFuzzFile() : m_fd(memfd_create("velmora-fuzz", 0)) {}
    ~CFuzzFile() { close(m_fd); }
    CFuzzFile(const CFuzzFile&) = delete;
    CFuzzFile& operator=(const CFuzzFile&) = delete;

    // Replaces the contents; returns the path that opens them.
    std::string Write(const std::uint8_t* data, std::size_t size) {
        (void)ftruncate(m_fd, 0);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = pwrite(m_fd, data + done, size - done, static_cast<off_t>(done));
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        return "/proc/self/fd/" + std::to_string(m_fd);
    }

private:
    int m_fd;
};
