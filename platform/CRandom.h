#pragma once
// The runtime's pseudo-random generator: values 0..32767, state per thread.

class CRandom {
public:
    static constexpr int MAX = 32767;
    static void Seed(unsigned seed);
    // Seeds the calling thread's generator with the current time in seconds.
    static void SeedWithTime();
    // Starts a new sequence where the game used to take the clock: from the seed the thread is
    // pinned to, else from the time in seconds.
    static void Reseed();
    // Pins the calling thread to seed until Unpin or the thread's end: it starts from it now
    // and at every Reseed, so all it draws follows from that seed alone (an assignment gives
    // every student of a class the same tasks).
    static void Pin(unsigned seed);
    static void Unpin();
    static bool IsPinned();
    static int Next();
};
