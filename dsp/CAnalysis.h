#pragma once
// What a signal asks of each of its analyses (CSignal::Ensure<T>): a block made for a length of
// signal, computed in pieces so that all of a signal's analyses share one run of the worker
// pool, and scaled by a factor: a root signal's block finds its own, a derived signal's takes
// its root's, so that a filter's effect shows as a change of level.

namespace dsp {

class CSampleFeed;

class CAnalysis {
public:
    virtual ~CAnalysis() = default;

    // Makes the block for a signal of this many samples. False (and the block absent) when
    // memory or planning fails.
    virtual bool Create(int samples) = 0;
    virtual void Release() = 0;
    virtual bool Exists() const = 0;
    // 0 when the signal is silent or too short: every value is then 0.
    virtual float GetFactor() const = 0;

    // One computation in pieces: BeginCompute gives the number of pieces (0 for an absent
    // block), ComputePiece does one of them on any thread (waiting for its samples when a feed
    // still writes them), FinishCompute follows the last (and does nothing for an absent
    // block). With factor 0 the block normalises itself; otherwise every value is scaled by
    // factor. FinishCompute is false, and every value 0, when a thread could not get its
    // working memory.
    virtual int BeginCompute(float factor) = 0;
    virtual void ComputePiece(const float* samples, int piece, const CSampleFeed* feed) = 0;
    virtual bool FinishCompute() = 0;

    // The whole computation on the worker pool, from samples (as many as given to Create).
    bool Compute(const float* samples, float factor);
};

} // namespace dsp
