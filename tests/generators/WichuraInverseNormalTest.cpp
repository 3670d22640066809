#include "WichuraInverseNormal.h"

#include <boost/math/distributions/normal.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// Boost.Math's quantile is the reference; the bound is relative, so it holds
// as strictly in the far tails as near the centre.
TEST(WichuraInverseNormal, AgreesWithBoostMathsQuantileToFullPrecision) {
    const boost::math::normal_distribution<double> normal;
    double worst = 0.0;
    double worstAt = 0.0;
    auto check = [&](double u) {
        const double expected = boost::math::quantile(normal, u);
        const double error = expected == 0.0 ? std::fabs(WichuraInverseNormal(u))
                                             : std::fabs(WichuraInverseNormal(u) / expected - 1);
        if (error > worst) {
            worst = error;
            worstAt = u;
        }
    };
    const int steps = 1 << 20;
    for (int k = 1; k < steps; ++k)
        check(static_cast<double>(k) / steps);
    // Both tails from 1e-300 and down to 1 - 2^-53 on a logarithmic grid,
    // across the region borders at 0.075 and exp(-25).
    for (double exponent = -300.0; exponent < -0.001; exponent += 0.005) {
        check(std::pow(10.0, exponent));
        if (exponent > -15.95)
            check(1.0 - std::pow(10.0, exponent));
    }
    for (int k = 1; k <= 53; ++k) {
        check(std::ldexp(1.0, -k));
        check(1.0 - std::ldexp(1.0, -k));
    }
    for (double u : {1e-300, 0.075, 0.925, 0.07499999999999999, 0.9250000000000002, std::exp(-25.0),
                     1.0 - std::exp(-25.0), 0.5 + 1e-17, 0.5 - 1e-10})
        check(u);
    EXPECT_LE(worst, 1e-15) << "at u = " << worstAt;
}

TEST(WichuraInverseNormal, GivesZeroAtOneHalfAndInfinitiesAtTheEnds) {
    const double infinity = std::numeric_limits<double>::infinity();
    EXPECT_EQ(WichuraInverseNormal(0.5), 0.0);
    EXPECT_EQ(WichuraInverseNormal(0.0), -infinity);
    EXPECT_EQ(WichuraInverseNormal(1.0), infinity);
    for (double u : {-0.5, 1.5, -infinity, infinity, std::numeric_limits<double>::quiet_NaN()})
        EXPECT_TRUE(std::isnan(WichuraInverseNormal(u))) << u;
}

// On dyadic grid points 1 - u is exact, so antisymmetry holds to the bit.
TEST(WichuraInverseNormal, IsAntisymmetricAboutOneHalf) {
    const int steps = 1 << 16;
    for (int k = 1; k < steps; ++k) {
        const double u = static_cast<double>(k) / steps;
        ASSERT_EQ(WichuraInverseNormal(u), -WichuraInverseNormal(1.0 - u)) << u;
    }
}

} // namespace
