#include "LatticePoints.h"

#include "GeneratorArguments.h"
#include "GrayCodeSobol.h"
#include "LatticeGeneratingVector.h"
#include "OwenScrambling.h"
#include "ScrambledCoordinates.h"

#include <cmath>
#include <stdexcept>
#include <vector>

LatticeTransform LatticeTransformNamed(const std::string& name) {
    const std::string lower = LowerCase(name);
    if (lower.empty() || lower == "none")
        return LatticeTransform::None;
    if (lower == "baker")
        return LatticeTransform::Baker;
    throw std::invalid_argument("transform must be \"none\" or \"baker\", not " + EchoedText(name));
}

void RequireLatticeDimensions(int d) {
    if (d > LatticeVectorDimensions)
        throw std::invalid_argument("the lattice has at most " +
                                    std::to_string(LatticeVectorDimensions) +
                                    " dimensions; d was " + std::to_string(d));
}

void RequireValidLatticeArguments(int d, int n, std::uint32_t start) {
    RequireValidCounts(d, n);
    RequireLatticeDimensions(d);
    const std::uint64_t end = std::uint64_t{start} + static_cast<std::uint64_t>(n);
    if (end > LatticeVectorPoints)
        throw std::invalid_argument("the lattice holds at most " +
                                    std::to_string(LatticeVectorPoints) +
                                    " points; start + n was " + std::to_string(end));
}

// The scrambles' hash, keyed by dimension numbers from 2^20 on, which no
// scramble uses (a sheet has at most 16384 columns): a shift is never a
// scramble seed of the same worksheet seed, and the hash stays a bijection of
// the seed for each dimension and of the dimension for each seed.
std::uint32_t LatticeShift(std::uint32_t seed, int j) {
    constexpr int ShiftKeys = 1 << 20;
    return DimensionSeed(seed, ShiftKeys + j);
}

void WriteLatticePoints(const MatrixRows& points, std::uint32_t seed, std::uint32_t start,
                        LatticeTransform transform, const InterruptionCheck& interrupted) {
    const int d = static_cast<int>(points.ColumnCount());
    const int n = static_cast<int>(points.RowCount());
    RequireValidLatticeArguments(d, n, start);
    if (n == 0 || d == 0)
        return;
    const std::uint32_t* z = LatticeGeneratingVector();
    std::vector<std::uint32_t> shifts(d);
    for (int j = 0; j < d; ++j)
        shifts[j] = LatticeShift(seed, j);
    const int rowsBetweenChecks = RowsBetweenChecks(d);
    for (int i = 0; i < n; ++i) {
        if (i % rowsBetweenChecks == 0)
            StopIfInterrupted(interrupted);
        // rev32(i) / 2^32 is the base-2 radical inverse of i; the products
        // wrap modulo 2^32, which is the "mod 1" of the lattice.
        const std::uint32_t radicalInverse = ReverseBits(start + static_cast<std::uint32_t>(i));
        double* row = points[i];
        for (int j = 0; j < d; ++j)
            row[j] = UnitCoordinate(radicalInverse * z[j] + shifts[j]);
        // Exact, and never 0 or 1: 2x - 1 is an odd multiple of 2^-32
        // strictly inside (-1, 1).
        if (transform == LatticeTransform::Baker)
            for (int j = 0; j < d; ++j)
                row[j] = 1.0 - std::abs(2.0 * row[j] - 1.0);
    }
}

DoubleMatrix LatticePoints(int d, int n, std::uint32_t seed, std::uint32_t start,
                           LatticeTransform transform, const InterruptionCheck& interrupted) {
    RequireValidLatticeArguments(d, n, start);
    DoubleMatrix points = DoubleMatrix::ForOverwrite(n, d);
    WriteLatticePoints(points.Rows(), seed, start, transform, interrupted);
    return points;
}
