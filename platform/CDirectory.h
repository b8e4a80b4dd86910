#pragma once
// Directory listing with a wildcard extension ("*.wav"), matched case-insensitively.

#include <string>
#include <vector>

class CDirectory {
public:
    // Names (not paths) of the regular files in folder whose extension matches the pattern's,
    // sorted by their bytes. Empty when the folder cannot be read. A name that is not valid
    // UTF-8 keeps each stray byte as one character of its own (U+DC80..U+DCFF) that NativePath
    // turns back into that byte, so the file opens under exactly its name.
    static std::vector<std::wstring> List(const std::wstring& folder, const std::wstring& pattern);

    // Configured paths may separate with backslashes (files made on Windows): the path this
    // system opens, as UTF-8 with the stray bytes of listed names restored.
    static std::string NativePath(const std::wstring& path);
    // The part after the last separator of either kind.
    static std::wstring FileName(const std::wstring& path);

    // A name as the file system gives it, and back (see List).
    static std::wstring FromNative(const std::string& name);
};
