#pragma once

#include "DoubleMatrix.h"

#include <optional>
#include <vector>

// The error bar of randomised quasi-Monte Carlo: R independent randomisations
// give R independent estimates, here the means of R consecutive blocks of
// equal length, and their spread is the error.
struct ReplicateSummary {
    double mean;          // the mean of the block means
    double standardError; // their sample standard deviation over sqrt(R)
    int replicates;       // R
};

// Refuses, with std::invalid_argument, values of more than one column.
void RequireOneColumn(unsigned long rows, unsigned long columns);

// `values` holds R blocks of n values each, one after another. Throws
// std::invalid_argument for R below 2 (one block has no spread), for no
// values, and for a count of values that R does not divide.
ReplicateSummary SummariseReplicates(const std::vector<double>& values, int replicates);

// rnd_ReplicateStats' row: the mean, the standard error and R, then, given
// alpha, the half-width of the 1 - alpha interval (StudentHalfWidth).
DoubleMatrix ReplicateStatsRow(const ReplicateSummary& summary, std::optional<double> alpha);
