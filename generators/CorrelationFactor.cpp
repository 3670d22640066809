#include "CorrelationFactor.h"
#include "GeneratorArguments.h"

#include <cmath>
#include <stdexcept>

FactorMethod FactorMethodNamed(const std::string& name) {
    const std::string lower = LowerCase(name);
    if (lower.empty() || lower == "pca")
        return FactorMethod::PrincipalComponents;
    if (lower == "cholesky")
        return FactorMethod::Cholesky;
    throw std::invalid_argument("method must be \"pca\" or \"cholesky\", not " + EchoedText(name));
}

namespace {

constexpr double SymmetryTolerance = 1e-12;

std::string Cell(unsigned long i, unsigned long j) {
    return "row " + std::to_string(i + 1) + ", column " + std::to_string(j + 1);
}

} // namespace

void RequireCorrelationCells(const DoubleMatrix& c) {
    const unsigned long k = c.RowCount();
    if (c.ColumnCount() != k)
        throw std::invalid_argument("correlation must be square, not " +
                                    ShapeText(k, c.ColumnCount()));
    for (unsigned long i = 0; i < k; ++i)
        for (unsigned long j = 0; j < k; ++j)
            if (!(c(i, j) >= -1.0 && c(i, j) <= 1.0))
                throw std::invalid_argument("correlation must lie in [-1, 1]: " + Cell(i, j) +
                                            " is " + EchoedNumber(c(i, j)));
    for (unsigned long i = 0; i < k; ++i)
        if (c(i, i) != 1.0)
            throw std::invalid_argument("correlation must have ones on its diagonal: " +
                                        Cell(i, i) + " is " + EchoedNumber(c(i, i)));
    for (unsigned long i = 0; i < k; ++i)
        for (unsigned long j = 0; j < i; ++j)
            if (std::fabs(c(i, j) - c(j, i)) > SymmetryTolerance)
                throw std::invalid_argument("correlation must be symmetric: " + Cell(i, j) +
                                            " is " + EchoedNumber(c(i, j)) + " but " + Cell(j, i) +
                                            " is " + EchoedNumber(c(j, i)));
}

SymmetricEigensystem CheckedCorrelation(const DoubleMatrix& correlation,
                                        const InterruptionCheck& interrupted) {
    RequireCorrelationCells(correlation);
    SymmetricEigensystem system = EigensystemOf(correlation, interrupted);
    const double zero = ZeroEigenvalueTolerance * static_cast<double>(correlation.RowCount());
    if (!system.values.empty() && system.values.back() < -zero)
        throw std::invalid_argument(
            "correlation must be positive semidefinite: its smallest eigenvalue is " +
            EchoedNumber(system.values.back()));
    for (double& value : system.values)
        if (std::fabs(value) <= zero)
            value = 0.0;
    return system;
}

namespace {

DoubleMatrix PrincipalComponentFactor(const SymmetricEigensystem& system) {
    const unsigned long k = system.values.size();
    DoubleMatrix a(k, k);
    for (unsigned long j = 0; j < k; ++j) {
        const double root = std::sqrt(system.values[j]);
        for (unsigned long i = 0; i < k; ++i)
            a(i, j) = system.vectors(i, j) * root;
    }
    return a;
}

DoubleMatrix CholeskyFactor(const DoubleMatrix& c) {
    const unsigned long k = c.RowCount();
    const double zero = ZeroEigenvalueTolerance * static_cast<double>(k);
    DoubleMatrix l(k, k);
    for (unsigned long j = 0; j < k; ++j) {
        double pivot = c(j, j);
        for (unsigned long m = 0; m < j; ++m)
            pivot -= l(j, m) * l(j, m);
        if (pivot <= zero)
            continue;
        l(j, j) = std::sqrt(pivot);
        for (unsigned long i = j + 1; i < k; ++i) {
            double residual = c(i, j);
            for (unsigned long m = 0; m < j; ++m)
                residual -= l(i, m) * l(j, m);
            l(i, j) = residual / l(j, j);
        }
    }
    return l;
}

} // namespace

DoubleMatrix CorrelationFactor(const DoubleMatrix& correlation,
                               const SymmetricEigensystem& eigensystem, FactorMethod method) {
    return method == FactorMethod::Cholesky ? CholeskyFactor(correlation)
                                            : PrincipalComponentFactor(eigensystem);
}
