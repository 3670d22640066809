#include "StudentInterval.h"

#include <boost/math/distributions/students_t.hpp>

#include <stdexcept>

const char AlphaRequirement[] =
    "alpha must be a number between 1e-300 and 1, such as 0.05 for a 95% interval";

void RequireValidAlpha(double alpha) {
    // The quantile must stay finite for every R: T.INV.2T(alpha, 1) is
    // cot(pi alpha / 2), about 0.64 / alpha, past the largest double below
    // about 3.5e-309, and more degrees of freedom only shorten the tail. No
    // sheet needs an alpha below 1e-300.
    constexpr double SmallestAlpha = 1e-300;
    if (!(alpha > SmallestAlpha && alpha < 1.0))
        throw std::invalid_argument(AlphaRequirement);
}

double StudentHalfWidth(double standardError, int replicates, double alpha) {
    RequireValidAlpha(alpha);
    if (replicates < 2)
        throw std::invalid_argument("an interval needs at least 2 replicates");
    return StudentHalfWidthWithDegrees(standardError, replicates - 1, alpha);
}

double StudentHalfWidthWithDegrees(double standardError, int degreesOfFreedom, double alpha) {
    RequireValidAlpha(alpha);
    if (degreesOfFreedom < 1)
        throw std::invalid_argument("an interval needs at least 1 degree of freedom");
    const boost::math::students_t_distribution<double> t(degreesOfFreedom);
    return boost::math::quantile(boost::math::complement(t, alpha / 2.0)) * standardError;
}
