#pragma once
// Text conversions: narrow strings are UTF-8; bytes that are not valid UTF-8 are read as
// Windows-1252 so that files written on Windows with umlauts still read right.

#include <string>

class CText {
public:
    static std::wstring ToWide(const std::string& bytes);
    static std::string ToNarrow(const std::wstring& text);
    static bool IsValidUtf8(const std::string& bytes);
};
