#include "BrownianPaths.h"

#include "BrownianBridge.h"
#include "ScrambledSobol.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace {

// The normals of each row are replaced by the path they make.
DoubleMatrix BridgedRows(DoubleMatrix normals, double maturity) {
    const int steps = static_cast<int>(normals.ColumnCount());
    if (steps == 0)
        return normals;
    const BrownianBridge bridge(steps, maturity);
    std::vector<double> row(steps);
    for (unsigned long i = 0; i < normals.RowCount(); ++i) {
        std::copy(normals[i], normals[i] + steps, row.begin());
        bridge.Build(row.data(), normals[i]);
    }
    return normals;
}

} // namespace

void RequireValidMaturity(double maturity) {
    if (!(maturity > 0.0 && std::isfinite(maturity)))
        throw std::invalid_argument("maturity must be a positive, finite number");
}

DoubleMatrix BrownianPaths(int steps, int n, double maturity, std::uint32_t seed,
                           std::uint32_t start) {
    RequireValidMaturity(maturity);
    return BridgedRows(ScrambledNormalVariates(steps, n, seed, start), maturity);
}

DoubleMatrix BrownianPaths(int steps, int n, double maturity, std::uint32_t seed,
                           std::uint32_t start, const std::filesystem::path& directionNumberPath) {
    RequireValidMaturity(maturity);
    return BridgedRows(ScrambledNormalVariates(steps, n, seed, start, directionNumberPath),
                       maturity);
}
