#include "ScaledBrownianBridge.h"

#include <cmath>

ScaledBrownianBridge::ScaledBrownianBridge(int stepCount, double maturity)
    : steps(stepCount), unitBridge(stepCount, 1.0), scale(std::sqrt(maturity)) {}

void ScaledBrownianBridge::Build(const double* normals, double* path) const {
    unitBridge.Build(normals, path);
    for (int k = 0; k < steps; ++k)
        path[k] *= scale;
}
