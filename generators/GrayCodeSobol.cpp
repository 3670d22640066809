#include "GrayCodeSobol.h"

#include <algorithm>
#include <utility>

namespace {

constexpr int SobolBits = 32;

} // namespace

// Direction integer m_i as a 32-bit binary fraction is m_i << (32 - i).
GrayCodeSobol::GrayCodeSobol(int d, std::vector<std::uint32_t> directionIntegers)
    : dimensions(d), reversedDirections(std::move(directionIntegers)), state(d, 0) {
    for (std::size_t k = 0; k < reversedDirections.size(); ++k) {
        const int i = static_cast<int>(k / d) + 1;
        reversedDirections[k] = ReverseBits(reversedDirections[k] << (SobolBits - i));
    }
}

void GrayCodeSobol::Seek(std::uint32_t target) {
    std::fill(state.begin(), state.end(), 0u);
    std::uint32_t grayCode = target ^ (target >> 1);
    for (int bit = 0; grayCode != 0; ++bit, grayCode >>= 1) {
        if (grayCode & 1) {
            const std::uint32_t* direction = Directions(bit);
            for (int j = 0; j < dimensions; ++j)
                state[j] ^= direction[j];
        }
    }
    index = target;
}

void GrayCodeSobol::Next() {
    const std::uint32_t* direction = DirectionsAfter(index);
    for (int j = 0; j < dimensions; ++j)
        state[j] ^= direction[j];
    ++index;
}

void GrayCodeSobol::WriteRows(std::uint32_t* out, int rows) {
    if (rows <= 0)
        return;
    const std::size_t d = dimensions;
    std::copy(state.begin(), state.end(), out);
    if (d == 1) {
        // One coordinate: no row loop around a loop of one.
        std::uint32_t x = state[0];
        for (int r = 1; r < rows; ++r) {
            x ^= *DirectionsAfter(index++);
            out[r] = x;
        }
        state[0] = x;
        return;
    }
    for (int r = 1; r < rows; ++r) {
        const std::uint32_t* direction = DirectionsAfter(index++);
        const std::uint32_t* previous = out + (r - 1) * d;
        std::uint32_t* row = out + r * d;
        for (std::size_t j = 0; j < d; ++j)
            row[j] = previous[j] ^ direction[j];
    }
    std::copy(out + (rows - 1) * d, out + rows * d, state.begin());
}

const std::uint32_t* GrayCodeSobol::Directions(int bit) const {
    return &reversedDirections[static_cast<std::size_t>(bit) * dimensions];
}
