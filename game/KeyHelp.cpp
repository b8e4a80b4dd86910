#include "game/KeyHelp.h"

namespace game {

namespace {

// The keys of the main window, whatever the slide shows.
constexpr wchar_t MAIN_WINDOW_KEYS[] =
    L"Hauptfenster\n"
    L"Tab, Umschalt+Tab: zum nächsten, zum vorigen Bedienelement\n"
    L"Leertaste: die gewählte Schaltfläche drücken\n"
    L"Eingabe: die gewählte Schaltfläche drücken\n"
    L"Escape: im Kurs zurück zum Hauptmenü (nach Rückfrage), im Hauptmenü das Spiel beenden\n"
    L"F1: diese Übersicht";

} // namespace

// The keys of the slide elements are appended here, after the main window's.
std::wstring KeyHelpText() { return MAIN_WINDOW_KEYS; }

} // namespace game
