#include "dialogs/CDialogTemplates.h"

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
