#include "dsp/CListenerHandle.h"

#include <new>
#include <utility>

namespace dsp {

CListenerHandle::CListenerHandle(const std::shared_ptr<CListenerSet>& set, CWnd* window) {
    if (!set || window == nullptr)
        return;
    std::lock_guard lock(set->lock);
    try {
        // A second handle for the window would take it off at the first one's end.
        if (!set->windows.insert(window).second)
            return;
    } catch (const std::bad_alloc&) {
        return;
    }
    m_set = set;
    m_window = window;
}

CListenerHandle& CListenerHandle::operator=(CListenerHandle&& other) noexcept {
    if (this != &other) {
        Reset();
        m_set = std::move(other.m_set);
        m_window = std::exchange(other.m_window, nullptr);
    }
    return *this;
}

void CListenerHandle::Reset() {
    if (const std::shared_ptr<CListenerSet> set = m_set.lock()) {
        std::lock_guard lock(set->lock);
        set->windows.erase(m_window);
    }
    m_set.reset();
    m_window = nullptr;
}

} // namespace dsp
