#pragma once
// Directory listing with a wildcard extension ("*.wav"), matched case-insensitively.

#include <string>
#include <vector>

class CDirectory {
public:
    // Names (not paths) of the regular files in folder whose extension matches the pattern's,
    // in the order the file system gives them. Empty when the folder cannot be read.
    static std::vector<std::wstring> List(const std::wstring& folder, const std::wstring& pattern);

    // Configured paths may separate with backslashes (files made on Windows): the path this
    // system opens, as a UTF-8 string.
    static std::string NativePath(const std::wstring& path);
    // The part after the last separator of either kind.
    static std::wstring FileName(const std::wstring& path);
};
