#pragma once
// The keys of the slide elements, in German, one per line, for the player's help.

#include <string>

namespace game {

// Lines "Taste: Wirkung", separated by '\n', without a final line break.
std::wstring KeyHelpText();

} // namespace game
