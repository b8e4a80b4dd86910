#pragma once
// The sound output on the system's default output device, through PortAudio. Queued blocks are
// copied into a CDeviceQueue that PortAudio's audio thread drains; a block is reported done on that
// thread as soon as its last frame has been handed to the device. Missing data plays as
// silence, so a late refill costs a short gap, never a stall.
//
// A stream is started with the queued blocks in the device's first buffers (PortAudio primes
// them through the callback): started empty, the device would first play its whole buffer of
// silence, and through a sound server the first sound came anything up to two seconds late.
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

#include "platform/CDeviceQueue.h"
#include "platform/CSoundOutput.h"

#include <cstdint>

class CPortAudioOutput final : public CSoundOutput {
public:
    CPortAudioOutput() = default;
    // Aborts a stream still open.
    ~CPortAudioOutput() override;
    CPortAudioOutput(const CPortAudioOutput&) = delete;
    CPortAudioOutput& operator=(const CPortAudioOutput&) = delete;

    bool Open(const CSoundFormat& format, IListener& listener) override;
    bool Queue(int block, const std::uint8_t* bytes, std::size_t size) override;
    bool Start() override;
    void Close() override;
    void Abort() override;

    // True when a default output device exists (probes quietly).
    static bool HasDefaultDevice();

private:
    // Waits until the device has taken a buffer's worth of silence after the last frame.
    void PlayOut() const;
    void Shutdown(bool drain);

    CSoundFormat m_format;
    IListener* m_listener = nullptr; // not owned
    void* m_stream = nullptr;        // PaStream, open between Open and Close/Abort
    bool m_started = false;
    CDeviceQueue m_queue; // drained by PortAudio's audio thread
};
