#pragma once

#include "DoubleMatrix.h"

#include <cstddef>
#include <optional>
#include <vector>

// At most this many controls: each costs a degree of freedom of the R block
// means, and a sheet rarely has more quantities of known mean that move with
// its payoff.
constexpr int MostControls = 8;

// The error bar of randomised quasi-Monte Carlo with control variates
// (Hickernell, Lemieux and Owen, "Control variates for quasi-Monte Carlo",
// Statistical Science 20, 2005): the R block means of the values are
// regressed, with an intercept, on the R block means of q controls of known
// means, and the estimate is the fitted line at those means.
struct ControlVariateSummary {
    double estimate;      // mean(ybar) - beta . (mean(cbar) - means)
    double standardError; // that of the fitted intercept at the means
    int replicates;       // R
    int degreesOfFreedom; // R - 1 - q, for Student's t
};

// Whether controls are given: throws std::invalid_argument, in the sheet's
// words, for controls without their means or means without their controls.
bool ControlsGiven(bool controls, bool means);

// Throws std::invalid_argument, in the sheet's words, unless the controls are
// `values` rows and 1 to MostControls columns.
void RequireControlShape(std::size_t values, unsigned long rows, unsigned long columns);

// Throws std::invalid_argument unless the control means are one row or one
// column: "control_means must be one row or one column of numbers, not ...".
void RequireControlMeansShape(unsigned long rows, unsigned long columns);

// `values` as SummariseReplicates takes them; `controls` as many rows, one
// column per control, `means` their known means. Everything is refused in
// words before a sum is taken (the values' blocks, the controls' shape and
// cells, R
// below q + 2, a count of means other than q, a mean that is no finite
// number); then a control whose block means are all equal, or one that the
// ones before it and a constant explain within 1e-7 of its spread.
ControlVariateSummary SummariseWithControls(const std::vector<double>& values,
                                            const DoubleMatrix& controls,
                                            const std::vector<double>& means, int replicates);

// q control columns and their known means, as SummariseWithControls takes them.
struct ControlColumns {
    DoubleMatrix columns;
    std::vector<double> means;
};

// The row rnd_ReplicateStats gives: the estimate, its standard error and R,
// then, with alpha, the half-width of the 1 - alpha interval. Without controls
// the estimate is SummariseReplicates' mean, with them SummariseWithControls'
// fit, and the interval has the degrees of freedom of either.
DoubleMatrix ReplicateStatsRow(const std::vector<double>& values, int replicates,
                               const std::optional<ControlColumns>& controls,
                               std::optional<double> alpha);
