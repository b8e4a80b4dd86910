#pragma once
// Owns one FFTW plan. Plans are made and destroyed only through CFftwPlanner, which keeps the
// planner on one thread at a time; executing a plan needs no lock.

#include <fftw3.h>

namespace dsp {

class CFftwPlan {
public:
    CFftwPlan() = default;
    explicit CFftwPlan(fftwf_plan plan) : m_plan(plan) {}
    ~CFftwPlan() { Reset(); }
    CFftwPlan(const CFftwPlan&) = delete;
    CFftwPlan& operator=(const CFftwPlan&) = delete;
    CFftwPlan(CFftwPlan&& other) noexcept;
    CFftwPlan& operator=(CFftwPlan&& other) noexcept;

    void Reset();
    fftwf_plan Get() const { return m_plan; }
    bool IsEmpty() const { return m_plan == nullptr; }

private:
    fftwf_plan m_plan = nullptr;
};

} // namespace dsp
