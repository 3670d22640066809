#include "SobolDirectionNumbers.h"

#include "DirectionNumberFile.h"

#include <algorithm>

namespace {

// m[i] for i = s + 1 ... bitCount from the first s numbers (m is 1-based).
// Every term stays below 2^i, so 32 bits hold them all.
void ExtendDirectionNumbers(std::vector<std::uint32_t>& m, int s, std::uint32_t a, int bitCount) {
    for (int i = s + 1; i <= bitCount; ++i) {
        std::uint32_t value = m[i - s] ^ (m[i - s] << s);
        for (int t = 1; t < s; ++t) {
            if ((a >> (s - 1 - t)) & 1)
                value ^= m[i - t] << t;
        }
        m[i] = value;
    }
}

} // namespace

std::vector<std::uint32_t> SobolDirectionIntegers(int d, int bitCount, const std::string& path) {
    std::vector<std::uint32_t> integers(static_cast<std::size_t>(bitCount) * d, 1);
    if (d <= 1)
        return integers;

    std::vector<std::uint32_t> m(bitCount + 1, 1);
    DirectionNumberFile file(path);
    for (int j = 1; j < d; ++j) {
        const DimensionLine line = file.ReadDimension(j + 1, bitCount);
        std::copy(line.initialNumbers.begin(), line.initialNumbers.end(), m.begin() + 1);
        ExtendDirectionNumbers(m, line.degree, line.coefficients, bitCount);
        for (int i = 1; i <= bitCount; ++i)
            integers[(i - 1) * static_cast<std::size_t>(d) + j] = m[i];
    }
    return integers;
}
