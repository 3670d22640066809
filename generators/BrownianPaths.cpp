#include "BrownianPaths.h"

#include "BrownianBridge.h"
#include "ScrambledSobol.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace {

// The normals of each row are replaced by the path they make. The bridge is
// built on unit time and each path scaled by the square root of the
// maturity, as Brownian motion scales: on the maturity's own grid the times
// overflow for maturities near the largest double and vanish for the
// smallest, and the paths would hold infinities and NaNs.
DoubleMatrix BridgedRows(DoubleMatrix normals, double maturity,
                         const InterruptionCheck& interrupted) {
    const int steps = static_cast<int>(normals.ColumnCount());
    if (steps == 0)
        return normals;
    const BrownianBridge bridge(steps, 1.0);
    const double scale = std::sqrt(maturity);
    std::vector<double> row(steps);
    const unsigned long rowsBetweenChecks = RowsBetweenChecks(steps);
    for (unsigned long i = 0; i < normals.RowCount(); ++i) {
        if (i % rowsBetweenChecks == 0)
            StopIfInterrupted(interrupted);
        std::copy(normals[i], normals[i] + steps, row.begin());
        bridge.Build(row.data(), normals[i]);
        for (int k = 0; k < steps; ++k)
            normals[i][k] *= scale;
    }
    return normals;
}

} // namespace

void RequireValidMaturity(double maturity) {
    if (!(maturity > 0.0 && std::isfinite(maturity)))
        throw std::invalid_argument("maturity must be a positive, finite number");
}

DoubleMatrix BrownianPaths(int steps, int n, double maturity, std::uint32_t seed,
                           std::uint32_t start, const InterruptionCheck& interrupted) {
    RequireValidMaturity(maturity);
    return BridgedRows(ScrambledNormalVariates(steps, n, seed, start, interrupted), maturity,
                       interrupted);
}

DoubleMatrix BrownianPaths(int steps, int n, double maturity, std::uint32_t seed,
                           std::uint32_t start, const std::filesystem::path& directionNumberPath,
                           const InterruptionCheck& interrupted) {
    RequireValidMaturity(maturity);
    return BridgedRows(
        ScrambledNormalVariates(steps, n, seed, start, directionNumberPath, interrupted), maturity,
        interrupted);
}
