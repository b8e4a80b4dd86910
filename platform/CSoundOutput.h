#pragma once
// The sound output: an output stream for one PCM format on which blocks of frames are queued
// and played in order. Each block is reported back when it has been played, on a thread of the
// output's own, so that a player can refill it; closing is reported the same way.
//
// Outputs are made through a settable factory: the program plays on the default device
// (PortAudio), tests install a device they control (CTestSoundOutput).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

// An interleaved PCM format: 8-bit samples unsigned around 128, 16-bit signed little-endian.
struct CSoundFormat {
    int sampleRate = 0;
    int channels = 0;
    int bitsPerSample = 0;
    int blockAlign = 0; // bytes per frame

    // A format an output can play: 8 or 16 bits, at least one channel, frames wide enough for
    // every channel, a positive rate.
    bool IsPlayable() const;
};

class CSoundOutput {
public:
    // Told by the output about its blocks. The calls come from the output's thread (or from
    // inside Close/Abort); they must return quickly and must not call back into the output.
    class IListener {
    public:
        virtual void OnBlockDone(int block) = 0;
        virtual void OnClosed() = 0;

    protected:
        ~IListener() = default;
    };

    using Factory = std::function<std::unique_ptr<CSoundOutput>()>;

    virtual ~CSoundOutput() = default;

    // Opens the stream; it sounds once started. False when there is no device or it refuses
    // the format; nothing is left open then and the listener is never called.
    virtual bool Open(const CSoundFormat& format, IListener& listener) = 0;
    // Copies whole frames as block `block` behind the blocks already queued; the block is
    // reported done once played. False when the stream is not open.
    virtual bool Queue(int block, const std::uint8_t* bytes, std::size_t size) = 0;
    // Starts an open stream with the blocks queued so far in the device's first buffers, so
    // that the first frame sounds at once instead of after a buffer of silence. False when the
    // stream is not open or the device refuses to start.
    virtual bool Start() = 0;
    // Lets what was handed to the device play out, closes the stream and reports OnClosed.
    // Blocks not yet reported done are dropped. Nothing when not open.
    virtual void Close() = 0;
    // Stops at once, drops what is queued (not reported done), closes and reports OnClosed.
    virtual void Abort() = 0;

    // A new output from the installed factory (the default device unless a test installed
    // another). Thread-safe.
    static std::unique_ptr<CSoundOutput> Make();
    // Installs a factory and returns the previous one; an empty factory restores the default.
    static Factory SetFactory(Factory factory);
};
