#include "dsp/CPlayback.h"

#include "dsp/CPlaybackSession.h"
#include "dsp/CSignal.h"

#include "platform/CSoundOutput.h"
#include "platform/CWindowMessages.h"

#include <new>

namespace dsp {

CPlayback::CPlayback(CSignal& signal) : m_signal(signal) {}

CPlayback::~CPlayback() {
    Stop();
}

bool CPlayback::Play(int from, bool looping) {
    if (IsPlaying() || m_signal.GetSampleCount() == 0)
        return false;
    // A finished playback's thread has posted its last message and is ending: joining it does
    // not wait for the device.
    m_session.reset();
    std::unique_ptr<CPlaybackSession> session(
        new (std::nothrow) CPlaybackSession(m_signal, m_sampleLock, CSoundOutput::Make()));
    if (from < 0 || from >= m_signal.GetSampleCount())
        from = 0;
    if (!session || !session->Start(from, looping))
        return false;
    m_session = std::move(session);
    return true;
}

bool CPlayback::IsPlaying() const {
    return m_session && m_session->IsPlaying();
}

void CPlayback::SetLooping(bool looping) {
    if (m_session)
        m_session->SetLooping(looping);
}

bool CPlayback::SetBypass(bool bypass) {
    return IsPlaying() && m_session->SetBypass(bypass);
}

bool CPlayback::IsBypassed() const {
    return m_session && m_session->IsBypassed();
}

int CPlayback::Position() const {
    return m_session ? m_session->Position() : 0;
}

void CPlayback::Stop() {
    m_session.reset();
}

std::unique_lock<std::mutex> CPlayback::LockSamples() {
    return std::unique_lock(m_sampleLock);
}

UINT CPlayback::PlaybarMessage() {
    static const UINT message = CWindowMessages::Register("UWM_UPDATE_PLAYBARUSE_GUID");
    return message;
}

} // namespace dsp
