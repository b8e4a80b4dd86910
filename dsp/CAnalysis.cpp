#include "dsp/CAnalysis.h"

#include "dsp/CWorkerPool.h"

namespace dsp {

bool CAnalysis::Compute(const float* samples, float factor) {
    const int pieces = BeginCompute(factor);
    auto piece = [&](int index) { ComputePiece(samples, index, nullptr); };
    CWorkerPool::Shared().Run(pieces, piece);
    return FinishCompute();
}

} // namespace dsp
