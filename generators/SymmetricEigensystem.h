#pragma once

#include "DoubleMatrix.h"
#include "Interruption.h"

#include <vector>

// The eigenvalues of a real symmetric matrix and an orthonormal basis of its
// eigenvectors, by the cyclic Jacobi method (Golub and Van Loan, "Matrix
// Computations", 4th ed., 8.5): plane rotations in a fixed order, each
// worked out with additions, multiplications, divisions and square roots
// only. Those are correctly rounded on every IEEE machine, so the same matrix
// gives the same bits in every build of either architecture, which a library
// routine calling the C library's functions or tuned to the cache cannot
// promise.
struct SymmetricEigensystem {
    // Largest first; equal ones in the order the rotations leave them.
    std::vector<double> values;
    // Column j is the eigenvector of values[j], of unit length, signed so
    // that its component of largest magnitude (the first of them on a tie)
    // is positive.
    DoubleMatrix vectors;
};

// `symmetric` is square; only its lower triangle is read. `interrupted` is
// asked between rows of rotations, and Interrupted thrown when it answers
// true. Throws std::runtime_error should the rotations not converge (they
// do in a few sweeps for any matrix of doubles).
SymmetricEigensystem EigensystemOf(const DoubleMatrix& symmetric,
                                   const InterruptionCheck& interrupted = {});
