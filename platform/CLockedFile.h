#pragma once
// A file held under an exclusive advisory lock (flock) for as long as the object lives, for files
// that more than one running copy of the game reads and rewrites. New contents go to a temporary
// file beside it that is then renamed over it: a reader never sees half a file, and a write that
// fails leaves the old contents as they were.

#include <cstddef>
#include <string>
#include <string_view>

class CLockedFile {
public:
    enum class EOpenMode {
        ExistingOnly,   // fail when the file does not exist
        CreateIfMissing // create an empty file to hold the lock; removed again if never filled
    };

    CLockedFile(std::string path, EOpenMode mode);
    ~CLockedFile();

    CLockedFile(const CLockedFile&) = delete;
    CLockedFile& operator=(const CLockedFile&) = delete;

    bool IsLocked() const { return m_fd >= 0; }

    // Reads the whole file. False when it cannot be read or holds more than maxBytes.
    bool ReadAll(std::string& contents, std::size_t maxBytes) const;

    // Puts new contents in place atomically and durably; the lock then holds the new file.
    // False when any step fails: the file at the path is then unchanged.
    bool Replace(std::string_view contents);

private:
    bool OpenAndLock(EOpenMode mode);
    int OpenOnce(EOpenMode mode);
    bool StillAtPath() const;
    void SyncDirectory() const;
    void Close();

    std::string m_path;
    int m_fd = -1;
    bool m_createdEmpty = false; // we made the file only to lock it and have not filled it yet
};
