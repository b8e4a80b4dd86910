#pragma once
// The keys of the game, as the help (F1) lists them: the main window's first, then those of
// the slide elements.

#include <string>

namespace game {

// Lines "Taste: what it does", grouped under headings, ready to be shown as they are.
std::wstring KeyHelpText();

} // namespace game
