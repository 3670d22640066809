#pragma once

#include <cstdint>
#include <vector>

// The d-dimensional Sobol sequence as 32-bit integers in Gray-code order,
// from any index 0 to 2^32 - 1: the point of index k is the XOR of the
// direction integers m_i * 2^(32 - i) over the set bits i - 1 of k XOR (k >> 1).
// Each coordinate is held with its bits reversed (bit 0 carries 2^-1), the
// order in which the hash-based Owen scramble works; XOR commutes with the
// reversal, so reversing the direction integers once is enough.
class GrayCodeSobol {
public:
    // From the direction integers of d dimensions, in the layout of
    // SobolDirectionIntegers(d, 32, path).
    GrayCodeSobol(int d, std::vector<std::uint32_t> directionIntegers);

    // Moves to the point of the given index: one XOR per set bit of its Gray
    // code, not a walk from 0.
    void Seek(std::uint32_t index);
    // Moves to the next index: one XOR per coordinate. Not past 2^32 - 1.
    void Next();
    // The current point and the rows - 1 after it, row after row, each row
    // d bit-reversed coordinates; stays on the last of them. Each row is the
    // one before it XOR one direction, written once, without a pass through
    // the generator's own copy.
    void WriteRows(std::uint32_t* out, int rows);

    std::uint32_t Index() const { return index; }
    // The d bit-reversed coordinates of the current point.
    const std::uint32_t* ReversedPoint() const { return state.data(); }

private:
    const std::uint32_t* Directions(int bit) const;
    // From k to k + 1 the Gray code changes in the lowest 0 bit of k.
    const std::uint32_t* DirectionsAfter(std::uint32_t k) const {
        return Directions(__builtin_ctz(~k));
    }

    int dimensions;
    // Entry bit * d + j: direction integer bit + 1 of dimension j, reversed.
    std::vector<std::uint32_t> reversedDirections;
    std::vector<std::uint32_t> state;
    std::uint32_t index = 0;
};

// The 32 bits of x in the opposite order. Inline: it runs once per coordinate.
// The five swaps commute; swapping bytes first keeps compilers from seeing a
// byte-order reversal, which has no vector form, so loops over a row of
// coordinates become vector code.
inline std::uint32_t ReverseBits(std::uint32_t x) {
    x = ((x >> 8) & 0x00FF00FFu) | ((x & 0x00FF00FFu) << 8);
    x = ((x >> 1) & 0x55555555u) | ((x & 0x55555555u) << 1);
    x = ((x >> 2) & 0x33333333u) | ((x & 0x33333333u) << 2);
    x = ((x >> 4) & 0x0F0F0F0Fu) | ((x & 0x0F0F0F0Fu) << 4);
    return (x >> 16) | (x << 16);
}
