#pragma once

#include "DoubleMatrix.h"

// The first n points (indices 1 to n) of the d-dimensional Halton sequence,
// one point per row: coordinate j is RadicalInverse(prime j, index), with the
// primes 2, 3, 5, ...
DoubleMatrix HaltonPoints(int d, int n);
