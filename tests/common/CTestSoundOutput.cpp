#include "common/CTestSoundOutput.h"

#include <algorithm>

bool CTestSoundOutput::Device::FinishNext(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    if (!m_changed.wait_for(lock, timeout, [this] { return !m_pending.empty(); }))
        return false;
    const Pending done = m_pending.front();
    m_pending.pop_front();
    // Told under the device's lock, so the output cannot close meanwhile; the listener only
    // hands the news to its own thread.
    done.output->m_listener->OnBlockDone(done.block);
    m_changed.notify_all();
    return true;
}

bool CTestSoundOutput::Device::WaitForQueued(std::size_t count,
                                             std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_queued.size() >= count; });
}

bool CTestSoundOutput::Device::WaitUntilClosed(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [this] { return m_openNow == 0; });
}

CTestSoundOutput::CTestSoundOutput(std::shared_ptr<Device> device) : m_device(std::move(device)) {}

CTestSoundOutput::~CTestSoundOutput() {
    Close();
}

CSoundOutput::Factory CTestSoundOutput::Install(std::shared_ptr<Device> device) {
    return SetFactory([device] { return std::make_unique<CTestSoundOutput>(device); });
}

bool CTestSoundOutput::Open(const CSoundFormat& format, IListener& listener) {
    std::lock_guard lock(m_device->m_mutex);
    if (m_listener != nullptr || !m_device->m_available || !format.IsPlayable())
        return false;
    m_listener = &listener;
    m_started = false;
    m_device->m_format = format;
    ++m_device->m_opens;
    ++m_device->m_openNow;
    m_device->m_changed.notify_all();
    return true;
}

bool CTestSoundOutput::Queue(int block, const std::uint8_t* bytes, std::size_t size) {
    std::lock_guard lock(m_device->m_mutex);
    if (m_listener == nullptr)
        return false;
    m_device->m_queued.push_back(
        Device::Block{block, std::vector<std::uint8_t>(bytes, bytes + size)});
    m_device->m_pending.push_back(Device::Pending{this, block});
    m_device->m_changed.notify_all();
    return true;
}

bool CTestSoundOutput::Start() {
    std::lock_guard lock(m_device->m_mutex);
    if (m_listener == nullptr || m_started)
        return false;
    m_started = true;
    m_device->m_startedAt = std::chrono::steady_clock::now();
    m_device->m_queuedAtStart = static_cast<std::size_t>(
        std::count_if(m_device->m_pending.begin(), m_device->m_pending.end(),
                      [this](const Device::Pending& p) { return p.output == this; }));
    return true;
}

void CTestSoundOutput::Close() {
    std::lock_guard lock(m_device->m_mutex);
    if (m_listener == nullptr)
        return;
    auto& pending = m_device->m_pending;
    pending.erase(std::remove_if(pending.begin(), pending.end(),
                                 [this](const Device::Pending& p) { return p.output == this; }),
                  pending.end());
    --m_device->m_openNow;
    IListener* listener = m_listener;
    m_listener = nullptr;
    listener->OnClosed();
    m_device->m_changed.notify_all();
}
