#pragma once
// One tooltip control per slide: windows registered with it show their text when the mouse
// rests on them, in the control's font, while the control is active.

#include "platform/CFont.h"

#include <string>
#include <utility>
#include <vector>

class CWnd;

class CToolTipCtrl {
public:
    bool Create(CWnd* owner);
    bool IsCreated() const { return m_owner != nullptr; }
    void SetFont(const CFont* font, bool redraw = true);
    // The whole window is one tool showing text.
    bool AddTool(CWnd* window, const std::wstring& text);
    void Activate(bool active);
    bool IsActive() const { return m_active; }
    // The text registered for a window, empty when none.
    std::wstring GetToolText(const CWnd* window) const;

private:
    void Apply();
    CWnd* m_owner = nullptr;
    bool m_active = false;
    CFont m_font;
    std::vector<std::pair<CWnd*, std::wstring>> m_tools;
};
