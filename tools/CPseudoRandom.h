#pragma once
// The examples' own noise source: a SplitMix64 sequence. Unlike rand() or the standard
// distributions it gives the same numbers with every compiler and library, so the generated
// files are byte for byte the same on every build.

#include <cstdint>

namespace examples {

class CPseudoRandom {
public:
    explicit CPseudoRandom(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t Next();
    // Uniformly distributed in [-1, 1).
    double Uniform();

private:
    std::uint64_t m_state;
};

} // namespace examples
