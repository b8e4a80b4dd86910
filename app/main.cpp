#include "app/CVelmoraApp.h"

#include <QGuiApplication>

int main(int argc, char** argv) {
    // Lets desktops match the window to the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.velmora.Velmora"));
    return CVelmoraApp::Run(argc, argv);
}
