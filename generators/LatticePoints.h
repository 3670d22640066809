#pragma once

#include "DoubleMatrix.h"
#include "Interruption.h"

#include <cstdint>
#include <string>

// Points start ... start + n - 1 of the d-dimensional extensible rank-1
// lattice of the shipped generating vector z, taken in radical-inverse order
// and randomly shifted: coordinate j of point i is
//     ((rev32(i) * z_j + s_j) mod 2^32 + 1/2) / 2^32,
// rev32 reversing the 32 bits of i and s_j a 32-bit shift hashed from the
// seed and the dimension. The first 2^m points from 0 are a whole shifted
// lattice {k z / 2^m + s / 2^32 mod 1}; doubling the points refines it.
// Integer arithmetic to the last step, so every build gives the same bits;
// a coordinate lies strictly inside (0, 1), and so does its image under the
// baker's transform.
enum class LatticeTransform {
    None,
    // The baker's (tent) transform 1 - |2x - 1| after the shift (Hickernell,
    // 2002): smooth integrands that are not periodic converge as lattice
    // rules do on periodic ones.
    Baker
};

// "none" (or "") and "baker", in any case; std::invalid_argument naming the
// two otherwise.
LatticeTransform LatticeTransformNamed(const std::string& name);

// d beyond LatticeVectorDimensions: std::invalid_argument.
void RequireLatticeDimensions(int d);
// Negative counts, d beyond the vector and start + n beyond the 2^20 points
// the vector was built for: std::invalid_argument, in that order.
void RequireValidLatticeArguments(int d, int n, std::uint32_t start);

// The shift s_j of dimension j for a seed: every seed gives a random shift,
// and two seeds, or two dimensions of one seed, never share one.
std::uint32_t LatticeShift(std::uint32_t seed, int j);

// Writes nothing shared: several threads may call at once. `interrupted`,
// when given, is asked before every block of rows.
DoubleMatrix LatticePoints(int d, int n, std::uint32_t seed, std::uint32_t start,
                           LatticeTransform transform, const InterruptionCheck& interrupted = {});
// The same points written in place: d is the columns and n the rows of
// `points`.
void WriteLatticePoints(const MatrixRows& points, std::uint32_t seed, std::uint32_t start,
                        LatticeTransform transform, const InterruptionCheck& interrupted = {});
