#include "platform/CWindowMessages.h"

#include "platform/CWnd.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <cstdint>
#include <map>
#include <mutex>

namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::string, UINT> names;
    // Live windows by address (checked at posting) and by serial (looked up at delivery, so a
    // new window at a freed address never receives an old window's message).
    std::map<const CWnd*, std::uint64_t> serialOf;
    std::map<std::uint64_t, CWnd*> windowOf;
    std::uint64_t nextSerial = 1;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

CWnd* LookUp(std::uint64_t serial) {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    const auto it = r.windowOf.find(serial);
    return it == r.windowOf.end() ? nullptr : it->second;
}

} // namespace

UINT CWindowMessages::Register(const std::string& name) {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    const auto [it, added] = r.names.try_emplace(name, 0xC000 + static_cast<UINT>(r.names.size()));
    return it->second;
}

bool CWindowMessages::Post(CWnd* target, UINT message, WPARAM wParam, LPARAM lParam) {
    std::uint64_t serial = 0;
    {
        Registry& r = TheRegistry();
        std::lock_guard lock(r.mutex);
        const auto it = r.serialOf.find(target);
        if (it == r.serialOf.end())
            return false;
        serial = it->second;
    }
    RunOnUiThread([serial, message, wParam, lParam] {
        // Delivery happens on the user-interface thread, the only one that destroys windows,
        // so the window found here stays alive for the call.
        if (CWnd* window = LookUp(serial))
            window->SendMessage(message, wParam, lParam);
    });
    return true;
}

void CWindowMessages::RunOnUiThread(std::function<void()> job) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr)
        return;
    QMetaObject::invokeMethod(app, std::move(job), Qt::QueuedConnection);
}

void CWindowMessages::WindowCreated(CWnd* window) {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    const std::uint64_t serial = r.nextSerial++;
    r.serialOf[window] = serial;
    r.windowOf[serial] = window;
}

void CWindowMessages::WindowDestroyed(CWnd* window) {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    const auto it = r.serialOf.find(window);
    if (it == r.serialOf.end())
        return;
    r.windowOf.erase(it->second);
    r.serialOf.erase(it);
}

bool CWindowMessages::IsLive(const CWnd* window) {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    return r.serialOf.count(window) != 0;
}
