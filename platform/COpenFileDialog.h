#pragma once
// The system's dialog for choosing one file to open, on the user-interface thread.

#include <functional>
#include <string>

class CWnd;

class COpenFileDialog {
public:
    // Asks for an existing file whose name matches the filter ("WAV-Dateien (*.wav *.WAV)"),
    // starting in the player's home folder. The chosen path; empty when the player cancelled.
    static std::wstring Ask(CWnd* owner, const std::wstring& caption, const std::wstring& filter);

    // Tests: the handler answers instead of the dialog (empty = the dialog again).
    using Handler = std::function<std::wstring(const std::wstring& caption)>;
    static void SetHandler(Handler handler);
};
