#include "platform/CPortAudioInput.h"

#include <alsa/asoundlib.h>
#include <portaudio.h>

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>

namespace {

// Samples converted per call to the listener; PortAudio's buffers are cut into these.
constexpr unsigned long CHUNK = 256;
constexpr float SCALE = 1.0f / 32768.0f; // as a 16-bit WAV sample reads

void SilentAlsa(const char*, int, const char*, int, const char*, ...) {}
void SilentJack(const char*) {}

// Opening and closing streams, and PortAudio's set-up, one thread at a time.
std::mutex g_portAudioMutex;

// Sets PortAudio up for one stream, quietly: libjack prints when no JACK server runs and ALSA
// names every card it cannot open. The caller holds g_portAudioMutex.
bool InitialiseQuietly() {
    setenv("JACK_NO_START_SERVER", "1", 1);
    snd_lib_error_set_handler(SilentAlsa);
    using SetPrinter = void (*)(void (*)(const char*));
    for (const char* name : {"jack_set_error_function", "jack_set_info_function"})
        if (auto set = reinterpret_cast<SetPrinter>(dlsym(RTLD_DEFAULT, name)))
            set(SilentJack);
    return Pa_Initialize() == paNoError;
}

int Callback(const void* input, void*, unsigned long frames, const PaStreamCallbackTimeInfo*,
             PaStreamCallbackFlags, void* self) {
    // A device may call with no input buffer (an overflow): nothing to hand on then.
    if (input != nullptr)
        static_cast<CPortAudioInput*>(self)->Deliver(static_cast<const short*>(input), frames);
    return paContinue;
}

} // namespace

CPortAudioInput::~CPortAudioInput() {
    Stop();
}

CSoundInput::EStart CPortAudioInput::Start(int sampleRate, IListener& listener) {
    if (m_stream != nullptr || sampleRate <= 0)
        return EStart::OPEN_FAILED;
    std::lock_guard lock(g_portAudioMutex);
    if (!InitialiseQuietly())
        return EStart::NO_DEVICE;
    const PaDeviceIndex device = Pa_GetDefaultInputDevice();
    const PaDeviceInfo* info = device == paNoDevice ? nullptr : Pa_GetDeviceInfo(device);
    if (info == nullptr || info->maxInputChannels < 1) {
        Pa_Terminate();
        return EStart::NO_DEVICE;
    }
    PaStreamParameters parameters{};
    parameters.device = device;
    parameters.channelCount = 1;
    parameters.sampleFormat = paInt16;
    parameters.suggestedLatency = info->defaultLowInputLatency;
    m_listener = &listener;
    PaStream* stream = nullptr;
    if (Pa_OpenStream(&stream, &parameters, nullptr, sampleRate, paFramesPerBufferUnspecified,
                      paNoFlag, Callback, this) != paNoError) {
        m_listener = nullptr;
        Pa_Terminate();
        return EStart::OPEN_FAILED;
    }
    if (Pa_StartStream(stream) != paNoError) {
        Pa_CloseStream(stream);
        m_listener = nullptr;
        Pa_Terminate();
        return EStart::OPEN_FAILED;
    }
    m_stream = stream;
    return EStart::OK;
}

void CPortAudioInput::Stop() {
    if (m_stream == nullptr)
        return;
    auto* stream = static_cast<PaStream*>(m_stream);
    // Aborting waits for a callback under way; after it the listener hears nothing more.
    Pa_AbortStream(stream);
    std::lock_guard lock(g_portAudioMutex);
    Pa_CloseStream(stream);
    Pa_Terminate();
    m_stream = nullptr;
    m_listener = nullptr;
}

void CPortAudioInput::Deliver(const short* samples, unsigned long frames) {
    float converted[CHUNK];
    while (frames > 0) {
        const unsigned long count = std::min(frames, CHUNK);
        std::transform(samples, samples + count, converted,
                       [](short s) { return static_cast<float>(s) * SCALE; });
        m_listener->OnSamples(converted, static_cast<int>(count));
        samples += count;
        frames -= count;
    }
}
