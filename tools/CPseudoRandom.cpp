#include "tools/CPseudoRandom.h"

namespace examples {

std::uint64_t CPseudoRandom::Next() {
    m_state += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = m_state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double CPseudoRandom::Uniform() {
    // The top 53 bits fill a double's mantissa exactly.
    constexpr double UNIT = 1.0 / 9007199254740992.0; // 2^-53
    return static_cast<double>(Next() >> 11) * UNIT * 2.0 - 1.0;
}

} // namespace examples
