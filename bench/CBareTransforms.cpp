#include "CBareTransforms.h"

#include "BenchSignals.h"

#include "dsp/CFftwPlanner.h"
#include "dsp/CFloatBlocks.h"
#include "dsp/CHammingWindow.h"
#include "dsp/CWorkerPool.h"

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

// Output rows padded to 64 bytes, so that every row keeps the alignment the plan was made for.
constexpr int ROW = 520;
constexpr int GROUP = 48;

} // namespace

CBareTransforms::CBareTransforms(EOutput output)
    : m_samples(benchsignals::Noise(benchsignals::TEN_SECONDS)), m_outputKind(output) {
    m_input.Allocate(1024);
    const int rows = output == EOutput::OwnRows ? benchsignals::TEN_SECOND_FRAMES : 1;
    m_output.Allocate(std::size_t(rows) * ROW);
    m_plan =
        dsp::CFftwPlanner::PlanRealToComplex(1024, m_input.Get(), m_output.Get(), FFTW_MEASURE);
}

void CBareTransforms::Run() {
    const float* window = dsp::CHammingWindow::Table(1024).data();
    for (int t = 0; t < benchsignals::TEN_SECOND_FRAMES; ++t) {
        dsp::CFloatBlocks::Multiply<1024>(m_samples.data() + t * 512, window, m_input.Get());
        const std::size_t row = m_outputKind == EOutput::OwnRows ? t : 0;
        fftwf_execute_dft_r2c(m_plan.Get(), m_input.Get(), m_output.Get() + row * ROW);
    }
    benchmark::DoNotOptimize(m_output.Get());
    benchmark::ClobberMemory();
}

void CBareTransforms::RunOnPool() {
    const float* window = dsp::CHammingWindow::Table(1024).data();
    auto group = [&](int index) {
        thread_local dsp::CFftwBuffer<float> input;
        if (input.IsEmpty())
            input.Allocate(1024);
        const int end = std::min((index + 1) * GROUP, benchsignals::TEN_SECOND_FRAMES);
        for (int t = index * GROUP; t < end; ++t) {
            dsp::CFloatBlocks::Multiply<1024>(m_samples.data() + t * 512, window, input.Get());
            const std::size_t row = m_outputKind == EOutput::OwnRows ? t : 0;
            fftwf_execute_dft_r2c(m_plan.Get(), input.Get(), m_output.Get() + row * ROW);
        }
    };
    dsp::CWorkerPool::Shared().Run((benchsignals::TEN_SECOND_FRAMES + GROUP - 1) / GROUP, group);
    benchmark::DoNotOptimize(m_output.Get());
    benchmark::ClobberMemory();
}
