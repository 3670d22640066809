#include "BrownianPaths.h"
#include "BrownianBridge.h"
#include "ScrambledSobol.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace {

// With one step the bridge is W(T) = sqrt(T) z; with two, W(T/2) is the
// mean of 0 and W(T) plus sqrt(T/4) z (a hand computation).
TEST(BrownianBridge, BuildsTheTerminalPointThenTheMidpoint) {
    double path[2];
    const double one[] = {1.5};
    BrownianBridge(1, 4.0).Build(one, path);
    EXPECT_DOUBLE_EQ(path[0], 3.0);

    const double two[] = {1.0, -2.0};
    BrownianBridge(2, 4.0).Build(two, path);
    EXPECT_DOUBLE_EQ(path[1], 2.0);
    EXPECT_DOUBLE_EQ(path[0], 0.5 * 2.0 + 1.0 * -2.0);
}

// The normals go to the grid points in the order 8, 4, 2, 6, 1, 3, 5, 7: a
// unit in position i and zeros elsewhere move only the points built from it.
TEST(BrownianBridge, FollowsTheCoarsestFirstOrder) {
    const int order[] = {8, 4, 2, 6, 1, 3, 5, 7};
    for (int i = 0; i < 8; ++i) {
        std::vector<double> normals(8, 0.0), path(8);
        normals[i] = 1.0;
        BrownianBridge(8, 8.0).Build(normals.data(), path.data());
        const int point = order[i];
        EXPECT_GT(path[point - 1], 0.0) << "normal " << i;
        // Points built before it stay at 0.
        for (int earlier = 0; earlier < i; ++earlier)
            EXPECT_EQ(path[order[earlier] - 1], 0.0) << "normal " << i;
    }
}

// Brownian motion has Cov(W(s), W(t)) = min(s, t): over 4096 scrambled
// paths the sample covariances come within a few percent.
TEST(BrownianPaths, HaveTheCovarianceOfBrownianMotion) {
    const int steps = 12;
    const int n = 4096;
    const double maturity = 3.0;
    const DoubleMatrix paths =
        BrownianPaths(steps, n, maturity, 2024, 0, ShippedDirectionNumberFile());
    for (int a = 0; a < steps; ++a)
        for (int b = a; b < steps; ++b) {
            double sum = 0;
            for (int i = 0; i < n; ++i)
                sum += paths(i, a) * paths(i, b);
            const double expected = (a + 1) * maturity / steps;
            EXPECT_NEAR(sum / n, expected, 0.03 * maturity) << a << ", " << b;
        }
}

// The bridge on the maturity's own grid gives the same paths up to rounding;
// at maturity 1 the very same bits.
TEST(BrownianPaths, BridgeTheScrambledNormalsRowByRow) {
    const std::string file = ShippedDirectionNumberFile();
    const DoubleMatrix normals = ScrambledNormalVariates(5, 50, 3, 77, file);
    for (double maturity : {2.5, 1.0}) {
        SCOPED_TRACE(maturity);
        const DoubleMatrix paths = BrownianPaths(5, 50, maturity, 3, 77, file);
        const BrownianBridge bridge(5, maturity);
        double path[5];
        for (int i = 0; i < 50; ++i) {
            bridge.Build(normals[i], path);
            for (int k = 0; k < 5; ++k) {
                if (maturity == 1.0)
                    ASSERT_EQ(paths(i, k), path[k]) << i << ", " << k;
                else
                    ASSERT_NEAR(paths(i, k), path[k], 1e-14 * (1 + std::fabs(path[k])))
                        << i << ", " << k;
            }
        }
    }
}

// Every maturity that is accepted gives finite paths, from the smallest
// double to the largest: W(T t) has the law of sqrt(T) W(t), and the paths
// are those of maturity 1 so scaled. On the maturity's own grid 2 steps at
// 1e155 gave -inf and 255 steps at 1e300 or 5e-324 gave NaNs.
TEST(BrownianPaths, EveryAcceptedMaturityGivesFinitePaths) {
    const std::string file = ShippedDirectionNumberFile();
    const DoubleMatrix unit = BrownianPaths(255, 3, 1.0, 11, 0, file);
    for (double maturity : {1e155, 1e300, DBL_MAX, 5e-324, DBL_MIN, 1e-300}) {
        SCOPED_TRACE(maturity);
        const DoubleMatrix paths = BrownianPaths(255, 3, maturity, 11, 0, file);
        const double scale = std::sqrt(maturity);
        for (int i = 0; i < 3; ++i)
            for (int k = 0; k < 255; ++k) {
                ASSERT_TRUE(std::isfinite(paths(i, k))) << i << ", " << k;
                ASSERT_NEAR(paths(i, k) / scale, unit(i, k), 1e-6 * (1 + std::fabs(unit(i, k))))
                    << i << ", " << k;
            }
    }
    const DoubleMatrix two = BrownianPaths(2, 1, 1e155, 11, 0, file);
    EXPECT_TRUE(std::isfinite(two(0, 0)) && std::isfinite(two(0, 1)));
}

TEST(BrownianPaths, RefuseAMaturityThatIsNotPositiveAndFinite) {
    const std::string file = ShippedDirectionNumberFile();
    for (double maturity : {0.0, -1.0, -0.0, HUGE_VAL, -HUGE_VAL, std::nan("")}) {
        try {
            BrownianPaths(4, 8, maturity, 1, 0, file);
            ADD_FAILURE() << "no exception for maturity " << maturity;
        } catch (const std::invalid_argument& error) {
            EXPECT_STREQ(error.what(), "maturity must be a positive, finite number");
        }
    }
    EXPECT_EQ(BrownianPaths(4, 8, 1e-300, 1, 0, file).RowCount(), 8u);
}

} // namespace
