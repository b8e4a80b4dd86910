#pragma once
// The real window behind a CWnd: forwards Qt's events to the CWnd's handlers. Platform only.

#include "platform/WinTypes.h"

#include <QWidget>

class CWnd;

class CWndWidget : public QWidget {
public:
    CWndWidget(CWnd* owner, QWidget* parent);
    // The CWnd is going away: no more events are forwarded.
    void Detach() { m_owner = nullptr; }
    CWnd* Owner() const { return m_owner; }
    void RequestErase(bool erase) { m_erase = m_erase || erase; }
    void SetFramed(bool framed) { m_framed = framed; }
    // The focus came last by Tab or from the program rather than by a click.
    bool FocusCameByKeys() const { return m_focusByKeys; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    // A widget position in the owner's client coordinates; false in the non-client margins.
    bool ToClient(const QPointF& position, CPoint& client) const;
    void LeaveClient();

    CWnd* m_owner;
    bool m_inClient = false; // the tracked pointer is over the client area
    bool m_erase = true;
    bool m_framed = false;
    bool m_focusByKeys = false;
};
