#include "BrownianPaths.h"
#include "CorrelatedPaths.h"
#include "LatticePoints.h"
#include "ScrambledHalton.h"
#include "ScrambledSobol.h"
#include "SensitivityDesign.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>

namespace {

struct InPlaceCase {
    const char* name;
    std::function<DoubleMatrix()> made;
    std::function<void(const MatrixRows&)> write;
};

} // namespace

// Replicates are blocks of one allocation, side by side: each generator
// written into rows in the middle of a larger block gives, bit for bit, what
// it returns alone, and writes nothing outside its rows.
TEST(InPlaceWriters, WriteTheirOwnRowsAndNothingElse) {
    constexpr int d = 5, n = 37;
    constexpr std::uint32_t seed = 4294967295u, start = 1000;
    DoubleMatrix factor(2, 2);
    factor(0, 0) = 1.0;
    factor(1, 0) = 0.6;
    factor(1, 1) = 0.8;
    const InPlaceCase cases[] = {
        {"scrambled Sobol", [] { return ScrambledSobolPoints(d, n, seed, start); },
         [](const MatrixRows& rows) { WriteScrambledSobolPoints(rows, seed, start); }},
        {"scrambled normals", [] { return ScrambledNormalVariates(d, n, seed, start); },
         [](const MatrixRows& rows) { WriteScrambledNormalVariates(rows, seed, start); }},
        {"scrambled Halton", [] { return ScrambledHaltonPoints(d, n, seed, start); },
         [](const MatrixRows& rows) { WriteScrambledHaltonPoints(rows, seed, start); }},
        {"Brownian paths", [] { return BrownianPaths(d, n, 0.5, seed, start); },
         [](const MatrixRows& rows) { WriteBrownianPaths(rows, 0.5, seed, start); }},
        {"correlated paths", [&] { return CorrelatedPaths(3, n, 0.5, factor, seed, start); },
         [&](const MatrixRows& rows) { WriteCorrelatedPaths(rows, 3, 0.5, factor, seed, start); }},
        {"lattice", [] { return LatticePoints(d, n, seed, start, LatticeTransform::Baker); },
         [](const MatrixRows& rows) {
             WriteLatticePoints(rows, seed, start, LatticeTransform::Baker);
         }},
        {"sensitivity design", [] { return SensitivityDesign(d, n, seed, start); },
         [](const MatrixRows& rows) { WriteSensitivityDesign(rows, seed, start); }},
    };
    constexpr unsigned long margin = 2;
    for (const InPlaceCase& c : cases) {
        SCOPED_TRACE(c.name);
        const DoubleMatrix expected = c.made();
        const unsigned long rows = expected.RowCount(), columns = expected.ColumnCount();
        DoubleMatrix block(rows + 2 * margin, columns);
        for (unsigned long i = 0; i < block.RowCount(); ++i)
            std::fill_n(block[i], columns, std::numeric_limits<double>::quiet_NaN());
        c.write(block.Rows().Rows(margin, rows));
        for (unsigned long i = 0; i < block.RowCount(); ++i) {
            const bool own = i >= margin && i < margin + rows;
            for (unsigned long j = 0; j < columns; ++j)
                if (own)
                    ASSERT_EQ(std::memcmp(block[i] + j, expected[i - margin] + j, sizeof(double)),
                              0)
                        << "row " << i - margin << ", column " << j;
                else
                    ASSERT_TRUE(std::isnan(block(i, j))) << "row " << i << " outside was written";
        }
    }
}

TEST(InPlaceWriters, CorrelatedPathsRefuseRowsOfAnotherWidth) {
    DoubleMatrix factor(2, 2);
    factor(0, 0) = factor(1, 1) = 1.0;
    DoubleMatrix paths(4, 5);
    EXPECT_THROW(WriteCorrelatedPaths(paths.Rows(), 3, 1.0, factor, 1, 0), std::invalid_argument);
}
