#include "platform/CMessageBox.h"

#include "platform/CApplication.h"
#include "platform/CWindowMessages.h"
#include "platform/CWnd.h"
#include "platform/QtBridge.h"

#include <QMessageBox>
#include <QPushButton>

#include <mutex>

namespace {
std::mutex g_handlerMutex;
CMessageBox::Handler g_handler;

CMessageBox::Handler CurrentHandler() {
    std::lock_guard lock(g_handlerMutex);
    return g_handler;
}

void ShowNow(CWnd* owner, const std::wstring& text, const std::wstring& caption,
             CMessageBox::Icon icon) {
    if (const auto handler = CurrentHandler()) {
        handler(text, caption);
        return;
    }
    const QMessageBox::Icon qicon = icon == CMessageBox::Information ? QMessageBox::Information
                                    : icon == CMessageBox::Warning   ? QMessageBox::Warning
                                                                     : QMessageBox::Critical;
    QWidget* parent = owner != nullptr && CWindowMessages::IsLive(owner) ? owner->Widget() : nullptr;
    QMessageBox box(qicon, qtbridge::ToQString(caption), qtbridge::ToQString(text),
                    QMessageBox::Ok, parent);
    // The text may carry a slide's name or an element's reason: shown as written, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
} // namespace

void CMessageBox::Show(CWnd* owner, const std::wstring& text, const std::wstring& caption,
                       Icon icon) {
    if (CApplication::IsUiThread()) {
        ShowNow(owner, text, caption, icon);
        return;
    }
    // The owner may be gone by the time the box shows; ShowNow checks it is still live.
    CWindowMessages::RunOnUiThread([owner, text, caption, icon] { ShowNow(owner, text, caption, icon); });
}

bool CMessageBox::Ask(CWnd* owner, const std::wstring& text, const std::wstring& caption) {
    QWidget* parent = owner != nullptr && CWindowMessages::IsLive(owner) ? owner->Widget() : nullptr;
    QMessageBox box(QMessageBox::Question, qtbridge::ToQString(caption), qtbridge::ToQString(text),
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    // The mnemonics let J and N answer at once.
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Ja"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Nein"));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void CMessageBox::SetHandler(Handler handler) {
    std::lock_guard lock(g_handlerMutex);
    g_handler = std::move(handler);
}
