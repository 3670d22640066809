#include "ScrambledSobol.h"

#include "GeneratorArguments.h"
#include "GrayCodeSobol.h"
#include "OwenScrambling.h"
#include "SobolDirectionTable.h"
#include "WichuraInverseNormal.h"

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

// (x + 1/2) / 2^32 is exact in a double: 33 significant bits. x goes through
// the signed value x - 2^31, since SSE2 converts signed 32-bit integers
// several at a time and unsigned ones not at all; every step is exact.
double Coordinate(std::uint32_t bits) {
    const std::int32_t centred = static_cast<std::int32_t>(bits ^ 0x80000000u);
    return (centred + 2147483648.5) * 0x1p-32;
}

double NormalCoordinate(std::uint32_t bits) {
    return WichuraInverseNormal(Coordinate(bits));
}

template <double (*Map)(std::uint32_t)>
DoubleMatrix ScrambledRows(int d, int n, std::uint32_t seed, std::uint32_t start,
                           const SobolDirectionTable& directions,
                           const InterruptionCheck& interrupted) {
    RequireValidScrambledArguments(d, n, start);
    DoubleMatrix points = DoubleMatrix::ForOverwrite(n, d);
    if (n == 0 || d == 0)
        return points;

    GrayCodeSobol sobol(d, directions.DirectionIntegers(d));
    std::vector<std::uint32_t> seeds(d);
    for (int j = 0; j < d; ++j)
        seeds[j] = DimensionSeed(seed, j);
    sobol.Seek(start);
    const int rowsBetweenChecks = RowsBetweenChecks(d);
    for (int i = 0; i < n; ++i) {
        if (i % rowsBetweenChecks == 0)
            StopIfInterrupted(interrupted);
        if (i > 0)
            sobol.Next();
        const std::uint32_t* reversed = sobol.ReversedPoint();
        double* row = points[i];
        for (int j = 0; j < d; ++j)
            row[j] = Map(OwenScrambleReversed(reversed[j], seeds[j]));
    }
    return points;
}

// Read by the call that asks, as far as it asks; a count of 0 reads nothing.
SobolDirectionTable OneCallTable(int d, const std::filesystem::path& path) {
    return SobolDirectionTable(path, d > 1 ? d : 1);
}

} // namespace

DoubleMatrix ScrambledSobolPoints(int d, int n, std::uint32_t seed, std::uint32_t start,
                                  const InterruptionCheck& interrupted) {
    return ScrambledRows<Coordinate>(d, n, seed, start, ModuleSobolDirections(), interrupted);
}

DoubleMatrix ScrambledSobolPoints(int d, int n, std::uint32_t seed, std::uint32_t start,
                                  const std::filesystem::path& directionNumberPath,
                                  const InterruptionCheck& interrupted) {
    return ScrambledRows<Coordinate>(d, n, seed, start, OneCallTable(d, directionNumberPath),
                                     interrupted);
}

DoubleMatrix ScrambledNormalVariates(int d, int n, std::uint32_t seed, std::uint32_t start,
                                     const InterruptionCheck& interrupted) {
    return ScrambledRows<NormalCoordinate>(d, n, seed, start, ModuleSobolDirections(), interrupted);
}

DoubleMatrix ScrambledNormalVariates(int d, int n, std::uint32_t seed, std::uint32_t start,
                                     const std::filesystem::path& directionNumberPath,
                                     const InterruptionCheck& interrupted) {
    return ScrambledRows<NormalCoordinate>(d, n, seed, start, OneCallTable(d, directionNumberPath),
                                           interrupted);
}
