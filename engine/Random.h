#pragma once

#include <cstdint>

/// The session player's pseudo-random generator: one 32-bit state and a linear
/// congruential step per draw. The program has one (ProgramRandom), state 0 at
/// start; the noise generator draws from it and the Photosonix import seeds it.
/// Tests make their own. GUI thread only.
class PseudoRandom {
public:
    std::uint32_t RandSeed = 0;

    /// A draw in 0..n-1: steps the state, then takes the high 32 bits of the
    /// 64-bit product state x n.
    std::uint32_t below(std::uint32_t n)
    {
        RandSeed = RandSeed * 134775813u + 1u; // wraps modulo 2^32
        return static_cast<std::uint32_t>((static_cast<std::uint64_t>(RandSeed) * n) >> 32);
    }
};

inline PseudoRandom ProgramRandom;
