// Sobol' indices of models whose indices are known in closed form, estimated
// from the replicated design as a sheet would: each model evaluated on the
// design's rows, the outputs handed to the estimator.
#include "SensitivityIndices.h"
#include "SensitivityDesign.h"
#include "StudentInterval.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;

using Model = std::function<double(const double*)>;

// The outputs of `model` on R replicated designs, block r from seed + r.
std::vector<double> Outputs(const Model& model, int d, int n, int replicates) {
    std::vector<double> outputs;
    for (int r = 0; r < replicates; ++r) {
        const DoubleMatrix design = SensitivityDesign(d, n, 2024 + r, 0);
        for (unsigned long k = 0; k < design.RowCount(); ++k)
            outputs.push_back(model(design[k]));
    }
    return outputs;
}

// Ishigami's function on [-pi, pi]^3, a = 7, b = 0.1. Its ANOVA terms, by
// integrating the squares of sin, sin^2 and x^4 over the cube: V_1 = (1 + b
// pi^4 / 5)^2 / 2, V_2 = a^2 / 8, V_13 = b^2 pi^8 (1/18 - 1/50), and V =
// a^2 / 8 + b pi^4 / 5 + b^2 pi^8 / 18 + 1/2, their sum; S = V_1 / V, V_2 / V,
// 0 and ST = (V_1 + V_13) / V, V_2 / V, V_13 / V (0.31391, 0.44241, 0 and
// 0.55759, 0.44241, 0.24368).
double Ishigami(const double* u) {
    const double x1 = 2 * Pi * u[0] - Pi, x2 = 2 * Pi * u[1] - Pi, x3 = 2 * Pi * u[2] - Pi;
    return std::sin(x1) + 7 * std::sin(x2) * std::sin(x2) + 0.1 * std::pow(x3, 4) * std::sin(x1);
}

struct Known {
    std::vector<double> firstOrder, total;
};

Known IshigamiIndices() {
    const double a = 7, b = 0.1, pi4 = std::pow(Pi, 4), pi8 = pi4 * pi4;
    const double v1 = (1 + b * pi4 / 5) * (1 + b * pi4 / 5) / 2, v2 = a * a / 8,
                 v13 = b * b * pi8 * (1.0 / 18 - 1.0 / 50);
    const double v = a * a / 8 + b * pi4 / 5 + b * b * pi8 / 18 + 0.5;
    return {{v1 / v, v2 / v, 0}, {(v1 + v13) / v, v2 / v, v13 / v}};
}

} // namespace

// Every index inside its Student-t interval about the estimate: for
// Ishigami, as the indices are used, the 99% interval; for the linear model
// 3x + 2y + z on the unit cube, whose indices are w_i^2 / (9 + 4 + 1) (each
// input's variance 1/12 cancels), and the additive model x^2 + e^y + sin(2 pi
// z), whose variances 4/45, (e^2 - 1)/2 - (e - 1)^2 and 1/2 make up the whole,
// S_i = ST_i = var_i / V: interactions none, so first-order and total indices
// estimate the same number, though from different sums. There, 5 standard
// errors: with 15 degrees of freedom a miss that wide has a chance of 2e-4,
// for the 12 checks 0.2%.
TEST(SensitivityIndices, FindTheKnownIndicesWithinTheirErrorBars) {
    const double e = std::exp(1.0);
    const double additive[] = {4.0 / 45, (e * e - 1) / 2 - (e - 1) * (e - 1), 0.5};
    const double additiveTotal = additive[0] + additive[1] + additive[2];
    const std::vector<double> linear = {9.0 / 14, 4.0 / 14, 1.0 / 14};
    const std::vector<double> additiveIndices = {
        additive[0] / additiveTotal, additive[1] / additiveTotal, additive[2] / additiveTotal};
    const int replicates = 16, n = 4096;
    const struct {
        const char* name;
        Model model;
        Known indices;
        double halfWidthInErrors;
    } cases[] = {
        {"Ishigami", Ishigami, IshigamiIndices(), StudentHalfWidth(1.0, replicates, 0.01)},
        {"linear", [](const double* u) { return 3 * u[0] + 2 * u[1] + u[2]; }, {linear, linear}, 5},
        {"additive",
         [](const double* u) { return u[0] * u[0] + std::exp(u[1]) + std::sin(2 * Pi * u[2]); },
         {additiveIndices, additiveIndices},
         5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SensitivityEstimate estimate =
            EstimateSensitivityIndices(Outputs(c.model, 3, n, replicates), 3, replicates);
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(i);
            EXPECT_GT(estimate.firstOrderError[i], 0.0);
            EXPECT_GT(estimate.totalError[i], 0.0);
            EXPECT_NEAR(estimate.firstOrder[i], c.indices.firstOrder[i],
                        c.halfWidthInErrors * estimate.firstOrderError[i]);
            EXPECT_NEAR(estimate.total[i], c.indices.total[i],
                        c.halfWidthInErrors * estimate.totalError[i]);
        }
    }
}

// The indices are ratios of spreads: a model whose output sits at 1e9 has
// the indices of the same model at 0, up to the rounding of its outputs to
// the grid of 1e9 (1.2e-7, against Ishigami's spread of 3.7), where outputs
// taken as they stand would lose the products' digits to f_B's size. An
// input the model ignores leaves f_ABi = f_A, whose indices are 0 exactly;
// with one replicate there is no standard error.
TEST(SensitivityIndices, KeepTheirDigitsFarFromZero) {
    const int n = 1024, replicates = 4;
    const std::vector<double> outputs = Outputs(Ishigami, 4, n, replicates);
    std::vector<double> shifted(outputs);
    for (double& value : shifted)
        value += 1e9;
    const SensitivityEstimate near = EstimateSensitivityIndices(outputs, 4, replicates);
    const SensitivityEstimate far = EstimateSensitivityIndices(shifted, 4, replicates);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(far.firstOrder[i], near.firstOrder[i], 1e-6);
        EXPECT_NEAR(far.total[i], near.total[i], 1e-6);
        EXPECT_NEAR(far.firstOrderError[i], near.firstOrderError[i], 1e-6);
    }
    EXPECT_EQ(far.firstOrder[3], 0.0);
    EXPECT_EQ(far.total[3], 0.0);

    const std::vector<double> one(outputs.begin(), outputs.begin() + outputs.size() / replicates);
    const SensitivityEstimate single = EstimateSensitivityIndices(one, 4, 1);
    EXPECT_TRUE(std::isnan(single.firstOrderError[0]) && std::isnan(single.totalError[2]));
    EXPECT_GT(single.total[0], 0.0);
}
