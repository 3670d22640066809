#include "Discrepancy.h"

#include "GeneratorArguments.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

void RequireUnitCube(const DoubleMatrix& points) {
    if (points.RowCount() == 0 || points.ColumnCount() == 0)
        throw std::invalid_argument("points holds no point");
    for (unsigned long i = 0; i < points.RowCount(); ++i)
        for (unsigned long k = 0; k < points.ColumnCount(); ++k)
            if (!(points(i, k) >= 0.0 && points(i, k) <= 1.0))
                throw std::invalid_argument("points must lie in [0, 1]: row " +
                                            std::to_string(i + 1) + ", column " +
                                            std::to_string(k + 1) + " does not");
}

// The sum over all ordered pairs (i, j) of prod_k pair(x_ik, x_jk), each
// unordered pair once and doubled: every measure's pair term is symmetric.
template <class Pair> double PairSum(const DoubleMatrix& x, Pair pair) {
    const unsigned long n = x.RowCount();
    const unsigned long d = x.ColumnCount();
    double diagonal = 0.0;
    double offDiagonal = 0.0;
    for (unsigned long i = 0; i < n; ++i) {
        for (unsigned long j = i; j < n; ++j) {
            double product = 1.0;
            for (unsigned long k = 0; k < d; ++k)
                product *= pair(x(i, k), x(j, k));
            (i == j ? diagonal : offDiagonal) += product;
        }
    }
    return diagonal + 2.0 * offDiagonal;
}

template <class Single> double SingleSum(const DoubleMatrix& x, Single single) {
    double sum = 0.0;
    for (unsigned long i = 0; i < x.RowCount(); ++i) {
        double product = 1.0;
        for (unsigned long k = 0; k < x.ColumnCount(); ++k)
            product *= single(x(i, k));
        sum += product;
    }
    return sum;
}

} // namespace

// n x n x d pair terms take about a second at this many.
constexpr double MostDiscrepancyTerms = 1e8;

void RequireDiscrepancyTermsWithin(unsigned long rows, unsigned long columns) {
    if (static_cast<double>(rows) * rows * columns > MostDiscrepancyTerms)
        throw std::invalid_argument("points: rows x rows x columns must be at most 100000000 "
                                    "(10000 points in one dimension, 1000 in a hundred), to keep "
                                    "a call within about a second");
}

DiscrepancyKind DiscrepancyKindNamed(const std::string& name) {
    const std::string lower = LowerCase(name);
    if (lower == "cd")
        return DiscrepancyKind::Centred;
    if (lower == "wd")
        return DiscrepancyKind::WrapAround;
    if (lower == "md")
        return DiscrepancyKind::Mixture;
    if (lower == "l2-star")
        return DiscrepancyKind::L2Star;
    throw std::invalid_argument("kind must be \"CD\", \"WD\", \"MD\" or \"L2-star\", not " +
                                EchoedText(name));
}

double Discrepancy(const DoubleMatrix& x, DiscrepancyKind kind) {
    RequireUnitCube(x);
    const double n = static_cast<double>(x.RowCount());
    const double d = static_cast<double>(x.ColumnCount());
    switch (kind) {
    case DiscrepancyKind::Centred: {
        const double single = SingleSum(x, [](double u) {
            const double c = std::abs(u - 0.5);
            return 1.0 + 0.5 * c - 0.5 * c * c;
        });
        const double pairs = PairSum(x, [](double u, double v) {
            return 1.0 + 0.5 * std::abs(u - 0.5) + 0.5 * std::abs(v - 0.5) - 0.5 * std::abs(u - v);
        });
        return std::pow(13.0 / 12.0, d) - 2.0 / n * single + pairs / (n * n);
    }
    case DiscrepancyKind::WrapAround: {
        const double pairs = PairSum(x, [](double u, double v) {
            const double gap = std::abs(u - v);
            return 1.5 - gap * (1.0 - gap);
        });
        return -std::pow(4.0 / 3.0, d) + pairs / (n * n);
    }
    case DiscrepancyKind::Mixture: {
        const double single = SingleSum(x, [](double u) {
            const double c = std::abs(u - 0.5);
            return 5.0 / 3.0 - 0.25 * c - 0.25 * c * c;
        });
        const double pairs = PairSum(x, [](double u, double v) {
            const double gap = std::abs(u - v);
            return 15.0 / 8.0 - 0.25 * std::abs(u - 0.5) - 0.25 * std::abs(v - 0.5) - 0.75 * gap +
                   0.5 * gap * gap;
        });
        return std::pow(19.0 / 12.0, d) - 2.0 / n * single + pairs / (n * n);
    }
    case DiscrepancyKind::L2Star: {
        const double single = SingleSum(x, [](double u) { return 1.0 - u * u; });
        const double pairs = PairSum(x, [](double u, double v) { return 1.0 - std::max(u, v); });
        return std::sqrt(std::pow(3.0, -d) - std::pow(2.0, 1.0 - d) / n * single + pairs / (n * n));
    }
    }
    throw std::invalid_argument("unknown discrepancy");
}
