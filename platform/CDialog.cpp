#include "platform/CDialog.h"

#include "platform/CButton.h"
#include "platform/CEdit.h"
#include "platform/CFont.h"
#include "platform/CStatic.h"
#include "platform/CDialogWidget.h"
#include "platform/CQtFont.h"
#include "platform/QtBridge.h"

#include <QDir>
#include <QEventLoop>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QWidget>

#include <mutex>

// The icons are compiled into the static platform library; registering them from here keeps
// the linker from dropping them (registering twice is harmless).
static void RegisterIcons() {
    static std::once_flag once;
    std::call_once(once, [] { Q_INIT_RESOURCE(resources); });
}

namespace {

QFont TemplateFont(const CDialogTemplate& t) {
    CFont font;
    font.CreatePointFont(t.pointSize * 10, t.faceName);
    CLogFont description;
    font.GetLogFont(description);
    return CQtFont::FromLogFont(description);
}

// Rounded a * b / c, as the desktop's dialog-unit conversion does it.
int MulDiv(int a, int b, int c) {
    const long long p = static_cast<long long>(a) * b;
    return static_cast<int>((p >= 0 ? p + c / 2 : p - c / 2) / c);
}

} // namespace

CDialog::CDialog(CDialogTemplate dialogTemplate, CWnd* parent)
    : m_template(std::move(dialogTemplate)), m_owner(parent) {}

CDialog::~CDialog() {
    // Controls go before the dialog's own window.
    for (auto& control : m_controls)
        control->DestroyWindow();
    CWnd::DestroyWindow();
}

CRect CDialog::MapDialogRect(const CRect& du) const {
    const QFontMetrics metrics(TemplateFont(m_template));
    const int average =
        (metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 + 1) / 2;
    const int height = metrics.height();
    return CRect{MulDiv(du.left, average, 4), MulDiv(du.top, height, 8),
                 MulDiv(du.right, average, 4), MulDiv(du.bottom, height, 8)};
}

// An icon resource is a folder of one picture per size, so that every place the desktop shows
// the icon gets a sharp one.
bool CDialog::SetIcon(UINT iconId) {
    if (!HasWindow())
        return false;
    RegisterIcons();
    const QDir folder(QStringLiteral(":/icon/%1").arg(iconId));
    QIcon icon;
    for (const QString& name : folder.entryList(QDir::Files))
        icon.addFile(folder.filePath(name));
    if (icon.isNull())
        return false;
    Widget()->setWindowIcon(icon);
    return true;
}

int CDialog::DoModal() {
    const CRect size = MapDialogRect(CRect{0, 0, m_template.width, m_template.height});
    QRect area = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry()
                                                  : QRect(0, 0, 1024, 768);
    if (m_owner != nullptr && m_owner->HasWindow())
        area = qtbridge::ToQRect(m_owner->GetWindowRect());
    const int left = area.x() + (area.width() - size.Width()) / 2;
    const int top = area.y() + (area.height() - size.Height()) / 2;
    if (!Create(L"#32770", m_template.caption, m_template.style & ~(WS_CHILD | WS_VISIBLE),
                CRect{left, top, left + size.Width(), top + size.Height()}, nullptr, 0))
        return -1;
    Widget()->setFont(TemplateFont(m_template));
    Widget()->setWindowModality(Qt::ApplicationModal);
    if (!CreateControls()) {
        DestroyWindow();
        return -1;
    }
    m_running = true;
    m_result = IDCANCEL;
    if (OnInitDialog() && m_running)
        Widget()->setFocus();
    if (m_running) {
        Widget()->show();
        Widget()->activateWindow();
        QEventLoop loop;
        m_loop = &loop;
        loop.exec();
        m_loop = nullptr;
    }
    for (auto& control : m_controls)
        control->DestroyWindow();
    m_controls.clear();
    DestroyWindow();
    return m_result;
}

void CDialog::EndDialog(int result) {
    m_result = result;
    m_running = false;
    if (m_loop != nullptr)
        static_cast<QEventLoop*>(m_loop)->quit();
}

bool CDialog::CreateControls() {
    for (const CDialogItem& item : m_template.items) {
        std::unique_ptr<CWnd> control;
        switch (item.kind) {
        case CDialogItem::Kind::Button:
        case CDialogItem::Kind::DefaultButton:
            control = std::make_unique<CButton>();
            break;
        case CDialogItem::Kind::Static:
            control = std::make_unique<CStatic>();
            break;
        case CDialogItem::Kind::Edit:
            control = std::make_unique<CEdit>();
            break;
        case CDialogItem::Kind::Custom:
            if (CWnd* custom = MakeCustomControl(item))
                control.reset(custom);
            break;
        }
        if (!control)
            continue;
        const DWORD style = WS_CHILD | WS_VISIBLE | item.style;
        if (!control->Create(L"", item.text, style, MapDialogRect(item.rect), this, item.id))
            return false;
        control->Widget()->setFont(Widget()->font());
        if (item.kind == CDialogItem::Kind::DefaultButton)
            static_cast<CButton*>(control.get())->SetDefault(true);
        m_controls.push_back(std::move(control));
    }
    return true;
}

void CDialog::HandleEnter() {
    for (const CDialogItem& item : m_template.items)
        if (item.kind == CDialogItem::Kind::DefaultButton) {
            OnCommand(item.id);
            return;
        }
    OnCommand(IDOK);
}

void CDialog::HandleEscape() { OnEscape(); }
void CDialog::HandleCancel() { OnCommand(IDCANCEL); }

bool CDialog::OnInitDialog() { return true; }
void CDialog::OnOK() { EndDialog(IDOK); }
void CDialog::OnCancel() { EndDialog(IDCANCEL); }
void CDialog::OnEscape() { OnCommand(IDCANCEL); }

void CDialog::OnCommand(UINT id) {
    if (id == IDOK)
        OnOK();
    else if (id == IDCANCEL)
        OnCancel();
}

CWnd* CDialog::MakeCustomControl(const CDialogItem&) { return nullptr; }

QWidget* CDialog::MakeWidget(QWidget* parent) { return new CDialogWidget(this, parent); }
