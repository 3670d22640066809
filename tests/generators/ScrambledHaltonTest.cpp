// Properties of the randomised Halton points that hold for every seed, and
// the decorrelation that the randomisation is for.
#include "ScrambledHalton.h"
#include "NumberHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
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
