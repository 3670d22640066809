// The control-variate error bar against exact rational arithmetic, its
// properties, and its refusals.
#include "ControlVariates.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

DoubleMatrix Columns(const std::vector<std::vector<double>>& columns) {
    DoubleMatrix matrix(columns.front().size(), columns.size());
    for (std::size_t j = 0; j < columns.size(); ++j)
        for (std::size_t i = 0; i < columns[j].size(); ++i)
            matrix(i, j) = columns[j][i];
    return matrix;
}

} // namespace

// The expectations are fractions from Python's fractions module, the least
// squares solved by its own Gauss-Jordan elimination on the normal equations
// of the block means (no orthogonalisation): one control over four blocks of
// two, and two controls over five blocks of one.
TEST(ControlVariates, EstimateAndStandardErrorAreTheExactRegressionOnes) {
    const struct {
        std::vector<double> values;
        std::vector<std::vector<double>> controls;
        std::vector<double> means;
        int replicates;
        double estimate, squaredError;
    } cases[] = {
        {{1, 2, 3, 4, 5, 7, 8, 8}, {{0, 1, 1, 2, 2, 4, 3, 4}}, {2}, 4, 409.0 / 91, 2047.0 / 33124},
        {{1, 4, 2, 8, 5},
         {{0, 1, 1, 2, 3}, {1, 0, 2, 1, 2}},
         {1.25, 1},
         5,
         479.0 / 120,
         3193.0 / 3600},
    };
    for (const auto& c : cases) {
        const ControlVariateSummary summary =
            SummariseWithControls(c.values, Columns(c.controls), c.means, c.replicates);
        EXPECT_NEAR(summary.estimate, c.estimate, 1e-14 * c.estimate);
        EXPECT_NEAR(summary.standardError, std::sqrt(c.squaredError), 1e-14);
        EXPECT_EQ(summary.replicates, c.replicates);
        EXPECT_EQ(summary.degreesOfFreedom, c.replicates - 1 - static_cast<int>(c.controls.size()));
    }
}

// A control that is the values explains them exactly, wherever it stands
// among the controls: no error is left, and the estimate is its known mean.
// Moving values or controls (and their means) by a constant far above their
// spread moves the estimate by it and leaves the error bar: every value here
// is an integer multiple of 2^-10 stored exactly, so the digits are there
// to keep.
TEST(ControlVariates, ExactControlLeavesNoErrorAndOffsetsCostNoDigits) {
    const int replicates = 8, n = 4;
    std::vector<double> values, second, third;
    for (int i = 0; i < replicates * n; ++i) {
        values.push_back((i * 37) % 11 + (i % 3) * 0.5);
        second.push_back((i * 13) % 7 - 2.0);
        third.push_back((i * i) % 5 + 0.25 * (i % 2));
    }
    for (const auto& controls : {std::vector<std::vector<double>>{values},
                                 std::vector<std::vector<double>>{second, values, third}}) {
        std::vector<double> means(controls.size(), 0.5);
        means[controls.size() == 1 ? 0 : 1] = 5.125;
        const ControlVariateSummary exact =
            SummariseWithControls(values, Columns(controls), means, replicates);
        EXPECT_EQ(exact.standardError, 0.0) << controls.size() << " controls";
        EXPECT_NEAR(exact.estimate, 5.125, 1e-14) << controls.size() << " controls";
    }

    const ControlVariateSummary near =
        SummariseWithControls(values, Columns({second, third}), {0.5, 2.25}, replicates);
    const double offset = 1e12, step = std::ldexp(1.0, -10);
    std::vector<double> farValues, farSecond;
    for (int i = 0; i < replicates * n; ++i) {
        farValues.push_back(offset + values[i] * step);
        farSecond.push_back(-offset + second[i] * step);
        ASSERT_EQ(farValues.back() - offset, values[i] * step);
        ASSERT_EQ(farSecond.back() + offset, second[i] * step);
    }
    const ControlVariateSummary far = SummariseWithControls(
        farValues, Columns({farSecond, third}), {-offset + 0.5 * step, 2.25}, replicates);
    EXPECT_NEAR(far.standardError, near.standardError * step, 1e-12 * near.standardError * step);
    // The estimate itself is a double near 1e12, whose unit in the last place
    // is 2^-13.
    EXPECT_NEAR(far.estimate, offset + near.estimate * step, std::ldexp(1.0, -13));
}

TEST(ControlVariates, RefusesInWordsWhatGivesNoRegression) {
    const std::vector<double> eight = {1, 2, 3, 4, 5, 7, 8, 9};
    const std::vector<double> moving = {0, 1, 1, 3, 2, 2, 5, 4};
    const double nan = std::nan("");
    const struct {
        std::vector<double> values;
        std::vector<std::vector<double>> controls;
        std::vector<double> means;
        int replicates;
        const char* text;
    } cases[] = {
        {eight,
         {{1, 2, 3}},
         {0},
         4,
         "controls must have 8 rows, as values has, and from 1 to 8 columns, one per control: "
         "not 3 rows and 1 column"},
        {eight, std::vector<std::vector<double>>(9, moving), std::vector<double>(9), 4,
         "controls must have 8 rows, as values has, and from 1 to 8 columns, one per control: "
         "not 8 rows and 9 columns"},
        {eight,
         {moving, eight},
         {0, 0},
         2,
         "with 2 controls, replicates must be at least 4: the fit takes a block mean for each "
         "control and one for the estimate, and the error bar needs one more"},
        {eight,
         {moving},
         {0, 1},
         4,
         "control_means must hold 1 number, one per control column, not 2"},
        {eight, {moving, eight}, {0, nan}, 4, "control_means must all be numbers: number 2 is not"},
        {eight,
         {moving, {1, 2, 3, 0, 1, 2, 2, 1}},
         {0, 0},
         4,
         "control 2 has the same mean in every block: a control must move from block to block "
         "to explain the values' spread"},
        {eight,
         {moving, {3, 5, 5, 9, 7, 7, 13, 11}},
         {0, 0},
         4,
         "control 2 moves with the controls before it: within 1e-7 of its spread its block means "
         "are a constant plus a combination of theirs; leave it out"},
        {eight,
         {moving},
         {0},
         1,
         "replicates must be at least 2: the spread of one block is no error bar"},
    };
    for (const auto& c : cases) {
        try {
            SummariseWithControls(c.values, Columns(c.controls), c.means, c.replicates);
            ADD_FAILURE() << "taken: " << c.text;
        } catch (const std::invalid_argument& refusal) {
            EXPECT_STREQ(refusal.what(), c.text);
        }
    }
}
