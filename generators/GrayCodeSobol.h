#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The d-dimensional Sobol sequence as 32-bit integers in Gray-code order,
// from any index 0 to 2^32 - 1: the point of index k is the XOR of the
// direction integers m_i * 2^(32 - i) over the set bits i - 1 of k XOR (k >> 1).
// Each coordinate is held with its bits reversed (bit 0 carries 2^-1), the
// order in which the hash-based Owen scramble works; XOR commutes with the
// reversal, so reversing the direction integers once is enough.
class GrayCodeSobol {
public:
    // Reads dimensions 2 to d from the direction-number file.
    GrayCodeSobol(int d, const std::string& directionNumberPath);

    // Moves to the point of the given index: one XOR per set bit of its Gray
    // code, not a walk from 0.
    void Seek(std::uint32_t index);
    // Moves to the next index: one XOR per coordinate. Not past 2^32 - 1.
    void Next();

    std::uint32_t Index() const { return index; }
    // The d bit-reversed coordinates of the current point.
    const std::uint32_t* ReversedPoint() const { return state.data(); }

private:
    const std::uint32_t* Directions(int bit) const;

    int dimensions;
    // Entry bit * d + j: direction integer bit + 1 of dimension j, reversed.
    std::vector<std::uint32_t> reversedDirections;
    std::vector<std::uint32_t> state;
    std::uint32_t index = 0;
};

// The 32 bits of x in the opposite order.
std::uint32_t ReverseBits(std::uint32_t x);
