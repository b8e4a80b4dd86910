#pragma once
// The pointer as a program moves it: for tools that show windows without anyone at the mouse
// (the slide viewer's pictures), so that what a window shows under the pointer, such as a
// plot's read-out, can be seen.

#include "platform/WinTypes.h"

class CWnd;

class CPointer {
public:
    // Sends a mouse move at the point, in the window's coordinates (its margins included), to
    // the innermost window there, as the mouse would. False when the window does not exist or
    // the point lies outside it.
    static bool MoveOver(const CWnd& window, CPoint point);
};
