#pragma once

#include <cstdint>

// The SplitMix64 finaliser (Steele, Lea and Flood, 2014): a 64-bit mix in
// which every input bit reaches every output bit.
std::uint64_t Mix64(std::uint64_t z);

// A permutation of the digits 0 ... b - 1 of one digit position of one
// dimension, without a table: a four-round Feistel network on the smallest
// even number of bits that holds b - 1, whose every round is a bijection,
// walked along its cycle until it lands below b (cycle-walking: J. Black and
// P. Rogaway, "Ciphers with Arbitrary Finite Domains", 2002). At most three
// of four values fall outside, so a walk is short.
//
// Each round's key is a hash of (seed, dimension, digit position, round)
// together, so the permutations of two digit positions, two dimensions or two
// seeds are independent draws: a counter XOR-ed into the round input instead
// would make them conjugates of one another.
class KeyedDigitPermutation {
public:
    KeyedDigitPermutation(std::uint32_t base, std::uint32_t seed, int dimension, int digit);

    std::uint32_t operator()(std::uint32_t digit) const;

private:
    static constexpr int Rounds = 4;

    std::uint32_t base_;
    int halfBits_;
    std::uint64_t roundKeys_[Rounds];
};
