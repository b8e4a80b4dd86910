#include "platform/CRandom.h"

#include <ctime>
#include <optional>

namespace {
// The classic runtime generator: a linear congruence whose bits 16..30 are the draw. Each
// thread starts from seed 1 until it seeds its own.
thread_local unsigned t_state = 1;
thread_local std::optional<unsigned> t_pinned;
} // namespace

void CRandom::Seed(unsigned seed) { t_state = seed; }

void CRandom::SeedWithTime() { Seed(static_cast<unsigned>(std::time(nullptr))); }

void CRandom::Reseed() {
    if (t_pinned)
        Seed(*t_pinned);
    else
        SeedWithTime();
}

void CRandom::Pin(unsigned seed) {
    t_pinned = seed;
    Seed(seed);
}

void CRandom::Unpin() { t_pinned.reset(); }

bool CRandom::IsPinned() { return t_pinned.has_value(); }

int CRandom::Next() {
    t_state = t_state * 214013u + 2531011u;
    return static_cast<int>((t_state >> 16) & 0x7FFF);
}
