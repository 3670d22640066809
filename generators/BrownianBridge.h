#pragma once

#include <vector>

// The Brownian bridge in P. Jäckel's construction order ("Monte Carlo Methods
// in Finance", 2002, 10.8.3) on the equal grid t_k = k * maturity / steps:
// the first normal gives the terminal value W(maturity), each later one the
// point halfway (rounded down) between two points already built, coarsest
// level first and left to right within a level. The first Sobol dimensions,
// the best distributed ones, thus decide the coarse shape of the path.
class BrownianBridge {
public:
    // steps >= 1, maturity positive.
    BrownianBridge(int steps, double maturity);

    // path[k - 1] = W(t_k) for k = 1 ... steps from `steps` standard normals.
    // The two arrays must not overlap.
    void Build(const double* normals, double* path) const;

private:
    // W(t_point) = leftWeight * W(t_left) + rightWeight * W(t_right) +
    // deviation * z, grid indices 1-based, with W(t_0) = 0.
    struct Step {
        int point;
        int left;
        int right;
        double leftWeight;
        double rightWeight;
        double deviation;
    };
    std::vector<Step> steps;
};
