#pragma once
// A file held under an exclusive advisory lock (flock) for as long as the object lives, for files
// that more than one running copy of the game reads and rewrites. New contents go to a temporary
// file beside it that is then renamed over it: a reader never sees half a file, and a write that
// fails leaves the old contents as they were. A path that is a symbolic link is refused, never
// followed: in a folder others can write to, a link would let them aim our writes (and, for the
// super-user, any file on the system) wherever they like.

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
    // Why the last operation failed, as an errno value: ELOOP for a symbolic link, EISDIR for
    // a folder, EINVAL for anything else that is no regular file (a FIFO, a device).
    int Error() const { return m_error; }

    // Reads the whole file. False when it cannot be read or holds more than maxBytes.
    bool ReadAll(std::string& contents, std::size_t maxBytes) const;

    // False for a file without any write permission: its owner protected it on purpose, and
    // the rename that replaces it would otherwise go through.
    bool IsWritable() const;

    // Puts new contents in place atomically and durably; the lock then holds the new file.
    // False when any step fails or the file is not writable: the file is then unchanged. The
    // temporary file is hidden and named ".NAME.velmora-tmp-XXXXXX", a name no player gives a
    // file of their own: only names of that form are swept away as left over by a killed save.
    bool Replace(std::string_view contents);

    // Gives the current file a second name beside it, its own name and the suffix, before it
    // is replaced, so that its bytes survive the replacement. Never overwrites a file of that
    // name: false then, and whenever the name cannot be made.
    bool KeepCopyWithSuffix(const std::string& suffix) const;
    // The same under the suffix tag + the time in seconds, or tag + time + "-1", "-2", ...
    // when that name is taken: the suffix used, empty when no name could be made.
    std::string KeepCopyAside(const std::string& tag) const;

private:
    bool Fail(int error) const;
    bool OpenAndLock(EOpenMode mode);
    int OpenOnce(EOpenMode mode);
    bool StillAtPath() const;
    void SyncDirectory() const;
    void RemoveStaleTemporaries() const;
    void Close();

    std::string m_path;
    int m_fd = -1;
    mutable int m_error = 0; // a report about the last call, not the file's state
    bool m_createdEmpty = false; // we made the file only to lock it and have not filled it yet
};
