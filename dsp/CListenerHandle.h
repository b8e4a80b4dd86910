#pragma once
// A window's place on a signal's listeners, given up when the handle goes: a plot that holds
// one cannot be destroyed while the signal still posts to it. The set of listeners is shared
// with the handles, so a handle may also outlive its signal.

#include <memory>
#include <mutex>
#include <set>

class CWnd;

namespace dsp {

// The windows told of one signal's changes, under their lock.
struct CListenerSet {
    mutable std::mutex lock;
    std::set<CWnd*> windows; // not owned
};

class CListenerHandle {
public:
    CListenerHandle() = default;
    // Puts the window on the set; the handle stays empty when it is null, already there, or
    // memory runs out.
    CListenerHandle(const std::shared_ptr<CListenerSet>& set, CWnd* window);
    ~CListenerHandle() { Reset(); }
    CListenerHandle(CListenerHandle&& other) noexcept { *this = std::move(other); }
    CListenerHandle& operator=(CListenerHandle&& other) noexcept;
    CListenerHandle(const CListenerHandle&) = delete;
    CListenerHandle& operator=(const CListenerHandle&) = delete;

    // The window leaves the listeners; the handle is empty afterwards.
    void Reset();
    bool IsListening() const { return m_window != nullptr; }

private:
    std::weak_ptr<CListenerSet> m_set;
    CWnd* m_window = nullptr; // not owned
};

} // namespace dsp
