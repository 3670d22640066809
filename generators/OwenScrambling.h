#pragma once

#include <cstdint>

// Nested uniform (Owen) scrambling in the hash-based form of B. Burley,
// "Practical Hash-based Owen Scrambling", Journal of Computer Graphics
// Techniques 9(4), 2020: reverse the bits, apply a seeded Laine-Karras-style
// permutation, reverse again. The permutation only lets each bit depend on the
// bits below it, so after the reversals the first k binary digits of the
// result depend only on the first k digits of the input, and for each prefix
// they are a permutation: exactly Owen's tree of digit permutations, with the
// flips drawn from the hash.

// The Laine-Karras-style permutation of x for one seed.
std::uint32_t LaineKarrasPermutation(std::uint32_t x, std::uint32_t seed);

// The scrambled 32-bit binary fraction of a point whose bits are already
// reversed (as GrayCodeSobol holds them).
std::uint32_t OwenScrambleReversed(std::uint32_t reversed, std::uint32_t seed);

// The scramble seed of dimension j (0-based) for a worksheet seed: a good
// 32-bit integer hash, a bijection of seed for each j.
std::uint32_t DimensionSeed(std::uint32_t seed, int j);
