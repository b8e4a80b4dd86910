#include "platform/CWnd.h"

#include "platform/CApplication.h"
#include "platform/CDC.h"
#include "platform/CFont.h"
#include "platform/CWindowMessages.h"
#include "platform/CWndWidget.h"
#include "platform/CQtFont.h"
#include "platform/CQtColor.h"
#include "platform/QtBridge.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QScreen>

#include <algorithm>
#include <vector>

namespace {

// A top-level window with a title bar and no sizing border keeps the size the program gives
// it: the user can neither drag its border nor maximise it.
bool HasFixedFrame(DWORD style) {
    return (style & WS_CHILD) == 0 && (style & WS_CAPTION) == WS_CAPTION &&
           (style & WS_THICKFRAME) == 0;
}

// The title-bar boxes a top-level window with a caption asks for, and no others.
Qt::WindowFlags FrameFlags(DWORD style) {
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (style & WS_SYSMENU)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (style & WS_MINIMIZEBOX)
        flags |= Qt::WindowMinimizeButtonHint;
    if (style & WS_MAXIMIZEBOX)
        flags |= Qt::WindowMaximizeButtonHint;
    return flags;
}

} // namespace

struct CWnd::State {
    QPointer<QWidget> widget;
    CWnd* parent = nullptr;
    UINT id = 0;
    DWORD style = 0;
    std::wstring windowClass;
    std::wstring text;
    std::vector<CWnd*> children; // windows created with this one as parent
    CRect margins{0, 0, 0, 0};
    bool trackMouse = false;
    Focus focus = Focus::NONE;
    std::wstring accessibleName;
    std::wstring accessibleDescription;
};

CWnd::CWnd() : m_state(std::make_unique<State>()) {}

CWnd::~CWnd() {
    CWnd::DestroyWindow();
    for (CWnd* child : m_state->children)
        child->m_state->parent = nullptr;
}

bool CWnd::Create(const std::wstring& windowClass, const std::wstring& caption, DWORD style,
                  const CRect& rect, CWnd* parent, UINT id) {
    if (HasWindow() || !CApplication::Exists() || !CApplication::IsUiThread())
        return false;
    const bool child = (style & WS_CHILD) != 0;
    if (child && (parent == nullptr || !parent->HasWindow()))
        return false;
    QWidget* parentWidget = child ? parent->Widget() : nullptr;
    QWidget* widget = MakeWidget(parentWidget);
    if (widget == nullptr)
        return false;
    m_state->widget = widget;
    m_state->style = style;
    m_state->id = id;
    m_state->windowClass = windowClass;
    m_state->parent = parent;
    if (parent != nullptr)
        parent->m_state->children.push_back(this);
    if (auto* own = dynamic_cast<CWndWidget*>(widget))
        own->SetFramed((style & (WS_DLGFRAME | WS_BORDER)) != 0);
    widget->setMouseTracking(m_state->trackMouse);
    if (m_state->focus != Focus::NONE)
        SetFocusable(m_state->focus);
    if (!m_state->accessibleName.empty())
        SetAccessibleName(m_state->accessibleName);
    if (!m_state->accessibleDescription.empty())
        SetAccessibleDescription(m_state->accessibleDescription);
    widget->setObjectName(qtbridge::ToQString(windowClass));
    if (!child && (style & WS_CAPTION) == WS_CAPTION)
        widget->setWindowFlags(FrameFlags(style));
    SetWindowText(caption);
    MoveWindow(rect, false);
    CWindowMessages::WindowCreated(this);
    OnCreate();
    if (style & WS_DISABLED)
        widget->setEnabled(false);
    // Hidden explicitly: Qt would otherwise show a child without the visible bit together
    // with its parent.
    widget->setVisible((style & WS_VISIBLE) != 0);
    return true;
}

bool CWnd::DestroyWindow() {
    if (!HasWindow())
        return false;
    // Children go first, each through its own (possibly overridden) destruction.
    const std::vector<CWnd*> children = m_state->children;
    for (CWnd* child : children)
        child->DestroyWindow();
    OnDestroy();
    CWindowMessages::WindowDestroyed(this);
    QWidget* widget = m_state->widget;
    m_state->widget = nullptr;
    if (auto* own = dynamic_cast<CWndWidget*>(widget))
        own->Detach();
    if (m_state->parent != nullptr) {
        auto& siblings = m_state->parent->m_state->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    // The widget may be inside one of its own event handlers right now: delete it later.
    widget->hide();
    widget->setParent(nullptr);
    widget->deleteLater();
    return true;
}

bool CWnd::HasWindow() const { return !m_state->widget.isNull(); }
CWnd* CWnd::GetParent() const { return m_state->parent; }
bool CWnd::SetParent(CWnd* parent) {
    if (!HasWindow() || parent == nullptr || !parent->HasWindow() || parent == this)
        return false;
    if (m_state->parent != nullptr) {
        auto& siblings = m_state->parent->m_state->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    m_state->parent = parent;
    parent->m_state->children.push_back(this);
    const bool visible = m_state->widget->isVisible();
    m_state->widget->setParent(parent->Widget());
    m_state->widget->setVisible(visible);
    return true;
}

UINT CWnd::GetDlgCtrlID() const { return m_state->id; }
const std::wstring& CWnd::GetWindowClass() const { return m_state->windowClass; }
DWORD CWnd::GetStyle() const { return m_state->style; }
QWidget* CWnd::Widget() const { return m_state->widget.data(); }

CWnd* CWnd::GetDlgItem(UINT id) const {
    for (CWnd* child : m_state->children)
        if (child->m_state->id == id)
            return child;
    return nullptr;
}

void CWnd::MoveWindow(const CRect& rect, bool repaint) {
    if (!HasWindow())
        return;
    // A fixed frame moves its limits along, or the new size would be clamped to the old one.
    if (HasFixedFrame(m_state->style) && !m_state->widget->isMaximized())
        m_state->widget->setFixedSize(rect.Width(), rect.Height());
    // Children are placed in their parent's client coordinates.
    CRect placed = rect;
    if (const CWnd* parent = m_state->parent; parent != nullptr && (m_state->style & WS_CHILD)) {
        const CRect& frame = parent->m_state->margins;
        placed = CRect{rect.left + frame.left, rect.top + frame.top, rect.right + frame.left,
                       rect.bottom + frame.top};
    }
    m_state->widget->setGeometry(qtbridge::ToQRect(placed));
    if (repaint)
        m_state->widget->update();
}

CRect CWnd::GetWindowRect() const {
    if (!HasWindow())
        return {};
    const QWidget* w = m_state->widget;
    const QPoint topLeft = w->mapToGlobal(QPoint(0, 0));
    return CRect{topLeft.x(), topLeft.y(), topLeft.x() + w->width(), topLeft.y() + w->height()};
}

CRect CWnd::GetClientRect() const {
    if (!HasWindow())
        return {};
    const CRect& frame = m_state->margins;
    return CRect{0, 0, std::max(0, m_state->widget->width() - frame.left - frame.right),
                 std::max(0, m_state->widget->height() - frame.top - frame.bottom)};
}

void CWnd::SetNonClientMargins(const CRect& margins) {
    m_state->margins = margins;
    if (!HasWindow())
        return;
    m_state->widget->update();
    OnSize(GetClientRect().Width(), GetClientRect().Height());
}

const CRect& CWnd::GetNonClientMargins() const { return m_state->margins; }

void CWnd::TrackMouse(bool track) {
    m_state->trackMouse = track;
    if (HasWindow())
        m_state->widget->setMouseTracking(track);
}

void CWnd::SetFocusable(Focus focus) {
    m_state->focus = focus;
    if (HasWindow())
        m_state->widget->setFocusPolicy(focus == Focus::NONE    ? Qt::NoFocus
                                        : focus == Focus::CLICK ? Qt::ClickFocus
                                                                : Qt::StrongFocus);
}

void CWnd::SetFocus() {
    if (HasWindow())
        m_state->widget->setFocus(Qt::OtherFocusReason);
}

bool CWnd::HasFocus() const { return HasWindow() && m_state->widget->hasFocus(); }

bool CWnd::ShowsFocusCue() const {
    const auto* widget = dynamic_cast<const CWndWidget*>(Widget());
    return widget != nullptr && widget->hasFocus() && widget->FocusCameByKeys();
}

bool CWnd::FocusFirstTabStop() {
    if (!HasWindow())
        return false;
    QWidget* const inside = m_state->widget;
    for (QWidget* w = inside->nextInFocusChain(); w != nullptr && w != inside;
         w = w->nextInFocusChain())
        if (inside->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) != 0 &&
            w->isVisibleTo(inside->window()) && w->isEnabled()) {
            w->setFocus(Qt::TabFocusReason);
            return true;
        }
    return false;
}

void CWnd::SetAccessibleName(const std::wstring& name) {
    m_state->accessibleName = name;
    if (HasWindow())
        m_state->widget->setAccessibleName(qtbridge::ToQString(name));
}

void CWnd::SetAccessibleDescription(const std::wstring& description) {
    m_state->accessibleDescription = description;
    if (HasWindow())
        m_state->widget->setAccessibleDescription(qtbridge::ToQString(description));
}

CPoint CWnd::ClientToScreen(CPoint p) const {
    if (!HasWindow())
        return p;
    const CRect& frame = m_state->margins;
    const QPoint g = m_state->widget->mapToGlobal(QPoint(p.x + frame.left, p.y + frame.top));
    return CPoint{g.x(), g.y()};
}

CRect CWnd::ScreenToClient(const CRect& screen) const {
    if (!HasWindow())
        return screen;
    const CRect& frame = m_state->margins;
    const QPoint tl = m_state->widget->mapFromGlobal(QPoint(screen.left, screen.top)) -
                      QPoint(frame.left, frame.top);
    return CRect{tl.x(), tl.y(), tl.x() + screen.Width(), tl.y() + screen.Height()};
}

void CWnd::Invalidate(bool erase) {
    if (!HasWindow())
        return;
    if (auto* own = dynamic_cast<CWndWidget*>(m_state->widget.data()))
        own->RequestErase(erase);
    m_state->widget->update();
}

void CWnd::UpdateWindow() {
    if (HasWindow())
        m_state->widget->repaint();
}

void CWnd::ShowWindow(bool show) {
    if (HasWindow())
        m_state->widget->setVisible(show);
}

void CWnd::ShowMaximized(bool maximized) {
    if (!HasWindow())
        return;
    QWidget* widget = m_state->widget;
    const bool fixed = HasFixedFrame(m_state->style);
    // The program may fill the screen with a window the user cannot resize; it is fixed again
    // at its normal size when it comes back.
    if (maximized) {
        if (fixed) {
            widget->setMinimumSize(0, 0);
            widget->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        }
        widget->showMaximized();
    } else {
        widget->showNormal();
        if (fixed)
            widget->setFixedSize(widget->normalGeometry().size());
    }
}

bool CWnd::IsMaximized() const { return HasWindow() && m_state->widget->isMaximized(); }

CRect CWnd::GetMaximizedClientRect() const {
    if (!HasWindow() || m_state->widget->screen() == nullptr)
        return GetClientRect();
    const QWidget* w = m_state->widget;
    const QSize screen = w->screen()->availableGeometry().size();
    const QSize frame = w->frameGeometry().size() - w->size();
    const CRect& margins = m_state->margins;
    return CRect{0, 0,
                 std::max(0, screen.width() - frame.width() - margins.left - margins.right),
                 std::max(0, screen.height() - frame.height() - margins.top - margins.bottom)};
}

bool CWnd::IsWindowVisible() const { return HasWindow() && m_state->widget->isVisible(); }

void CWnd::EnableWindow(bool enable) {
    if (HasWindow())
        m_state->widget->setEnabled(enable);
}

bool CWnd::IsWindowEnabled() const { return HasWindow() && m_state->widget->isEnabled(); }

// Controls show their text; other windows carry it as their title.
void CWnd::SetWindowText(const std::wstring& text) {
    if (!HasWindow())
        return;
    const QString q = qtbridge::ToQString(text);
    if (auto* label = qobject_cast<QLabel*>(m_state->widget.data()))
        label->setText(QString(q).remove(QChar('\r')));
    else if (auto* button = qobject_cast<QAbstractButton*>(m_state->widget.data()))
        button->setText(q);
    else if (auto* edit = qobject_cast<QLineEdit*>(m_state->widget.data()))
        edit->setText(q);
    else
        m_state->widget->setWindowTitle(q);
    m_state->text = text;
}

std::wstring CWnd::GetWindowText() const {
    if (!HasWindow())
        return {};
    if (auto* edit = qobject_cast<QLineEdit*>(m_state->widget.data()))
        return qtbridge::FromQString(edit->text());
    return m_state->text;
}

void CWnd::SetFont(const CFont* font, bool redraw) {
    CLogFont description;
    if (!HasWindow() || font == nullptr || !font->GetLogFont(description))
        return;
    m_state->widget->setFont(CQtFont::FromLogFont(description));
    if (redraw)
        m_state->widget->update();
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return OnMessage(message, wParam, lParam);
}

bool CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return CWindowMessages::Post(this, message, wParam, lParam);
}

bool CWnd::SaveImage(const std::wstring& path) const {
    return HasWindow() && m_state->widget->grab().save(qtbridge::ToQString(path));
}

QWidget* CWnd::MakeWidget(QWidget* parent) { return new CWndWidget(this, parent); }

void CWnd::OnPaint(CDC&) {}

bool CWnd::OnEraseBkgnd(CDC& dc) {
    const QColor background = m_state->widget->palette().color(QPalette::Window);
    dc.FillSolidRect(GetClientRect(), CQtColor::FromRgb(background.rgb()));
    return true;
}

void CWnd::OnLButtonDown(UINT, CPoint) {}
void CWnd::OnLButtonUp(UINT, CPoint) {}
void CWnd::OnLButtonDblClk(UINT, CPoint) {}
void CWnd::OnRButtonUp(UINT, CPoint) {}
void CWnd::OnMouseMove(UINT, CPoint) {}
bool CWnd::OnKeyDown(UINT, UINT) { return false; }
void CWnd::OnMouseLeave() {}

void CWnd::OnNcPaint(CDC& dc) {
    const QColor background = m_state->widget->palette().color(QPalette::Window);
    const QWidget* w = m_state->widget;
    dc.FillSolidRect(CRect{0, 0, w->width(), w->height()}, CQtColor::FromRgb(background.rgb()));
}
void CWnd::OnSize(int, int) {}
LRESULT CWnd::OnMessage(UINT, WPARAM, LPARAM) { return 0; }

void CWnd::OnCommand(UINT id) {
    if (m_state->parent != nullptr)
        m_state->parent->OnCommand(id);
}

void CWnd::OnCreate() {}
void CWnd::OnDestroy() {}
