// The program's one random generator. The scene seeds it at each of its creations and draws the
// orbit tilt and the picture shuffle from it; the jukebox's song shuffle draws from the same
// sequence afterwards.
#pragma once
#include <cstdint>

struct RandomGenerator {
    uint32_t State = 1;  // 1 until seeded

    void Seed(uint32_t seed) { State = seed; }
    // A value from 0 to 32767. Callers reduce it with the remainder.
    int32_t Draw()
    {
        State = State * 214013u + 2531011u;
        return int32_t((State >> 16) & 0x7FFFu);
    }
};

// The process-wide instance.
RandomGenerator& SharedRandom();
