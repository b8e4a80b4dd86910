#include "platform/CSessionEnd.h"

#include "platform/CApplication.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <atomic>
#include <iterator>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int QUIT_SIGNALS[] = {SIGTERM, SIGHUP, SIGINT};

// The write end of the pipe the handler wakes the message loop through; -1 when none.
std::atomic<int> g_wakeFd{-1};

// Only async-signal-safe calls here: one write, errno kept for the interrupted code. A full
// pipe already holds a wake-up, so a lost byte loses nothing.
extern "C" void OnQuitSignal(int) {
    const int savedErrno = errno;
    const int fd = g_wakeFd.load();
    if (fd >= 0) {
        const char byte = 1;
        (void)!write(fd, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

struct CSessionEnd::State {
    int pipe[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier;
    struct sigaction previous[std::size(QUIT_SIGNALS)] = {};
    QMetaObject::Connection commit;
};

CSessionEnd::CSessionEnd(std::function<void()> commitData) : m_state(std::make_unique<State>()) {
    State& state = *m_state;
    if (pipe2(state.pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    state.notifier = std::make_unique<QSocketNotifier>(state.pipe[0], QSocketNotifier::Read);
    QObject::connect(state.notifier.get(), &QSocketNotifier::activated, [fd = state.pipe[0]] {
        char bytes[64];
        while (read(fd, bytes, sizeof bytes) > 0) {
        }
        CApplication::Quit();
    });
    g_wakeFd.store(state.pipe[1]);
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // the preparing thread's file reads go on undisturbed
    for (std::size_t i = 0; i < std::size(QUIT_SIGNALS); ++i)
        sigaction(QUIT_SIGNALS[i], &action, &state.previous[i]);
#if QT_CONFIG(sessionmanager)
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        state.commit = QObject::connect(app, &QGuiApplication::commitDataRequest,
                                        [commit = std::move(commitData)](QSessionManager&) {
                                            if (commit)
                                                commit();
                                        });
#endif
}

CSessionEnd::~CSessionEnd() {
    State& state = *m_state;
    QObject::disconnect(state.commit);
    if (state.pipe[0] < 0)
        return;
    for (std::size_t i = 0; i < std::size(QUIT_SIGNALS); ++i)
        sigaction(QUIT_SIGNALS[i], &state.previous[i], nullptr);
    g_wakeFd.store(-1);
    state.notifier.reset();
    close(state.pipe[0]);
    close(state.pipe[1]);
}
