#pragma once
// Where the notch exercises draw their disturbing tones: one sequence for the whole run,
// shared by every thread that prepares slides. The runtime's generator is reseeded from the
// clock in seconds for every table, so two tasks prepared within one second drew the same
// tone and the player's turn repeated the example just solved.

namespace game {

class CToneSequence {
public:
    // The next tone's column, first .. first + count - 1; never the column drawn just before,
    // so that consecutive tasks always sound different. On a thread pinned to a seed (CRandom)
    // the column is that thread's next draw instead.
    static int Next(int first, int count);
    // Starts the sequence again from seed, as if nothing had been drawn: tests pick their
    // tones with it.
    static void Seed(unsigned seed);
};

} // namespace game
