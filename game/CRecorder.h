#pragma once
// One recording from the default input: a countdown the player can speak along to (its level
// shows, so a silent microphone is noticed before the take starts), then a take of a fixed
// number of frames. The input's own clock counts both, so the countdown cannot run ahead of
// the device. Progress is posted to a window (ProgressMessage, at most every 50 ms of sound
// and once when the take is complete); the window reads it with Progress.

#include "platform/CSoundInput.h"
#include "platform/WinTypes.h"

#include <memory>
#include <mutex>
#include <vector>

class CWnd;

namespace game {

class CRecorder final : private CSoundInput::IListener {
public:
    static constexpr int COUNTDOWN_SECONDS = 3;

    struct CProgress {
        bool recording = false; // the take runs (false: counting down, or idle)
        bool complete = false;  // the take is all there
        int secondsLeft = 0;    // of the countdown, or of the take, rounded up
        float level = 0.0f;     // peak of the latest 50 ms, 0 to 1
    };

    explicit CRecorder(CWnd& window) : m_window(window) {}
    // Stops the input first: its thread may be posting.
    ~CRecorder() { Stop(); }
    CRecorder(const CRecorder&) = delete;
    CRecorder& operator=(const CRecorder&) = delete;

    // Opens a new input and starts the countdown; frames at sampleRate make the take.
    CSoundInput::EStart Start(int sampleRate, int frames);
    // Ends the input (the take so far stays); nothing when none runs.
    void Stop();
    bool IsRunning() const { return m_input != nullptr; }
    CProgress Progress() const;
    // The complete take, handed over once; empty before it is complete.
    std::vector<float> TakeSamples();

    // The registered message posted to the window; wParam is this recorder.
    static UINT ProgressMessage();

private:
    void OnSamples(const float* samples, int count) override;

    CWnd& m_window;
    std::unique_ptr<CSoundInput> m_input;
    mutable std::mutex m_mutex; // guards what the input's thread writes below
    int m_rate = 0;
    long long m_countdownLeft = 0; // frames
    std::vector<float> m_take;
    std::size_t m_wanted = 0;
    float m_peak = 0.0f;  // of the frames since the last post
    float m_level = 0.0f; // the last posted peak
    int m_sincePost = 0;  // frames
    bool m_complete = false;
};

} // namespace game
