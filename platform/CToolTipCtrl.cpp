#include "platform/CToolTipCtrl.h"

#include "platform/CWnd.h"
#include "platform/CWindowMessages.h"
#include "platform/CQtFont.h"
#include "platform/QtBridge.h"

#include <QTextDocument>
#include <QToolTip>
#include <QWidget>

bool CToolTipCtrl::Create(CWnd* owner) {
    if (owner == nullptr || !owner->HasWindow())
        return false;
    m_owner = owner;
    return true;
}

void CToolTipCtrl::SetFont(const CFont* font, bool) {
    CLogFont description;
    if (font == nullptr || !font->GetLogFont(description))
        return;
    m_font.CreateFontIndirect(description);
    QToolTip::setFont(CQtFont::FromLogFont(description));
}

bool CToolTipCtrl::AddTool(CWnd* window, const std::wstring& text) {
    if (!IsCreated() || window == nullptr || !window->HasWindow())
        return false;
    m_tools.emplace_back(window, text);
    Apply();
    return true;
}

void CToolTipCtrl::Activate(bool active) {
    m_active = active;
    Apply();
}

std::wstring CToolTipCtrl::GetToolText(const CWnd* window) const {
    for (const auto& [tool, text] : m_tools)
        if (tool == window)
            return text;
    return {};
}

namespace {
// Qt shows a tooltip that looks like markup as rich text, which would load images and follow
// styles a slide's text names. Such a text is handed over as the markup of its plain letters.
QString AsPlainTip(const std::wstring& text) {
    const QString tip = qtbridge::ToQString(text);
    return Qt::mightBeRichText(tip) ? Qt::convertFromPlainText(tip) : tip;
}
} // namespace

// Tools whose windows are gone are skipped: the control never touches a destroyed window.
void CToolTipCtrl::Apply() {
    for (const auto& [tool, text] : m_tools)
        if (CWindowMessages::IsLive(tool) && tool->Widget() != nullptr)
            tool->Widget()->setToolTip(m_active ? AsPlainTip(text) : QString());
}
