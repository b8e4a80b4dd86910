#pragma once
// Single-line edit box.

#include "platform/CWnd.h"

class CEdit : public CWnd {
public:
    void SetLimitText(int maxCharacters);
    void SetSel(int start, int end);

protected:
    QWidget* MakeWidget(QWidget* parent) override;
};
