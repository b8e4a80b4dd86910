#pragma once
// The sound input: a mono stream from a recording device, delivered as the game's samples
// (16-bit steps of 1/32768 within [-1, 1), exactly what a 16-bit WAV file reads as). Blocks of
// samples arrive on a thread of the input's own until it is stopped.
//
// Inputs are made through a settable factory: the program records from the default device
// (PortAudio), tests install a source they control.

#include <functional>
#include <memory>

class CSoundInput {
public:
    // Told about the samples as they come. The calls come from the input's thread; they must
    // return quickly and must not call back into the input.
    class IListener {
    public:
        virtual void OnSamples(const float* samples, int count) = 0;

    protected:
        ~IListener() = default;
    };

    enum class EStart {
        OK,
        NO_DEVICE,   // the system knows no recording device
        OPEN_FAILED, // there is one, but it refused the stream (busy, or not at this rate)
    };

    using Factory = std::function<std::unique_ptr<CSoundInput>()>;

    virtual ~CSoundInput() = default;

    // Opens the default recording device, mono at the rate, and starts it. Nothing is left
    // open and the listener is never called unless the answer is OK.
    virtual EStart Start(int sampleRate, IListener& listener) = 0;
    // Stops and closes the stream; once it returns the listener hears nothing more. Nothing
    // when not started.
    virtual void Stop() = 0;

    // A new input from the installed factory (the default device unless a test installed
    // another). Thread-safe.
    static std::unique_ptr<CSoundInput> Make();
    // Installs a factory and returns the previous one; an empty factory restores the default.
    static Factory SetFactory(Factory factory);
};
