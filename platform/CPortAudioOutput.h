#pragma once
// The sound output on the system's default output device, through PortAudio. Queued blocks are
// copied into a queue that PortAudio's audio thread drains; a block is reported done on that
// thread as soon as its last frame has been handed to the device. Missing data plays as
// silence, so a late refill costs a short gap, never a stall.
//
// Closing lets the device play out what it holds: the stream runs on with silence until the
// device has taken a whole buffer of it after the last frame. Stopping a stream at once would
// drop the buffer's contents (through ALSA's PulseAudio plugin, the last 20 to 50 ms of every
// sound), and the stream's time stamps cannot be trusted to say when a frame is heard.
//
// PortAudio is set up once per process, on first use, with ALSA's error printing silenced
// and JACK kept from starting a server, so probing devices prints nothing on the terminal. When
// no output device is found the set-up is undone, so that a later attempt probes again (a
// sound server started meanwhile is then found).

#include "platform/CSoundOutput.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

class CPortAudioOutput final : public CSoundOutput {
public:
    CPortAudioOutput() = default;
    // Aborts a stream still open.
    ~CPortAudioOutput() override;
    CPortAudioOutput(const CPortAudioOutput&) = delete;
    CPortAudioOutput& operator=(const CPortAudioOutput&) = delete;

    bool Open(const CSoundFormat& format, IListener& listener) override;
    bool Queue(int block, const std::uint8_t* bytes, std::size_t size) override;
    void Close() override;
    void Abort() override;

    // True when a default output device exists (probes quietly).
    static bool HasDefaultDevice();

    // Fills frames of device output from the queue; called on PortAudio's audio thread.
    void Render(std::uint8_t* out, unsigned long frames);

private:
    struct Pending {
        int block = 0;
        std::vector<std::uint8_t> bytes;
        std::size_t offset = 0; // bytes already handed to the device
    };

    // Copies up to frames frames of the front block into out; returns the frames copied and
    // the id of the block when that finished it (-1 otherwise).
    unsigned long CopyFront(std::uint8_t* out, unsigned long frames, int& finished);
    // Waits until the device has taken a buffer's worth of silence after the last frame.
    void PlayOut() const;
    void Shutdown(bool drain);

    CSoundFormat m_format;
    int m_deviceFrameBytes = 0; // channels x bytes per sample (no frame padding)
    std::uint8_t m_silence = 0;
    IListener* m_listener = nullptr; // not owned
    void* m_stream = nullptr;        // PaStream, open between Open and Close/Abort
    std::mutex m_queueMutex;         // guards m_queue (the audio thread drains it)
    std::deque<Pending> m_queue;
    std::atomic<long> m_silentFrames{0}; // rendered since the last queued frame
};
