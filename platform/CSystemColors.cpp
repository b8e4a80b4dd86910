#include "platform/CSystemColors.h"

#include "platform/CQtColor.h"

#include <QGuiApplication>
#include <QPalette>

// Dialogs erase their background with the palette's window colour, so the "button face" a
// coloured control starts from is that colour, not the (sometimes different) button colour.
COLORREF CSystemColors::ButtonFace() {
    return CQtColor::FromRgb(QGuiApplication::palette().color(QPalette::Window).rgb());
}

COLORREF CSystemColors::ButtonText() {
    return CQtColor::FromRgb(QGuiApplication::palette().color(QPalette::WindowText).rgb());
}
