#include "platform/CPointer.h"

#include "platform/CWnd.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

bool CPointer::MoveOver(const CWnd& window, CPoint point) {
    QWidget* outer = window.HasWindow() ? window.Widget() : nullptr;
    const QPoint at{point.x, point.y};
    if (outer == nullptr || !outer->rect().contains(at))
        return false;
    QWidget* inner = outer->childAt(at);
    QWidget* target = inner != nullptr ? inner : outer;
    const QPoint local = target->mapFrom(outer, at);
    QMouseEvent move(QEvent::MouseMove, QPointF(local), QPointF(target->mapToGlobal(local)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    return true;
}
