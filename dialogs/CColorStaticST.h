#pragma once
// A static text in colours the program chooses; the high-score list marks the player's own
// entry with it. It paints itself, background first, so it looks the same on every desktop
// style. Until a colour is set it uses the desktop's colours for text on a dialog.

#include "platform/CStatic.h"

#include <optional>

class CColorStaticST : public CStatic {
public:
    // Both repaint the control when it has a window.
    void SetTextColor(COLORREF color);
    void SetBkColor(COLORREF color);
    COLORREF GetTextColor() const;
    COLORREF GetBkColor() const;

protected:
    QWidget* MakeWidget(QWidget* parent) override;
    bool OnEraseBkgnd(CDC& dc) override;
    void OnPaint(CDC& dc) override;

private:
    UINT TextFormat() const;

    std::optional<COLORREF> m_textColor;
    std::optional<COLORREF> m_bkColor;
};
