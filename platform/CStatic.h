#pragma once
// Static text control. Clicks pass through to the window below, as on the desktop the game
// was designed for; SS_CENTER centres the text, which wraps at the control's width.

#include "platform/CWnd.h"

class CFont;

class CStatic : public CWnd {
public:
    // The size the text takes in a control of this width and font, wrapped as the control
    // wraps it: wider than the width when a word does not fit on a line.
    static CSize TextExtent(const std::wstring& text, const CFont& font, int width);

    // The colour of the text (default black).
    void SetTextColor(COLORREF color);

protected:
    QWidget* MakeWidget(QWidget* parent) override;
    void OnCreate() override;
    void OnCommand(UINT) override {}
};
