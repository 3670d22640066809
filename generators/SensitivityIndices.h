#pragma once

#include "DoubleMatrix.h"

#include <optional>
#include <vector>

// Sobol' indices of each input, from a model's outputs on the rows of
// SensitivityDesign: `values` holds R blocks, one per replicate, of
// n * (d + 2) outputs in the design's order (f_A, f_B, f_AB1 ... f_ABd, n
// each). Within a replicate, with every output first taken relative to m,
// the mean of f_A and f_B together, and V the variance of those 2n outputs
// (divided by 2n):
//   S_i  = mean(f_B * (f_ABi - f_A)) / V          (Saltelli et al. 2010)
//   ST_i = mean((f_A - f_ABi)^2) / (2 V)          (Jansen 1999)
// as scipy.stats.sobol_indices computes them. Each index is the mean of its
// R estimates, its standard error their sample standard deviation over
// sqrt(R); with one replicate the standard errors are NaN, there being no
// spread to take.
struct SensitivityEstimate {
    std::vector<double> firstOrder, firstOrderError; // S_i and its standard error
    std::vector<double> total, totalError;           // ST_i and its standard error
};

// Throws std::invalid_argument for d below 1, R below 1, a count of values
// that is not R * n * (d + 2) for a whole n of at least 1 (naming the
// nearest count that is), and a replicate whose f_A and f_B are all equal
// (V = 0: an output that does not vary has no indices).
SensitivityEstimate EstimateSensitivityIndices(const std::vector<double>& values, int d,
                                               int replicates);

// The d of the indices: a whole number from 1 to MostSensitivityInputs, the
// most a design has, or "d must be a whole number from 1 to 8192".
int SensitivityIndexInputCount(double d);

// The table rnd_SensitivityIndices gives, a row per input: S_i, its standard
// error, ST_i, its standard error and, with alpha (already judged valid), the
// half-widths of their 1 - alpha intervals. NaN where one replicate gives no
// spread to take: its standard errors and half-widths.
DoubleMatrix SensitivityIndexTable(const std::vector<double>& values, int d, int replicates,
                                   std::optional<double> alpha);
