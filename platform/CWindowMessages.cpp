#include "platform/CWindowMessages.h"

#include "platform/CWnd.h"

#include <QSocketNotifier>

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
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

std::mutex g_jobsMutex; // guards the jobs and the wake-up descriptor
std::deque<std::function<void()>> g_jobs;
int g_wakeFd = -1;
std::unique_ptr<QSocketNotifier> g_wakeNotifier; // user-interface thread only

void RunPendingJobs() {
    for (;;) {
        std::function<void()> job;
        {
            std::lock_guard lock(g_jobsMutex);
            if (g_jobs.empty())
                return;
            job = std::move(g_jobs.front());
            g_jobs.pop_front();
        }
        job();
    }
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

// Jobs wait in our own queue under our own mutex; another thread only writes to an event
// descriptor that the user-interface thread watches. No object crosses threads inside Qt, so
// the hand-over is ordered by a lock the program (and the thread checker) can see.
void CWindowMessages::RunOnUiThread(std::function<void()> job) {
    std::lock_guard lock(g_jobsMutex);
    if (g_wakeFd < 0)
        return;
    g_jobs.push_back(std::move(job));
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(g_wakeFd, &one, sizeof one);
}

void CWindowMessages::AttachToUiThread() {
    const int fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (fd < 0)
        return;
    g_wakeNotifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(g_wakeNotifier.get(), &QSocketNotifier::activated, [fd] {
        std::uint64_t count = 0;
        [[maybe_unused]] const auto read = ::read(fd, &count, sizeof count);
        RunPendingJobs();
    });
    std::lock_guard lock(g_jobsMutex);
    g_wakeFd = fd;
}

void CWindowMessages::DetachFromUiThread() {
    int fd = -1;
    {
        std::lock_guard lock(g_jobsMutex);
        std::swap(fd, g_wakeFd);
        g_jobs.clear();
    }
    g_wakeNotifier.reset();
    if (fd >= 0)
        ::close(fd);
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
