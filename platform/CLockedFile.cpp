#include "platform/CLockedFile.h"

#include "platform/CRegularFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <ctime>
#include <dirent.h>
#include <memory>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace {

// Another process may replace the file between our open and our lock; we then try again with
// the new file. Only endless churn by others could use up these attempts.
constexpr int MAX_LOCK_ATTEMPTS = 100;

// Temporary files are ".NAME" followed by this; mkostemp replaces the six X by letters and
// digits.
const std::string TEMP_MARK = ".velmora-tmp-";
const std::string TEMP_RANDOM = "XXXXXX";

int LockExclusive(int fd) {
    int result = 0;
    do {
        result = flock(fd, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    return result;
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = write(fd, data.data(), data.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The folder part of the path (with its slash) and ".NAME.velmora-tmp-".
std::string TemporaryPrefix(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    return folder + "." + NameOf(path) + TEMP_MARK;
}

// Only a regular file can be read, locked and replaced as statistics; errno says what else
// stands there.
int KeepIfRegular(int fd) {
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        return fd;
    const int error = info.st_mode == 0 ? errno : S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    close(fd);
    errno = error;
    return -1;
}

} // namespace

CLockedFile::CLockedFile(std::string path, EOpenMode mode) : m_path(std::move(path)) {
    OpenAndLock(mode);
}

CLockedFile::~CLockedFile() {
    Close();
}

bool CLockedFile::Fail(int error) const {
    m_error = error;
    return false;
}

bool CLockedFile::OpenAndLock(EOpenMode mode) {
    for (int attempt = 0; attempt < MAX_LOCK_ATTEMPTS; ++attempt) {
        m_fd = OpenOnce(mode);
        if (m_fd < 0)
            return Fail(errno);
        if (LockExclusive(m_fd) != 0) {
            const int error = errno;
            Close();
            return Fail(error);
        }
        // Whoever held the lock before us may have renamed a new file over the one we opened;
        // a lock on the old, unlinked file would protect nothing.
        if (StillAtPath())
            return true;
        m_createdEmpty = false; // someone else has filled the path; the file is not ours to remove
        Close();
    }
    return Fail(EAGAIN);
}

int CLockedFile::OpenOnce(EOpenMode mode) {
    m_createdEmpty = false;
    for (;;) {
        // Without O_NONBLOCK a FIFO at the path would hold the game at start and at the end.
        // O_NOFOLLOW makes a symbolic link fail with ELOOP.
        const int fd = open(m_path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
        if (fd >= 0)
            return KeepIfRegular(fd);
        if (errno != ENOENT || mode == EOpenMode::ExistingOnly)
            return fd;
        // O_EXCL fails on a link (even a dangling one): the next turn then refuses it.
        const int created =
            open(m_path.c_str(), O_RDONLY | O_CLOEXEC | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
        if (created >= 0) {
            m_createdEmpty = true;
            return created;
        }
        if (errno != EEXIST)
            return -1;
        // Someone created it between our two calls: open theirs.
    }
}

bool CLockedFile::StillAtPath() const {
    struct stat opened {};
    struct stat atPath {};
    return fstat(m_fd, &opened) == 0 && lstat(m_path.c_str(), &atPath) == 0 &&
           opened.st_dev == atPath.st_dev && opened.st_ino == atPath.st_ino;
}

bool CLockedFile::ReadAll(std::string& contents, std::size_t maxBytes) const {
    return m_fd >= 0 && CRegularFile::ReadDescriptor(m_fd, contents, maxBytes);
}

bool CLockedFile::IsWritable() const {
    if (m_fd < 0)
        return false;
    if (m_createdEmpty)
        return true;
    // The permission bits count even for the super-user, who could write anything.
    struct stat info {};
    if (fstat(m_fd, &info) != 0)
        return Fail(errno);
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return Fail(EACCES);
    if (faccessat(AT_FDCWD, m_path.c_str(), W_OK, AT_EACCESS) != 0)
        return Fail(errno);
    return true;
}

std::string CLockedFile::KeepCopyAside(const std::string& tag) const {
    const std::string stamp = tag + std::to_string(std::time(nullptr));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string suffix =
            attempt > 0 ? stamp + "-" + std::to_string(attempt) : stamp;
        if (KeepCopyWithSuffix(suffix))
            return suffix;
    }
    return {};
}

bool CLockedFile::KeepCopyWithSuffix(const std::string& suffix) const {
    if (m_fd < 0 || suffix.empty())
        return false;
    const std::string keptPath = m_path + suffix;
    // A second name for the same bytes: nothing is copied, and the rename that follows only
    // takes the first name away. link never replaces an existing file.
    if (link(m_path.c_str(), keptPath.c_str()) == 0) {
        SyncDirectory();
        return true;
    }
    // File systems without hard links get a copy, never over an existing file.
    if (errno == EEXIST)
        return false;
    std::string contents;
    if (!ReadAll(contents, static_cast<std::size_t>(-1)))
        return false;
    const int copy = open(keptPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (copy < 0)
        return false;
    const bool written = WriteAll(copy, contents) && fsync(copy) == 0;
    close(copy);
    if (!written)
        unlink(keptPath.c_str());
    else
        SyncDirectory();
    return written;
}

bool CLockedFile::Replace(std::string_view contents) {
    if (!IsWritable())
        return false;
    RemoveStaleTemporaries();
    std::string tempPath = TemporaryPrefix(m_path) + TEMP_RANDOM;
    const int tempFd = mkostemp(tempPath.data(), O_CLOEXEC);
    if (tempFd < 0)
        return Fail(errno);

    // The new file keeps the old one's permissions (mkostemp creates it private to us), and is
    // locked before it appears under the path so that no reader slips in before we let go.
    struct stat old {};
    if (fstat(m_fd, &old) == 0)
        (void)fchmod(tempFd, old.st_mode & 07777);
    const bool written = WriteAll(tempFd, contents) && fsync(tempFd) == 0 &&
                         LockExclusive(tempFd) == 0 &&
                         rename(tempPath.c_str(), m_path.c_str()) == 0;
    if (!written) {
        const int error = errno;
        unlink(tempPath.c_str());
        close(tempFd);
        return Fail(error);
    }
    SyncDirectory();
    close(m_fd); // the old file is gone from the path; drop it and its lock
    m_fd = tempFd;
    m_createdEmpty = false;
    m_error = 0;
    return true;
}

// A save that was killed leaves its temporary file behind. Temporary files are only made under
// the lock, which we hold: any that exist now belong to no running save.
void CLockedFile::RemoveStaleTemporaries() const {
    const std::string prefix = NameOf(TemporaryPrefix(m_path));
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(DirectoryOf(m_path).c_str()), closedir);
    if (!dir)
        return;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name.size() != prefix.size() + TEMP_RANDOM.size() || name.rfind(prefix, 0) != 0)
            continue;
        const std::string tail = name.substr(prefix.size());
        if (std::all_of(tail.begin(), tail.end(), [](unsigned char c) { return std::isalnum(c); }))
            unlinkat(dirfd(dir.get()), name.c_str(), 0);
    }
}

void CLockedFile::SyncDirectory() const {
    // Makes the rename itself survive a crash, not only the new file's data.
    const int dirFd = open(DirectoryOf(m_path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return;
    fsync(dirFd);
    close(dirFd);
}

void CLockedFile::Close() {
    if (m_fd < 0)
        return;
    // An empty file we made only to hold the lock must not outlive a failed save: it would
    // stand where there was no file before. We still hold the lock, so it is still ours.
    if (m_createdEmpty && StillAtPath())
        unlink(m_path.c_str());
    m_createdEmpty = false;
    close(m_fd);
    m_fd = -1;
}
