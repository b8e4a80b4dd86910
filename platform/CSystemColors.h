#pragma once
// The desktop's colours for controls that paint themselves, so that they match the dialogs
// they sit in.

#include "platform/WinTypes.h"

class CSystemColors {
public:
    // The face of dialogs and buttons: what a dialog's background is painted with.
    static COLORREF ButtonFace();
    // Text on that face.
    static COLORREF ButtonText();
};
