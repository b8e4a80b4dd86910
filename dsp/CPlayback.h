#pragma once
// The playback state of a signal: plays it on the sound output when the player clicks a plot
// of it. One playback at a time; a click while it runs is refused. The running playback is
// stopped (its thread joined) before the signal's samples go away. A derived signal's playback
// may be switched to its source while it runs; the source must outlive that playback.
//
// Play and Stop belong to the user-interface thread (and to whoever owns the signal before it
// is shown); the playback itself runs on a thread of its own (CPlaybackSession).

#include "platform/WinTypes.h"

#include <memory>
#include <mutex>

namespace dsp {

class CSignal;
class CPlaybackSession;

class CPlayback {
public:
    explicit CPlayback(CSignal& signal);
    ~CPlayback();
    CPlayback(const CPlayback&) = delete;
    CPlayback& operator=(const CPlayback&) = delete;

    // Starts playing at frame from; a start outside the signal plays from the beginning. A
    // looping playback starts again from frame 0 at the end until it is stopped. False, and
    // nothing changes, while a playback runs, for a signal without samples or an unplayable
    // format, and when no sound output can be opened (a later call tries again).
    bool Play(int from = 0, bool looping = false);
    bool IsPlaying() const;
    // Whether the running playback loops; nothing when none runs.
    void SetLooping(bool looping);
    // The running playback goes on with the source's sound (bypass) or the signal's own at the
    // frame it has reached. False, and nothing changes, when none runs or the signal has no
    // source. The next playback starts with the signal's own sound.
    bool SetBypass(bool bypass);
    bool IsBypassed() const;
    // The first frame of the block sounding now; 0 when nothing plays.
    int Position() const;
    // Ends a running playback at once and waits for its thread; nothing more is posted.
    void Stop();

    // Held by whoever writes the signal's samples while it may be playing, so that a block is
    // never converted from half-written samples. The playback holds it only while converting
    // one block.
    [[nodiscard]] std::unique_lock<std::mutex> LockSamples();

    // The registered message "UWM_UPDATE_PLAYBAR" posted to the signal's listeners: wParam the
    // frame position whose bar goes, lParam the one whose bar comes. (0, S) starts a playback at
    // frame S, (P, P) with P > 0 ends it, P being the frame reached.
    static UINT PlaybarMessage();

private:
    CSignal& m_signal;
    std::mutex m_sampleLock;
    std::unique_ptr<CPlaybackSession> m_session;
};

} // namespace dsp
