#pragma once
// The score line comes from the configuration file and is used as a format: only "%d" (the
// first two) and "%%" are filled in, anything else stays as it is, so a text from a file can
// never make the program read arguments that are not there.

#include <string>

class CScoreLine {
public:
    static std::wstring Format(const std::wstring& format, int achieved, int total);
};
