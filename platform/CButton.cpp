#include "platform/CButton.h"

#include <QPushButton>

void CButton::SetDefault(bool isDefault) {
    if (auto* button = qobject_cast<QPushButton*>(Widget()))
        button->setDefault(isDefault);
}

void CButton::Click() {
    if (auto* button = qobject_cast<QPushButton*>(Widget()); button && button->isEnabled())
        button->click();
}

QWidget* CButton::MakeWidget(QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setAutoDefault(false);
    QObject::connect(button, &QPushButton::clicked, [this] { OnCommand(GetDlgCtrlID()); });
    return button;
}
