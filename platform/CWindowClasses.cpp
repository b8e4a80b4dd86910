#include "platform/CWindowClasses.h"

#include <mutex>
#include <set>

namespace {
std::mutex g_mutex;
std::set<std::wstring> g_names;
} // namespace

void CWindowClasses::EnsureRegistered(const std::wstring& name) {
    std::lock_guard lock(g_mutex);
    g_names.insert(name);
}

bool CWindowClasses::IsRegistered(const std::wstring& name) {
    std::lock_guard lock(g_mutex);
    return g_names.count(name) != 0;
}
