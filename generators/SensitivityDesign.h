#pragma once

#include "DoubleMatrix.h"
#include "Interruption.h"
#include "WholeNumberArgument.h"

#include <cstdint>

// Saltelli's design for Sobol' sensitivity indices of a model of d inputs:
// n * (d + 2) rows of d columns, first the n rows of A, then the n rows of
// B, then AB_1 ... AB_d, n rows each, where AB_i is A with column i taken
// from B. A and B are the two halves of the points start ... start + n - 1
// of the 2d-dimensional Owen-scrambled Sobol sequence (ScrambledSobolPoints
// with 2d dimensions: A its first d coordinates, B its last d), so that the
// rows of A and B are independent of each other and each a scrambled net.
// Throws std::invalid_argument for negative counts, for 2d past the 16384
// Sobol dimensions a sheet can ask for, for start + n past the sequence and
// for more rows than an int counts.
void RequireValidSensitivityDesign(int d, int n, std::uint32_t start);

DoubleMatrix SensitivityDesign(int d, int n, std::uint32_t seed, std::uint32_t start,
                               const InterruptionCheck& interrupted = {});
// The same design written in place: d is the columns of `design`, whose
// rows are n (d + 2).
void WriteSensitivityDesign(const MatrixRows& design, std::uint32_t seed, std::uint32_t start,
                            const InterruptionCheck& interrupted = {});

// The most inputs: A and B take 2d of the 16384 Sobol dimensions.
constexpr int MostSensitivityInputs = 8192;

// The design's arguments, read and checked in their order as the sheet
// reads them: d a whole number from 0 to the lesser of `widest` and
// MostSensitivityInputs, n a count, then the seed, start and replicates;
// then RequireValidSensitivityDesign. Throws std::invalid_argument naming
// the first that is wrong.
struct SensitivityDesignArguments {
    int d, n;
    tesserine::SeedArguments seeds;
};
SensitivityDesignArguments SensitivityDesignArgumentsOf(double d, double n, double seed,
                                                        double start, double replicates,
                                                        int widest);

// The rows of R designs, refused before a point is computed when they are
// more than `tallest` (at most 2147483647): the text gives the largest n
// that fits.
int SensitivityDesignRows(const SensitivityDesignArguments& arguments, std::uint64_t tallest);

// R designs, one after another, design r from seed + r (wrapping modulo
// 2^32), as Replicated stacks blocks.
DoubleMatrix ReplicatedSensitivityDesigns(const SensitivityDesignArguments& arguments,
                                          const InterruptionCheck& interrupted = {});
