#pragma once
// The templates of the score dialogs, in dialog units, and the ids of their controls.

#include "platform/CDialogTemplate.h"

constexpr UINT IDD_HIGHSCORE = 130;
constexpr UINT IDD_PLAYERNAME = 131;
constexpr UINT IDC_NAME_EDIT = 1007;
constexpr UINT IDC_NAME_LABEL = 1008;
constexpr UINT IDC_RESULT_LABEL = 1009;
// The id of controls that are never addressed by id.
constexpr UINT IDC_STATIC = 0xFFFF;

class CDialogTemplates {
public:
    // "Bestenliste": a frame with the default button "Schließen"; the list makes every other
    // control itself.
    static CDialogTemplate HighScore();
    // "Spielername": the points reached in the first line; a label, the name's edit box and OK
    // in the second.
    static CDialogTemplate PlayerName();
    // "Fortschritt": a frame with the default button "Schließen"; the view makes its rows
    // itself and fits the height to them.
    static CDialogTemplate Progress();
    // "Tastatur": the given lines, one a line, and "Schließen" below them.
    static CDialogTemplate KeyHelp(const std::wstring& text);
};
