#pragma once
// Push button: a click is a command with the button's id to its parent.

#include "platform/CWnd.h"

class CButton : public CWnd {
public:
    // The default button answers the Enter key in its dialog.
    void SetDefault(bool isDefault);
    // Presses the button as a click would (keyboard and tests).
    void Click();

protected:
    QWidget* MakeWidget(QWidget* parent) override;
};
