#include "CorrelatedPaths.h"

#include "BrownianPaths.h"
#include "ScaledBrownianBridge.h"
#include "ScrambledSobol.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

void RequirePathColumns(const MatrixRows& normals, int steps, const DoubleMatrix& factor) {
    if (normals.ColumnCount() != factor.RowCount() * steps)
        throw std::invalid_argument("the normals must have k x steps columns");
}

// Each row of normals is replaced by the paths it makes.
void BuildPaths(const MatrixRows& normals, int steps, double maturity, const DoubleMatrix& factor,
                const InterruptionCheck& interrupted) {
    const int k = static_cast<int>(factor.RowCount());
    const int columns = k * steps;
    if (columns == 0)
        return;
    const ScaledBrownianBridge bridge(steps, maturity);
    std::vector<double> row(columns), variates(steps), factors(columns);
    const unsigned long rowsBetweenChecks = RowsBetweenChecks(columns);
    for (unsigned long i = 0; i < normals.RowCount(); ++i) {
        if (i % rowsBetweenChecks == 0)
            StopIfInterrupted(interrupted);
        std::copy(normals[i], normals[i] + columns, row.begin());
        for (int f = 0; f < k; ++f) {
            for (int b = 0; b < steps; ++b)
                variates[b] = row[b * k + f];
            bridge.Build(variates.data(), &factors[f * steps]);
        }
        for (int a = 0; a < k; ++a) {
            double* asset = normals[i] + a * steps;
            const double* weights = factor[a];
            // Each weight read once: for all the compiler knows the asset's
            // row could be the factor's, so a weight read inside the loop is
            // read again at every step. The sums are the same, in the same
            // order.
            const double first = weights[0];
            for (int m = 0; m < steps; ++m)
                asset[m] = first * factors[m];
            for (int f = 1; f < k; ++f) {
                const double weight = weights[f];
                const double* column = &factors[f * steps];
                for (int m = 0; m < steps; ++m)
                    asset[m] += weight * column[m];
            }
        }
    }
}

void RequireValidPathArguments(int steps, int n, double maturity, const DoubleMatrix& factor,
                               std::uint32_t start) {
    RequireValidMaturity(maturity);
    RequireValidScrambledArguments(steps, n, start);
    if (static_cast<long long>(factor.RowCount()) * steps > std::numeric_limits<int>::max())
        throw std::invalid_argument("k x steps must be at most 2147483647 columns");
}

} // namespace

DoubleMatrix CorrelatedPathsFromNormals(DoubleMatrix normals, int steps, double maturity,
                                        const DoubleMatrix& factor,
                                        const InterruptionCheck& interrupted) {
    RequirePathColumns(normals.Rows(), steps, factor);
    BuildPaths(normals.Rows(), steps, maturity, factor, interrupted);
    return normals;
}

DoubleMatrix CorrelatedPaths(int steps, int n, double maturity, const DoubleMatrix& factor,
                             std::uint32_t seed, std::uint32_t start,
                             const InterruptionCheck& interrupted) {
    RequireValidPathArguments(steps, n, maturity, factor, start);
    const int k = static_cast<int>(factor.RowCount());
    return CorrelatedPathsFromNormals(
        ScrambledNormalVariates(k * steps, n, seed, start, interrupted), steps, maturity, factor,
        interrupted);
}

DoubleMatrix CorrelatedPaths(int steps, int n, double maturity, const DoubleMatrix& factor,
                             std::uint32_t seed, std::uint32_t start,
                             const std::filesystem::path& directionNumberPath,
                             const InterruptionCheck& interrupted) {
    RequireValidPathArguments(steps, n, maturity, factor, start);
    const int k = static_cast<int>(factor.RowCount());
    return CorrelatedPathsFromNormals(
        ScrambledNormalVariates(k * steps, n, seed, start, directionNumberPath, interrupted), steps,
        maturity, factor, interrupted);
}

void WriteCorrelatedPaths(const MatrixRows& paths, int steps, double maturity,
                          const DoubleMatrix& factor, std::uint32_t seed, std::uint32_t start,
                          const InterruptionCheck& interrupted) {
    RequireValidPathArguments(steps, static_cast<int>(paths.RowCount()), maturity, factor, start);
    RequirePathColumns(paths, steps, factor);
    WriteScrambledNormalVariates(paths, seed, start, interrupted);
    BuildPaths(paths, steps, maturity, factor, interrupted);
}

int PathColumnCount(unsigned long assets, int steps, unsigned long widest) {
    const std::uint64_t columns = static_cast<std::uint64_t>(assets) * steps;
    if (columns > widest)
        throw std::invalid_argument("k x steps must be at most " + std::to_string(widest) +
                                    ", the sheet's width: " + std::to_string(assets) +
                                    " assets of " + std::to_string(steps) + " steps are " +
                                    std::to_string(columns) + " columns");
    return static_cast<int>(columns);
}
