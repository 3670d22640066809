#pragma once

#include "DoubleMatrix.h"
#include "Interruption.h"
#include "SymmetricEigensystem.h"

#include <string>

// How k correlated Brownian motions are made from k independent ones: the
// assets are A times the factors, A A^T the correlation.
enum class FactorMethod {
    // A's columns the eigenvectors scaled by the square roots of their
    // eigenvalues, largest first: the first factors carry the most variance.
    PrincipalComponents,
    // A the lower Cholesky factor: asset 1 rides on factor 1 alone.
    Cholesky
};

// "pca" or "cholesky" in any letter case; "" gives "pca". Throws
// std::invalid_argument naming both otherwise.
FactorMethod FactorMethodNamed(const std::string& name);

// Eigenvalues of a correlation matrix within this much of zero, relative to
// its size k (its trace), count as zero.
constexpr double ZeroEigenvalueTolerance = 1e-12;

// The checks of a correlation matrix that cost no more than reading it, in
// words naming the cells (row and column from 1) and saying what is allowed:
// square, every value in [-1, 1], a diagonal of ones, symmetric within
// 1e-12. Throws std::invalid_argument for the first fault.
void RequireCorrelationCells(const DoubleMatrix& correlation);

// Those checks, then positive semidefinite (the text gives the smallest
// eigenvalue), which takes its eigensystem: about k^3 operations a sweep of
// rotations, a second or so for k = 255. Gives the eigensystem, with the
// eigenvalues within the tolerance of zero set to zero, for
// CorrelationFactor.
SymmetricEigensystem CheckedCorrelation(const DoubleMatrix& correlation,
                                        const InterruptionCheck& interrupted = {});

// A, k x k, with A A^T = correlation, from a correlation and the eigensystem
// that CheckedCorrelation gave for it. Principal components: the column of a
// zero eigenvalue is zero. Cholesky: a pivot within the tolerance of zero (a
// semidefinite matrix, whose asset depends on those before it) gives a zero
// column, since nothing of that factor is left to the assets after it.
DoubleMatrix CorrelationFactor(const DoubleMatrix& correlation,
                               const SymmetricEigensystem& eigensystem, FactorMethod method);
