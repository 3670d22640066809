#include "OwenScrambling.h"

#include "GrayCodeSobol.h"

namespace {

// C. Wellons' "lowbias32" integer hash (hash-prospector, 2018): an invertible
// xorshift-multiply mix with low bias.
std::uint32_t Mix(std::uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

} // namespace

// Burley's constants (2020, listing 2). An addition and products with even
// constants carry only upward, so bit k of the result depends on bits 0 ... k.
std::uint32_t LaineKarrasPermutation(std::uint32_t x, std::uint32_t seed) {
    x += seed;
    x ^= x * 0x6c50b47cu;
    x ^= x * 0xb82f1e52u;
    x ^= x * 0xc7afe638u;
    x ^= x * 0x8d22f6e6u;
    return x;
}

std::uint32_t OwenScrambleReversed(std::uint32_t reversed, std::uint32_t seed) {
    return ReverseBits(LaineKarrasPermutation(reversed, seed));
}

// The dimension is hashed before it meets the seed, so that neighbouring
// seeds and neighbouring dimensions do not give related scrambles.
std::uint32_t DimensionSeed(std::uint32_t seed, int j) {
    return Mix(seed ^ Mix(static_cast<std::uint32_t>(j) + 0x9e3779b9u));
}
