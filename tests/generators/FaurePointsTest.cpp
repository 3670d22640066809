#include "FaurePoints.h"
#include "NumberHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

void ExpectRows(const DoubleMatrix& points, const std::vector<std::vector<double>>& rows) {
    ASSERT_EQ(points.RowCount(), rows.size());
    for (unsigned long i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(points.ColumnCount(), rows[i].size());
        for (unsigned long j = 0; j < rows[i].size(); ++j)
            EXPECT_DOUBLE_EQ(points(i, j), rows[i][j]) << i << ", " << j;
    }
}

TEST(FaurePoints, GivesTheHandComputedFirstPoints) {
    ExpectRows(FaurePoints(2, 4), {{0.5, 0.5}, {0.25, 0.75}, {0.75, 0.25}, {0.125, 0.625}});
    ExpectRows(FaurePoints(3, 4), {{1.0 / 3, 1.0 / 3, 1.0 / 3},
                                   {2.0 / 3, 2.0 / 3, 2.0 / 3},
                                   {1.0 / 9, 4.0 / 9, 7.0 / 9},
                                   {4.0 / 9, 7.0 / 9, 1.0 / 9}});
    ExpectRows(FaurePoints(4, 3),
               {{0.2, 0.2, 0.2, 0.2}, {0.4, 0.4, 0.4, 0.4}, {0.6, 0.6, 0.6, 0.6}});
    ExpectRows(FaurePoints(1, 4), {{0.5}, {0.25}, {0.75}, {0.125}});
}

TEST(FaurePoints, GivesAnExactPowerOfTheBaseItsTopDigit) {
    const DoubleMatrix points = FaurePoints(3, 243);
    EXPECT_EQ(points(242, 0), 1.0 / 729);
}

// The definition, transcribed directly: the index's digits multiplied j times
// by the Pascal matrix modulo b, summed from the lowest digit up.
DoubleMatrix DirectFaure(int d, int n) {
    DoubleMatrix points(n, d);
    const int b = NextPrime(d);
    const int size = DigitCount(n, b);
    for (int i = 0; i < n; ++i) {
        std::vector<int> x = BaseDigits(i + 1, b, size);
        for (int j = 0; j < d; ++j) {
            std::vector<int> y = x;
            if (j > 0) {
                for (int p = 0; p < size; ++p) {
                    long long sum = 0;
                    long long binomial = 1;
                    for (int q = p; q < size; ++q) {
                        sum += binomial % b * x[q];
                        binomial = binomial * (q + 1) / (q + 1 - p);
                    }
                    y[p] = static_cast<int>(sum % b);
                }
            }
            double coordinate = 0.0;
            for (int p = 0; p < size; ++p)
                coordinate += y[p] / IntegerPower(b, p + 1);
            points(i, j) = coordinate;
            x = y;
        }
    }
    return points;
}

TEST(FaurePoints, EqualsTheDirectDigitTransformToTheBit) {
    const struct {
        int d, n;
    } cases[] = {{1, 1000}, {2, 3000}, {5, 2000}, {12, 1500}, {30, 1000}, {100, 200}};
    for (const auto& c : cases) {
        const DoubleMatrix expected = DirectFaure(c.d, c.n);
        const DoubleMatrix points = FaurePoints(c.d, c.n);
        for (int i = 0; i < c.n; ++i)
            for (int j = 0; j < c.d; ++j)
                ASSERT_EQ(points(i, j), expected(i, j))
                    << c.d << " x " << c.n << ": " << i << ", " << j;
    }
}

// With n = b^m - 1, the points together with the origin form a (0, m, 2)-net
// in base b in every pair of dimensions: each box of sides b^-e by b^-(m-e)
// holds exactly one point.
TEST(FaurePoints, FormsZeroMTwoNetsInEveryPairOfDimensions) {
    const struct { int d, m; } cases[] = {{2, 10}, {3, 6}, {5, 4}, {7, 3}, {11, 2}, {4, 3}};
    for (const auto& c : cases) {
        const int b = NextPrime(c.d);
        const long long count = static_cast<long long>(IntegerPower(b, c.m));
        const DoubleMatrix points = FaurePoints(c.d, static_cast<int>(count - 1));
        // Each coordinate is a whole multiple of b^-m, up to rounding.
        std::vector<std::vector<long long>> grid(c.d, std::vector<long long>(count, 0));
        for (long long i = 1; i < count; ++i)
            for (int j = 0; j < c.d; ++j) {
                const double scaled = points(i - 1, j) * count;
                grid[j][i] = std::llround(scaled);
                ASSERT_NEAR(scaled, grid[j][i], 1e-6);
            }
        for (int first = 0; first < c.d; ++first)
            for (int second = first + 1; second < c.d; ++second)
                for (int e = 0; e <= c.m; ++e) {
                    const long long across = static_cast<long long>(IntegerPower(b, c.m - e));
                    const long long down = static_cast<long long>(IntegerPower(b, e));
                    std::vector<int> hits(count, 0);
                    for (long long i = 0; i < count; ++i)
                        ++hits[grid[first][i] / across * across + grid[second][i] / down];
                    for (long long box = 0; box < count; ++box)
                        ASSERT_EQ(hits[box], 1) << "d " << c.d << ", m " << c.m << ", dimensions "
                                                << first << " and " << second << ", e " << e;
                }
    }
}

} // namespace
