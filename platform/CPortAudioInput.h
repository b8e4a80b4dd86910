#pragma once
// The sound input from the system's default recording device, through PortAudio: 16-bit mono
// at the asked rate, converted on PortAudio's audio thread and handed to the listener there.
//
// Each started stream holds its own reference on PortAudio (which counts them), so a
// recording and the sound output set the library up and take it down independently; a
// device plugged in between two recordings is found by the next one. ALSA's and JACK's
// complaints while devices are probed are kept off the terminal, as for the output.

#include "platform/CSoundInput.h"

class CPortAudioInput final : public CSoundInput {
public:
    CPortAudioInput() = default;
    // Stops a stream still running.
    ~CPortAudioInput() override;
    CPortAudioInput(const CPortAudioInput&) = delete;
    CPortAudioInput& operator=(const CPortAudioInput&) = delete;

    EStart Start(int sampleRate, IListener& listener) override;
    void Stop() override;

    // On PortAudio's audio thread: converts the device's samples and hands them on.
    void Deliver(const short* samples, unsigned long frames);

private:
    IListener* m_listener = nullptr; // not owned
    void* m_stream = nullptr;        // PaStream, open between Start and Stop
};
