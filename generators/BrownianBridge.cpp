#include "BrownianBridge.h"

#include <cmath>
#include <deque>
#include <utility>

BrownianBridge::BrownianBridge(int stepCount, double maturity) {
    auto time = [=](int k) { return k * maturity / stepCount; };
    steps.reserve(stepCount);
    steps.push_back({stepCount, 0, 0, 0.0, 0.0, std::sqrt(maturity)});

    // Gaps between built points, as (left, right) grid indices, in the order
    // their midpoints are due: a queue visits each level left to right.
    std::deque<std::pair<int, int>> gaps = {{0, stepCount}};
    while (!gaps.empty()) {
        const auto [left, right] = gaps.front();
        gaps.pop_front();
        if (right - left < 2)
            continue;
        const int point = left + (right - left) / 2;
        const double span = time(right) - time(left);
        const double before = time(point) - time(left);
        const double after = time(right) - time(point);
        steps.push_back(
            {point, left, right, after / span, before / span, std::sqrt(before * after / span)});
        gaps.emplace_back(left, point);
        gaps.emplace_back(point, right);
    }
}

void BrownianBridge::Build(const double* normals, double* path) const {
    auto at = [path](int k) { return k == 0 ? 0.0 : path[k - 1]; };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& step = steps[i];
        path[step.point - 1] = step.leftWeight * at(step.left) + step.rightWeight * at(step.right) +
                               step.deviation * normals[i];
    }
}
