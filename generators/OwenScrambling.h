#pragma once

#include "GrayCodeSobol.h"

#include <cstdint>

// Nested uniform (Owen) scrambling in the hash-based form of B. Burley,
// "Practical Hash-based Owen Scrambling", Journal of Computer Graphics
// Techniques 9(4), 2020: reverse the bits, apply a seeded Laine-Karras-style
// permutation, reverse again. The permutation only lets each bit depend on the
// bits below it, so after the reversals the first k binary digits of the
// result depend only on the first k digits of the input, and for each prefix
// they are a permutation: exactly Owen's tree of digit permutations, with the
// flips drawn from the hash.

// The Laine-Karras-style permutation of x for one seed, with Burley's
// constants (2020, listing 2). An addition and products with even constants
// carry only upward, so bit k of the result depends on bits 0 ... k. Inline:
// it runs once per coordinate.
inline std::uint32_t LaineKarrasPermutation(std::uint32_t x, std::uint32_t seed) {
    x += seed;
    x ^= x * 0x6c50b47cu;
    x ^= x * 0xb82f1e52u;
    x ^= x * 0xc7afe638u;
    x ^= x * 0x8d22f6e6u;
    return x;
}

// The scrambled 32-bit binary fraction of a point whose bits are already
// reversed (as GrayCodeSobol holds them).
inline std::uint32_t OwenScrambleReversed(std::uint32_t reversed, std::uint32_t seed) {
    return ReverseBits(LaineKarrasPermutation(reversed, seed));
}

// The scramble seed of dimension j (0-based) for a worksheet seed: a good
// 32-bit integer hash, a bijection of seed for each j.
std::uint32_t DimensionSeed(std::uint32_t seed, int j);
