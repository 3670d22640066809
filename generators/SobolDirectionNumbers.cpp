#include "SobolDirectionNumbers.h"

#include "DirectionNumberFile.h"

#include <algorithm>

// Tested before the loop, which would start at s + 1: that overflows for the
// largest s.
void ExtendDirectionNumbers(std::vector<std::uint32_t>& m, int s, std::uint32_t a, int bitCount) {
    if (s >= bitCount)
        return;
    for (int i = s + 1; i <= bitCount; ++i) {
        std::uint32_t value = m[i - s] ^ (m[i - s] << s);
        for (int t = 1; t < s; ++t) {
            if ((a >> (s - 1 - t)) & 1)
                value ^= m[i - t] << t;
        }
        m[i] = value;
    }
}

void ReadDirectionNumbers(DirectionNumberFile& file, int dimension, int bitCount,
                          std::vector<std::uint32_t>& m) {
    const DimensionLine line = file.ReadDimension(dimension, bitCount);
    std::copy(line.initialNumbers.begin(), line.initialNumbers.end(), m.begin() + 1);
    ExtendDirectionNumbers(m, line.degree, line.coefficients, bitCount);
}

std::vector<std::uint32_t> SobolDirectionIntegers(int d, int bitCount,
                                                  const std::filesystem::path& path) {
    std::vector<std::uint32_t> integers(static_cast<std::size_t>(bitCount) * d, 1);
    if (d <= 1)
        return integers;

    std::vector<std::uint32_t> m(bitCount + 1, 1);
    DirectionNumberFile file(path);
    for (int j = 1; j < d; ++j) {
        ReadDirectionNumbers(file, j + 1, bitCount, m);
        for (int i = 1; i <= bitCount; ++i)
            integers[(i - 1) * static_cast<std::size_t>(d) + j] = m[i];
    }
    return integers;
}
