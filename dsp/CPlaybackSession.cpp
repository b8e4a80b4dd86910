#include "dsp/CPlaybackSession.h"

#include "dsp/CPlayback.h"
#include "dsp/CSignal.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <system_error>

namespace dsp {

CPlaybackSession::CPlaybackSession(CSignal& signal, std::mutex& sampleLock,
                                   std::unique_ptr<CSoundOutput> output)
    : m_signal(signal), m_sampleLock(sampleLock), m_output(std::move(output)) {}

CPlaybackSession::~CPlaybackSession() {
    Stop();
    // An output still open would report its closing into the queue: gone before the queue.
    m_output.reset();
}

bool CPlaybackSession::Start(int from, bool looping) {
    const CWaveFormat& format = m_signal.GetFormat();
    m_format = CSoundFormat{static_cast<int>(format.sampleRate), format.channels,
                            format.bitsPerSample, format.blockAlign};
    m_blockLength = m_signal.GetBlockLength();
    m_sampleCount = m_signal.GetSampleCount();
    if (m_output == nullptr || !m_format.IsPlayable() || m_blockLength <= 0 || m_sampleCount <= 0)
        return false;
    try {
        for (auto& buffer : m_buffers)
            buffer.resize(static_cast<std::size_t>(m_blockLength) * m_format.blockAlign);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!m_output->Open(m_format, *this))
        return false;
    bool queued = false;
    {
        std::lock_guard lock(m_lock);
        m_looping = looping;
        m_next = from;
        m_played = from;
        for (int block = 0; block < BLOCKS; ++block)
            m_queued[block] = QueueNext(block);
        queued = AnyQueued();
    }
    // Started only now, the device begins with the sound instead of a buffer of silence.
    if (!queued || !m_output->Start()) {
        m_output->Abort();
        return false;
    }
    {
        std::lock_guard lock(m_lock);
        m_running = true;
    }
    PostPlaybar(0, from);
    try {
        m_thread = std::thread(&CPlaybackSession::Run, this);
    } catch (const std::system_error&) {
        m_output->Abort();
        std::lock_guard lock(m_lock);
        m_running = false;
        return false;
    }
    return true;
}

bool CPlaybackSession::IsPlaying() const {
    std::lock_guard lock(m_lock);
    return m_running;
}

int CPlaybackSession::Position() const {
    std::lock_guard lock(m_lock);
    return m_running ? m_played : 0;
}

void CPlaybackSession::SetLooping(bool looping) {
    std::lock_guard lock(m_lock);
    m_looping = looping;
}

bool CPlaybackSession::SetBypass(bool bypass) {
    if (m_signal.GetSource() == nullptr)
        return false;
    std::lock_guard lock(m_lock);
    m_bypass = bypass;
    return true;
}

bool CPlaybackSession::IsBypassed() const {
    std::lock_guard lock(m_lock);
    return m_running && m_bypass;
}

void CPlaybackSession::Stop() {
    if (!m_thread.joinable())
        return;
    m_queue.Post({CPlaybackQueue::EKind::Stop, 0});
    m_thread.join();
}

void CPlaybackSession::OnBlockDone(int block) {
    m_queue.Post({CPlaybackQueue::EKind::BlockDone, block});
}

void CPlaybackSession::OnClosed() {
    m_queue.Post({CPlaybackQueue::EKind::Closed, 0});
}

void CPlaybackSession::Run() {
    for (;;) {
        const CPlaybackQueue::Message message = m_queue.Wait();
        switch (message.kind) {
        case CPlaybackQueue::EKind::BlockDone:
            if (!m_stopping)
                HandleDone(message.block);
            break;
        case CPlaybackQueue::EKind::Stop:
            m_stopping = true;
            m_output->Abort();
            break;
        case CPlaybackQueue::EKind::Closed: {
            std::lock_guard lock(m_lock);
            m_running = false;
            m_played = 0;
            return;
        }
        }
    }
}

void CPlaybackSession::HandleDone(int block) {
    if (block < 0 || block >= BLOCKS)
        return;
    bool anyQueued = false;
    {
        std::lock_guard lock(m_lock);
        m_queued[block] = (m_looping || m_next + m_blockLength < m_sampleCount) && QueueNext(block);
        const int erase = m_played;
        m_played += m_blockLength;
        if (m_wraps > 0 && m_played >= m_sampleCount) {
            m_played -= m_sampleCount;
            --m_wraps;
        }
        // (P, P) would read as the end: a loop of one block posts its bar as a start instead.
        PostPlaybar(erase == m_played ? 0 : erase, m_played);
        anyQueued = AnyQueued();
    }
    if (!anyQueued)
        Finish();
}

// The output plays out what it holds before it closes; only then is the playback idle, so a
// click that sees the end can start the next playback at once.
void CPlaybackSession::Finish() {
    m_output->Close();
    int played = 0;
    {
        std::lock_guard lock(m_lock);
        played = m_played;
        m_played = 0;
        m_running = false;
    }
    PostPlaybar(played, played);
}

bool CPlaybackSession::QueueNext(int block) {
    FillBuffer(block, m_next);
    const std::vector<std::uint8_t>& buffer = m_buffers[block];
    if (!m_output->Queue(block, buffer.data(), buffer.size()))
        return false;
    m_next += m_blockLength;
    for (; m_looping && m_next >= m_sampleCount; m_next -= m_sampleCount)
        ++m_wraps;
    return true;
}

bool CPlaybackSession::AnyQueued() const {
    return std::find(m_queued.begin(), m_queued.end(), true) != m_queued.end();
}

// Each frame carries the sample in its first channel and copies of it in the others, so a
// stereo example sounds on both sides. Frames beyond the signal's end are silence, or the
// signal from its start again while it loops. The source is read under its own sample lock,
// as whoever changes it holds that one.
void CPlaybackSession::FillBuffer(int block, int from) {
    std::uint8_t* frame = m_buffers[block].data();
    const int sampleBytes = m_format.bitsPerSample / 8;
    const std::size_t frameBytes = static_cast<std::size_t>(m_format.blockAlign);
    CSignal* const source = m_bypass ? m_signal.GetSource() : nullptr;
    const CSignal& heard = source != nullptr ? *source : m_signal;
    std::unique_lock samples =
        source != nullptr ? source->LockSamples() : std::unique_lock(m_sampleLock);
    const float* values = heard.GetSamples();
    const int count = std::min(m_sampleCount, heard.GetSampleCount());
    const float gain = heard.GetPlaybackGain();
    for (int f = 0; f < m_blockLength; ++f, frame += frameBytes) {
        const int i = m_looping ? (from + f) % m_sampleCount : from + f;
        const float value = i < count && values != nullptr ? values[i] * gain : 0.0f;
        CSignal::FloatToSample(value, frame, m_format.bitsPerSample);
        for (int channel = 1; channel < m_format.channels; ++channel)
            std::memcpy(frame + channel * sampleBytes, frame,
                        static_cast<std::size_t>(sampleBytes));
    }
}

void CPlaybackSession::PostPlaybar(int erase, int draw) const {
    m_signal.PostToListeners(CPlayback::PlaybarMessage(), static_cast<WPARAM>(erase),
                             static_cast<LPARAM>(draw));
}

} // namespace dsp
