#include "dsp/CFftwPlanner.h"

#include <cstdlib>
#include <memory>
#include <mutex>

namespace dsp {

namespace {

std::mutex& PlannerMutex() {
    static std::mutex mutex;
    return mutex;
}

} // namespace

CFftwPlan CFftwPlanner::PlanRealToComplex(int size, float* in, fftwf_complex* out, unsigned flags) {
    std::lock_guard lock(PlannerMutex());
    return CFftwPlan(fftwf_plan_dft_r2c_1d(size, in, out, flags));
}

void CFftwPlanner::Destroy(fftwf_plan plan) {
    std::lock_guard lock(PlannerMutex());
    fftwf_destroy_plan(plan);
}

std::string CFftwPlanner::ExportWisdom() {
    std::lock_guard lock(PlannerMutex());
    const std::unique_ptr<char, decltype(&std::free)> text(fftwf_export_wisdom_to_string(),
                                                           &std::free);
    return text ? std::string(text.get()) : std::string();
}

} // namespace dsp
