#pragma once

#include "DoubleMatrix.h"

// The first n points (indices 1 to n) of the d-dimensional Faure sequence in
// the base b = NextPrime(d), one point per row: dimension 0 is the base-b
// radical inverse of the index, and dimension j carries the index's digits
// multiplied j times by the Pascal matrix modulo b.
DoubleMatrix FaurePoints(int d, int n);
