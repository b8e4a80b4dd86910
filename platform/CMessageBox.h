#pragma once
// Message boxes. Asked for on another thread, the box is handed to the user-interface thread
// and the caller goes on at once.

#include <functional>
#include <string>

class CWnd;

class CMessageBox {
public:
    enum Icon { Information, Warning, Error };
    // Shows the box modally on the user-interface thread and returns once it is closed; from
    // another thread it is queued for the user-interface thread and this returns at once.
    static void Show(CWnd* owner, const std::wstring& text, const std::wstring& caption,
                     Icon icon = Error);
    // Asks a yes/no question ("Ja", "Nein") on the user-interface thread; true for "Ja".
    // "Nein" is the default and Escape's answer, so that a key pressed once too often changes
    // nothing. The test handler below does not take questions: they are answered by keys.
    static bool Ask(CWnd* owner, const std::wstring& text, const std::wstring& caption);

    // Tests: every box goes to the handler instead of the screen (empty = the screen again).
    using Handler = std::function<void(const std::wstring& text, const std::wstring& caption)>;
    static void SetHandler(Handler handler);
};
