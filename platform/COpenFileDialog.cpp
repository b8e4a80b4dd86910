#include "platform/COpenFileDialog.h"

#include "platform/CWindowMessages.h"
#include "platform/CWnd.h"
#include "platform/QtBridge.h"

#include <QDir>
#include <QFileDialog>

#include <mutex>

namespace {
std::mutex g_handlerMutex;
COpenFileDialog::Handler g_handler;
} // namespace

std::wstring COpenFileDialog::Ask(CWnd* owner, const std::wstring& caption,
                                  const std::wstring& filter) {
    Handler handler;
    {
        std::lock_guard lock(g_handlerMutex);
        handler = g_handler;
    }
    if (handler)
        return handler(caption);
    QWidget* parent =
        owner != nullptr && CWindowMessages::IsLive(owner) ? owner->Widget() : nullptr;
    const QString path = QFileDialog::getOpenFileName(
        parent, qtbridge::ToQString(caption), QDir::homePath(), qtbridge::ToQString(filter));
    return path.toStdWString();
}

void COpenFileDialog::SetHandler(Handler handler) {
    std::lock_guard lock(g_handlerMutex);
    g_handler = std::move(handler);
}
