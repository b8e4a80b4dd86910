#pragma once
// The pair of buttons an evaluated filter exercise offers: "deine Lösung" and "richtige
// Lösung", one above the other in the right corner of the element where they hide least. The one
// whose sound is heard is greyed, as a click on it would change nothing; the player hears the own
// solution first.

#include "platform/CButton.h"

#include <array>

class CFont;

namespace game {

class CListeningButtons {
public:
    // The child ids of the two buttons in their parent.
    static constexpr UINT ID_PLAYER_SOLUTION = 1;
    static constexpr UINT ID_RIGHT_SOLUTION = 2;

    enum class ECorner { TopRight, BottomRight };

    // Makes both in the parent's client area, at most half its width.
    void Create(CWnd& parent, CFont* font, ECorner corner);
    // Greys the button of what is heard now.
    void Select(bool rightSolution);
    static bool IsButton(UINT id) { return id == ID_PLAYER_SOLUTION || id == ID_RIGHT_SOLUTION; }

private:
    std::array<CButton, 2> m_buttons;
};

} // namespace game
