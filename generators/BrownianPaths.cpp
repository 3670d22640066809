#include "BrownianPaths.h"

#include "ScaledBrownianBridge.h"
#include "ScrambledSobol.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace {

// The normals of each row are replaced by the path they make.
void BridgeRows(const MatrixRows& normals, double maturity, const InterruptionCheck& interrupted) {
    const int steps = static_cast<int>(normals.ColumnCount());
    if (steps == 0)
        return;
    const ScaledBrownianBridge bridge(steps, maturity);
    std::vector<double> row(steps);
    const unsigned long rowsBetweenChecks = RowsBetweenChecks(steps);
    for (unsigned long i = 0; i < normals.RowCount(); ++i) {
        if (i % rowsBetweenChecks == 0)
            StopIfInterrupted(interrupted);
        std::copy(normals[i], normals[i] + steps, row.begin());
        bridge.Build(row.data(), normals[i]);
    }
}

DoubleMatrix Bridged(DoubleMatrix normals, double maturity, const InterruptionCheck& interrupted) {
    BridgeRows(normals.Rows(), maturity, interrupted);
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
    return Bridged(ScrambledNormalVariates(steps, n, seed, start, interrupted), maturity,
                   interrupted);
}

DoubleMatrix BrownianPaths(int steps, int n, double maturity, std::uint32_t seed,
                           std::uint32_t start, const std::filesystem::path& directionNumberPath,
                           const InterruptionCheck& interrupted) {
    RequireValidMaturity(maturity);
    return Bridged(ScrambledNormalVariates(steps, n, seed, start, directionNumberPath, interrupted),
                   maturity, interrupted);
}

void WriteBrownianPaths(const MatrixRows& paths, double maturity, std::uint32_t seed,
                        std::uint32_t start, const InterruptionCheck& interrupted) {
    RequireValidMaturity(maturity);
    WriteScrambledNormalVariates(paths, seed, start, interrupted);
    BridgeRows(paths, maturity, interrupted);
}
