#pragma once
// The keys of the game, as the help (F1) lists them: the main window's first, then those of
// the slide elements.

#include <string>

namespace game {

// Lines "Taste: Wirkung", grouped under headings, separated by '\n', ready to be shown as they
// are.
std::wstring KeyHelpText();

} // namespace game
