#include "dsp/CFftwPlan.h"

#include "dsp/CFftwPlanner.h"

#include <utility>

namespace dsp {

CFftwPlan::CFftwPlan(CFftwPlan&& other) noexcept : m_plan(std::exchange(other.m_plan, nullptr)) {}

CFftwPlan& CFftwPlan::operator=(CFftwPlan&& other) noexcept {
    if (this != &other) {
        Reset();
        m_plan = std::exchange(other.m_plan, nullptr);
    }
    return *this;
}

void CFftwPlan::Reset() {
    if (m_plan)
        CFftwPlanner::Destroy(m_plan);
    m_plan = nullptr;
}

} // namespace dsp
