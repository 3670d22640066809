#pragma once

#include "DoubleMatrix.h"
#include "Interruption.h"

#include <cstdint>

// Points start ... start + n - 1 (index 0 is the first) of the d-dimensional
// Halton sequence, dimension j in the j-th prime base b, each randomised by
// random digit permutations (A. B. Owen, "A randomized Halton algorithm in R",
// arXiv:1706.02808, 2017): digit k of the base-b expansion of the index goes
// through a permutation of {0, ..., b - 1} of its own, drawn from `seed`, the
// dimension and k: shuffled for the first 255 dimensions, and beyond them
// (bases above 1613) a keyed cycle-walking Feistel permutation, which needs
// no table. Every digit that a double can hold is permuted, the zeros
// beyond the index's own digits included, so a coordinate is no longer a
// fraction with a power of b below it. A coordinate lies strictly inside
// (0, 1). For n = b^m points from start 0, dimension j has one point in each
// [c / b^m, (c + 1) / b^m). The permutations are integer arithmetic: every
// build gives the same values.
//
// Throws std::invalid_argument for negative counts and for start + n beyond
// 2^32. `interrupted`, when given, is asked before every block of rows.
DoubleMatrix ScrambledHaltonPoints(int d, int n, std::uint32_t seed, std::uint32_t start,
                                   const InterruptionCheck& interrupted = {});
// The same points written in place: d is the columns and n the rows of
// `points`.
void WriteScrambledHaltonPoints(const MatrixRows& points, std::uint32_t seed, std::uint32_t start,
                                const InterruptionCheck& interrupted = {});
