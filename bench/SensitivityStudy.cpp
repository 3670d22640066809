// What the replicated sensitivity design is for: the Sobol' indices of the
// Ishigami function (a = 7, b = 0.1 on [-pi, pi]^3) from 16 replicates of n
// = 4096, from rnd_SensitivityDesign's scrambled Sobol rows and from the same
// design built on pseudo-random A and B (std::mt19937_64), with the standard
// error of each of the six indices from each and their ratio beside the
// target (at least 5); then the cost of the design against scrambled Sobol
// points of as many cells (target at most 1.5x) and of the indices from 10^6
// outputs (target well under a second).
#include "ScrambledSobol.h"
#include "SensitivityDesign.h"
#include "SensitivityIndices.h"
#include "StudentInterval.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr int Inputs = 3, Points = 4096, Replicates = 16;

double Ishigami(const double* u) {
    const double x1 = 2 * Pi * u[0] - Pi, x2 = 2 * Pi * u[1] - Pi, x3 = 2 * Pi * u[2] - Pi;
    return std::sin(x1) + 7 * std::sin(x2) * std::sin(x2) + 0.1 * std::pow(x3, 4) * std::sin(x1);
}

// The design's blocks from A and B given as the two halves of n rows of 2d
// uniforms, in rnd_SensitivityDesign's order.
DoubleMatrix DesignFrom(const DoubleMatrix& halves, int d) {
    const int n = static_cast<int>(halves.RowCount());
    DoubleMatrix design(static_cast<unsigned long>(n) * (d + 2), d);
    for (int block = 0; block < d + 2; ++block)
        for (int k = 0; k < n; ++k)
            for (int j = 0; j < d; ++j)
                design(block * n + k, j) = halves(k, (block == 1 || block - 2 == j) ? d + j : j);
    return design;
}

std::vector<double> OutputsOf(const DoubleMatrix& design) {
    std::vector<double> outputs(design.RowCount());
    for (unsigned long k = 0; k < design.RowCount(); ++k)
        outputs[k] = Ishigami(design[k]);
    return outputs;
}

// Seconds of the fastest of five runs.
template <class Work> double LeastSeconds(Work work) {
    double least = 1e300;
    for (int run = 0; run < 5; ++run) {
        const auto start = std::chrono::steady_clock::now();
        work();
        least = std::min(
            least, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return least;
}

} // namespace

int main() {
    std::vector<double> quasi, pseudo;
    std::mt19937_64 engine(20261208);
    for (int r = 0; r < Replicates; ++r) {
        const std::vector<double> q = OutputsOf(SensitivityDesign(Inputs, Points, 2024 + r, 0));
        quasi.insert(quasi.end(), q.begin(), q.end());
        DoubleMatrix halves(Points, 2 * Inputs);
        for (int k = 0; k < Points; ++k)
            for (int j = 0; j < 2 * Inputs; ++j)
                halves(k, j) = (engine() >> 11) * 0x1p-53;
        const std::vector<double> p = OutputsOf(DesignFrom(halves, Inputs));
        pseudo.insert(pseudo.end(), p.begin(), p.end());
    }
    const SensitivityEstimate q = EstimateSensitivityIndices(quasi, Inputs, Replicates);
    const SensitivityEstimate p = EstimateSensitivityIndices(pseudo, Inputs, Replicates);
    // The analytic indices, as the generator tests derive them.
    const double pi4 = std::pow(Pi, 4), v1 = (1 + 0.1 * pi4 / 5) * (1 + 0.1 * pi4 / 5) / 2,
                 v2 = 49.0 / 8, v13 = 0.01 * pi4 * pi4 * (1.0 / 18 - 1.0 / 50), v = v1 + v2 + v13;
    const double exact[2][Inputs] = {{v1 / v, v2 / v, 0}, {(v1 + v13) / v, v2 / v, v13 / v}};
    const double quantile = StudentHalfWidth(1.0, Replicates, 0.01);
    std::printf("Sobol' indices of the Ishigami function (a = 7, b = 0.1), %d replicates of n = "
                "%d (%d model rows each):\nscrambled Sobol design against a pseudo-random "
                "(mt19937_64) design of the same size\n\n",
                Replicates, Points, Points * (Inputs + 2));
    std::printf("%-5s %8s %9s %9s %9s %7s %12s %6s\n", "index", "exact", "estimate", "std err",
                "99% half", "inside", "Monte Carlo", "ratio");
    for (int kind = 0; kind < 2; ++kind)
        for (int i = 0; i < Inputs; ++i) {
            const double estimate = kind == 0 ? q.firstOrder[i] : q.total[i];
            const double error = kind == 0 ? q.firstOrderError[i] : q.totalError[i];
            const double mcError = kind == 0 ? p.firstOrderError[i] : p.totalError[i];
            const double half = quantile * error;
            std::printf("%-5s %8.5f %9.5f %9.5f %9.5f %7s %12.5f %6.1f (target at least 5: %s)\n",
                        (std::string(kind == 0 ? "S" : "ST") + std::to_string(i + 1)).c_str(),
                        exact[kind][i], estimate, error, half,
                        std::fabs(estimate - exact[kind][i]) <= half ? "yes" : "NO", mcError,
                        mcError / error, mcError / error >= 5 ? "holds" : "missed");
        }
    std::printf("(std err and Monte Carlo: the standard errors of the mean of %d replicates, "
                "from their spread; each ratio is itself uncertain by about a quarter)\n\n",
                Replicates);

    const struct { int d, n; } sizes[] = {{3, 65536}, {10, 16384}, {100, 1024}};
    for (const auto& s : sizes) {
        const double design = LeastSeconds([&] { SensitivityDesign(s.d, s.n, 7, 0); });
        const double points =
            LeastSeconds([&] { ScrambledSobolPoints(s.d, s.n * (s.d + 2), 7, 0); });
        std::printf("design d = %d, n = %d (%d x %d cells): %.2f ms against %.2f ms for "
                    "ScrambledSobolPoints(%d, %d), ratio %.2f (target at most 1.5)\n",
                    s.d, s.n, s.n * (s.d + 2), s.d, design * 1e3, points * 1e3, s.d,
                    s.n * (s.d + 2), design / points);
    }
    // 16 replicates of d = 3 and n = 12500: 10^6 outputs.
    std::vector<double> million;
    for (int r = 0; r < 16; ++r) {
        const std::vector<double> o = OutputsOf(SensitivityDesign(3, 12500, 99 + r, 0));
        million.insert(million.end(), o.begin(), o.end());
    }
    const double indices = LeastSeconds([&] { EstimateSensitivityIndices(million, 3, 16); });
    std::printf("indices from %zu outputs (d = 3, 16 replicates of n = 12500): %.1f ms "
                "(target well under a second)\n",
                million.size(), indices * 1e3);
    return 0;
}
