#pragma once
// The process's window-system application: one per process, made on the thread that becomes
// the user-interface thread.

#include <memory>

class CApplication {
public:
    CApplication(int& argc, char** argv);
    ~CApplication();
    CApplication(const CApplication&) = delete;
    CApplication& operator=(const CApplication&) = delete;

    // Runs the message loop until Quit (or the last window closes); the exit code.
    static int Run();
    static void Quit(int code = 0);
    // Handles every message and event that is waiting, then returns.
    static void ProcessMessages();
    // Processes messages for about the given time (tests: let posted messages arrive).
    static void ProcessMessagesFor(int milliseconds);
    static bool IsUiThread();
    static bool Exists();

private:
    struct State;
    std::unique_ptr<State> m_state;
};
