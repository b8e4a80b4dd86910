#include "game/CRecorder.h"

#include "platform/CWindowMessages.h"
#include "platform/CWnd.h"

#include <algorithm>
#include <cmath>

namespace game {

namespace {
constexpr int POSTS_PER_SECOND = 20;
} // namespace

UINT CRecorder::ProgressMessage() {
    static const UINT message = CWindowMessages::Register("VELMORA_RECORDING_PROGRESS");
    return message;
}

CSoundInput::EStart CRecorder::Start(int sampleRate, int frames) {
    Stop();
    {
        std::lock_guard lock(m_mutex);
        m_rate = sampleRate;
        m_countdownLeft = static_cast<long long>(COUNTDOWN_SECONDS) * sampleRate;
        m_take.clear();
        m_take.reserve(static_cast<std::size_t>(std::max(frames, 0)));
        m_wanted = static_cast<std::size_t>(std::max(frames, 0));
        m_peak = m_level = 0.0f;
        m_sincePost = 0;
        m_complete = false;
    }
    auto input = CSoundInput::Make();
    const CSoundInput::EStart started = input->Start(sampleRate, *this);
    if (started == CSoundInput::EStart::OK)
        m_input = std::move(input);
    return started;
}

void CRecorder::Stop() {
    if (m_input == nullptr)
        return;
    m_input->Stop();
    m_input.reset();
}

CRecorder::CProgress CRecorder::Progress() const {
    std::lock_guard lock(m_mutex);
    CProgress progress;
    progress.complete = m_complete;
    progress.recording = m_countdownLeft == 0 && !m_complete;
    const long long left =
        m_countdownLeft > 0 ? m_countdownLeft : static_cast<long long>(m_wanted - m_take.size());
    progress.secondsLeft = m_rate > 0 ? static_cast<int>((left + m_rate - 1) / m_rate) : 0;
    progress.level = m_level;
    return progress;
}

std::vector<float> CRecorder::TakeSamples() {
    std::lock_guard lock(m_mutex);
    if (!m_complete)
        return {};
    m_complete = false;
    return std::move(m_take);
}

void CRecorder::OnSamples(const float* samples, int count) {
    bool post = false;
    {
        std::lock_guard lock(m_mutex);
        if (m_complete || m_take.size() >= m_wanted)
            return;
        for (int i = 0; i < count; ++i)
            m_peak = std::max(m_peak, std::fabs(samples[i]));
        int skip = 0;
        if (m_countdownLeft > 0) {
            skip = static_cast<int>(std::min<long long>(m_countdownLeft, count));
            m_countdownLeft -= skip;
        }
        const std::size_t room = m_wanted - m_take.size();
        const std::size_t taken = std::min(room, static_cast<std::size_t>(count - skip));
        m_take.insert(m_take.end(), samples + skip, samples + skip + taken);
        m_complete = m_take.size() == m_wanted && m_countdownLeft == 0;
        m_sincePost += count;
        if (m_sincePost * POSTS_PER_SECOND >= m_rate || m_complete) {
            m_level = std::min(m_peak, 1.0f);
            m_peak = 0.0f;
            m_sincePost = 0;
            post = true;
        }
    }
    // Posted outside the lock; a window gone meanwhile drops it.
    if (post)
        m_window.PostMessage(ProgressMessage(), reinterpret_cast<WPARAM>(this), 0);
}

} // namespace game
