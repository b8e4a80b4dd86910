#include "game/CToneSequence.h"

#include "platform/CRandom.h"

#include <chrono>
#include <mutex>
#include <random>

namespace game {

namespace {

// Seeded once per run; the clock's fine ticks give a new run new tones also where no
// entropy source answers.
unsigned RunSeed() {
    auto seed = static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
    try {
        seed ^= std::random_device{}();
    } catch (...) {
    }
    return seed;
}

struct Sequence {
    std::mutex lock;
    std::minstd_rand engine{RunSeed()};
    int last = -1; // none yet
};

Sequence& TheSequence() {
    static Sequence sequence;
    return sequence;
}

} // namespace

int CToneSequence::Next(int first, int count) {
    // A thread pinned to an assignment's seed draws the tone from its own generator, so the
    // tone follows from the assignment and the slide, not from what was drawn before.
    if (CRandom::IsPinned() && count > 0)
        return first + CRandom::Next() % count;
    Sequence& sequence = TheSequence();
    std::lock_guard hold(sequence.lock);
    const bool avoidLast = count > 1 && sequence.last >= first && sequence.last < first + count;
    const unsigned choices = static_cast<unsigned>(count - (avoidLast ? 1 : 0));
    int column = first + static_cast<int>(sequence.engine() % choices);
    // The last column is left out by shifting the ones above it down onto its place.
    if (avoidLast && column >= sequence.last)
        ++column;
    sequence.last = column;
    return column;
}

void CToneSequence::Seed(unsigned seed) {
    Sequence& sequence = TheSequence();
    std::lock_guard hold(sequence.lock);
    sequence.engine.seed(seed);
    sequence.last = -1;
}

} // namespace game
