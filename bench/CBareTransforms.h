#pragma once
// The baseline every benchmark is measured against: the 860 windowed, contiguous 1024-point
// FFTW transforms of a ten-second, 44.1 kHz signal, each kept in its own output row (3.5 MB,
// as much as a spectrogram keeps), with the same measured plan and the same SIMD windowing as
// the spectrogram, so it flatters nobody. For comparison it can also write every transform to
// one output buffer that stays in the cache, or be spread over the analyses' worker pool in
// groups of 48 frames, the most any analysis on that many threads could hope for.

#include "dsp/CFftwBuffer.h"
#include "dsp/CFftwPlan.h"

#include <vector>

class CBareTransforms {
public:
    enum class EOutput { OwnRows, OneBuffer };

    explicit CBareTransforms(EOutput output = EOutput::OwnRows);
    void Run();
    void RunOnPool();

private:
    std::vector<float> m_samples;
    dsp::CFftwBuffer<float> m_input;
    dsp::CFftwBuffer<fftwf_complex> m_output;
    dsp::CFftwPlan m_plan;
    EOutput m_outputKind;
};
