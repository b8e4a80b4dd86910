#pragma once
// A dialog described as data, in dialog units: size, caption, font and controls.

#include "platform/WinTypes.h"

#include <string>
#include <vector>

constexpr UINT IDOK = 1;
constexpr UINT IDCANCEL = 2;

struct CDialogItem {
    enum class Kind { Button, DefaultButton, Static, Edit, Custom };
    Kind kind = Kind::Static;
    UINT id = 0;
    CRect rect; // dialog units: left, top, right, bottom
    std::wstring text;
    DWORD style = 0; // extra style bits, e.g. SS_CENTER for statics
};

struct CDialogTemplate {
    int width = 0; // dialog units
    int height = 0;
    std::wstring caption;
    // The frame: a title bar and a close box, no sizing border, unless the dialog asks for more.
    DWORD style = WS_CAPTION | WS_SYSMENU;
    int pointSize = 8;
    std::wstring faceName = L"MS Shell Dlg";
    std::vector<CDialogItem> items;
};
