#include "SensitivityDesign.h"

#include "GeneratorArguments.h"
#include "Replicates.h"
#include "ScrambledSobol.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

void RequireValidSensitivityDesign(int d, int n, std::uint32_t start) {
    RequireValidScrambledArguments(d, n, start);
    if (d > MostSensitivityInputs)
        throw std::invalid_argument("d must be at most " + std::to_string(MostSensitivityInputs) +
                                    ": A and B take 2d of the 16384 Sobol dimensions");
    const std::uint64_t rows = static_cast<std::uint64_t>(n) * (d + 2);
    if (rows > static_cast<std::uint64_t>(std::numeric_limits<int>::max()))
        throw std::invalid_argument("n x (d + 2) = " + std::to_string(rows) +
                                    " rows, more than a result holds");
}

// The 2d-dimensional points are made once and their columns copied: a Sobol
// coordinate costs its scramble, a copy almost nothing, so the design costs
// little more than the 2n x d coordinates of A and B, not the n(d + 2) x d
// of its cells.
void WriteSensitivityDesign(const MatrixRows& design, std::uint32_t seed, std::uint32_t start,
                            const InterruptionCheck& interrupted) {
    const int d = static_cast<int>(design.ColumnCount());
    const int n = static_cast<int>(design.RowCount() / (d + 2));
    RequireValidSensitivityDesign(d, n, start);
    if (n == 0 || d == 0)
        return;
    const DoubleMatrix halves = ScrambledSobolPoints(2 * d, n, seed, start, interrupted);
    const int rowsBetweenChecks = RowsBetweenChecks(d);
    for (int block = 0; block < d + 2; ++block) {
        // A copies the first half, B the second and AB_i the first but for
        // its column i, which comes from B.
        const int from = block == 1 ? d : 0;
        const int mixed = block - 2;
        for (int k = 0; k < n; ++k) {
            if (k % rowsBetweenChecks == 0)
                StopIfInterrupted(interrupted);
            const double* point = halves[k];
            double* row = design[static_cast<unsigned long>(block) * n + k];
            std::copy(point + from, point + from + d, row);
            if (mixed >= 0)
                row[mixed] = point[d + mixed];
        }
    }
}

DoubleMatrix SensitivityDesign(int d, int n, std::uint32_t seed, std::uint32_t start,
                               const InterruptionCheck& interrupted) {
    RequireValidSensitivityDesign(d, n, start);
    DoubleMatrix design = DoubleMatrix::ForOverwrite(static_cast<unsigned long>(n) * (d + 2), d);
    WriteSensitivityDesign(design.Rows(), seed, start, interrupted);
    return design;
}

SensitivityDesignArguments SensitivityDesignArgumentsOf(double d, double n, double seed,
                                                        double start, double replicates,
                                                        int widest) {
    const int inputs =
        tesserine::ColumnCountArgument(d, "d", std::min(widest, MostSensitivityInputs));
    const int points = tesserine::CountArgument(n, "n");
    RequireValidCounts(inputs, points);
    const tesserine::SeedArguments seeds = tesserine::SeedArgumentsOf(seed, start, replicates);
    RequireValidSensitivityDesign(inputs, points, seeds.start);
    return {inputs, points, seeds};
}

int SensitivityDesignRows(const SensitivityDesignArguments& arguments, std::uint64_t tallest) {
    const int replicates = arguments.seeds.replicates;
    const std::uint64_t perPoint = static_cast<std::uint64_t>(replicates) * (arguments.d + 2);
    const std::uint64_t rows = perPoint * arguments.n;
    if (rows > tallest)
        throw std::invalid_argument(
            "replicates x n x (d + 2) = " + std::to_string(rows) + " rows, more than the " +
            std::to_string(tallest) + " an array holds: n can be at most " +
            std::to_string(tallest / perPoint) + " for d = " + std::to_string(arguments.d) +
            " and " + std::to_string(replicates) +
            (replicates == 1 ? " replicate" : " replicates"));
    return static_cast<int>(rows);
}

DoubleMatrix ReplicatedSensitivityDesigns(const SensitivityDesignArguments& arguments,
                                          const InterruptionCheck& interrupted) {
    const unsigned long rows = static_cast<unsigned long>(arguments.n) * (arguments.d + 2);
    return Replicated(arguments.seeds.replicates, rows, arguments.d, arguments.seeds.seed,
                      [&](const MatrixRows& design, std::uint32_t blockSeed) {
                          WriteSensitivityDesign(design, blockSeed, arguments.seeds.start,
                                                 interrupted);
                      });
}
