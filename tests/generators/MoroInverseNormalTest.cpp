#include "MoroInverseNormal.h"

#include <boost/math/distributions/normal.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(MoroInverseNormal, MatchesKnownQuantiles) {
    // Standard normal quantiles from printed tables; 0.92 and 0.08 lie exactly
    // on the border of the central region and take the tail formula.
    const struct {
        double u, expected;
    } cases[] = {{0.9, 1.281552},   {0.975, 1.959964},  {0.025, -1.959964},
                 {0.999, 3.090232}, {0.92, 1.405072},   {0.08, -1.405072},
                 {0.75, 0.674490},  {0.375, -0.318639}, {1e-9, -5.997807015}};
    for (const auto& c : cases)
        EXPECT_NEAR(MoroInverseNormal(c.u), c.expected, 1e-6) << c.u;
}

TEST(MoroInverseNormal, IsExactlyZeroAtOneHalf) {
    EXPECT_EQ(MoroInverseNormal(0.5), 0.0);
}

TEST(MoroInverseNormal, LetsValuesOutsideTheUnitIntervalThrough) {
    const double infinity = std::numeric_limits<double>::infinity();
    EXPECT_EQ(MoroInverseNormal(0.0), -infinity);
    EXPECT_EQ(MoroInverseNormal(1.0), infinity);
    for (double u : {1.5, -0.5, std::numeric_limits<double>::quiet_NaN()})
        EXPECT_TRUE(std::isnan(MoroInverseNormal(u))) << u;
}

// On dyadic grid points 1 - u is exact, so antisymmetry holds to the bit.
TEST(MoroInverseNormal, IsAntisymmetricAboutOneHalf) {
    const int steps = 1 << 16;
    for (int k = 1; k < steps; ++k) {
        const double u = static_cast<double>(k) / steps;
        ASSERT_EQ(MoroInverseNormal(u), -MoroInverseNormal(1.0 - u)) << u;
    }
}

// Boost.Math's quantile is accurate to a few ulps; Moro's published bound is
// 3e-9 in absolute terms over this range.
TEST(MoroInverseNormal, StaysWithinMorosBoundOfBoostMathsQuantile) {
    const boost::math::normal_distribution<double> normal;
    double worst = 0.0;
    auto check = [&](double u) {
        const double error = std::fabs(MoroInverseNormal(u) - boost::math::quantile(normal, u));
        worst = std::fmax(worst, error);
        EXPECT_LE(error, 3.1e-9) << u;
    };
    const int steps = 200000;
    for (int k = 1; k < steps; ++k)
        check(static_cast<double>(k) / steps);
    for (double exponent = -9.0; exponent <= -0.3; exponent += 0.001) {
        check(std::pow(10.0, exponent));
        check(1.0 - std::pow(10.0, exponent));
    }
    check(1e-9 * 1.0000001);
    check(1.0 - 1e-9 * 1.0000001);
    RecordProperty("worst", std::to_string(worst));
}

} // namespace
