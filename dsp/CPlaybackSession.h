#pragma once
// One playback of a signal, from the click to the last block: the sound output, three block
// buffers of 25 ms each, the playback thread with its message queue and the lock under which
// finished blocks are handled. Each playback makes its own; the signal's CPlayback keeps the
// one that runs.
//
// The output reports each played block to the thread, which refills it from the next frames
// while a whole block and at least one frame more remain, and posts the play-bar message
// (played, played + block length) to the signal's listeners. When no block is queued any more
// the output is closed, the playback becomes idle and (frame reached, frame reached) is posted.
// A signal shorter than the three blocks plays padded with silence.
//
// A looping playback never runs out: the frame after the last one is frame 0 again, inside
// the same block, so the repeat sounds without a gap and the play bar starts again at the left.
// A bypassed playback takes its next blocks from the signal's source (a filter's input) at the
// same frames, so the player hears the unfiltered sound go on where the filtered one was.

#include "dsp/CPlaybackQueue.h"
#include "platform/CSoundOutput.h"

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace dsp {

class CSignal;

class CPlaybackSession final : private CSoundOutput::IListener {
public:
    static constexpr int BLOCKS = 3;

    // sampleLock is held while frames are taken from the signal's samples.
    CPlaybackSession(CSignal& signal, std::mutex& sampleLock, std::unique_ptr<CSoundOutput> output);
    // Stops a playback that still runs.
    ~CPlaybackSession();
    CPlaybackSession(const CPlaybackSession&) = delete;
    CPlaybackSession& operator=(const CPlaybackSession&) = delete;

    // Opens the output, queues the first three blocks from frame from on, starts the output with
    // them, posts (0, from) and starts the thread. False when the signal cannot be played or the
    // output cannot be opened; nothing runs then.
    bool Start(int from, bool looping);
    // From a successful Start until the end of playback.
    bool IsPlaying() const;
    // The first frame of the block sounding now; 0 when idle.
    int Position() const;
    // Ends the playback at once (nothing more is posted) and waits for its thread.
    void Stop();
    // Both take effect from the next block queued, which follows the ones queued without a gap.
    void SetLooping(bool looping);
    // False, and nothing changes, when the signal has no source.
    bool SetBypass(bool bypass);
    bool IsBypassed() const;

private:
    void OnBlockDone(int block) override;
    void OnClosed() override;

    void Run();
    void HandleDone(int block);
    void Finish();
    // Converts the block length of frames from the next position into the block's buffer and
    // queues it; the next position advances when the output took it.
    bool QueueNext(int block);
    void FillBuffer(int block, int from);
    bool AnyQueued() const;
    void PostPlaybar(int erase, int draw) const;

    CSignal& m_signal;
    std::mutex& m_sampleLock;
    std::unique_ptr<CSoundOutput> m_output;
    CSoundFormat m_format;
    int m_blockLength = 0;
    int m_sampleCount = 0;
    std::array<std::vector<std::uint8_t>, BLOCKS> m_buffers;
    CPlaybackQueue m_queue;

    // The per-playback lock: held while a finished block is handled, and by IsPlaying.
    mutable std::mutex m_lock;
    bool m_running = false;
    int m_next = 0;   // first frame not yet queued
    int m_played = 0; // the first frame of the block sounding now
    int m_wraps = 0;  // returns to frame 0 queued but not yet sounding
    bool m_looping = false;
    bool m_bypass = false;
    std::array<bool, BLOCKS> m_queued{};

    bool m_stopping = false; // playback thread only
    std::thread m_thread;
};

} // namespace dsp
