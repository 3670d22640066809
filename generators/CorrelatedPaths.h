#pragma once

#include "DoubleMatrix.h"
#include "Interruption.h"

#include <cstdint>
#include <filesystem>

// n rows of k correlated Brownian motions on the grid t_m = m * maturity /
// steps (m = 1 ... steps), asset-major: asset 1's W(t_1) ... W(t_steps), then
// asset 2's, k * steps columns. Row i comes from row i of
// ScrambledNormalVariates(k * steps, n, seed, start): normal b * k + f (both
// from 0) is bridge variate b of factor f, so the first coordinates, the best
// distributed, give every factor's terminal value, then their midpoints
// coarsest first. Each factor's path is a ScaledBrownianBridge's, and asset
// a's is the sum over f of factor(a, f) times factor f's path, summed from
// f = 0 up: with k = 1 and factor 1 the paths are BrownianPaths' to the bit.
//
// `factor` is square, k x k (CorrelationFactor's A). Throws
// std::invalid_argument for what BrownianPaths refuses and for k * steps
// beyond an int. `interrupted`, when given, is asked before every block of
// rows, of the normals and of the paths.
DoubleMatrix CorrelatedPaths(int steps, int n, double maturity, const DoubleMatrix& factor,
                             std::uint32_t seed, std::uint32_t start,
                             const InterruptionCheck& interrupted = {});
// Reads the given file, for this call only, and writes nothing.
DoubleMatrix CorrelatedPaths(int steps, int n, double maturity, const DoubleMatrix& factor,
                             std::uint32_t seed, std::uint32_t start,
                             const std::filesystem::path& directionNumberPath,
                             const InterruptionCheck& interrupted = {});
// The first form's paths written in place: n is the rows of `paths`, whose
// columns must be k * steps.
void WriteCorrelatedPaths(const MatrixRows& paths, int steps, double maturity,
                          const DoubleMatrix& factor, std::uint32_t seed, std::uint32_t start,
                          const InterruptionCheck& interrupted = {});

// The columns of k assets of `steps` columns each: refused when they are more
// than `widest`, the widest result the caller can take (a sheet's width).
int PathColumnCount(unsigned long assets, int steps, unsigned long widest);

// The same construction from any normals, n x (k * steps), one row replaced
// by its paths after another: pseudo-random ones give plain Monte Carlo
// through the same bridge and factor. Throws std::invalid_argument when the
// columns are not k * steps.
DoubleMatrix CorrelatedPathsFromNormals(DoubleMatrix normals, int steps, double maturity,
                                        const DoubleMatrix& factor,
                                        const InterruptionCheck& interrupted = {});
