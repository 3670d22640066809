#pragma once

#include "DoubleMatrix.h"

#include <filesystem>

// The first n points (indices 1 to n) of the d-dimensional Sobol sequence in
// Gray-code order, one point per row, in fixed point with 25 fractional bits.
// Dimension 1 needs no file; dimensions 2 to d take their polynomials and
// initial direction numbers from lines 2 to d of the direction-number file.

// Reads "param.txt" beside the module and writes its path, and a line end, to
// the standard output.
DoubleMatrix SobolPoints(int d, int n);

// Reads the given file and writes nothing.
DoubleMatrix SobolPoints(int d, int n, const std::filesystem::path& directionNumberPath);
