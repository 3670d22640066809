#pragma once

#include <vector>

// The error bar of randomised quasi-Monte Carlo: R independent randomisations
// give R independent estimates, here the means of R consecutive blocks of
// equal length, and their spread is the error.
struct ReplicateSummary {
    double mean;          // the mean of the block means
    double standardError; // their sample standard deviation over sqrt(R)
    int replicates;       // R
};

// `values` holds R blocks of n values each, one after another. Throws
// std::invalid_argument for R below 2 (one block has no spread), for no
// values, and for a count of values that R does not divide.
ReplicateSummary SummariseReplicates(const std::vector<double>& values, int replicates);
