// The closed form of the geometric basket call, the arithmetic basket's
// control: one asset of weight 1 is Black-Scholes' call (10.450583572185565
// for the README's, from scipy's norm.cdf), and on the README's three assets
// the price agrees with plain Monte Carlo on std::mt19937_64's normals,
// correlated by the Cholesky factor of the correlation worked out by hand.
#include "GeometricBasket.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

TEST(GeometricBasket, IsBlackScholesForOneAssetAndMonteCarlosForThree) {
    DoubleMatrix one(1, 1);
    one(0, 0) = 1;
    const LogNormalMoments single = GeometricAverage({100}, {1}, {0.2}, one, 0.05, 1);
    EXPECT_NEAR(BlackCall(std::exp(-0.05), single.mean, 100, single.logVariance),
                10.450583572185565, 1e-12);

    const double rho[3][3] = {{1, 0.5, 0.3}, {0.5, 1, 0.4}, {0.3, 0.4, 1}};
    DoubleMatrix correlation(3, 3);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            correlation(i, j) = rho[i][j];
    const double volatilities[] = {0.2, 0.25, 0.3}, rate = 0.03, third = 1.0 / 3;
    const LogNormalMoments basket = GeometricAverage({100, 100, 100}, {third, third, third},
                                                     {0.2, 0.25, 0.3}, correlation, rate, 1);
    const double price = BlackCall(std::exp(-rate), basket.mean, 100, basket.logVariance);

    // L with L L^T = correlation: l21 = 0.5, l22 = sqrt(0.75), l31 = 0.3,
    // l32 = (0.4 - 0.15) / l22, l33 = sqrt(1 - l31^2 - l32^2).
    const double l22 = std::sqrt(0.75), l32 = 0.25 / l22;
    const double l33 = std::sqrt(1 - 0.09 - l32 * l32);
    std::mt19937_64 engine(20261208);
    std::normal_distribution<double> normal;
    const int paths = 1000000;
    double sum = 0, squares = 0;
    for (int p = 0; p < paths; ++p) {
        const double z1 = normal(engine), z2 = normal(engine), z3 = normal(engine);
        const double w[] = {z1, 0.5 * z1 + l22 * z2, 0.3 * z1 + l32 * z2 + l33 * z3};
        double logGeometric = 0;
        for (int a = 0; a < 3; ++a)
            logGeometric += (std::log(100.0) + rate - volatilities[a] * volatilities[a] / 2 +
                             volatilities[a] * w[a]) /
                            3;
        const double payoff = std::exp(-rate) * std::max(std::exp(logGeometric) - 100, 0.0);
        sum += payoff;
        squares += payoff * payoff;
    }
    const double mean = sum / paths;
    const double standardError = std::sqrt((squares / paths - mean * mean) / (paths - 1));
    EXPECT_NEAR(price, mean, 4 * standardError) << "standard error " << standardError;
}
