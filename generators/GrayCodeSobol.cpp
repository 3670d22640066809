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

// From k to k + 1 the Gray code changes in the lowest 0 bit of k.
void GrayCodeSobol::Next() {
    int bit = 0;
    for (std::uint32_t k = index; k & 1; k >>= 1)
        ++bit;
    const std::uint32_t* direction = Directions(bit);
    for (int j = 0; j < dimensions; ++j)
        state[j] ^= direction[j];
    ++index;
}

const std::uint32_t* GrayCodeSobol::Directions(int bit) const {
    return &reversedDirections[static_cast<std::size_t>(bit) * dimensions];
}
