#pragma once

#include "BrownianBridge.h"

// The Brownian bridge on the maturity's grid, built on unit time and each
// path scaled by the square root of the maturity, as Brownian motion scales:
// on the maturity's own grid the times overflow for maturities near the
// largest double and vanish for the smallest, and the paths would hold
// infinities and NaNs.
class ScaledBrownianBridge {
public:
    // steps >= 1, maturity positive and finite.
    ScaledBrownianBridge(int steps, double maturity);

    // path[k - 1] = W(t_k), t_k = k * maturity / steps, for k = 1 ... steps
    // from `steps` standard normals. The two arrays must not overlap.
    void Build(const double* normals, double* path) const;

private:
    int steps;
    BrownianBridge unitBridge;
    double scale;
};
