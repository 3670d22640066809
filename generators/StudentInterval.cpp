#include "StudentInterval.h"

#include <boost/math/distributions/students_t.hpp>

#include <stdexcept>

double StudentHalfWidth(double standardError, int replicates, double alpha) {
    if (!(alpha > 0.0 && alpha < 1.0))
        throw std::invalid_argument(
            "alpha must be a number between 0 and 1, such as 0.05 for a 95% interval");
    if (replicates < 2)
        throw std::invalid_argument("an interval needs at least 2 replicates");
    const boost::math::students_t_distribution<double> t(replicates - 1.0);
    return boost::math::quantile(boost::math::complement(t, alpha / 2.0)) * standardError;
}
