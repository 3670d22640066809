#include "ScrambledSobol.h"

#include "GeneratorArguments.h"
#include "GrayCodeSobol.h"
#include "OwenScrambling.h"
#include "ScrambledCoordinates.h"
#include "SobolDirectionTable.h"
#include "WichuraInverseNormal.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace {

constexpr std::uint64_t SequenceLength = std::uint64_t{1} << 32;

} // namespace

void RequireValidScrambledArguments(int d, int n, std::uint32_t start) {
    RequireValidCounts(d, n);
    if (start + static_cast<std::uint64_t>(n) > SequenceLength)
        throw std::invalid_argument(
            "start + n must not exceed 4294967296, the length of the 32-bit Sobol sequence");
}

namespace {

// Coordinates scrambled in one pass: their bits, seeds and results stay
// within a core's own caches between the passes over them.
constexpr int CoordinatesPerPass = 4096;

enum class Mapping { Uniform, Normal };

template <Mapping mapping>
void ScrambledRows(const MatrixRows& points, std::uint32_t seed, std::uint32_t start,
                   const SobolDirectionTable& directions, const InterruptionCheck& interrupted) {
    const int d = static_cast<int>(points.ColumnCount());
    const int n = static_cast<int>(points.RowCount());
    RequireValidScrambledArguments(d, n, start);
    if (n == 0 || d == 0)
        return;

    GrayCodeSobol sobol(d, directions.DirectionIntegers(d));
    sobol.Seek(start);
    const int rowsPerPass = std::max(1, CoordinatesPerPass / d);
    const std::size_t passCoordinates = static_cast<std::size_t>(rowsPerPass) * d;
    // Row after row, as the bits come, so that one flat loop scrambles them.
    std::vector<std::uint32_t> seeds(passCoordinates);
    for (int j = 0; j < d; ++j)
        seeds[j] = DimensionSeed(seed, j);
    for (std::size_t k = d; k < passCoordinates; ++k)
        seeds[k] = seeds[k - d];
    std::vector<std::uint32_t> bits(passCoordinates);

    const int rowsBetweenChecks = RowsBetweenChecks(d);
    for (int blockStart = 0, blockEnd = 0; blockStart < n; blockStart = blockEnd) {
        StopIfInterrupted(interrupted);
        blockEnd = blockStart + std::min(rowsBetweenChecks, n - blockStart);
        for (int first = blockStart; first < blockEnd; first += rowsPerPass) {
            const int rows = std::min(rowsPerPass, blockEnd - first);
            if (first > 0)
                sobol.Next();
            sobol.WriteRows(bits.data(), rows);
            double* out = points[first];
            const std::size_t count = static_cast<std::size_t>(rows) * d;
            ScrambleToCoordinates(bits.data(), seeds.data(), out, count);
            if constexpr (mapping == Mapping::Normal)
                for (std::size_t k = 0; k < count; ++k)
                    out[k] = WichuraInverseNormal(out[k]);
        }
    }
}

template <Mapping mapping>
DoubleMatrix ScrambledMatrix(int d, int n, std::uint32_t seed, std::uint32_t start,
                             const SobolDirectionTable& directions,
                             const InterruptionCheck& interrupted) {
    RequireValidScrambledArguments(d, n, start);
    DoubleMatrix points = DoubleMatrix::ForOverwrite(n, d);
    ScrambledRows<mapping>(points.Rows(), seed, start, directions, interrupted);
    return points;
}

// Read by the call that asks, as far as it asks; a count of 0 reads nothing.
SobolDirectionTable OneCallTable(int d, const std::filesystem::path& path) {
    return SobolDirectionTable(path, d > 1 ? d : 1);
}

} // namespace

DoubleMatrix ScrambledSobolPoints(int d, int n, std::uint32_t seed, std::uint32_t start,
                                  const InterruptionCheck& interrupted) {
    return ScrambledMatrix<Mapping::Uniform>(d, n, seed, start, ModuleSobolDirections(),
                                             interrupted);
}

DoubleMatrix ScrambledSobolPoints(int d, int n, std::uint32_t seed, std::uint32_t start,
                                  const std::filesystem::path& directionNumberPath,
                                  const InterruptionCheck& interrupted) {
    return ScrambledMatrix<Mapping::Uniform>(d, n, seed, start,
                                             OneCallTable(d, directionNumberPath), interrupted);
}

void WriteScrambledSobolPoints(const MatrixRows& points, std::uint32_t seed, std::uint32_t start,
                               const InterruptionCheck& interrupted) {
    ScrambledRows<Mapping::Uniform>(points, seed, start, ModuleSobolDirections(), interrupted);
}

DoubleMatrix ScrambledNormalVariates(int d, int n, std::uint32_t seed, std::uint32_t start,
                                     const InterruptionCheck& interrupted) {
    return ScrambledMatrix<Mapping::Normal>(d, n, seed, start, ModuleSobolDirections(),
                                            interrupted);
}

DoubleMatrix ScrambledNormalVariates(int d, int n, std::uint32_t seed, std::uint32_t start,
                                     const std::filesystem::path& directionNumberPath,
                                     const InterruptionCheck& interrupted) {
    return ScrambledMatrix<Mapping::Normal>(d, n, seed, start, OneCallTable(d, directionNumberPath),
                                            interrupted);
}

void WriteScrambledNormalVariates(const MatrixRows& normals, std::uint32_t seed,
                                  std::uint32_t start, const InterruptionCheck& interrupted) {
    ScrambledRows<Mapping::Normal>(normals, seed, start, ModuleSobolDirections(), interrupted);
}
