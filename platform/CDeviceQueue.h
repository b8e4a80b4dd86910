#pragma once
// The blocks queued for a sound device, as the device's audio thread takes them: it asks for a
// number of frames and gets the queued frames in order, each with only its channels (the
// padding a file's frames may carry after them is left out), then silence where nothing is
// queued (0x80 for unsigned 8-bit samples, 0 for 16-bit). A block is reported done as soon as
// its last frame has been handed over. Thread-safe between one pushing and one rendering thread.

#include "platform/CSoundOutput.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

class CDeviceQueue {
public:
    // Empties the queue and takes the format and the listener told about finished blocks.
    void Start(const CSoundFormat& format, CSoundOutput::IListener& listener);
    // Copies the whole frames of bytes as block `block` behind the ones queued.
    void Push(int block, const std::uint8_t* bytes, std::size_t size);
    // Drops every queued block, none of them reported.
    void Clear();
    // Fills frames frames of device output (channels × bytes per sample each).
    void Render(std::uint8_t* out, unsigned long frames);
    // The silent frames rendered since the last queued frame.
    long SilentFrames() const { return m_silentFrames.load(); }

private:
    struct Pending {
        int block = 0;
        std::vector<std::uint8_t> bytes;
        std::size_t offset = 0; // bytes already handed to the device
    };

    // Copies up to frames frames of the front block into out; returns the frames copied and
    // the id of the block when that finished it (-1 otherwise).
    unsigned long CopyFront(std::uint8_t* out, unsigned long frames, int& finished);

    CSoundFormat m_format;
    int m_deviceFrameBytes = 0; // channels × bytes per sample (no frame padding)
    std::uint8_t m_silence = 0;
    CSoundOutput::IListener* m_listener = nullptr; // not owned
    std::mutex m_mutex;                            // guards m_pending
    std::deque<Pending> m_pending;
    std::atomic<long> m_silentFrames{0};
};
