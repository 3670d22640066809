#pragma once

#include <cstddef>
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

// The sum of first[0] - shift ... first[count - 1] - shift, compensated
// (Neumaier): as accurate as if it were rounded once, whatever the count.
double CompensatedSum(const double* first, std::size_t count, double shift);

// The exponent e of the largest magnitude among the values (0 for none or
// for an infinity): scaled by 2^-e, they lie within (-1, 1), where no
// difference, sum of a block or square of a spread can overflow.
int ScaleExponent(const std::vector<double>& values);

// Throws as SummariseReplicates does for `count` values in R blocks.
void RequireReplicateBlocks(std::size_t count, int replicates);

// The block means of one column in a frame of their own, where the digits of
// their spread survive values far from zero: block mean r is
// 2^exponent * (shift + shifted[r]), and `mean` is the mean of `shifted`.
struct ScaledBlockMeans {
    int exponent;
    double shift;
    std::vector<double> shifted;
    double mean;
};

// For values that RequireReplicateBlocks accepts.
ScaledBlockMeans BlockMeansOf(const std::vector<double>& values, int replicates);
