#pragma once
// The names of the registered window classes. Registering only records the name: every
// window is made by the platform the same way, so a name that cannot be recorded is harmless.

#include <string>

class CWindowClasses {
public:
    static void EnsureRegistered(const std::wstring& name);
    static bool IsRegistered(const std::wstring& name);
};
