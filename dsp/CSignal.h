#pragma once
// One mono signal: its WAVE format, single-precision samples nominally in [-1, 1], the signal
// it was derived from (if any), its analyses and the windows that show it.
//
// A signal is loaded from a WAV file (a root signal) or derived from another one with
// CreateFrom, after which filters write its samples. Analyses are made on first demand and
// recomputed whenever the samples change; a derived signal is scaled with its root's factors
// so that a filter's effect shows as a change of level. When the samples change, every
// listener window is sent (posted) UpdateMessage() with the signal's address as wParam.

#include "dsp/CAnalysis.h"
#include "dsp/CFftwBuffer.h"
#include "dsp/CListenerHandle.h"
#include "dsp/CPlayback.h"
#include "dsp/CSpectrogram.h"
#include "dsp/CSpectrum.h"
#include "dsp/CWaveFormat.h"

#include "platform/WinTypes.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <typeinfo>
#include <vector>

class CWnd;

namespace dsp {

class CFilter;
class CNoise;
class CSampleFeed;

class CSignal {
public:
    using Result = std::uint32_t;
    static constexpr Result RESULT_OK = 0;
    static constexpr Result RESULT_FAIL = 0x80004005u;
    // Frames per playback block until a format is known.
    static constexpr int DEFAULT_BLOCK_LENGTH = 512;

    CSignal() = default;
    ~CSignal();
    CSignal(const CSignal&) = delete;
    CSignal& operator=(const CSignal&) = delete;

    // Stops playback, releases samples and analyses and zeroes the format; keeps file name,
    // source, listeners.
    void Clear();
    // Replaces the content by the first channel of a PCM WAV file (8 or 16 bits). On failure
    // the signal is left empty and reason (when given) says why, in one German sentence
    // naming the path. The signal becomes a root signal.
    Result LoadWave(const std::wstring& path, std::wstring* reason = nullptr);
    // Makes this a silent signal of source's length and format, derived from source.
    Result CreateFrom(CSignal* source);
    // Makes this a root signal holding a copy of samples (for signals made in code).
    Result CreateFromSamples(const CWaveFormat& format, const float* samples, int count);
    std::wstring GetFileName() const { return m_fileName; }

    const CWaveFormat& GetFormat() const { return m_format; }
    const float* GetSamples() const { return m_samples.Get(); }
    float* GetSamples() { return m_samples.Get(); }
    int GetSampleCount() const { return m_sampleCount; }
    CSignal* GetSource() const { return m_source; }
    // The signal at the end of the source links (this one for a root signal).
    const CSignal* GetRoot() const;
    CSignal* GetRoot();
    int GetBlockLength() const { return m_blockLength; }

    // Sample conversions for one frame, first channel only. 8 bits are unsigned around 128,
    // 16 bits signed little-endian. Other widths: SampleToFloat gives 0, FloatToSample writes
    // nothing and returns false. FloatToSample limits to full scale (NaN becomes silence).
    static float SampleToFloat(const std::uint8_t* frame, int bitsPerSample);
    static bool FloatToSample(float value, std::uint8_t* frame, int bitsPerSample);

    // Analyses of any kind T (a CAnalysis with a default constructor), made on first demand and
    // kept for the signal's life: false when the signal is empty or memory or planning fails. A
    // derived signal first makes its root's (for the factor). Get: an absent one until made.
    template <typename T> bool Ensure() {
        return EnsureAnalysis(typeid(T), []() -> CAnalysis* { return new T; });
    }
    template <typename T> const T& Get() const {
        static const T absent;
        const CAnalysis* analysis = FindAnalysis(typeid(T));
        return analysis != nullptr ? static_cast<const T&>(*analysis) : absent;
    }
    bool EnsureSpectrogram() { return Ensure<CSpectrogram>(); }
    bool EnsureSpectrum() { return Ensure<CSpectrum>(); }
    const CSpectrogram& GetSpectrogram() const { return Get<CSpectrogram>(); }
    const CSpectrum& GetSpectrum() const { return Get<CSpectrum>(); }
    // Recomputes the analyses that exist; absent ones stay absent.
    void RefreshAnalyses();

    // This signal's samples = filter applied to its source's samples; analyses refreshed and
    // listeners told. False without a source or when the source is longer than this signal.
    bool ApplyFilter(const CFilter& filter);
    // Adds the generator's signal to the samples; analyses refreshed and listeners told.
    bool ApplyNoise(const CNoise& noise);

    // Plays the signal from frame from on, looping if asked (see CPlayback): false while it
    // plays, when it is empty or when no sound output opens. The listeners get the play-bar
    // messages.
    bool Play(int from = 0, bool looping = false) { return m_playback.Play(from, looping); }
    void SetLooping(bool looping) { m_playback.SetLooping(looping); }
    // A derived signal's playback goes on with its source's sound, or back (see CPlayback).
    bool SetBypass(bool bypass) { return m_playback.SetBypass(bypass); }
    bool IsBypassed() const { return m_playback.IsBypassed(); }
    // Held while the samples are read or written beside a playback of them.
    [[nodiscard]] std::unique_lock<std::mutex> LockSamples() { return m_playback.LockSamples(); }
    // The first frame of the block sounding now; 0 when silent.
    int GetPlayPosition() const { return m_playback.Position(); }
    // Ends the playback at once; the listeners hear nothing more of it.
    void StopPlayback() { m_playback.Stop(); }
    // The factor the samples are played with, read under the playback's sample lock: 1 for
    // samples within full scale; a louder signal (a resonant filter's output) is played with
    // its peak at full scale instead of clipped, and a signal that ran away to the sample
    // limit (an unstable filter) is played silent: a full-scale blast hurts in headphones,
    // and the plots show what happened.
    float GetPlaybackGain() const { return m_playbackGain; }
    bool IsPlaying() const { return m_playback.IsPlaying(); }

    // Listener windows. The window listens for as long as the handle lives, and the handle
    // must go before the window: a window later made at the same address would otherwise
    // receive this signal's messages. An empty handle for no window, a window already
    // listening, or no memory.
    [[nodiscard]] CListenerHandle Listen(CWnd* window) { return {m_listeners, window}; }
    std::set<CWnd*> GetListeners() const;
    // Counts the changes of the samples since the signal was made: a display computed at one
    // count is out of date at another, also when the news of the change reached no window.
    unsigned GetRevision() const { return m_revision; }
    // Posts the message to every listener window that exists.
    void PostToListeners(UINT message, WPARAM wParam, LPARAM lParam) const;
    // The registered message "UWM_UPDATE_ASIGNAL"; wParam is the signal, lParam 0.
    static UINT UpdateMessage();

private:
    bool AllocateSamples(int count);
    bool ReadWave(const std::wstring& path, std::wstring& reason);
    void SetFormat(const CWaveFormat& format);
    bool WouldLoop(const CSignal* source) const;
    // make gives a new analysis of the kind (and may throw std::bad_alloc).
    bool EnsureAnalysis(const std::type_info& type, CAnalysis* (*make)());
    CAnalysis* FindAnalysis(const std::type_info& type) const;
    // The factor a computation of the analysis starts with: its root's (0 for a root).
    float RootFactor(const CAnalysis& analysis) const;
    // Recomputes the analyses that exist, all in one run of the worker pool; they read the
    // samples while feed (if any) writes them.
    void RefreshAnalyses(CSampleFeed* feed);
    void NotifyUpdate() const;
    // Sets the playback gain from the samples' peak; the caller holds the sample lock or
    // nothing plays.
    void MeasurePlaybackGain();

    struct CKept {
        std::unique_ptr<CAnalysis> analysis;
        int pieces = 0; // in the refresh under way
    };
    std::vector<CKept> m_analyses; // in the order they were made
    CWaveFormat m_format;
    CFftwBuffer<float> m_samples;
    int m_sampleCount = 0;
    float m_playbackGain = 1.0f;
    CSignal* m_source = nullptr; // not owned
    std::wstring m_fileName;
    const std::shared_ptr<CListenerSet> m_listeners = std::make_shared<CListenerSet>();
    int m_blockLength = DEFAULT_BLOCK_LENGTH;
    mutable std::atomic<unsigned> m_revision{0};
    CPlayback m_playback{*this};
};

} // namespace dsp
