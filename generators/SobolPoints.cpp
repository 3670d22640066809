#include "SobolPoints.h"

#include "DirectionNumberFile.h"
#include "GeneratorArguments.h"
#include "ModuleFolder.h"
#include "NumberHelpers.h"

#include <algorithm>
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

// The scaled direction numbers of all d dimensions, bit by bit: entry
// (i - 1) * d + j belongs to direction number i of dimension j, so that one
// Gray-code step reads one contiguous run.
std::vector<std::int32_t> ScaledDirections(int d, int bitCount, const std::filesystem::path& path) {
    std::vector<std::int32_t> scaled(static_cast<std::size_t>(bitCount) * d);
    std::vector<std::uint32_t> m(bitCount + 1, 1);
    for (int i = 1; i <= bitCount; ++i)
        scaled[(i - 1) * static_cast<std::size_t>(d)] = ScaledDirection(1, i);
    if (d == 1)
        return scaled;

    DirectionNumberFile file(path);
    for (int j = 1; j < d; ++j) {
        const DimensionLine line = file.ReadDimension(j + 1, bitCount);
        std::copy(line.initialNumbers.begin(), line.initialNumbers.end(), m.begin() + 1);
        ExtendDirectionNumbers(m, line.degree, line.coefficients, bitCount);
        for (int i = 1; i <= bitCount; ++i)
            scaled[(i - 1) * static_cast<std::size_t>(d) + j] = ScaledDirection(m[i], i);
    }
    return scaled;
}

} // namespace

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
