#include "OwenScrambling.h"

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

// The dimension is hashed before it meets the seed, so that neighbouring
// seeds and neighbouring dimensions do not give related scrambles.
std::uint32_t DimensionSeed(std::uint32_t seed, int j) {
    return Mix(seed ^ Mix(static_cast<std::uint32_t>(j) + 0x9e3779b9u));
}
