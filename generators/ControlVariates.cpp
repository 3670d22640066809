#include "ControlVariates.h"
#include "GeneratorArguments.h"
#include "ReplicateStatistics.h"
#include "StudentInterval.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace {

// A control is refused as explained by the ones before it when the part of
// its centred block means they leave is below this fraction of the whole, the
// tolerance of R's lm for linearly dependent columns: past it the fitted
// coefficients are ill-determined, and a little further NaN.
constexpr double CollinearFraction = 1e-7;

using Column = std::vector<double>;

// Plain sums: the columns are centred, so no digits cancel, and they have
// one entry per block.
double Dot(const Column& a, const Column& b) {
    double sum = 0.0;
    for (std::size_t r = 0; r < a.size(); ++r)
        sum += a[r] * b[r];
    return sum;
}

// a - factor * b, in place.
void Subtract(Column& a, double factor, const Column& b) {
    for (std::size_t r = 0; r < a.size(); ++r)
        a[r] -= factor * b[r];
}

Column Centred(const ScaledBlockMeans& means) {
    Column centred(means.shifted.size());
    for (std::size_t r = 0; r < centred.size(); ++r)
        centred[r] = means.shifted[r] - means.mean;
    return centred;
}

std::string Counted(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

void RequireUsableMeans(const std::vector<double>& means, int controls) {
    if (means.size() != static_cast<std::size_t>(controls))
        throw std::invalid_argument(
            "control_means must hold " + Counted(controls, "number", "numbers") +
            ", one per control column, not " + std::to_string(means.size()));
    for (std::size_t j = 0; j < means.size(); ++j)
        if (!std::isfinite(means[j]))
            throw std::invalid_argument("control_means must all be numbers: number " +
                                        std::to_string(j + 1) + " is not");
}

} // namespace

bool ControlsGiven(bool controls, bool means) {
    if (controls != means)
        throw std::invalid_argument(
            controls ? "controls need control_means, the known mean of each control"
                     : "control_means need controls, the columns whose means they are");
    return controls;
}

void RequireControlMeansShape(unsigned long rows, unsigned long columns) {
    if (rows != 1 && columns != 1)
        throw std::invalid_argument("control_means must be one row or one column of numbers, not " +
                                    ShapeText(rows, columns));
}

void RequireControlShape(std::size_t values, unsigned long rows, unsigned long columns) {
    if (rows != values || columns < 1 || columns > static_cast<unsigned long>(MostControls))
        throw std::invalid_argument("controls must have " + std::to_string(values) +
                                    " rows, as values has, and from 1 to " +
                                    std::to_string(MostControls) +
                                    " columns, one per control: not " + ShapeText(rows, columns));
}

// The regression runs on the centred block means, each column in the frame
// of its own BlockMeansOf, so that neither the data's distance from zero nor
// its exponent costs digits; the coefficients, and the estimate and standard
// error made of them, are the same in any frame. Modified Gram-Schmidt on the
// controls and then on the values is the least-squares solution Bjorck showed
// backward stable ("Solving linear least squares problems by Gram-Schmidt
// orthogonalization", BIT 7, 1967). Kept unnormalised, it makes a control
// equal to the values explain them exactly: its coefficient is a quotient of
// two equal sums, 1, and the residuals are 0, not a rounding's worth.
// With X = V U (V's columns orthogonal, of squared norms D; U unit upper
// triangular), S = U^T D U, so with U^T z = d, d^T S^-1 d = sum z_k^2 / D_k
// and beta . d = sum c_k z_k, c the values' coefficients on V.
ControlVariateSummary SummariseWithControls(const std::vector<double>& values,
                                            const DoubleMatrix& controls,
                                            const std::vector<double>& means, int replicates) {
    RequireReplicateBlocks(values.size(), replicates);
    RequireControlShape(values.size(), controls.RowCount(), controls.ColumnCount());
    // A sheet's cells hold no NaN or infinity; an array from elsewhere may.
    for (unsigned long i = 0; i < controls.RowCount(); ++i)
        for (unsigned long j = 0; j < controls.ColumnCount(); ++j)
            if (!std::isfinite(controls(i, j)))
                throw std::invalid_argument("controls must all be numbers: row " +
                                            std::to_string(i + 1) + ", column " +
                                            std::to_string(j + 1) + " is not");
    const int q = static_cast<int>(controls.ColumnCount());
    if (replicates < q + 2)
        throw std::invalid_argument(
            "with " + Counted(q, "control", "controls") + ", replicates must be at least " +
            std::to_string(q + 2) +
            ": the fit takes a block mean for each control and one for the estimate, and the "
            "error bar needs one more");
    RequireUsableMeans(means, q);

    const ScaledBlockMeans y = BlockMeansOf(values, replicates);
    std::vector<ScaledBlockMeans> c;
    for (int k = 0; k < q; ++k) {
        Column control(values.size());
        for (std::size_t i = 0; i < values.size(); ++i)
            control[i] = controls(i, k);
        c.push_back(BlockMeansOf(control, replicates));
    }

    std::vector<Column> v(q);
    std::vector<double> squaredNorms(q);
    std::vector<std::vector<double>> u(q, std::vector<double>(q));
    for (int k = 0; k < q; ++k) {
        const std::vector<double>& blocks = c[k].shifted;
        v[k] = Centred(c[k]);
        const double whole = Dot(v[k], v[k]);
        if (whole == 0.0 ||
            std::all_of(blocks.begin(), blocks.end(), [&](double m) { return m == blocks[0]; }))
            throw std::invalid_argument("control " + std::to_string(k + 1) +
                                        " has the same mean in every block: a control must move "
                                        "from block to block to explain the values' spread");
        for (int j = 0; j < k; ++j) {
            u[j][k] = Dot(v[j], v[k]) / squaredNorms[j];
            Subtract(v[k], u[j][k], v[j]);
        }
        squaredNorms[k] = Dot(v[k], v[k]);
        if (!(squaredNorms[k] > CollinearFraction * CollinearFraction * whole))
            throw std::invalid_argument(
                "control " + std::to_string(k + 1) +
                " moves with the controls before it: within 1e-7 of its spread its block means "
                "are a constant plus a combination of theirs; leave it out");
    }

    Column residuals = Centred(y);
    double fitted = 0.0, leverage = 1.0 / replicates;
    std::vector<double> z(q);
    for (int k = 0; k < q; ++k) {
        const double coefficient = Dot(v[k], residuals) / squaredNorms[k];
        Subtract(residuals, coefficient, v[k]);
        // d_k in control k's frame; the known mean scaled into it exactly.
        z[k] = (c[k].shift - std::ldexp(means[k], -c[k].exponent)) + c[k].mean;
        for (int j = 0; j < k; ++j)
            z[k] -= u[j][k] * z[j];
        fitted += coefficient * z[k];
        leverage += z[k] * z[k] / squaredNorms[k];
    }
    const int degrees = replicates - 1 - q;
    const double variance = Dot(residuals, residuals) / degrees;
    const double estimate = std::ldexp(y.shift + (y.mean - fitted), y.exponent);
    const double standardError = std::ldexp(std::sqrt(variance * leverage), y.exponent);
    if (!std::isfinite(estimate) || !std::isfinite(standardError))
        throw std::invalid_argument("control_means lie too far from the controls' block means "
                                    "for a finite estimate");
    return {estimate, standardError, replicates, degrees};
}

DoubleMatrix ReplicateStatsRow(const std::vector<double>& values, int replicates,
                               const std::optional<ControlColumns>& controls,
                               std::optional<double> alpha) {
    double estimate, standardError;
    int degrees;
    if (controls) {
        const ControlVariateSummary fitted =
            SummariseWithControls(values, controls->columns, controls->means, replicates);
        estimate = fitted.estimate;
        standardError = fitted.standardError;
        degrees = fitted.degreesOfFreedom;
    } else {
        const ReplicateSummary plain = SummariseReplicates(values, replicates);
        estimate = plain.mean;
        standardError = plain.standardError;
        degrees = plain.replicates - 1;
    }
    DoubleMatrix row(1, alpha ? 4 : 3);
    row(0, 0) = estimate;
    row(0, 1) = standardError;
    row(0, 2) = replicates;
    if (alpha)
        row(0, 3) = StudentHalfWidthWithDegrees(standardError, degrees, *alpha);
    return row;
}
