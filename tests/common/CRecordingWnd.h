#pragma once
// A window that keeps what reaches it: custom messages, left-button releases and keys.
#include "platform/CWnd.h"

#include <utility>
#include <vector>

class CRecordingWnd : public CWnd {
public:
    struct Message {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    // A visible top-level window, or a child of parent.
    bool Open(CWnd* parent = nullptr, const CRect& area = {0, 0, 10, 10}) {
        const DWORD style = parent == nullptr ? WS_VISIBLE : WS_CHILD | WS_VISIBLE;
        return Create(L"Recording", L"", style, area, parent, 1);
    }
    std::vector<Message> messages;
    std::vector<CPoint> releases;
    std::vector<std::pair<UINT, UINT>> keys; // key and flags
    UINT usedKey = 0; // the one key this window takes; every other goes on to its parent

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        messages.push_back({message, wParam, lParam});
        return 42;
    }
    void OnLButtonUp(UINT, CPoint point) override { releases.push_back(point); }
    bool OnKeyDown(UINT key, UINT flags) override {
        keys.emplace_back(key, flags);
        return key == usedKey;
    }
};
