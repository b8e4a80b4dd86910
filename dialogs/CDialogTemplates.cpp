#include "dialogs/CDialogTemplates.h"

#include <algorithm>

CDialogTemplate CDialogTemplates::HighScore() {
    CDialogTemplate t;
    t.width = 338;
    t.height = 197;
    t.caption = L"Bestenliste";
    // The list places the button in pixels below its rows; only its width is taken from here.
    t.items = {
        {CDialogItem::Kind::DefaultButton, IDOK, CRect{144, 176, 194, 190}, L"Schließen", 0}};
    return t;
}

// "Name:" is centred vertically so that it stands on the line of the edit box's text.
CDialogTemplate CDialogTemplates::PlayerName() {
    CDialogTemplate t;
    t.width = 261;
    t.height = 42;
    t.caption = L"Spielername";
    t.items = {
        {CDialogItem::Kind::Static, IDC_RESULT_LABEL, CRect{7, 5, 254, 17}, L"", 0},
        {CDialogItem::Kind::Static, IDC_NAME_LABEL, CRect{7, 21, 44, 35}, L"Name:", SS_CENTERIMAGE},
        {CDialogItem::Kind::Edit, IDC_NAME_EDIT, CRect{45, 21, 202, 35}, L"", WS_BORDER},
        {CDialogItem::Kind::DefaultButton, IDOK, CRect{204, 21, 254, 35}, L"OK", 0},
    };
    return t;
}

// A line of the template font is 8 dialog units high; one unit more keeps umlauts clear of the
// line above.
CDialogTemplate CDialogTemplates::KeyHelp(const std::wstring& text) {
    const int lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), L'\n'));
    const int textBottom = 7 + 9 * lines;
    CDialogTemplate t;
    t.width = 330;
    t.height = textBottom + 26;
    t.caption = L"Tastatur";
    t.items = {
        {CDialogItem::Kind::Static, IDC_STATIC, CRect{7, 7, 323, textBottom}, text, 0},
        {CDialogItem::Kind::DefaultButton, IDOK, CRect{140, textBottom + 7, 190, textBottom + 21},
         L"Schließen", 0},
    };
    return t;
}

CDialogTemplate CDialogTemplates::Progress() {
    CDialogTemplate t;
    t.width = 400;
    t.height = 300;
    t.caption = L"Fortschritt";
    t.items = {
        {CDialogItem::Kind::DefaultButton, IDOK, CRect{175, 280, 225, 294}, L"Schließen", 0}};
    return t;
}
