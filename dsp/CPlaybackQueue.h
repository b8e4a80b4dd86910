#pragma once
// The message queue of a playback thread: the sound output's notifications and the request to
// stop arrive here from other threads, and the playback thread takes them one at a time.

#include <condition_variable>
#include <deque>
#include <mutex>

namespace dsp {

class CPlaybackQueue {
public:
    enum class EKind {
        BlockDone, // the output has played a block
        Closed,    // the output is closed: the thread ends
        Stop,      // end at once (the signal goes away)
    };
    struct Message {
        EKind kind = EKind::Closed;
        int block = 0;
    };

    // Thread-safe; never blocks for long, so it may be called from an audio thread.
    void Post(Message message);
    // Waits for the next message.
    Message Wait();

private:
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::deque<Message> m_messages;
};

} // namespace dsp
