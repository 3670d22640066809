#include "HaltonPoints.h"
#include "NumberHelpers.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(HaltonPoints, GivesTheTabulatedFirstPoints) {
    const DoubleMatrix points = HaltonPoints(2, 4);
    const double expected[4][2] = {
        {0.5, 1.0 / 3}, {0.25, 2.0 / 3}, {0.75, 1.0 / 9}, {0.125, 4.0 / 9}};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 2; ++j)
            EXPECT_DOUBLE_EQ(points(i, j), expected[i][j]) << i << ", " << j;

    const DoubleMatrix seven = HaltonPoints(4, 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_DOUBLE_EQ(seven(i, 3), (i + 1) / 7.0) << i;
}

// The first dimension is the base-2 van der Corput sequence, whose points are
// dyadic and so exact: index k reflected bit by bit about the binary point.
TEST(HaltonPoints, FirstDimensionIsTheVanDerCorputSequence) {
    const int n = 5000;
    const DoubleMatrix points = HaltonPoints(1, n);
    for (int k = 1; k <= n; ++k) {
        double reflected = 0.0;
        double weight = 0.5;
        for (int rest = k; rest > 0; rest >>= 1, weight /= 2)
            reflected += (rest & 1) * weight;
        ASSERT_EQ(points(k - 1, 0), reflected) << k;
    }
}

// Counting the digits up must give the radical inverse bit for bit, across
// carries in small bases and single digits in large ones.
TEST(HaltonPoints, EqualsTheRadicalInverseOfEachIndexToTheBit) {
    const struct { int d, n; } cases[] = {{60, 3000}, {3000, 12}};
    for (const auto& c : cases) {
        const DoubleMatrix points = HaltonPoints(c.d, c.n);
        const std::vector<int> primes = FirstPrimes(c.d);
        for (int i = 0; i < c.n; ++i)
            for (int j = 0; j < c.d; ++j)
                ASSERT_EQ(points(i, j), RadicalInverse(primes[j], i + 1)) << i << ", " << j;
    }
}

TEST(HaltonPoints, HandlesWorksheetWidthsQuickly) {
    const int d = 16384;
    const DoubleMatrix points = HaltonPoints(d, 100);
    const std::vector<int> primes = FirstPrimes(d);
    EXPECT_EQ(points(0, d - 1), 1.0 / primes[d - 1]);
    EXPECT_EQ(points(99, d - 1), 100.0 / primes[d - 1]);
}

} // namespace
