#include "ScrambledHalton.h"

#include "NumberHelpers.h"
#include "OwenScrambling.h"
#include "ScrambledSobol.h"

#include <cmath>
#include <cstdint>
#include <numeric>
#include <vector>

namespace {

// SplitMix64 (Steele, Lea and Flood, 2014): the stream that shuffles one
// permutation, started from the dimension's seed and the digit.
std::uint64_t NextSplitMix(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
}

// Enough base-b digits that the last one is below the 53-bit significand's
// resolution: b^-digits <= 2^-53.
int SignificantDigits(int b) {
    int digits = 0;
    for (double scale = 1.0; scale > 0x1p-53; scale /= b)
        ++digits;
    return digits;
}

// One dimension's permutations, digit after digit: entry k * b + a is the
// image of digit a at position k + 1.
struct DigitPermutations {
    int base;
    int digits;
    std::vector<std::uint32_t> images;
};

// Fisher-Yates from the digit's stream; the multiply-shift range reduction
// of Lemire ("Fast random integer generation in an interval", 2019) without
// its rejection step, whose bias is below 2^-32 for any base used here.
DigitPermutations PermutationsFor(int base, std::uint32_t dimensionSeed) {
    DigitPermutations permutations{base, SignificantDigits(base), {}};
    permutations.images.resize(static_cast<std::size_t>(permutations.digits) * base);
    for (int k = 0; k < permutations.digits; ++k) {
        std::uint32_t* image = &permutations.images[static_cast<std::size_t>(k) * base];
        std::iota(image, image + base, 0u);
        std::uint64_t state = (std::uint64_t{dimensionSeed} << 32) | static_cast<std::uint32_t>(k);
        for (int i = base - 1; i > 0; --i) {
            const std::uint64_t bits = NextSplitMix(state) >> 32;
            const auto j = static_cast<int>((bits * static_cast<std::uint64_t>(i + 1)) >> 32);
            std::swap(image[i], image[j]);
        }
    }
    return permutations;
}

// The permuted digits read as a base-b fraction from the deepest up, after
// half a unit of the deepest digit, so that no coordinate is 0; rounding may
// still reach 1, which is taken back to the largest double below it.
double ScrambledCoordinate(const DigitPermutations& permutations, std::uint64_t index) {
    const int b = permutations.base;
    std::uint32_t digits[64];
    for (int k = 0; k < permutations.digits; ++k) {
        digits[k] = static_cast<std::uint32_t>(index % b);
        index /= b;
    }
    double x = 0.5;
    for (int k = permutations.digits - 1; k >= 0; --k)
        x = (permutations.images[static_cast<std::size_t>(k) * b + digits[k]] + x) / b;
    return x < 1.0 ? x : std::nextafter(1.0, 0.0);
}

} // namespace

DoubleMatrix ScrambledHaltonPoints(int d, int n, std::uint32_t seed, std::uint32_t start,
                                   const InterruptionCheck& interrupted) {
    RequireValidScrambledArguments(d, n, start);
    DoubleMatrix points = DoubleMatrix::ForOverwrite(n, d);
    if (n == 0 || d == 0)
        return points;
    const std::vector<int> primes = FirstPrimes(d);
    std::vector<DigitPermutations> dimensions;
    dimensions.reserve(d);
    for (int j = 0; j < d; ++j)
        dimensions.push_back(PermutationsFor(primes[j], DimensionSeed(seed, j)));
    const int rowsBetweenChecks = RowsBetweenChecks(d);
    for (int i = 0; i < n; ++i) {
        if (i % rowsBetweenChecks == 0)
            StopIfInterrupted(interrupted);
        double* row = points[i];
        for (int j = 0; j < d; ++j)
            row[j] = ScrambledCoordinate(dimensions[j], std::uint64_t{start} + i);
    }
    return points;
}
