#pragma once
// Registered window messages: a name -> number registry, and thread-safe posting that never
// delivers to a destroyed window.

#include "platform/WinTypes.h"

#include <functional>
#include <string>

class CWnd;

class CWindowMessages {
public:
    // Same name, same number, on every thread; numbers start at 0xC000.
    static UINT Register(const std::string& name);

    // Queues the message for the user-interface thread. False (nothing queued) when the
    // window does not exist; a window destroyed before delivery never sees the message.
    static bool Post(CWnd* target, UINT message, WPARAM wParam, LPARAM lParam);

    // Runs a job on the user-interface thread later (from any thread).
    static void RunOnUiThread(std::function<void()> job);

    // The application starts and ends delivery on the user-interface thread.
    static void AttachToUiThread();
    static void DetachFromUiThread();

    // Window bookkeeping, called by CWnd.
    static void WindowCreated(CWnd* window);
    static void WindowDestroyed(CWnd* window);
    static bool IsLive(const CWnd* window);
};
