// The error bar of a replicated estimate against exact arithmetic, and the
// replicate stacking that produces the blocks.
#include "ReplicateStatistics.h"
#include "Replicates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
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

// An empty block is a shape: the result is built once, whatever the replicate
// count, and no block is computed; otherwise block r comes from seed + r.
TEST(ReplicateStatistics, ReplicatedComputesNoEmptyBlock) {
    const auto noBlock = [](std::uint32_t) -> DoubleMatrix {
        throw std::logic_error("an empty block was computed");
    };
    const DoubleMatrix none = Replicated(2147483647, 0, 16384, 1, noBlock);
    EXPECT_EQ(none.RowCount(), 0u);
    EXPECT_EQ(none.ColumnCount(), 16384u);
    const DoubleMatrix narrow = Replicated(3, 3, 0, 1, noBlock);
    EXPECT_EQ(narrow.RowCount(), 9u);
    EXPECT_EQ(narrow.ColumnCount(), 0u);

    const DoubleMatrix stacked = Replicated(3, 2, 3, 4294967295u, [](std::uint32_t seed) {
        DoubleMatrix rows(2, 3);
        rows(1, 2) = seed;
        return rows;
    });
    ASSERT_EQ(stacked.RowCount(), 6u);
    EXPECT_EQ(stacked(1, 2), 4294967295.0);
    EXPECT_EQ(stacked(3, 2), 0.0); // the seed wraps
    EXPECT_EQ(stacked(5, 2), 1.0);
}
