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
        result.push_back(CText::ToWide(name));
    return result;
}

std::string CDirectory::NativePath(const std::wstring& path) {
    std::string native = CText::ToNarrow(path);
    std::replace(native.begin(), native.end(), '\\', '/');
    return native;
}

std::wstring CDirectory::FileName(const std::wstring& path) {
    const auto separator = path.find_last_of(L"/\\");
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}
