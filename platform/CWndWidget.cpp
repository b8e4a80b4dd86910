#include "platform/CWndWidget.h"

#include "platform/CDC.h"
#include "platform/CWnd.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

UINT ModifierFlags(Qt::KeyboardModifiers modifiers) {
    UINT flags = 0;
    if (modifiers & Qt::ShiftModifier)
        flags |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        flags |= MK_CONTROL;
    return flags;
}

UINT KeyFlags(const QMouseEvent* event) {
    UINT flags = ModifierFlags(event->modifiers());
    if (event->buttons() & Qt::LeftButton)
        flags |= MK_LBUTTON;
    if (event->buttons() & Qt::RightButton)
        flags |= MK_RBUTTON;
    return flags;
}

// Qt's key as a VK_ code; 0 for keys the program has no use for.
UINT VirtualKey(int key) {
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z) ||
        key == Qt::Key_Space)
        return static_cast<UINT>(key); // the same codes
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_F1: return VK_F1;
    default: return 0;
    }
}

CPoint ToPoint(const QPointF& p) { return CPoint{static_cast<int>(p.x()), static_cast<int>(p.y())}; }

// The nearest CWnd window at or above a widget (static texts and other plain controls pass
// mouse releases on to the window they sit in).
CWndWidget* OwningWindow(QWidget* widget) {
    for (; widget != nullptr; widget = widget->parentWidget())
        if (auto* own = dynamic_cast<CWndWidget*>(widget); own != nullptr && own->Owner())
            return own;
    return nullptr;
}

} // namespace

CWndWidget::CWndWidget(CWnd* owner, QWidget* parent) : QWidget(parent), m_owner(owner) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CWndWidget::paintEvent(QPaintEvent*) {
    if (m_owner == nullptr)
        return;
    QPainter painter(this);
    const CRect& frame = m_owner->GetNonClientMargins();
    const bool margins = frame.left != 0 || frame.top != 0 || frame.right != 0 || frame.bottom != 0;
    if (margins) {
        {
            CDC nc(painter);
            m_owner->OnNcPaint(nc);
        }
        if (m_owner == nullptr)
            return;
        const CRect client = m_owner->GetClientRect();
        painter.translate(frame.left, frame.top);
        painter.setClipRect(0, 0, client.Width(), client.Height());
    }
    {
        CDC dc(painter);
        // Qt repaints whole regions from its backing store, so an erase is only skipped when
        // the window asked for a repaint without one.
        if (m_erase)
            m_owner->OnEraseBkgnd(dc);
        m_erase = true;
        if (m_owner == nullptr)
            return;
        m_owner->OnPaint(dc);
    }
    if (margins) {
        painter.resetTransform();
        painter.setClipping(false);
    }
    if (m_framed) {
        painter.setPen(QColor(128, 128, 128));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(0, 0, width() - 1, height() - 1);
    }
}

bool CWndWidget::ToClient(const QPointF& position, CPoint& client) const {
    const CRect& frame = m_owner->GetNonClientMargins();
    client = ToPoint(position);
    client.x -= frame.left;
    client.y -= frame.top;
    const CRect inner = m_owner->GetClientRect();
    return client.x >= 0 && client.y >= 0 && client.x < inner.Width() && client.y < inner.Height();
}

void CWndWidget::mousePressEvent(QMouseEvent* event) {
    CPoint point;
    if (m_owner == nullptr || !ToClient(event->position(), point))
        return;
    if (event->button() == Qt::LeftButton)
        m_owner->OnLButtonDown(KeyFlags(event), point);
}

// Qt sends the release to the widget that saw the press; the game wants it where the button
// came up, so it is handed to the window under the cursor. Outside every window of the program
// no window hears of it: a press is then kept, as after a release over an empty spot.
void CWndWidget::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint global = event->globalPosition().toPoint();
    QWidget* under = QApplication::widgetAt(global);
    CWndWidget* target = under != nullptr ? OwningWindow(under) : nullptr;
    // A window the window system has not put on a screen yet is found by its own rectangle.
    if (target == nullptr && rect().contains(mapFromGlobal(global)))
        target = this;
    if (target == nullptr)
        return;
    CPoint point;
    if (target->m_owner == nullptr || !target->ToClient(target->mapFromGlobal(event->globalPosition()), point))
        return;
    CWnd* owner = target->m_owner;
    if (event->button() == Qt::LeftButton)
        owner->OnLButtonUp(KeyFlags(event), point);
    else if (event->button() == Qt::RightButton)
        owner->OnRButtonUp(KeyFlags(event), point);
}

void CWndWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    CPoint point;
    if (m_owner != nullptr && event->button() == Qt::LeftButton &&
        ToClient(event->position(), point))
        m_owner->OnLButtonDblClk(KeyFlags(event), point);
}

// Moves over the margins count as leaving: the window hears only of its client area.
void CWndWidget::mouseMoveEvent(QMouseEvent* event) {
    CPoint point;
    if (m_owner == nullptr)
        return;
    if (!ToClient(event->position(), point)) {
        LeaveClient();
        return;
    }
    m_inClient = true;
    m_owner->OnMouseMove(KeyFlags(event), point);
}

void CWndWidget::leaveEvent(QEvent*) { LeaveClient(); }

// A key the window does not use is ignored, so that Qt offers it to the parent widget.
void CWndWidget::keyPressEvent(QKeyEvent* event) {
    const UINT key = VirtualKey(event->key());
    if (m_owner != nullptr && key != 0 && m_owner->OnKeyDown(key, ModifierFlags(event->modifiers())))
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

// A window that gets the focus back on being activated keeps the cue it had. Qt repaints the
// window on every change of its focus.
void CWndWidget::focusInEvent(QFocusEvent* event) {
    switch (event->reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::OtherFocusReason: m_focusByKeys = true; break;
    case Qt::MouseFocusReason: m_focusByKeys = false; break;
    default: break;
    }
    QWidget::focusInEvent(event);
}

void CWndWidget::LeaveClient() {
    if (!m_inClient || m_owner == nullptr)
        return;
    m_inClient = false;
    m_owner->OnMouseLeave();
}

void CWndWidget::resizeEvent(QResizeEvent*) {
    if (m_owner == nullptr)
        return;
    const CRect client = m_owner->GetClientRect();
    m_owner->OnSize(client.Width(), client.Height());
}
