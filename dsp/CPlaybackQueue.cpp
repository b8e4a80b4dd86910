#include "dsp/CPlaybackQueue.h"

namespace dsp {

void CPlaybackQueue::Post(Message message) {
    {
        std::lock_guard lock(m_mutex);
        m_messages.push_back(message);
    }
    m_arrived.notify_one();
}

CPlaybackQueue::Message CPlaybackQueue::Wait() {
    std::unique_lock lock(m_mutex);
    m_arrived.wait(lock, [this] { return !m_messages.empty(); });
    const Message message = m_messages.front();
    m_messages.pop_front();
    return message;
}

} // namespace dsp
