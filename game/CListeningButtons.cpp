#include "game/CListeningButtons.h"

#include <algorithm>

namespace game {

namespace {
constexpr int WIDTH = 110;
constexpr int HEIGHT = 20;
constexpr int MARGIN = 3;
} // namespace

void CListeningButtons::Create(CWnd& parent, CFont* font, ECorner corner) {
    const CRect client = parent.GetClientRect();
    const int width = std::min(WIDTH, client.Width() / 2 - MARGIN);
    const int left = client.right - MARGIN - width;
    const wchar_t* const captions[] = {L"deine Lösung", L"richtige Lösung"};
    const UINT ids[] = {ID_PLAYER_SOLUTION, ID_RIGHT_SOLUTION};
    int top = corner == ECorner::TopRight ? MARGIN : client.bottom - 2 * (HEIGHT + MARGIN);
    for (std::size_t i = 0; i < m_buttons.size(); ++i, top += HEIGHT + MARGIN) {
        CButton& button = m_buttons[i];
        if (button.Create(L"BUTTON", captions[i], WS_CHILD | WS_VISIBLE,
                          CRect{left, top, left + width, top + HEIGHT}, &parent, ids[i]) &&
            font != nullptr)
            button.SetFont(font);
    }
    Select(false);
}

void CListeningButtons::Select(bool rightSolution) {
    m_buttons[0].EnableWindow(rightSolution);
    m_buttons[1].EnableWindow(!rightSolution);
}

} // namespace game
