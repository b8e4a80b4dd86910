#include "platform/CPortAudioOutput.h"

#include <alsa/asoundlib.h>
#include <portaudio.h>

#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

// Seconds of sound the device may buffer: two 25 ms blocks.
constexpr double MAX_LATENCY = 0.050;
// Playing out waits for the device's buffer and one 25 ms block more, but never longer than
// this (a device that stopped asking for frames).
constexpr auto MAX_PLAY_OUT = std::chrono::seconds(3);
constexpr auto PLAY_OUT_POLL = std::chrono::milliseconds(5);

// ALSA reports every card it cannot open while PortAudio probes; none of that is news to the
// player.
void SilentAlsa(const char*, int, const char*, int, const char*, ...) {}
void SilentJack(const char*) {}

// PortAudio's JACK host links libjack, whose default error and info functions print to the
// terminal when no JACK server runs. They are reached at run time, so the program neither
// links nor needs JACK.
void SilenceJack() {
    using SetPrinter = void (*)(void (*)(const char*));
    for (const char* name : {"jack_set_error_function", "jack_set_info_function"})
        if (auto set = reinterpret_cast<SetPrinter>(dlsym(RTLD_DEFAULT, name)))
            set(SilentJack);
}

// PortAudio set up once for the process. Opening and closing streams go through here too:
// PortAudio's own bookkeeping is not meant for two threads at once.
class PortAudioLibrary {
public:
    static PortAudioLibrary& Instance() {
        static PortAudioLibrary library;
        return library;
    }

    ~PortAudioLibrary() {
        if (m_initialised && m_openStreams == 0)
            Pa_Terminate();
    }

    std::mutex& Mutex() { return m_mutex; }

    // The default output device, setting PortAudio up first; paNoDevice when there is none.
    // The caller holds Mutex().
    PaDeviceIndex DefaultOutput() {
        if (!m_initialised) {
            setenv("JACK_NO_START_SERVER", "1", 1);
            snd_lib_error_set_handler(SilentAlsa);
            SilenceJack();
            if (Pa_Initialize() != paNoError)
                return paNoDevice;
            m_initialised = true;
        }
        const PaDeviceIndex device = Pa_GetDefaultOutputDevice();
        if (device == paNoDevice)
            ForgetDevices();
        return device;
    }

    // After a failed open with no stream running, the next attempt probes the devices anew.
    // The caller holds Mutex().
    void ForgetDevices() {
        if (m_initialised && m_openStreams == 0) {
            Pa_Terminate();
            m_initialised = false;
        }
    }

    void StreamOpened() { ++m_openStreams; }
    void StreamClosed() { --m_openStreams; }

private:
    PortAudioLibrary() = default;

    std::mutex m_mutex;
    bool m_initialised = false;
    int m_openStreams = 0;
};

int RenderCallback(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
                   PaStreamCallbackFlags, void* self) {
    static_cast<CDeviceQueue*>(self)->Render(static_cast<std::uint8_t*>(output), frames);
    return paContinue;
}

} // namespace

CPortAudioOutput::~CPortAudioOutput() {
    Shutdown(false);
}

bool CPortAudioOutput::HasDefaultDevice() {
    PortAudioLibrary& library = PortAudioLibrary::Instance();
    std::lock_guard lock(library.Mutex());
    return library.DefaultOutput() != paNoDevice;
}

bool CPortAudioOutput::Open(const CSoundFormat& format, IListener& listener) {
    if (m_stream != nullptr || !format.IsPlayable())
        return false;
    PortAudioLibrary& library = PortAudioLibrary::Instance();
    std::lock_guard lock(library.Mutex());
    const PaDeviceIndex device = library.DefaultOutput();
    const PaDeviceInfo* info = device == paNoDevice ? nullptr : Pa_GetDeviceInfo(device);
    if (info == nullptr)
        return false;
    PaStreamParameters parameters{};
    parameters.device = device;
    parameters.channelCount = format.channels;
    parameters.sampleFormat = format.bitsPerSample == 8 ? paUInt8 : paInt16;
    // The device's high latency gives a sound server on a busy machine room, but no more than
    // two blocks: a stream fills its whole buffer at the start, and more than the three queued
    // blocks would leave a gap before the first refill. The play bar, which follows the blocks
    // handed over, stays as close to what is heard.
    parameters.suggestedLatency = std::min(info->defaultHighOutputLatency,
                                           std::max(info->defaultLowOutputLatency, MAX_LATENCY));
    m_format = format;
    m_queue.Start(format, listener);
    m_listener = &listener;
    PaStream* stream = nullptr;
    if (Pa_OpenStream(&stream, nullptr, &parameters, format.sampleRate,
                      paFramesPerBufferUnspecified, paPrimeOutputBuffersUsingStreamCallback,
                      RenderCallback, &m_queue) != paNoError) {
        library.ForgetDevices();
        m_listener = nullptr;
        return false;
    }
    library.StreamOpened();
    m_stream = stream;
    m_started = false;
    return true;
}

bool CPortAudioOutput::Start() {
    if (m_stream == nullptr || m_started)
        return false;
    m_started = Pa_StartStream(static_cast<PaStream*>(m_stream)) == paNoError;
    return m_started;
}

bool CPortAudioOutput::Queue(int block, const std::uint8_t* bytes, std::size_t size) {
    if (m_stream == nullptr)
        return false;
    m_queue.Push(block, bytes, size);
    return true;
}

void CPortAudioOutput::Close() {
    Shutdown(true);
}

void CPortAudioOutput::Abort() {
    Shutdown(false);
}

void CPortAudioOutput::Shutdown(bool drain) {
    if (m_stream == nullptr)
        return;
    auto* stream = static_cast<PaStream*>(m_stream);
    // Stopping waits for the audio thread, which may be waiting for the queue: not under a
    // lock of ours.
    if (drain && m_started) {
        PlayOut();
        Pa_StopStream(stream);
    } else if (m_started) {
        Pa_AbortStream(stream);
    }
    m_started = false;
    {
        PortAudioLibrary& library = PortAudioLibrary::Instance();
        std::lock_guard lock(library.Mutex());
        Pa_CloseStream(stream);
        library.StreamClosed();
    }
    m_stream = nullptr;
    m_queue.Clear();
    IListener* listener = m_listener;
    m_listener = nullptr;
    listener->OnClosed();
}

void CPortAudioOutput::PlayOut() const {
    const PaStreamInfo* info = Pa_GetStreamInfo(static_cast<PaStream*>(m_stream));
    const double latency = info != nullptr ? info->outputLatency : MAX_LATENCY;
    const auto needed = static_cast<long>((latency + 0.025) * m_format.sampleRate);
    const auto until = std::chrono::steady_clock::now() + MAX_PLAY_OUT;
    while (m_queue.SilentFrames() < needed && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(PLAY_OUT_POLL);
}
