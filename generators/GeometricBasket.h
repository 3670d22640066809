#pragma once

#include "DoubleMatrix.h"

#include <vector>

// Black's formula: the value of a call on a log-normal quantity F_T of mean
// `forward` whose logarithm has variance `variance` (sigma^2 T), strike
// `strike`, discounted by `discount`: discount (F N(d1) - K N(d2)).
double BlackCall(double discount, double forward, double strike, double variance);

// The mean and the variance of the logarithm of a log-normal quantity.
struct LogNormalMoments {
    double mean;        // E[G]
    double logVariance; // Var[log G]
};

// The geometric average prod_i S_i(T)^w_i of assets S_i(T) = s_i exp((r -
// v_i^2 / 2) T + v_i W_i(T)) whose Brownian motions correlate as
// `correlation` says: a sum of correlated normals in the exponent, so
// log-normal itself (Kemna and Vorst's argument for the Asian option). With
// weights summing to 1, BlackCall of its moments prices the geometric basket
// call, the arithmetic basket's control.
LogNormalMoments GeometricAverage(const std::vector<double>& spots,
                                  const std::vector<double>& weights,
                                  const std::vector<double>& volatilities,
                                  const DoubleMatrix& correlation, double rate, double maturity);
