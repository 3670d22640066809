#include "KeyedDigitPermutation.h"

std::uint64_t Mix64(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
}

namespace {

int FeistelHalfBits(std::uint32_t b) {
    int half = 1;
    while ((std::uint64_t{1} << (2 * half)) < b)
        ++half;
    return half;
}

} // namespace

KeyedDigitPermutation::KeyedDigitPermutation(std::uint32_t base, std::uint32_t seed, int dimension,
                                             int digit)
    : base_(base), halfBits_(FeistelHalfBits(base)) {
    const std::uint64_t dimensionKey =
        Mix64((std::uint64_t{seed} << 32) | static_cast<std::uint32_t>(dimension));
    const std::uint64_t digitKey = Mix64(dimensionKey ^ static_cast<std::uint32_t>(digit));
    for (int round = 0; round < Rounds; ++round)
        roundKeys_[round] = Mix64(digitKey ^ static_cast<std::uint64_t>(round + 1));
}

std::uint32_t KeyedDigitPermutation::operator()(std::uint32_t a) const {
    const std::uint32_t mask = (1u << halfBits_) - 1;
    do {
        std::uint32_t left = a >> halfBits_, right = a & mask;
        for (std::uint64_t key : roundKeys_) {
            const std::uint32_t next =
                left ^ (static_cast<std::uint32_t>(Mix64(key ^ right)) & mask);
            left = right;
            right = next;
        }
        a = (left << halfBits_) | right;
    } while (a >= base_);
    return a;
}
