#include "platform/CDeviceQueue.h"

#include <algorithm>
#include <cstring>

void CDeviceQueue::Start(const CSoundFormat& format, CSoundOutput::IListener& listener) {
    Clear();
    m_format = format;
    m_deviceFrameBytes = format.channels * (format.bitsPerSample / 8);
    m_silence = format.bitsPerSample == 8 ? 0x80 : 0x00;
    m_listener = &listener;
    m_silentFrames = 0;
}

void CDeviceQueue::Push(int block, const std::uint8_t* bytes, std::size_t size) {
    const std::size_t whole = size - size % static_cast<std::size_t>(m_format.blockAlign);
    Pending pending;
    pending.block = block;
    pending.bytes.assign(bytes, bytes + whole);
    std::lock_guard lock(m_mutex);
    m_pending.push_back(std::move(pending));
}

void CDeviceQueue::Clear() {
    std::lock_guard lock(m_mutex);
    m_pending.clear();
}

void CDeviceQueue::Render(std::uint8_t* out, unsigned long frames) {
    bool sounded = false;
    while (frames > 0) {
        int finished = -1;
        const unsigned long copied = CopyFront(out, frames, finished);
        if (finished >= 0)
            m_listener->OnBlockDone(finished);
        if (copied == 0 && finished < 0)
            break;
        sounded = sounded || copied > 0;
        out += copied * static_cast<unsigned long>(m_deviceFrameBytes);
        frames -= copied;
    }
    std::memset(out, m_silence, frames * static_cast<unsigned long>(m_deviceFrameBytes));
    const long silent = static_cast<long>(frames);
    if (sounded)
        m_silentFrames = silent;
    else
        m_silentFrames += silent;
}

unsigned long CDeviceQueue::CopyFront(std::uint8_t* out, unsigned long frames, int& finished) {
    std::lock_guard lock(m_mutex);
    if (m_pending.empty())
        return 0;
    Pending& front = m_pending.front();
    const std::size_t frameBytes = static_cast<std::size_t>(m_format.blockAlign);
    const std::size_t left = (front.bytes.size() - front.offset) / frameBytes;
    const std::size_t count = std::min<std::size_t>(left, frames);
    const std::size_t deviceBytes = static_cast<std::size_t>(m_deviceFrameBytes);
    for (std::size_t f = 0; f < count; ++f)
        std::memcpy(out + f * deviceBytes, front.bytes.data() + front.offset + f * frameBytes,
                    deviceBytes);
    front.offset += count * frameBytes;
    if (front.offset >= front.bytes.size()) {
        finished = front.block;
        m_pending.pop_front();
    }
    return static_cast<unsigned long>(count);
}
