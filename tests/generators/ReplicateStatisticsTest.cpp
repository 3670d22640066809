// The error bar of a replicated estimate against exact arithmetic, and the
// replicate stacking that produces the blocks.
#include "ReplicateStatistics.h"
#include "Replicates.h"
#include "StudentInterval.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <stdexcept>
#include <vector>

// Values offset + k * 2^e with small integers k are stored exactly, so the
// exact block means and their spread follow from integer sums of k alone:
// with block sums S_r and S their total, the variance of the block means is
// 4^e * sum_r (R S_r - S)^2 / (n^2 R^2 (R - 1)), the numerator exact in 64
// bits. The summation must keep the spread's digits however far the offset
// sits from zero: summed as they stand, R = 16 blocks of 4096 values near
// 1e12 lose a quarter of the standard error.
TEST(ReplicateStatistics, StandardErrorAsExactAsTheSpreadAllows) {
    const struct {
        double offset;
        int exponent; // the values' grid is 2^exponent
        double sigma; // the spread of k
        int n;        // values per block
        int replicates;
    } cases[] = {
        {1e12, -13, 819, 4096, 16},   // spread 0.1
        {1e12, -13, 8, 4096, 16},     // spread 1e-3
        {1e12, -12, 4096, 65536, 16}, // spread 1
        {-3e9, -20, 1049, 10000, 8},  // spread 1e-3 below zero
        {1e4, -20, 1049, 1024, 64},   {0.0, -10, 300, 1000, 2},
    };
    std::mt19937_64 random(20261208);
    for (const auto& c : cases) {
        std::normal_distribution<double> normal(0.0, c.sigma);
        const double step = std::ldexp(1.0, c.exponent);
        std::vector<double> values;
        std::vector<std::int64_t> blockSums(c.replicates, 0);
        for (int r = 0; r < c.replicates; ++r)
            for (int i = 0; i < c.n; ++i) {
                const auto k = static_cast<std::int64_t>(std::llround(normal(random)));
                blockSums[r] += k;
                values.push_back(c.offset + static_cast<double>(k) * step);
                ASSERT_EQ(values.back() - c.offset, static_cast<double>(k) * step) << "not exact";
            }
        std::int64_t total = 0;
        for (std::int64_t sum : blockSums)
            total += sum;
        std::uint64_t squares = 0;
        for (std::int64_t sum : blockSums) {
            const std::int64_t deviation = c.replicates * sum - total;
            ASSERT_FALSE(__builtin_add_overflow(
                squares, static_cast<std::uint64_t>(deviation * deviation), &squares));
        }
        const double R = c.replicates;
        const double exact =
            step * std::sqrt(static_cast<double>(squares)) / (c.n * R * std::sqrt(R * (R - 1)));
        const double exactMean = c.offset + step * (static_cast<double>(total) / (c.n * R));

        const ReplicateSummary summary = SummariseReplicates(values, c.replicates);
        EXPECT_NEAR(summary.standardError, exact, 1e-10 * exact)
            << "offset " << c.offset << ", spread " << c.sigma * step << ", n " << c.n;
        EXPECT_NEAR(summary.mean, exactMean, std::max(1e-10 * exact, 4 * step))
            << "offset " << c.offset;
        EXPECT_EQ(summary.replicates, c.replicates);
    }
}

// Large values that cancel inside a block, [r, 1e16, r, -1e16] for block r:
// summed as they come, each r is lost beside 1e16 and every mean is 0. The
// means are r / 2, whose standard error over r = 0 ... R - 1 is
// sqrt((R + 1) / 48) by hand.
TEST(ReplicateStatistics, ValuesThatCancelInsideABlockKeepTheirRemainder) {
    const int replicates = 4;
    std::vector<double> values;
    for (int r = 0; r < replicates; ++r)
        values.insert(values.end(), {double(r), 1e16, double(r), -1e16});
    const ReplicateSummary summary = SummariseReplicates(values, replicates);
    EXPECT_DOUBLE_EQ(summary.mean, (replicates - 1) / 4.0);
    EXPECT_DOUBLE_EQ(summary.standardError, std::sqrt((replicates + 1) / 48.0));
}

// The range of doubles and the digits of the spread, by hand (the mean of
// the block means, and for R = 2 half their distance as the standard error):
// near the largest doubles, where values taken relative to the first one
// would overflow (1e308 - -1e308); near the smallest, where a spread's
// square would underflow; and blocks of 1e9, 1e9, 1e9 + u and three times
// 1e9, u = 2^-23 the unit in the last place of 1e9, whose means 1e9 + u / 3
// and 1e9 are one double when summed as they stand.
TEST(ReplicateStatistics, KeepTheRangeOfDoublesAndTheDigitsOfTheSpread) {
    const double u = std::ldexp(1.0, -23);
    const struct {
        std::vector<double> values;
        double mean, standardError;
    } cases[] = {
        {{1e308, -1e308, 1e308, -1e308}, 0.0, 0.0},
        {{1e308, -1e308}, 0.0, 1e308},
        {{0.0, 1e308, 0.0, -1e308}, 0.0, 0.5e308},
        {{-1.5e308, 1.7e308, 1.7e308, 1.5e308}, 0.85e308, 0.75e308},
        {{1e-200, -1e-200}, 0.0, 1e-200},
        {{5e-324, -5e-324}, 0.0, 5e-324},
        {{1e9, 1e9, 1e9 + u, 1e9, 1e9, 1e9}, 1e9, u / 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.values.front() << ", " << c.values.back());
        const ReplicateSummary summary = SummariseReplicates(c.values, 2);
        EXPECT_NEAR(summary.mean, c.mean, 1e-15 * std::abs(c.mean));
        EXPECT_NEAR(summary.standardError, c.standardError, 1e-14 * c.standardError);
    }
}

// T.INV.2T(alpha, 1) is cot(pi alpha / 2) and T.INV.2T(alpha, 2) is
// (1 - alpha) / sqrt((1 - alpha / 2) alpha), the t distribution functions of
// one and two degrees of freedom inverted by hand. Every alpha between 1e-300
// and 1 gives a finite half-width for every R (R = 2 the widest); the rest is
// refused in words, never in the quantile library's.
TEST(StudentHalfWidth, IsFiniteForEveryAlphaItTakesAndRefusesTheRest) {
    const double pi = std::acos(-1.0);
    const double tiny = std::nextafter(1e-300, 1.0);
    const struct {
        double alpha;
        int replicates;
        double quantile;
    } taken[] = {
        {0.05, 2, 1 / std::tan(pi * 0.05 / 2)},    {0.5, 2, 1.0},
        {1e-10, 2, 1 / std::tan(pi * 5e-11)},      {tiny, 2, 1 / std::tan(pi * tiny / 2)},
        {0.05, 3, 0.95 / std::sqrt(0.975 * 0.05)}, {tiny, 3, 1 / std::sqrt(tiny)},
    };
    for (const auto& c : taken)
        EXPECT_NEAR(StudentHalfWidth(2.0, c.replicates, c.alpha) / (2 * c.quantile), 1.0, 1e-13)
            << "alpha " << c.alpha << ", R " << c.replicates;
    for (int replicates : {4, 16, 1000000, 2147483647})
        EXPECT_TRUE(std::isfinite(StudentHalfWidth(1.0, replicates, tiny))) << replicates;

    const double refused[] = {0,
                              4.9e-324,
                              1e-310,
                              1e-300,
                              -0.05,
                              1,
                              std::nextafter(1.0, 2.0),
                              1.5,
                              std::numeric_limits<double>::quiet_NaN(),
                              std::numeric_limits<double>::infinity()};
    for (double alpha : refused) {
        try {
            StudentHalfWidth(1.0, 4, alpha);
            ADD_FAILURE() << "alpha " << alpha << " taken";
        } catch (const std::invalid_argument& refusal) {
            EXPECT_STREQ(refusal.what(), "alpha must be a number between 1e-300 and 1, such as "
                                         "0.05 for a 95% interval");
        }
    }
    EXPECT_THROW(StudentHalfWidth(1.0, 1, 0.05), std::invalid_argument);
}

// An empty block is a shape: the result is built once, whatever the replicate
// count, and no block is computed; otherwise block r, its own rows of the one
// result, is written from seed + r.
TEST(ReplicateStatistics, ReplicatedComputesNoEmptyBlock) {
    const auto noBlock = [](const MatrixRows&, std::uint32_t) {
        throw std::logic_error("an empty block was computed");
    };
    const DoubleMatrix none = Replicated(2147483647, 0, 16384, 1, noBlock);
    EXPECT_EQ(none.RowCount(), 0u);
    EXPECT_EQ(none.ColumnCount(), 16384u);
    const DoubleMatrix narrow = Replicated(3, 3, 0, 1, noBlock);
    EXPECT_EQ(narrow.RowCount(), 9u);
    EXPECT_EQ(narrow.ColumnCount(), 0u);

    const DoubleMatrix stacked =
        Replicated(3, 2, 3, 4294967295u, [](const MatrixRows& rows, std::uint32_t seed) {
            ASSERT_EQ(rows.RowCount(), 2u);
            ASSERT_EQ(rows.ColumnCount(), 3u);
            for (unsigned long i = 0; i < 2; ++i)
                std::fill_n(rows[i], 3, seed + i / 10.0);
        });
    ASSERT_EQ(stacked.RowCount(), 6u);
    // The seed wraps: blocks from 2^32 - 1, 0 and 1.
    const double seeds[] = {4294967295.0, 0.0, 1.0};
    for (unsigned long i = 0; i < 6; ++i)
        for (unsigned long j = 0; j < 3; ++j)
            EXPECT_EQ(stacked(i, j), seeds[i / 2] + (i % 2) / 10.0) << i << ", " << j;
}
