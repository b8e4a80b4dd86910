#pragma once
// The window base class of every element, control and dialog. A CWnd is a plain C++ object
// first: it can be built and filled on any thread. Create() makes its real window, which
// only the user-interface thread may do. Handlers are virtual functions.

#include "platform/WinTypes.h"

#include <memory>
#include <string>

class QWidget;
class CDC;
class CFont;
class CWndWidget;

class CWnd {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Makes the real window. False when the platform refuses it (for instance a child
    // without a parent window).
    bool Create(const std::wstring& windowClass, const std::wstring& caption, DWORD style,
                const CRect& rect, CWnd* parent, UINT id);
    // Destroys the window (children with it); the object lives on. True when there was one.
    virtual bool DestroyWindow();
    bool HasWindow() const;

    CWnd* GetParent() const;
    // Moves the window into another parent window (same client coordinates). False when
    // either window does not exist.
    bool SetParent(CWnd* parent);
    UINT GetDlgCtrlID() const;
    CWnd* GetDlgItem(UINT id) const;
    const std::wstring& GetWindowClass() const;
    DWORD GetStyle() const;

    void MoveWindow(const CRect& rect, bool repaint = true);
    CRect GetWindowRect() const; // screen coordinates
    // The client area: the window less its non-client margins, at (0, 0).
    CRect GetClientRect() const;
    // A frame of left, top, right and bottom pixels around the client area, as a window's
    // border is: painted by OnNcPaint, outside client coordinates (which start at its inner
    // corner), and deaf to clicks. May be set before Create; default none.
    void SetNonClientMargins(const CRect& margins);
    const CRect& GetNonClientMargins() const;
    // Mouse moves over the client area are reported with no button pressed too, and
    // OnMouseLeave when the pointer leaves it.
    void TrackMouse(bool track);
    // Whether the window takes the keyboard focus: never (the default), when clicked, or when
    // clicked and by Tab. May be set before Create.
    enum class Focus { NONE, CLICK, CLICK_AND_TAB };
    void SetFocusable(Focus focus);
    void SetFocus();
    bool HasFocus() const;
    // True while the window has the focus and got it by Tab or from the program (SetFocus),
    // the ways a keyboard player moves: then it shows a focus ring. A click, or the window
    // being activated, gives the focus without the cue, as the pointer shows where one is.
    bool ShowsFocusCue() const;
    // Gives the focus to the first visible, enabled window inside this one that Tab reaches,
    // in Tab order. False when there is none.
    bool FocusFirstTabStop();
    // What assistive technology (a screen reader) says for the window: its name, and what
    // it tells beyond the name. May be set before Create.
    void SetAccessibleName(const std::wstring& name);
    void SetAccessibleDescription(const std::wstring& description);
    CPoint ClientToScreen(CPoint p) const;
    CRect ScreenToClient(const CRect& screen) const;

    void Invalidate(bool erase = true);
    // Paints pending invalid parts at once (erase, paint).
    void UpdateWindow();
    void ShowWindow(bool show);
    // Top-level windows: fill the screen, or go back to the normal size.
    void ShowMaximized(bool maximized);
    bool IsMaximized() const;
    // The client area a maximised window has, from its screen's free area and its frame: the
    // window system may tell the new size only after the program has laid out for it.
    CRect GetMaximizedClientRect() const;
    bool IsWindowVisible() const;
    void EnableWindow(bool enable);
    bool IsWindowEnabled() const;
    void SetWindowText(const std::wstring& text);
    std::wstring GetWindowText() const;
    void SetFont(const CFont* font, bool redraw = true);

    // Delivers at once on the calling thread.
    LRESULT SendMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Thread-safe; delivered later on the user-interface thread, dropped when the window is
    // destroyed first. False when the window does not exist.
    bool PostMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Saves what the window shows as an image file (PNG by extension). False without window.
    bool SaveImage(const std::wstring& path) const;

    // The real window, for the platform layer only.
    QWidget* Widget() const;

protected:
    // Controls override this to make their own kind of widget.
    virtual QWidget* MakeWidget(QWidget* parent);

    virtual void OnPaint(CDC& dc);
    // Default: fills the client area with the window background. True = erased.
    virtual bool OnEraseBkgnd(CDC& dc);
    virtual void OnLButtonDown(UINT flags, CPoint point);
    virtual void OnLButtonUp(UINT flags, CPoint point);
    virtual void OnLButtonDblClk(UINT flags, CPoint point);
    virtual void OnRButtonUp(UINT flags, CPoint point);
    virtual void OnMouseMove(UINT flags, CPoint point);
    // The pointer left the client area (only while the mouse is tracked).
    virtual void OnMouseLeave();
    // A key went down while this window had the focus, or a child that did not use it: key is
    // a VK_ code, flags MK_SHIFT and MK_CONTROL. True when used; false passes it to the parent.
    // Default false.
    virtual bool OnKeyDown(UINT key, UINT flags);
    // Paints the non-client margins, in window coordinates (0, 0 = the window's corner).
    // Default: the window background.
    virtual void OnNcPaint(CDC& dc);
    virtual void OnSize(int cx, int cy);
    // Registered messages sent or posted to this window. Default 0.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // A child control with this id was clicked. Default: passed on to the parent.
    virtual void OnCommand(UINT id);
    // The window was just made (style and text set, not yet shown).
    virtual void OnCreate();
    // Called just before the window goes away.
    virtual void OnDestroy();

private:
    friend class CWndWidget;
    friend class CWindowMessages;
    struct State;
    std::unique_ptr<State> m_state;
};
