#pragma once
// The one door to FFTW's planner. FFTW lets only one thread at a time plan or destroy plans,
// while slides are prepared on a worker thread and filters change on the user-interface
// thread, so every planner call goes through one process-wide lock.
//
// The planner remembers what it measured (its wisdom) for the whole process: a measuring plan
// of a problem it has seen before is found again without measuring. The analyses therefore
// plan problems that do not depend on a signal's length, and the measuring cost is paid once.

#include "dsp/CFftwPlan.h"

#include <string>

namespace dsp {

class CFftwPlanner {
public:
    // One real-to-complex transform of size points from in (size floats) to out
    // (size / 2 + 1 values), both contiguous. flags: FFTW_MEASURE or FFTW_ESTIMATE.
    // Empty on failure. The arrays are overwritten while measuring.
    static CFftwPlan PlanRealToComplex(int size, float* in, fftwf_complex* out, unsigned flags);

    // The process's one plan of that transform, made on first demand and kept until the end.
    // Every analysis and every thread executes it read-only, with fftwf_execute_dft_r2c on
    // arrays from fftwf_malloc (their alignment is the one the plan was made for). Null when
    // it cannot be made; a later call tries again.
    static fftwf_plan SharedRealToComplex(int size, unsigned flags);

    static void Destroy(fftwf_plan plan);

    // What the planner has learned so far; it grows only when a new problem is measured.
    static std::string ExportWisdom();
};

} // namespace dsp
