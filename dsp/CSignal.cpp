#include "dsp/CSignal.h"

#include "dsp/CFilter.h"
#include "dsp/CNoise.h"
#include "dsp/CSampleFeed.h"
#include "dsp/CWaveReader.h"
#include "dsp/CWorkerPool.h"
#include "dsp/SampleLimit.h"

#include "platform/CWindowMessages.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

namespace dsp {

namespace {

// Frames are read and converted in pieces of about this size, not all at once.
constexpr std::size_t READ_PIECE_BYTES = 64 * 1024;
// A playback block is 25 ms.
constexpr std::uint32_t BLOCKS_PER_SECOND = 40;
// A filter publishes its output to the analyses in pieces of this many samples.
constexpr int FILTER_PIECE = 8192;

// A filter's output written piece by piece under the playback's sample lock; afterwards, still
// under the lock, whatever goes with the new samples.
class CFilteredSamples : public CSampleFeed {
public:
    CFilteredSamples(const CFilter& filter, const float* input, int inputCount, float* output,
                     int outputCount, CPlayback& playback, CWorkerPool::CTask afterWriting)
        : m_filter(filter), m_input(input), m_inputCount(inputCount), m_output(output),
          m_outputCount(outputCount), m_playback(playback), m_afterWriting(afterWriting) {}

private:
    void WriteSamples() override {
        const auto writing = m_playback.LockSamples();
        // The filter writes the input's length; only a tail beyond it needs clearing.
        std::fill(m_output + m_inputCount, m_output + m_outputCount, 0.0f);
        for (int begin = 0; begin < m_inputCount; begin += FILTER_PIECE) {
            const int end = std::min(m_inputCount, begin + FILTER_PIECE);
            m_filter.ApplyPart(m_input, begin, end, m_output);
            Publish(end);
        }
        m_afterWriting(0);
    }

    const CFilter& m_filter;
    const float* m_input;
    int m_inputCount;
    float* m_output;
    int m_outputCount;
    CPlayback& m_playback;
    CWorkerPool::CTask m_afterWriting;
};

} // namespace

CSignal::~CSignal() {
    Clear();
}

void CSignal::Clear() {
    // The playback reads the samples until its thread has ended.
    m_playback.Stop();
    for (CKept& kept : m_analyses)
        kept.analysis->Release();
    m_samples.Release();
    m_sampleCount = 0;
    m_playbackGain = 1.0f;
    m_format = {};
}

CSignal::Result CSignal::LoadWave(const std::wstring& path, std::wstring* reason) {
    Clear();
    m_source = nullptr;
    std::wstring why;
    if (!ReadWave(path, why)) {
        Clear();
        if (reason != nullptr)
            *reason = why;
        return RESULT_FAIL;
    }
    m_fileName = path;
    return RESULT_OK;
}

CSignal::Result CSignal::CreateFrom(CSignal* source) {
    Clear();
    // Deriving from itself or from one of its own derivatives would make the source links
    // a loop with no root.
    if (source == nullptr || source->m_sampleCount == 0 || WouldLoop(source))
        return RESULT_FAIL;
    if (!AllocateSamples(source->m_sampleCount))
        return RESULT_FAIL;
    std::fill_n(m_samples.Get(), m_sampleCount, 0.0f);
    SetFormat(source->m_format);
    m_source = source;
    return RESULT_OK;
}

CSignal::Result CSignal::CreateFromSamples(const CWaveFormat& format, const float* samples,
                                           int count) {
    // Copied before anything is released: the arguments may be this signal's own.
    const CWaveFormat wanted = format;
    CFftwBuffer<float> copy;
    const bool ok = samples != nullptr && count > 0 && wanted.sampleRate >= BLOCKS_PER_SECOND &&
                    copy.Allocate(static_cast<std::size_t>(count));
    if (ok)
        std::transform(samples, samples + count, copy.Get(), LimitSample);
    Clear();
    m_source = nullptr;
    if (!ok)
        return RESULT_FAIL;
    m_samples = std::move(copy);
    m_sampleCount = count;
    MeasurePlaybackGain();
    SetFormat(wanted);
    return RESULT_OK;
}

const CSignal* CSignal::GetRoot() const {
    const CSignal* signal = this;
    while (signal->m_source != nullptr)
        signal = signal->m_source;
    return signal;
}

CSignal* CSignal::GetRoot() {
    return const_cast<CSignal*>(static_cast<const CSignal*>(this)->GetRoot());
}

float CSignal::SampleToFloat(const std::uint8_t* frame, int bitsPerSample) {
    switch (bitsPerSample) {
    case 16:
        return static_cast<std::int16_t>(frame[0] | frame[1] << 8) * (1.0f / 32768.0f);
    case 8:
        return (frame[0] - 128) * (1.0f / 128.0f);
    default:
        return 0.0f;
    }
}

bool CSignal::FloatToSample(float value, std::uint8_t* frame, int bitsPerSample) {
    const float v = std::isnan(value) ? 0.0f : std::clamp(value, -1.0f, 1.0f);
    switch (bitsPerSample) {
    case 16: {
        const int s = std::min(static_cast<int>(v * 32768.0f), 32767);
        frame[0] = static_cast<std::uint8_t>(s & 0xFF);
        frame[1] = static_cast<std::uint8_t>((s >> 8) & 0xFF);
        return true;
    }
    case 8:
        frame[0] = static_cast<std::uint8_t>(std::min(static_cast<int>(v * 128.0f) + 128, 255));
        return true;
    default:
        return false;
    }
}

bool CSignal::EnsureAnalysis(const std::type_info& type, CAnalysis* (*make)()) {
    if (m_sampleCount == 0)
        return false;
    CAnalysis* analysis = FindAnalysis(type);
    if (analysis != nullptr && analysis->Exists())
        return true;
    CSignal* root = GetRoot();
    if (root != this && !root->EnsureAnalysis(type, make))
        return false;
    if (analysis == nullptr) {
        try {
            m_analyses.push_back({std::unique_ptr<CAnalysis>(make()), 0});
        } catch (const std::bad_alloc&) {
            return false;
        }
        analysis = m_analyses.back().analysis.get();
    }
    if (!analysis->Create(m_sampleCount))
        return false;
    if (!analysis->Compute(m_samples.Get(), RootFactor(*analysis))) {
        analysis->Release();
        return false;
    }
    return true;
}

CAnalysis* CSignal::FindAnalysis(const std::type_info& type) const {
    for (const CKept& kept : m_analyses)
        if (typeid(*kept.analysis) == type)
            return kept.analysis.get();
    return nullptr;
}

void CSignal::RefreshAnalyses() {
    RefreshAnalyses(nullptr);
}

// All analyses in one run of the worker pool, taking turns piece by piece in the order they
// were made: their pieces read the samples at about the same pace, so that a feed's writer is
// followed closely by all of them.
void CSignal::RefreshAnalyses(CSampleFeed* feed) {
    int total = 0;
    for (CKept& kept : m_analyses)
        total += kept.pieces = kept.analysis->BeginCompute(RootFactor(*kept.analysis));
    const float* samples = m_samples.Get();
    // Piece index is that of the analysis whose turn it is in its round: a short count beside
    // the transforms of a piece.
    auto piece = [&](int index) {
        for (int round = 0;; ++round)
            for (const CKept& kept : m_analyses)
                if (kept.pieces > round && index-- == 0)
                    return kept.analysis->ComputePiece(samples, round, feed);
    };
    auto write = [feed](int) {
        if (feed != nullptr)
            feed->Write();
    };
    CWorkerPool::Shared().Run(total, piece, write);
    // A computation that found no working memory leaves its block silent (all values 0).
    for (CKept& kept : m_analyses)
        kept.analysis->FinishCompute();
}

bool CSignal::ApplyFilter(const CFilter& filter) {
    if (m_source == nullptr || m_source->m_sampleCount > m_sampleCount)
        return false;
    // The playback's gain follows the new samples under the same lock.
    auto measureGain = [this](int) { MeasurePlaybackGain(); };
    CFilteredSamples output(filter, m_source->m_samples.Get(), m_source->m_sampleCount,
                            m_samples.Get(), m_sampleCount, m_playback, measureGain);
    RefreshAnalyses(&output);
    NotifyUpdate();
    return true;
}

bool CSignal::ApplyNoise(const CNoise& noise) {
    float* samples = m_samples.Get();
    {
        const auto writing = m_playback.LockSamples();
        noise.AddTo(samples, m_sampleCount);
        // The generator may add anything; hold the result where every analysis stays finite.
        std::transform(samples, samples + m_sampleCount, samples, LimitSample);
        MeasurePlaybackGain();
    }
    RefreshAnalyses();
    NotifyUpdate();
    return true;
}

std::set<CWnd*> CSignal::GetListeners() const {
    std::lock_guard lock(m_listeners->lock);
    return m_listeners->windows;
}

void CSignal::PostToListeners(UINT message, WPARAM wParam, LPARAM lParam) const {
    // Posted from a copy, outside the lock: a window that removes itself while it is being
    // destroyed must never wait for a thread that is busy posting to it.
    // Post drops windows that no longer exist, and delivery drops windows destroyed meanwhile.
    for (CWnd* window : GetListeners())
        CWindowMessages::Post(window, message, wParam, lParam);
}

UINT CSignal::UpdateMessage() {
    static const UINT message = CWindowMessages::Register("UWM_UPDATE_ASIGNALUSE_GUID");
    return message;
}

bool CSignal::AllocateSamples(int count) {
    if (count <= 0 || !m_samples.Allocate(static_cast<std::size_t>(count)))
        return false;
    m_sampleCount = count;
    return true;
}

bool CSignal::ReadWave(const std::wstring& path, std::wstring& reason) {
    CWaveReader reader;
    if (!reader.Open(path)) {
        reason = reader.DescribeRefusal(path);
        return false;
    }
    const CWaveFormat& format = reader.GetFormat();
    const int frameBytes = format.blockAlign;
    const int pieceFrames = std::max<int>(1, READ_PIECE_BYTES / frameBytes);
    const std::unique_ptr<std::uint8_t[]> bytes(
        new (std::nothrow) std::uint8_t[std::size_t(pieceFrames) * frameBytes]);
    if (!bytes || !AllocateSamples(reader.GetFrameCount())) {
        reason = L"Für die Datei " + path + L" reicht der Speicher nicht.";
        return false;
    }
    float* out = m_samples.Get();
    for (int done = 0; done < m_sampleCount;) {
        const int count = std::min(pieceFrames, m_sampleCount - done);
        if (!reader.ReadFrames(bytes.get(), count)) {
            reason = L"Die Datei " + path + L" lässt sich nicht zu Ende lesen.";
            return false;
        }
        for (int i = 0; i < count; ++i)
            out[done + i] =
                SampleToFloat(bytes.get() + std::size_t(i) * frameBytes, format.bitsPerSample);
        done += count;
    }
    SetFormat(format);
    return true;
}

void CSignal::SetFormat(const CWaveFormat& format) {
    m_format = format;
    m_format.extraSize = 0;
    m_blockLength = static_cast<int>(format.sampleRate / BLOCKS_PER_SECOND);
}

bool CSignal::WouldLoop(const CSignal* source) const {
    for (const CSignal* s = source; s != nullptr; s = s->m_source)
        if (s == this)
            return true;
    return false;
}

float CSignal::RootFactor(const CAnalysis& analysis) const {
    const CSignal* root = GetRoot();
    const CAnalysis* rootAnalysis = root == this ? nullptr : root->FindAnalysis(typeid(analysis));
    return rootAnalysis != nullptr ? rootAnalysis->GetFactor() : 0.0f;
}

void CSignal::MeasurePlaybackGain() {
    // Samples are finite (held within the sample limit), so plain comparisons do.
    float peak = 0.0f;
    const float* samples = m_samples.Get();
    for (int i = 0; i < m_sampleCount; ++i) {
        const float magnitude = std::fabs(samples[i]);
        peak = magnitude > peak ? magnitude : peak;
    }
    if (peak >= SAMPLE_LIMIT)
        m_playbackGain = 0.0f;
    else
        m_playbackGain = peak > 1.0f ? 1.0f / peak : 1.0f;
}

void CSignal::NotifyUpdate() const {
    ++m_revision;
    PostToListeners(UpdateMessage(), reinterpret_cast<WPARAM>(this), 0);
}

} // namespace dsp
