#pragma once

#include "DoubleMatrix.h"
#include "Interruption.h"

#include <cstdint>
#include <filesystem>

// n paths of standard Brownian motion, one per row: W(t_1) ... W(t_steps)
// with t_k = k * maturity / steps. Row i is built by a BrownianBridge from the
// normals of ScrambledNormalVariates(steps, n, seed, start), row i. Throws
// std::invalid_argument for a maturity that is not positive and finite, and
// for what ScrambledNormalVariates refuses. `interrupted`, when given, is
// asked before every block of rows, of the normals and of the paths, and
// Interrupted thrown when it answers true.

// Throws std::invalid_argument "maturity must be a positive, finite number"
// unless it is.
void RequireValidMaturity(double maturity);

// Takes the direction numbers read once beside the module (ModuleSobolDirections)
// and writes nothing.
DoubleMatrix BrownianPaths(int steps, int n, double maturity, std::uint32_t seed,
                           std::uint32_t start, const InterruptionCheck& interrupted = {});
// Reads the given file, for this call only, and writes nothing.
DoubleMatrix BrownianPaths(int steps, int n, double maturity, std::uint32_t seed,
                           std::uint32_t start, const std::filesystem::path& directionNumberPath,
                           const InterruptionCheck& interrupted = {});
// The first form's paths written in place: steps is the columns and n the
// rows of `paths`.
void WriteBrownianPaths(const MatrixRows& paths, double maturity, std::uint32_t seed,
                        std::uint32_t start, const InterruptionCheck& interrupted = {});
