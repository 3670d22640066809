#pragma once

#include "DoubleMatrix.h"

#include <cstdint>
#include <filesystem>
#include <vector>

// The first n points (indices 1 to n) of the d-dimensional Sobol sequence in
// Gray-code order, one point per row, in fixed point with 25 fractional bits.
// Dimension 1 needs no file; dimensions 2 to d take their polynomials and
// initial direction numbers from lines 2 to d of the direction-number file.

// Reads "param.txt" beside the module and writes its path, and a line end, to
// the standard output.
DoubleMatrix SobolPoints(int d, int n);

// Reads the given file and writes nothing.
DoubleMatrix SobolPoints(int d, int n, const std::filesystem::path& directionNumberPath);

// Derives m[s + 1] ... m[bitCount] of one dimension from m[1] ... m[s] (m is
// 1-based and holds at least bitCount + 1 entries), for a primitive polynomial
// of degree s whose inner coefficients a(t) are bit s - 1 - t of a. Nothing
// is derived when s >= bitCount.
void ExtendDirectionNumbers(std::vector<std::uint32_t>& m, int s, std::uint32_t a, int bitCount);
