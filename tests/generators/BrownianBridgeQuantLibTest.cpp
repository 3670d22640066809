// QuantLib's BrownianBridge (Debian libquantlib0-dev), fed the same normals on
// the same grid, is the independent reference for the construction.
#include "BrownianBridge.h"

#include <gtest/gtest.h>
#include <ql/methods/montecarlo/brownianbridge.hpp>

#include <cmath>
#include <random>
#include <vector>

namespace {

TEST(BrownianBridge, AgreesWithQuantLibsBrownianBridge) {
    std::mt19937_64 engine(20240611);
    std::normal_distribution<double> normal;
    for (int steps : {1, 2, 3, 5, 7, 8, 12, 33, 64, 100, 255})
        for (double maturity : {1.0, 0.25, 7.5}) {
            std::vector<QuantLib::Time> times(steps);
            for (int k = 0; k < steps; ++k)
                times[k] = (k + 1) * maturity / steps;
            const QuantLib::BrownianBridge reference(times);
            const BrownianBridge bridge(steps, maturity);
            for (int trial = 0; trial < 20; ++trial) {
                std::vector<double> normals(steps), variations(steps), path(steps);
                for (double& z : normals)
                    z = normal(engine);
                reference.transform(normals.begin(), normals.end(), variations.begin());
                bridge.Build(normals.data(), path.data());
                // QuantLib gives (W(t_k) - W(t_(k-1))) / sqrt(t_k - t_(k-1)).
                double w = 0.0;
                for (int k = 0; k < steps; ++k) {
                    w += variations[k] * std::sqrt(times[k] - (k == 0 ? 0.0 : times[k - 1]));
                    ASSERT_NEAR(path[k], w, 1e-12)
                        << steps << " steps to " << maturity << ", point " << k + 1;
                }
            }
        }
}

} // namespace
