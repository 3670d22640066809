#include "ScrambledHalton.h"

#include "KeyedDigitPermutation.h"
#include "NumberHelpers.h"
#include "OwenScrambling.h"
#include "ScrambledSobol.h"

#include <cmath>
#include <cstdint>
#include <numeric>
#include <vector>

namespace {

// The SplitMix64 stream that shuffles one permutation, started from the
// dimension's seed and the digit.
std::uint64_t NextSplitMix(std::uint64_t& state) {
    return Mix64(state += 0x9E3779B97F4A7C15u);
}

// Enough base-b digits that the last one is below the 53-bit significand's
// resolution: b^-digits <= 2^-53.
int SignificantDigits(int b) {
    int digits = 0;
    for (double scale = 1.0; scale > 0x1p-53; scale /= b)
        ++digits;
    return digits;
}

// The first 255 dimensions, all a worksheet could ask for before the sheet
// grew, keep shuffled tables, so their points stay as they were. Beyond them
// a table per digit would take gigabytes (base 180,503 at dimension 16,384),
// so their permutations are keyed: computed from the digit, not looked up.
constexpr int TabledDimensions = 255;

// Fisher-Yates from the digit's stream; the multiply-shift range reduction
// of Lemire ("Fast random integer generation in an interval", 2019) without
// its rejection step, whose bias is below 2^-32 for any base used here.
std::vector<std::uint32_t> ShuffledDigit(int base, std::uint64_t key) {
    std::vector<std::uint32_t> image(base);
    std::iota(image.begin(), image.end(), 0u);
    std::uint64_t state = key;
    for (int i = base - 1; i > 0; --i) {
        const std::uint64_t bits = NextSplitMix(state) >> 32;
        const auto j = static_cast<int>((bits * static_cast<std::uint64_t>(i + 1)) >> 32);
        std::swap(image[i], image[j]);
    }
    return image;
}

// One dimension's digit permutations, and the part of its coordinates that
// the digits every index of the call shares (the zeros above its largest
// index) give, worked out once.
class ScrambledDimension {
public:
    ScrambledDimension(int base, std::uint32_t seed, int dimension, std::uint64_t lastIndex)
        : base_(base), seed_(DimensionSeed(seed, dimension)),
          tabled_(dimension < TabledDimensions) {
        const int digits = SignificantDigits(base);
        while (varying_ < digits && Power(varying_) <= lastIndex)
            ++varying_;
        for (int k = 0; k < varying_; ++k) {
            if (tabled_)
                tables_.push_back(ShuffledDigit(base, Key(k)));
            else
                keyed_.emplace_back(base, seed, dimension, k);
        }
        // Half a unit of the deepest digit, so that no coordinate is 0.
        for (int k = digits - 1; k >= varying_; --k) {
            const std::uint32_t zero = tabled_ ? ShuffledDigit(base, Key(k))[0]
                                               : KeyedDigitPermutation(base, seed, dimension, k)(0);
            tail_ = (zero + tail_) / base;
        }
    }

    // The permuted digits read as a base-b fraction from the deepest up;
    // rounding may reach 1, which is taken back to the largest double below.
    double Coordinate(std::uint64_t index) const {
        std::uint32_t digits[64];
        for (int k = 0; k < varying_; ++k) {
            digits[k] = static_cast<std::uint32_t>(index % base_);
            index /= base_;
        }
        double x = tail_;
        for (int k = varying_ - 1; k >= 0; --k)
            x = (Image(k, digits[k]) + x) / base_;
        return x < 1.0 ? x : std::nextafter(1.0, 0.0);
    }

private:
    std::uint64_t Key(int k) const {
        return (std::uint64_t{seed_} << 32) | static_cast<std::uint32_t>(k);
    }

    // Digit k below varying_.
    std::uint32_t Image(int k, std::uint32_t digit) const {
        return tabled_ ? tables_[k][digit] : keyed_[k](digit);
    }

    // b^k, saturating above any index.
    std::uint64_t Power(int k) const {
        std::uint64_t power = 1;
        for (int i = 0; i < k && power <= UINT32_MAX; ++i)
            power *= base_;
        return power;
    }

    std::uint32_t base_;
    // Keys the shuffled tables alone.
    std::uint32_t seed_;
    bool tabled_;
    // The digits that differ between indices of the call, from the lowest.
    int varying_ = 0;
    std::vector<std::vector<std::uint32_t>> tables_;
    std::vector<KeyedDigitPermutation> keyed_;
    double tail_ = 0.5;
};

} // namespace

void WriteScrambledHaltonPoints(const MatrixRows& points, std::uint32_t seed, std::uint32_t start,
                                const InterruptionCheck& interrupted) {
    const int d = static_cast<int>(points.ColumnCount());
    const int n = static_cast<int>(points.RowCount());
    RequireValidScrambledArguments(d, n, start);
    if (n == 0 || d == 0)
        return;
    const std::vector<int> primes = FirstPrimes(d);
    const std::uint64_t lastIndex = std::uint64_t{start} + n - 1;
    std::vector<ScrambledDimension> dimensions;
    dimensions.reserve(d);
    for (int j = 0; j < d; ++j)
        dimensions.emplace_back(primes[j], seed, j, lastIndex);
    const int rowsBetweenChecks = RowsBetweenChecks(d);
    for (int i = 0; i < n; ++i) {
        if (i % rowsBetweenChecks == 0)
            StopIfInterrupted(interrupted);
        double* row = points[i];
        for (int j = 0; j < d; ++j)
            row[j] = dimensions[j].Coordinate(std::uint64_t{start} + i);
    }
}

DoubleMatrix ScrambledHaltonPoints(int d, int n, std::uint32_t seed, std::uint32_t start,
                                   const InterruptionCheck& interrupted) {
    RequireValidScrambledArguments(d, n, start);
    DoubleMatrix points = DoubleMatrix::ForOverwrite(n, d);
    WriteScrambledHaltonPoints(points.Rows(), seed, start, interrupted);
    return points;
}
