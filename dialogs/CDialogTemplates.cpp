#include "dialogs/CDialogTemplates.h"

CDialogTemplate CDialogTemplates::HighScore() {
    CDialogTemplate t;
    t.width = 338;
    t.height = 197;
    t.caption = L"Bestenliste";
    return t;
}

// "Name:" is centred vertically so that it stands on the line of the edit box's text.
CDialogTemplate CDialogTemplates::PlayerName() {
    CDialogTemplate t;
    t.width = 261;
    t.height = 28;
    t.caption = L"Spielernamen";
    t.items = {
        {CDialogItem::Kind::Static, IDC_NAME_LABEL, CRect{7, 7, 44, 21}, L"Name:", SS_CENTERIMAGE},
        {CDialogItem::Kind::Edit, IDC_NAME_EDIT, CRect{45, 7, 202, 21}, L"", WS_BORDER},
        {CDialogItem::Kind::DefaultButton, IDOK, CRect{204, 7, 254, 21}, L"OK", 0},
    };
    return t;
}
