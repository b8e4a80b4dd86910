#include "platform/CDialogWidget.h"

#include "platform/CDialog.h"

#include <QCloseEvent>
#include <QKeyEvent>

CDialogWidget::CDialogWidget(CDialog* dialog, QWidget* parent)
    : CWndWidget(dialog, parent), m_dialog(dialog) {}

void CDialogWidget::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_dialog->HandleEnter();
        break;
    case Qt::Key_Escape:
        m_dialog->HandleEscape();
        break;
    default:
        CWndWidget::keyPressEvent(event);
    }
}

// The close box cancels; the dialog itself decides when its window goes away.
void CDialogWidget::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (Owner() != nullptr)
        m_dialog->HandleCancel();
}
