#pragma once
// The runtime's pseudo-random generator: values 0..32767, state per thread.

class CRandom {
public:
    static constexpr int MAX = 32767;
    static void Seed(unsigned seed);
    // Seeds the calling thread's generator with the current time in seconds.
    static void SeedWithTime();
    static int Next();
};
