#include "SobolPoints.h"

#include "DirectionNumberFile.h"
#include "GeneratorArguments.h"
#include "ModuleFolder.h"
#include "NumberHelpers.h"
#include "SobolDirectionNumbers.h"

#include <cstdint>
#include <iostream>
#include <vector>

namespace {

// Coordinates carry 25 fractional bits, not 32: worksheets built on the
// add-in's results expect exactly these values.
constexpr int SobolBits = 25;
constexpr double SobolScale = 33554432.0;

// The direction number m / 2^i scaled by 2^25 and truncated toward zero.
std::int32_t ScaledDirection(std::uint32_t m, int i) {
    return static_cast<std::int32_t>(i <= SobolBits ? m << (SobolBits - i) : m >> (i - SobolBits));
}

// The scaled direction numbers of all d dimensions, laid out as the
// direction integers are.
std::vector<std::int32_t> ScaledDirections(int d, int bitCount, const std::filesystem::path& path) {
    const std::vector<std::uint32_t> integers = SobolDirectionIntegers(d, bitCount, path);
    std::vector<std::int32_t> scaled(integers.size());
    for (std::size_t k = 0; k < integers.size(); ++k)
        scaled[k] = ScaledDirection(integers[k], static_cast<int>(k / d) + 1);
    return scaled;
}

} // namespace

DoubleMatrix SobolPoints(int d, int n) {
    RequireValidCounts(d, n);
    const std::filesystem::path path = DirectionNumberFilePath();
    std::cout << ShownPath(path) << std::endl;
    return SobolPoints(d, n, path);
}

// Each row is the previous one with one direction number XORed in; keeping the
// 25-bit integers gives the same doubles as truncating the previous row anew.
DoubleMatrix SobolPoints(int d, int n, const std::filesystem::path& directionNumberPath) {
    RequireValidCounts(d, n);
    DoubleMatrix points = DoubleMatrix::ForOverwrite(n, d);
    if (n == 0 || d == 0)
        return points;

    const int bitCount = DigitCount(n, 2);
    const std::vector<std::int32_t> directions = ScaledDirections(d, bitCount, directionNumberPath);
    const std::vector<int> steps = FirstZeroBitTable(n);
    std::vector<std::int32_t> state(d, 0);
    double* row = points[0];
    for (int k = 0; k < n; ++k, row += d) {
        const std::int32_t* step = &directions[(steps[k] - 1) * static_cast<std::size_t>(d)];
        for (int j = 0; j < d; ++j) {
            state[j] ^= step[j];
            row[j] = state[j] / SobolScale;
        }
    }
    return points;
}
