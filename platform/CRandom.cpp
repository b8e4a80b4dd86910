#include "platform/CRandom.h"

#include <ctime>

namespace {
// The classic runtime generator: a linear congruence whose bits 16..30 are the draw. Each
// thread starts from seed 1 until it seeds its own.
thread_local unsigned t_state = 1;
} // namespace

void CRandom::Seed(unsigned seed) { t_state = seed; }

void CRandom::SeedWithTime() { Seed(static_cast<unsigned>(std::time(nullptr))); }

int CRandom::Next() {
    t_state = t_state * 214013u + 2531011u;
    return static_cast<int>((t_state >> 16) & 0x7FFF);
}
