#include "platform/CDirectory.h"

#include "platform/CText.h"

#include <algorithm>
#include <cctype>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// "*.wav" -> ".wav"; "*" or "*.*" -> "" (everything).
std::string WantedSuffix(const std::wstring& pattern) {
    const std::string p = CText::ToNarrow(pattern);
    const auto star = p.rfind('*');
    const std::string suffix = star == std::string::npos ? p : p.substr(star + 1);
    return suffix == ".*" ? std::string() : Lower(suffix);
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Bytes 0x80..0xFF that are no part of valid UTF-8 stand for themselves as U+DC80..U+DCFF:
// lone surrogates, which no valid text contains.
constexpr wchar_t STRAY_BYTE_BASE = 0xDC00;

bool IsStrayByte(wchar_t c) {
    return c >= STRAY_BYTE_BASE + 0x80 && c <= STRAY_BYTE_BASE + 0xFF;
}

// Length of the valid UTF-8 sequence at i, 0 when there is none.
std::size_t Utf8SequenceLength(const std::string& s, std::size_t i) {
    for (std::size_t length = 1; length <= 4 && i + length <= s.size(); ++length)
        if (CText::IsValidUtf8(s.substr(i, length)))
            return length;
    return 0;
}

} // namespace

std::vector<std::wstring> CDirectory::List(const std::wstring& folder,
                                           const std::wstring& pattern) {
    const std::string base = folder.empty() ? std::string(".") : NativePath(folder);
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(base.c_str()), ::closedir);
    if (!dir)
        return {};
    const std::string suffix = WantedSuffix(pattern);
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name.size() < suffix.size() || Lower(name.substr(name.size() - suffix.size())) != suffix)
            continue;
        if (IsRegularFile(base + "/" + name))
            names.push_back(name);
    }
    // The file system's own order is arbitrary on Linux; by name it is the same on every run.
    std::sort(names.begin(), names.end());
    std::vector<std::wstring> result;
    for (const std::string& name : names)
        result.push_back(FromNative(name));
    return result;
}

std::wstring CDirectory::FromNative(const std::string& name) {
    std::wstring wide;
    std::size_t valid = 0; // start of the run of valid UTF-8 not yet converted
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t length = Utf8SequenceLength(name, i);
        if (length > 0) {
            i += length;
            continue;
        }
        wide += CText::ToWide(name.substr(valid, i - valid));
        wide += static_cast<wchar_t>(STRAY_BYTE_BASE + static_cast<unsigned char>(name[i]));
        valid = ++i;
    }
    return wide + CText::ToWide(name.substr(valid));
}

std::string CDirectory::NativePath(const std::wstring& path) {
    std::string native;
    std::size_t run = 0; // start of the run of ordinary characters not yet converted
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (!IsStrayByte(path[i]))
            continue;
        native += CText::ToNarrow(path.substr(run, i - run));
        native += static_cast<char>(path[i] - STRAY_BYTE_BASE);
        run = i + 1;
    }
    native += CText::ToNarrow(path.substr(run));
    std::replace(native.begin(), native.end(), '\\', '/');
    return native;
}

std::wstring CDirectory::FileName(const std::wstring& path) {
    const auto separator = path.find_last_of(L"/\\");
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}
