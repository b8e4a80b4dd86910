#pragma once
// Static text control. Clicks pass through to the window below, as on the desktop the game
// was designed for; SS_CENTER centres the text, which wraps at the control's width.

#include "platform/CWnd.h"

class CStatic : public CWnd {
public:
    // The colour of the text (default black).
    void SetTextColor(COLORREF color);

protected:
    QWidget* MakeWidget(QWidget* parent) override;
    void OnCreate() override;
    void OnCommand(UINT) override {}
};
