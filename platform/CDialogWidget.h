#pragma once
// The window of a dialog: keys and the close box go to the dialog. Platform only.

#include "platform/CWndWidget.h"

class CDialog;

class CDialogWidget : public CWndWidget {
public:
    CDialogWidget(CDialog* dialog, QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    CDialog* m_dialog;
};
