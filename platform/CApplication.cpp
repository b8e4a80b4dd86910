#include "platform/CApplication.h"

#include "platform/CWindowMessages.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

struct CApplication::State {
    QApplication app;
    State(int& argc, char** argv) : app(argc, argv) {}
};

CApplication::CApplication(int& argc, char** argv)
    : m_state(std::make_unique<State>(argc, argv)) {
    CWindowMessages::AttachToUiThread();
}

CApplication::~CApplication() { CWindowMessages::DetachFromUiThread(); }

int CApplication::Run() { return QApplication::exec(); }

void CApplication::Quit(int code) { QCoreApplication::exit(code); }

void CApplication::ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    // Windows destroyed from inside their own handlers are deleted here.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void CApplication::ProcessMessagesFor(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    do {
        ProcessMessages();
        QThread::msleep(1);
    } while (timer.elapsed() < milliseconds);
}

bool CApplication::IsUiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

bool CApplication::Exists() { return QCoreApplication::instance() != nullptr; }
