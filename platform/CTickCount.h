#pragma once
// The millisecond tick counter: 32 bits, wraps after about 49.7 days.

#include <cstdint>

class CTickCount {
public:
    static std::uint32_t Now();
    // Milliseconds from start to end across one wrap of the counter.
    static std::uint32_t Elapsed(std::uint32_t start, std::uint32_t end) { return end - start; }
};
