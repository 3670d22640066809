// Properties of the randomised Halton points that hold for every seed, and
// the decorrelation that the randomisation is for.
#include "ScrambledHalton.h"
#include "KeyedDigitPermutation.h"
#include "NumberHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace {

double Correlation(const DoubleMatrix& points, int a, int b) {
    const unsigned long n = points.RowCount();
    double meanA = 0, meanB = 0;
    for (unsigned long i = 0; i < n; ++i) {
        meanA += points(i, a) / n;
        meanB += points(i, b) / n;
    }
    double ab = 0, aa = 0, bb = 0;
    for (unsigned long i = 0; i < n; ++i) {
        ab += (points(i, a) - meanA) * (points(i, b) - meanB);
        aa += (points(i, a) - meanA) * (points(i, a) - meanA);
        bb += (points(i, b) - meanB) * (points(i, b) - meanB);
    }
    return ab / std::sqrt(aa * bb);
}

} // namespace

// n = b^m points from start 0: one in each of the b^m intervals of width
// b^-m, in every dimension of base b, whatever the seed; the shuffled and the
// keyed permutations (from dimension 256, base 1619) alike.
TEST(ScrambledHalton, StratifiesEachBaseAtEveryPowerOfIt) {
    const std::vector<int> primes = FirstPrimes(1001);
    const struct {
        int dimension; // from 0
        int power;
    } cases[] = {{0, 12}, {1, 7}, {2, 5}, {3, 4}, {9, 2}, {99, 1}, {254, 1}, {255, 1}, {1000, 1}};
    for (std::uint32_t seed : {0u, 1u, 4294967295u}) {
        for (const auto& c : cases) {
            const int b = primes[c.dimension];
            const int n = static_cast<int>(IntegerPower(b, c.power));
            const DoubleMatrix points = ScrambledHaltonPoints(c.dimension + 1, n, seed, 0);
            std::vector<int> hits(n, 0);
            for (int i = 0; i < n; ++i) {
                const double x = points(i, c.dimension);
                ASSERT_TRUE(x > 0.0 && x < 1.0) << x;
                ++hits[static_cast<int>(x * n)];
            }
            for (int cell = 0; cell < n; ++cell)
                ASSERT_EQ(hits[cell], 1)
                    << "base " << b << "^" << c.power << ", seed " << seed << ", interval " << cell;
        }
    }
}

// Unscrambled, dimensions 254 and 255 (bases 1609 and 1613) move in step
// over the first 4096 points; randomised, they do not, for any seed tried.
TEST(ScrambledHalton, DecorrelatesTheHighestDimensions) {
    DoubleMatrix plain(4096, 2);
    for (int i = 0; i < 4096; ++i) {
        plain(i, 0) = RadicalInverse(1609, i);
        plain(i, 1) = RadicalInverse(1613, i);
    }
    EXPECT_GT(Correlation(plain, 0, 1), 0.95) << "the striping the randomisation removes";
    for (std::uint32_t seed = 0; seed < 8; ++seed) {
        const DoubleMatrix points = ScrambledHaltonPoints(255, 4096, seed * 2654435761u, 0);
        EXPECT_LT(std::abs(Correlation(points, 253, 254)), 0.05) << "seed " << seed;
    }
    for (std::uint32_t seed = 0; seed < 4; ++seed) {
        const DoubleMatrix points = ScrambledHaltonPoints(1002, 4096, seed, 0);
        EXPECT_LT(std::abs(Correlation(points, 1000, 1001)), 0.05) << "seed " << seed;
    }
}

// Rows of (d, n, seed, start) are rows start ... of (d, start + n, seed, 0);
// another seed moves every coordinate; the last index of the sequence is
// reached.
TEST(ScrambledHalton, ContinuesFromStartAndDependsOnTheSeed) {
    const DoubleMatrix whole = ScrambledHaltonPoints(7, 300, 42, 0);
    const DoubleMatrix tail = ScrambledHaltonPoints(7, 100, 42, 200);
    const DoubleMatrix other = ScrambledHaltonPoints(7, 300, 43, 0);
    int same = 0;
    for (int i = 0; i < 100; ++i)
        for (int j = 0; j < 7; ++j) {
            ASSERT_EQ(tail(i, j), whole(200 + i, j));
            same += other(200 + i, j) == whole(200 + i, j);
        }
    EXPECT_EQ(same, 0);
    const DoubleMatrix last = ScrambledHaltonPoints(3, 1, 9, 4294967295u);
    for (int j = 0; j < 3; ++j)
        EXPECT_TRUE(last(0, j) > 0.0 && last(0, j) < 1.0);
    EXPECT_THROW(ScrambledHaltonPoints(3, 2, 9, 4294967295u), std::invalid_argument);
    EXPECT_THROW(ScrambledHaltonPoints(-1, 2, 9, 0), std::invalid_argument);
}

// Beyond dimension 255, values from keyed_halton_reference.py beside this
// file, which computes them from the definition apart from this code: each
// round keyed by (seed, dimension, digit, round), the permuted zeros of the
// digits beyond the index's own and half a unit of the deepest one.
TEST(ScrambledHalton, KeyedDimensionsMatchAnIndependentComputation) {
    const struct {
        int d, n;
        std::uint32_t seed, start;
        int row, column;
        double expected;
    } pinned[] = {
        {258, 1, 2024u, 0u, 0, 255, 0x1.fdf82b0742028p-1},
        {258, 1, 2024u, 0u, 0, 256, 0x1.2421bc5fc3021p-1},
        {258, 1, 2024u, 0u, 0, 257, 0x1.fba4430d3b3e0p-1},
        {301, 2, 7u, 123456789u, 0, 255, 0x1.54f00363151ebp-2},
        {301, 2, 7u, 123456789u, 1, 255, 0x1.0ffbb8f50f398p-1},
        {301, 2, 7u, 123456789u, 0, 256, 0x1.a8cb748dc13d4p-2},
        {301, 2, 7u, 123456789u, 1, 256, 0x1.e08ec9e9626f9p-1},
        {301, 2, 7u, 123456789u, 0, 300, 0x1.0e0488b81fc31p-1},
        {301, 2, 7u, 123456789u, 1, 300, 0x1.3351763d9f4a0p-3},
        {256, 3, 0u, 4294967293u, 0, 255, 0x1.71a6c4d980975p-1},
        {256, 3, 0u, 4294967293u, 1, 255, 0x1.0255560181db3p-1},
        {256, 3, 0u, 4294967293u, 2, 255, 0x1.38184cfe2fca6p-1},
    };
    for (const auto& p : pinned) {
        const DoubleMatrix points = ScrambledHaltonPoints(p.d, p.n, p.seed, p.start);
        EXPECT_EQ(points(p.row, p.column), p.expected)
            << "seed " << p.seed << ", index " << p.start + p.row << ", dimension " << p.column;
    }
}

// Every keyed permutation is a bijection of 0 ... b - 1, and those of two
// digits of one dimension are not conjugates of each other by any XOR c,
// pi_1(x) = pi_0(x ^ c) ^ c: independent draws agree on about one x per c.
TEST(ScrambledHalton, KeyedDigitPermutationsAreIndependentBijections) {
    for (std::uint32_t base : {2u, 3u, 1619u, 7919u}) {
        for (int digit : {0, 1, 5}) {
            const KeyedDigitPermutation permute(base, 2024, 300, digit);
            std::vector<bool> hit(base, false);
            for (std::uint32_t x = 0; x < base; ++x) {
                const std::uint32_t y = permute(x);
                ASSERT_LT(y, base);
                ASSERT_FALSE(hit[y]) << "base " << base << " digit " << digit << " twice " << y;
                hit[y] = true;
            }
        }
    }
    const std::uint32_t base = 1619; // 2^11 < b < 2^12: walks within 12 bits
    for (int dimension : {255, 4000}) {
        const KeyedDigitPermutation first(base, 2024, dimension, 0);
        const KeyedDigitPermutation second(base, 2024, dimension, 1);
        int mostAgreeing = 0;
        for (std::uint32_t c = 0; c < 4096; ++c) {
            int agreeing = 0;
            for (std::uint32_t x = 0; x < base; ++x)
                agreeing += (x ^ c) < base && (first(x ^ c) ^ c) == second(x);
            mostAgreeing = std::max(mostAgreeing, agreeing);
        }
        EXPECT_LT(mostAgreeing, 16) << "dimension " << dimension;
    }
}
