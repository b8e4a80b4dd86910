#pragma once
// Whether a window should show that it has the keyboard focus (a focus ring).

class CWnd;

// True while the window has the focus and got it by Tab or from the program (SetFocus), the
// ways a keyboard player moves; a click, or the window being activated, gives the focus
// without the cue, as the pointer already shows where the player is.
bool ShowsFocusCue(const CWnd& window);
