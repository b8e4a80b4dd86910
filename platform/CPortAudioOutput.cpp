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
    static_cast<CPortAudioOutput*>(self)->Render(static_cast<std::uint8_t*>(output), frames);
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
    m_deviceFrameBytes = format.channels * (format.bitsPerSample / 8);
    m_silence = format.bitsPerSample == 8 ? 0x80 : 0x00;
    m_listener = &listener;
    m_silentFrames = 0;
    PaStream* stream = nullptr;
    if (Pa_OpenStream(&stream, nullptr, &parameters, format.sampleRate,
                      paFramesPerBufferUnspecified, paNoFlag, RenderCallback, this) != paNoError) {
        library.ForgetDevices();
        m_listener = nullptr;
        return false;
    }
    if (Pa_StartStream(stream) != paNoError) {
        Pa_CloseStream(stream);
        library.ForgetDevices();
        m_listener = nullptr;
        return false;
    }
    library.StreamOpened();
    m_stream = stream;
    return true;
}

bool CPortAudioOutput::Queue(int block, const std::uint8_t* bytes, std::size_t size) {
    if (m_stream == nullptr)
        return false;
    const std::size_t whole = size - size % static_cast<std::size_t>(m_format.blockAlign);
    Pending pending;
    pending.block = block;
    pending.bytes.assign(bytes, bytes + whole);
    std::lock_guard lock(m_queueMutex);
    m_queue.push_back(std::move(pending));
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
    if (drain) {
        PlayOut();
        Pa_StopStream(stream);
    } else {
        Pa_AbortStream(stream);
    }
    {
        PortAudioLibrary& library = PortAudioLibrary::Instance();
        std::lock_guard lock(library.Mutex());
        Pa_CloseStream(stream);
        library.StreamClosed();
    }
    m_stream = nullptr;
    {
        std::lock_guard lock(m_queueMutex);
        m_queue.clear();
    }
    IListener* listener = m_listener;
    m_listener = nullptr;
    listener->OnClosed();
}

void CPortAudioOutput::PlayOut() const {
    const PaStreamInfo* info = Pa_GetStreamInfo(static_cast<PaStream*>(m_stream));
    const double latency = info != nullptr ? info->outputLatency : MAX_LATENCY;
    const auto needed = static_cast<long>((latency + 0.025) * m_format.sampleRate);
    const auto until = std::chrono::steady_clock::now() + MAX_PLAY_OUT;
    while (m_silentFrames.load() < needed && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(PLAY_OUT_POLL);
}

void CPortAudioOutput::Render(std::uint8_t* out, unsigned long frames) {
    bool sounded = false;
    while (frames > 0) {
        int finished = -1;
        const unsigned long copied = CopyFront(out, frames, finished);
        if (finished >= 0)
            m_listener->OnBlockDone(finished);
        if (copied == 0 && finished < 0)
            break;
        sounded = sounded || copied > 0;
        out += copied * static_cast<unsigned long>(m_deviceFrameBytes);
        frames -= copied;
    }
    std::memset(out, m_silence, frames * static_cast<unsigned long>(m_deviceFrameBytes));
    const long silent = static_cast<long>(frames);
    if (sounded)
        m_silentFrames = silent;
    else
        m_silentFrames += silent;
}

unsigned long CPortAudioOutput::CopyFront(std::uint8_t* out, unsigned long frames, int& finished) {
    std::lock_guard lock(m_queueMutex);
    if (m_queue.empty())
        return 0;
    Pending& front = m_queue.front();
    const std::size_t frameBytes = static_cast<std::size_t>(m_format.blockAlign);
    const std::size_t left = (front.bytes.size() - front.offset) / frameBytes;
    const std::size_t count = std::min<std::size_t>(left, frames);
    const std::size_t deviceBytes = static_cast<std::size_t>(m_deviceFrameBytes);
    // Frames of a file may carry padding after the channels; the device gets the channels.
    for (std::size_t f = 0; f < count; ++f)
        std::memcpy(out + f * deviceBytes, front.bytes.data() + front.offset + f * frameBytes,
                    deviceBytes);
    front.offset += count * frameBytes;
    if (front.offset >= front.bytes.size()) {
        finished = front.block;
        m_queue.pop_front();
    }
    return static_cast<unsigned long>(count);
}
