#include "platform/CEdit.h"

#include <QLineEdit>

void CEdit::SetLimitText(int maxCharacters) {
    if (auto* edit = qobject_cast<QLineEdit*>(Widget()))
        edit->setMaxLength(maxCharacters);
}

void CEdit::SetSel(int start, int end) {
    auto* edit = qobject_cast<QLineEdit*>(Widget());
    if (edit == nullptr)
        return;
    if (end < 0)
        end = static_cast<int>(edit->text().size());
    edit->setSelection(start, end - start);
}

QWidget* CEdit::MakeWidget(QWidget* parent) { return new QLineEdit(parent); }
