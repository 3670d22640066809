#include "CorrelatedPaths.h"
#include "BrownianBridge.h"
#include "BrownianPaths.h"
#include "CorrelationFactor.h"
#include "ScrambledSobol.h"
#include "SymmetricEigensystem.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

DoubleMatrix Matrix(std::initializer_list<std::initializer_list<double>> rows) {
    DoubleMatrix m(rows.size(), rows.begin()->size());
    unsigned long i = 0;
    for (const auto& row : rows) {
        unsigned long j = 0;
        for (double value : row)
            m(i, j++) = value;
        ++i;
    }
    return m;
}

// The basket of the README: three assets correlated 0.5, 0.3 and 0.4.
const DoubleMatrix Basket = Matrix({{1, 0.5, 0.3}, {0.5, 1, 0.4}, {0.3, 0.4, 1}});

void ExpectProductIs(const DoubleMatrix& a, const DoubleMatrix& expected, double tolerance) {
    for (unsigned long i = 0; i < a.RowCount(); ++i)
        for (unsigned long j = 0; j < a.RowCount(); ++j) {
            double sum = 0;
            for (unsigned long f = 0; f < a.ColumnCount(); ++f)
                sum += a(i, f) * a(j, f);
            EXPECT_NEAR(sum, expected(i, j), tolerance) << i << ", " << j;
        }
}

// [[1, r], [r, 1]] has eigenvalues 1 + r and 1 - r on (1, 1) and (1, -1)
// over sqrt 2 (by hand); the tie in magnitude signs the first component
// positive. The README's basket against numpy 1.24's eigh, signed by the
// same rule, and a matrix of its own.
TEST(SymmetricEigensystem, MatchesHandAndNumpyDecompositions) {
    const double h = 1 / std::sqrt(2.0);
    const struct {
        DoubleMatrix matrix;
        std::vector<double> values;
        DoubleMatrix vectors;
    } cases[] = {
        {Matrix({{1, 0.6}, {0.6, 1}}), {1.6, 0.4}, Matrix({{h, h}, {h, -h}})},
        {Matrix({{1, -0.6}, {-0.6, 1}}), {1.6, 0.4}, Matrix({{h, h}, {-h, h}})},
        {Basket,
         {1.805581035952518, 0.7124457431799055, 0.48197322086757705},
         Matrix({{0.5813268797371511, -0.553960070352612, -0.5959759217871115},
                 {0.6215471202625945, -0.17036793937918054, 0.7646266687246581},
                 {0.5251078329146724, 0.8149251534261422, -0.24527282386158278}})},
        {Matrix({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}),
         {1, 1, 1},
         Matrix({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.matrix(0, 1));
        const SymmetricEigensystem system = EigensystemOf(c.matrix);
        ASSERT_EQ(system.values.size(), c.values.size());
        for (std::size_t j = 0; j < c.values.size(); ++j) {
            EXPECT_NEAR(system.values[j], c.values[j], 1e-15) << j;
            for (std::size_t i = 0; i < c.values.size(); ++i)
                EXPECT_NEAR(system.vectors(i, j), c.vectors(i, j), 1e-15) << i << ", " << j;
        }
    }
}

// Equal eigenvalues leave the basis free; what holds whatever the basis is
// V diag(values) V^T = C and V^T V = I. Equicorrelation 0.5 in five
// dimensions has 1 + 4 x 0.5 = 3 once and 0.5 four times (by hand).
TEST(SymmetricEigensystem, RebuildsAMatrixWithRepeatedEigenvalues) {
    DoubleMatrix c(5, 5);
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j)
            c(i, j) = i == j ? 1.0 : 0.5;
    const SymmetricEigensystem system = EigensystemOf(c);
    const double expected[] = {3, 0.5, 0.5, 0.5, 0.5};
    DoubleMatrix scaled(5, 5);
    for (int j = 0; j < 5; ++j) {
        EXPECT_NEAR(system.values[j], expected[j], 1e-14);
        for (int i = 0; i < 5; ++i)
            scaled(i, j) = system.vectors(i, j) * std::sqrt(system.values[j]);
    }
    ExpectProductIs(scaled, c, 1e-14);
    ExpectProductIs(
        system.vectors,
        Matrix(
            {{1, 0, 0, 0, 0}, {0, 1, 0, 0, 0}, {0, 0, 1, 0, 0}, {0, 0, 0, 1, 0}, {0, 0, 0, 0, 1}}),
        1e-14);
}

void ExpectRefusal(const DoubleMatrix& correlation, const std::string& text) {
    try {
        CheckedCorrelation(correlation);
        ADD_FAILURE() << "accepted: " << text;
    } catch (const std::invalid_argument& refusal) {
        EXPECT_EQ(refusal.what(), text);
    }
}

// The smallest eigenvalue of 1 + 0.9 [[0, 1, 1], [1, 0, -1], [1, -1, 0]] is
// 1 - 0.9 x 2 (by hand); the 4 x 4 one is numpy's eigvalsh.
TEST(CheckedCorrelation, SaysWhichCellIsWrong) {
    ExpectRefusal(Matrix({{1, 0.5, 0.2}, {0.5, 1, 0.1}}),
                  "correlation must be square, not 2 rows and 3 columns");
    ExpectRefusal(Matrix({{1}, {0.5}}), "correlation must be square, not 2 rows and 1 column");
    ExpectRefusal(Matrix({{1, 0.5}}), "correlation must be square, not 1 row and 2 columns");
    ExpectRefusal(Matrix({{1, 0.5}, {1.5, 1}}),
                  "correlation must lie in [-1, 1]: row 2, column 1 is 1.5");
    ExpectRefusal(Matrix({{1, -1.25}, {0.5, 1}}),
                  "correlation must lie in [-1, 1]: row 1, column 2 is -1.25");
    ExpectRefusal(Matrix({{1, 0.5}, {0.5, 0.99}}),
                  "correlation must have ones on its diagonal: row 2, column 2 is 0.99");
    ExpectRefusal(Matrix({{1, 0.5, 0.3}, {0.5, 1, 0.4}, {0.3, 0.4 + 2e-12, 1}}),
                  "correlation must be symmetric: row 3, column 2 is 0.40000000000200003 but "
                  "row 2, column 3 is 0.4");
    ExpectRefusal(Matrix({{1, 0.9, 0.9}, {0.9, 1, -0.9}, {0.9, -0.9, 1}}),
                  "correlation must be positive semidefinite: its smallest eigenvalue is -0.8");
    try {
        CheckedCorrelation(Matrix({{1, 0.7, -0.2, 0.1},
                                   {0.7, 1, 0.35, -0.4},
                                   {-0.2, 0.35, 1, 0.25},
                                   {0.1, -0.4, 0.25, 1}}));
        ADD_FAILURE() << "an indefinite matrix accepted";
    } catch (const std::invalid_argument& refusal) {
        const std::string text = refusal.what();
        const std::string lead = "correlation must be positive semidefinite: its smallest "
                                 "eigenvalue is ";
        ASSERT_EQ(text.substr(0, lead.size()), lead);
        EXPECT_NEAR(std::stod(text.substr(lead.size())), -0.05525893122375032, 1e-15);
    }
    // Asymmetry within 1e-12 passes; the lower triangle is the one read.
    EXPECT_NO_THROW(
        CheckedCorrelation(Matrix({{1, 0.5, 0.3}, {0.5, 1, 0.4}, {0.3, 0.4 + 5e-13, 1}})));
    EXPECT_THROW(FactorMethodNamed("svd"), std::invalid_argument);
    EXPECT_EQ(FactorMethodNamed("Cholesky"), FactorMethod::Cholesky);
    EXPECT_EQ(FactorMethodNamed("PCA"), FactorMethod::PrincipalComponents);
    EXPECT_EQ(FactorMethodNamed(""), FactorMethod::PrincipalComponents);
}

// 1 + a [[0, 1, 1], [1, 0, -1], [1, -1, 0]] has the eigenvalues 1 + a,
// twice, and 1 - 2a (by hand). Only rounding passes for zero, 1e-12 times the
// size: 1 - 2a of -1e-6 and -1e-11 is refused, the text giving it; -1e-12 is
// a zero eigenvalue.
TEST(CheckedCorrelation, TakesNoMoreThanRoundingForAZeroEigenvalue) {
    const auto offDiagonal = [](double a) { return Matrix({{1, a, a}, {a, 1, -a}, {a, -a, 1}}); };
    const std::string lead =
        "correlation must be positive semidefinite: its smallest eigenvalue is ";
    for (double a : {0.5000005, 0.5 + 5e-12}) {
        SCOPED_TRACE(a);
        try {
            CheckedCorrelation(offDiagonal(a));
            ADD_FAILURE() << "accepted";
        } catch (const std::invalid_argument& refusal) {
            const std::string text = refusal.what();
            ASSERT_EQ(text.substr(0, lead.size()), lead);
            EXPECT_NEAR(std::stod(text.substr(lead.size())), 1 - 2 * a, 1e-15);
        }
    }
    EXPECT_EQ(CheckedCorrelation(offDiagonal(0.5 + 5e-13)).values.back(), 0.0);
}

DoubleMatrix FactorOf(const DoubleMatrix& correlation, FactorMethod method) {
    return CorrelationFactor(correlation, CheckedCorrelation(correlation), method);
}

// Cholesky of [[1, r], [r, 1]] is [[1, 0], [r, sqrt(1 - r^2)]] (by hand);
// both factors give back the correlation. All ones, rank 1: every asset is
// the first, under both methods, with the other factors' columns zero. The
// Gram matrices of the unit vectors (1, 0), (0.6, 0.8) and (0.8, 0.6), and of
// (1, 0), (0.6, 0.8) and (0.6, 0.8), have rank 2: their third eigenvalue and
// third Cholesky pivot are zero but for rounding (-1.1e-16 and +1.1e-16 as
// Python works the pivots out), and give a zero column.
TEST(CorrelationFactor, ReproducesTheCorrelationSemidefiniteToo) {
    const DoubleMatrix cholesky = FactorOf(Matrix({{1, 0.6}, {0.6, 1}}), FactorMethod::Cholesky);
    EXPECT_EQ(cholesky(0, 0), 1.0);
    EXPECT_EQ(cholesky(0, 1), 0.0);
    EXPECT_DOUBLE_EQ(cholesky(1, 0), 0.6);
    EXPECT_DOUBLE_EQ(cholesky(1, 1), 0.8);
    for (FactorMethod method : {FactorMethod::PrincipalComponents, FactorMethod::Cholesky}) {
        ExpectProductIs(FactorOf(Basket, method), Basket, 1e-15);
        const DoubleMatrix ones = Matrix({{1, 1, 1}, {1, 1, 1}, {1, 1, 1}});
        const DoubleMatrix a = FactorOf(ones, method);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(a(i, 0), 1.0, 1e-15);
            EXPECT_EQ(a(i, 1), 0.0);
            EXPECT_EQ(a(i, 2), 0.0);
        }
        for (const DoubleMatrix& plane : {Matrix({{1, 0.6, 0.8}, {0.6, 1, 0.96}, {0.8, 0.96, 1}}),
                                          Matrix({{1, 0.6, 0.6}, {0.6, 1, 1}, {0.6, 1, 1}})}) {
            const DoubleMatrix b = FactorOf(plane, method);
            ExpectProductIs(b, plane, 1e-15);
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(b(i, 2), 0.0) << plane(0, 2) << ", " << i;
        }
    }
}

// One asset of correlation 1 is rnd_BrownianPaths under both methods, to
// the bit: the factor is exactly 1, and a product by 1 changes nothing.
TEST(CorrelatedPaths, OneAssetIsBrownianPaths) {
    const std::string file = ShippedDirectionNumberFile();
    const DoubleMatrix one = Matrix({{1}});
    for (FactorMethod method : {FactorMethod::PrincipalComponents, FactorMethod::Cholesky}) {
        const DoubleMatrix paths = CorrelatedPaths(7, 40, 2.5, FactorOf(one, method), 9, 13, file);
        const DoubleMatrix expected = BrownianPaths(7, 40, 2.5, 9, 13, file);
        ASSERT_EQ(paths.ColumnCount(), 7u);
        for (int i = 0; i < 40; ++i)
            for (int m = 0; m < 7; ++m)
                ASSERT_EQ(paths(i, m), expected(i, m)) << i << ", " << m;
    }
}

// Uncorrelated assets: factor f is asset f, and its bridge takes normals f,
// f + k, f + 2k ... of the row, asset after asset in the columns.
TEST(CorrelatedPaths, TakeEachFactorsVariatesFromEveryKthCoordinate) {
    const std::string file = ShippedDirectionNumberFile();
    const int k = 3, steps = 5, n = 30;
    const DoubleMatrix identity = Matrix({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}});
    const DoubleMatrix paths = CorrelatedPaths(
        steps, n, 1.0, FactorOf(identity, FactorMethod::PrincipalComponents), 4, 64, file);
    const DoubleMatrix normals = ScrambledNormalVariates(k * steps, n, 4, 64, file);
    const BrownianBridge bridge(steps, 1.0);
    ASSERT_EQ(paths.ColumnCount(), static_cast<unsigned long>(k * steps));
    for (int i = 0; i < n; ++i)
        for (int f = 0; f < k; ++f) {
            double variates[steps], path[steps];
            for (int b = 0; b < steps; ++b)
                variates[b] = normals(i, b * k + f);
            bridge.Build(variates, path);
            for (int m = 0; m < steps; ++m)
                ASSERT_EQ(paths(i, f * steps + m), path[m]) << i << ", " << f << ", " << m;
        }
}

// Over 2^14 paths the sample covariance of the terminal values comes within
// 1e-3 of correlation x maturity, under both methods.
TEST(CorrelatedPaths, TerminalValuesHaveTheCorrelationTimesMaturity) {
    const std::string file = ShippedDirectionNumberFile();
    const int steps = 4, n = 1 << 14;
    const double maturity = 1.5;
    for (FactorMethod method : {FactorMethod::PrincipalComponents, FactorMethod::Cholesky}) {
        const DoubleMatrix paths =
            CorrelatedPaths(steps, n, maturity, FactorOf(Basket, method), 2026, 0, file);
        for (int a = 0; a < 3; ++a)
            for (int b = 0; b <= a; ++b) {
                double sa = 0, sb = 0, sab = 0;
                for (int i = 0; i < n; ++i) {
                    const double x = paths(i, a * steps + steps - 1);
                    const double y = paths(i, b * steps + steps - 1);
                    sa += x;
                    sb += y;
                    sab += x * y;
                }
                const double covariance = (sab - sa * sb / n) / (n - 1);
                EXPECT_NEAR(covariance, Basket(a, b) * maturity, 1e-3) << a << ", " << b;
            }
    }
}

TEST(CorrelatedPaths, RefuseWhatBrownianPathsRefuses) {
    const DoubleMatrix one = Matrix({{1}});
    EXPECT_THROW(CorrelatedPaths(4, 8, 0.0, one, 1, 0), std::invalid_argument);
    EXPECT_THROW(CorrelatedPaths(-1, 8, 1.0, one, 1, 0), std::invalid_argument);
    EXPECT_THROW(CorrelatedPaths(4, 8, 1.0, one, 1, 4294967290u), std::invalid_argument);
    EXPECT_EQ(CorrelatedPaths(0, 8, 1.0, Basket, 1, 0).ColumnCount(), 0u);
}

} // namespace
