#include "GeometricBasket.h"

#include <cmath>

namespace {

double NormalDistribution(double x) {
    return 0.5 * std::erfc(-x / std::sqrt(2.0));
}

} // namespace

double BlackCall(double discount, double forward, double strike, double variance) {
    const double deviation = std::sqrt(variance);
    const double d1 = (std::log(forward / strike) + variance / 2) / deviation;
    return discount *
           (forward * NormalDistribution(d1) - strike * NormalDistribution(d1 - deviation));
}

LogNormalMoments GeometricAverage(const std::vector<double>& spots,
                                  const std::vector<double>& weights,
                                  const std::vector<double>& volatilities,
                                  const DoubleMatrix& correlation, double rate, double maturity) {
    double logMean = 0.0, logVariance = 0.0;
    for (std::size_t i = 0; i < spots.size(); ++i) {
        const double v = volatilities[i];
        logMean += weights[i] * (std::log(spots[i]) + (rate - v * v / 2) * maturity);
        for (std::size_t j = 0; j < spots.size(); ++j)
            logVariance += weights[i] * weights[j] * v * volatilities[j] * correlation(i, j);
    }
    logVariance *= maturity;
    return {std::exp(logMean + logVariance / 2), logVariance};
}
