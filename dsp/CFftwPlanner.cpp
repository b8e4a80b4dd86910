#include "dsp/CFftwPlanner.h"

#include "dsp/CFftwBuffer.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <utility>

namespace dsp {

namespace {

std::mutex& PlannerMutex() {
    static std::mutex mutex;
    return mutex;
}

// The shared plans, by size and flags; destroyed at the end of the process.
class CSharedPlans {
public:
    ~CSharedPlans() {
        std::lock_guard lock(PlannerMutex());
        for (const auto& [key, plan] : m_plans)
            fftwf_destroy_plan(plan);
    }
    std::map<std::pair<int, unsigned>, fftwf_plan> m_plans;
};

} // namespace

CFftwPlan CFftwPlanner::PlanRealToComplex(int size, float* in, fftwf_complex* out, unsigned flags) {
    std::lock_guard lock(PlannerMutex());
    return CFftwPlan(fftwf_plan_dft_r2c_1d(size, in, out, flags));
}

fftwf_plan CFftwPlanner::SharedRealToComplex(int size, unsigned flags) {
    std::lock_guard lock(PlannerMutex());
    // Made after the mutex, so destroyed before it at the end of the process.
    static CSharedPlans shared;
    auto& plans = shared.m_plans;
    const auto key = std::make_pair(size, flags);
    if (const auto known = plans.find(key); known != plans.end())
        return known->second;
    // Measuring overwrites the arrays, so the plan gets arrays of its own.
    CFftwBuffer<float> in;
    CFftwBuffer<fftwf_complex> out;
    if (size < 2 || !in.Allocate(size) || !out.Allocate(size / 2 + 1))
        return nullptr;
    const fftwf_plan plan = fftwf_plan_dft_r2c_1d(size, in.Get(), out.Get(), flags);
    if (plan == nullptr)
        return nullptr;
    try {
        plans.emplace(key, plan);
    } catch (const std::bad_alloc&) {
        fftwf_destroy_plan(plan);
        return nullptr;
    }
    return plan;
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
