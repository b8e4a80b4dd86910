#include "platform/CWndWidget.h"

#include "platform/CDC.h"
#include "platform/CWnd.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

namespace {

UINT KeyFlags(const QMouseEvent* event) {
    UINT flags = 0;
    if (event->buttons() & Qt::LeftButton)
        flags |= 0x0001;
    if (event->buttons() & Qt::RightButton)
        flags |= 0x0002;
    return flags;
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
    CDC dc(painter);
    // Qt repaints whole regions from its backing store, so an erase is only skipped when the
    // window asked for a repaint without one.
    if (m_erase)
        m_owner->OnEraseBkgnd(dc);
    m_erase = true;
    if (m_owner == nullptr)
        return;
    m_owner->OnPaint(dc);
    if (m_framed) {
        painter.setPen(QColor(128, 128, 128));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(0, 0, width() - 1, height() - 1);
    }
}

void CWndWidget::mousePressEvent(QMouseEvent* event) {
    if (m_owner == nullptr)
        return;
    if (event->button() == Qt::LeftButton)
        m_owner->OnLButtonDown(KeyFlags(event), ToPoint(event->position()));
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
    CWnd* owner = target->m_owner;
    if (owner == nullptr)
        return;
    const CPoint point = ToPoint(target->mapFromGlobal(event->globalPosition()));
    if (event->button() == Qt::LeftButton)
        owner->OnLButtonUp(KeyFlags(event), point);
    else if (event->button() == Qt::RightButton)
        owner->OnRButtonUp(KeyFlags(event), point);
}

void CWndWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (m_owner != nullptr && event->button() == Qt::LeftButton)
        m_owner->OnLButtonDblClk(KeyFlags(event), ToPoint(event->position()));
}

void CWndWidget::mouseMoveEvent(QMouseEvent* event) {
    if (m_owner != nullptr)
        m_owner->OnMouseMove(KeyFlags(event), ToPoint(event->position()));
}

void CWndWidget::resizeEvent(QResizeEvent*) {
    if (m_owner != nullptr)
        m_owner->OnSize(width(), height());
}
