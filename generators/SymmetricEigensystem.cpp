#include "SymmetricEigensystem.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <stdexcept>

namespace {

// Quadratic convergence sets in after a few sweeps; more than this many
// means the arithmetic is broken, not the matrix hard.
constexpr int MostSweeps = 60;

// Rotates rows and columns p and q of the symmetric `a` (p < q) so that
// a(p, q) becomes 0, and the same eigenvectors, rows p and q of `vt` (V
// transposed). The tangent is the smaller root of t^2 + 2 theta t - 1 = 0,
// which keeps the rotation below 45 degrees and the update stable. Rows are
// read and written along memory, the columns of `a` written as their mirror.
void Rotate(DoubleMatrix& a, DoubleMatrix& vt, unsigned long p, unsigned long q) {
    const unsigned long size = a.RowCount();
    const double apq = a(p, q);
    const double theta = (a(q, q) - a(p, p)) / (2.0 * apq);
    // theta^2 overflows beyond 1e154, where the root is 1 / (2 theta) to
    // the last bit.
    const double t =
        std::fabs(theta) > 1e150
            ? 0.5 / theta
            : (theta < 0.0 ? -1.0 : 1.0) / (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
    const double c = 1.0 / std::sqrt(t * t + 1.0);
    const double s = t * c;
    double* rowP = a[p];
    double* rowQ = a[q];
    for (unsigned long k = 0; k < size; ++k) {
        if (k == p || k == q)
            continue;
        const double akp = rowP[k];
        const double akq = rowQ[k];
        a(k, p) = rowP[k] = c * akp - s * akq;
        a(k, q) = rowQ[k] = s * akp + c * akq;
    }
    rowP[p] -= t * apq;
    rowQ[q] += t * apq;
    rowP[q] = rowQ[p] = 0.0;
    double* vectorP = vt[p];
    double* vectorQ = vt[q];
    for (unsigned long k = 0; k < size; ++k) {
        const double vkp = vectorP[k];
        const double vkq = vectorQ[k];
        vectorP[k] = c * vkp - s * vkq;
        vectorQ[k] = s * vkp + c * vkq;
    }
}

// Whether a(p, q) no longer changes either diagonal element it would be
// rotated into, the test of Rutishauser's Jacobi procedure (Wilkinson and
// Reinsch, "Linear Algebra", 1971, II/1).
bool Negligible(const DoubleMatrix& a, unsigned long p, unsigned long q) {
    const double g = 100.0 * std::fabs(a(p, q));
    return std::fabs(a(p, p)) + g == std::fabs(a(p, p)) &&
           std::fabs(a(q, q)) + g == std::fabs(a(q, q));
}

void SignByLargestComponent(DoubleMatrix& vectors, unsigned long column) {
    unsigned long largest = 0;
    for (unsigned long k = 1; k < vectors.RowCount(); ++k)
        if (std::fabs(vectors(k, column)) > std::fabs(vectors(largest, column)))
            largest = k;
    if (vectors(largest, column) < 0.0)
        for (unsigned long k = 0; k < vectors.RowCount(); ++k)
            vectors(k, column) = -vectors(k, column);
}

} // namespace

SymmetricEigensystem EigensystemOf(const DoubleMatrix& symmetric,
                                   const InterruptionCheck& interrupted) {
    const unsigned long size = symmetric.RowCount();
    DoubleMatrix a(size, size);
    DoubleMatrix vt(size, size);
    for (unsigned long i = 0; i < size; ++i) {
        for (unsigned long j = 0; j <= i; ++j)
            a(i, j) = a(j, i) = symmetric(i, j);
        vt(i, i) = 1.0;
    }
    for (int sweep = 0;; ++sweep) {
        bool rotated = false;
        for (unsigned long p = 0; p + 1 < size; ++p) {
            StopIfInterrupted(interrupted);
            for (unsigned long q = p + 1; q < size; ++q) {
                if (a(p, q) == 0.0)
                    continue;
                if (Negligible(a, p, q)) {
                    a(p, q) = a(q, p) = 0.0;
                    continue;
                }
                Rotate(a, vt, p, q);
                rotated = true;
            }
        }
        if (!rotated)
            break;
        if (sweep == MostSweeps)
            throw std::runtime_error("the eigenvalues of the correlation did not converge");
    }

    std::vector<unsigned long> order(size);
    std::iota(order.begin(), order.end(), 0ul);
    std::stable_sort(order.begin(), order.end(),
                     [&a](unsigned long i, unsigned long j) { return a(i, i) > a(j, j); });
    SymmetricEigensystem system{std::vector<double>(size), DoubleMatrix(size, size)};
    for (unsigned long j = 0; j < size; ++j) {
        system.values[j] = a(order[j], order[j]);
        for (unsigned long k = 0; k < size; ++k)
            system.vectors(k, j) = vt(order[j], k);
        SignByLargestComponent(system.vectors, j);
    }
    return system;
}
