// Why the scrambled functions exist: the root-mean-square error of the
// estimate of a smooth integral with known value, over 64 seeds, at
// n = 2^6 ... 2^16, for scrambled Sobol and scrambled Halton points and the
// randomly shifted lattice without and with the baker's transform, beside
// plain Monte Carlo and the unscrambled points of rnd_Sobol (one point set,
// hence one error).
// Prints a table with the fitted rates; with a file name, also writes the
// table there as columns for gnuplot.
#include "DirectionNumberFile.h"
#include "LatticePoints.h"
#include "ScrambledHalton.h"
#include "ScrambledSobol.h"
#include "SobolPoints.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int Dimensions = 5;
constexpr int Seeds = 64;
constexpr int FirstPower = 6;
constexpr int LastPower = 16;
constexpr int MostPoints = 1 << LastPower;

// prod_j (1 + (x_j - 1/2) / j) over [0, 1]^5: each factor integrates to 1.
double Integrand(const double* x) {
    double product = 1.0;
    for (int j = 0; j < Dimensions; ++j)
        product *= 1.0 + (x[j] - 0.5) / (j + 1);
    return product;
}

// The error of the mean over the first 2^m rows, for m = FirstPower ...
// LastPower: the prefixes of one long run are the shorter runs.
std::vector<double> PrefixErrors(const DoubleMatrix& points) {
    std::vector<double> errors;
    double sum = 0.0;
    int used = 0;
    for (int m = FirstPower; m <= LastPower; ++m) {
        for (; used < (1 << m); ++used)
            sum += Integrand(points[used]);
        errors.push_back(sum / used - 1.0);
    }
    return errors;
}

std::vector<double> RootMeanSquare(const std::vector<std::vector<double>>& errorsPerSeed) {
    std::vector<double> rms(errorsPerSeed[0].size(), 0.0);
    for (const std::vector<double>& errors : errorsPerSeed)
        for (std::size_t k = 0; k < errors.size(); ++k)
            rms[k] += errors[k] * errors[k] / errorsPerSeed.size();
    for (double& value : rms)
        value = std::sqrt(value);
    return rms;
}

// The least-squares slope of log2 |error| on log2 n.
double FittedRate(const std::vector<double>& errors) {
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    const int count = static_cast<int>(errors.size());
    for (int k = 0; k < count; ++k) {
        const double x = FirstPower + k;
        const double y = std::log2(std::fabs(errors[k]));
        sx += x, sy += y, sxx += x * x, sxy += x * y;
    }
    return (count * sxy - sx * sy) / (count * sxx - sx * sx);
}

DoubleMatrix MonteCarloPoints(std::uint64_t seed) {
    std::mt19937_64 engine(seed);
    DoubleMatrix points(MostPoints, Dimensions);
    for (int i = 0; i < MostPoints; ++i)
        for (int j = 0; j < Dimensions; ++j)
            points(i, j) = (engine() >> 11) * 0x1p-53;
    return points;
}

} // namespace

int main(int argc, char** argv) {
    std::FILE* data = argc > 1 ? std::fopen(argv[1], "w") : nullptr;
    if (argc > 1 && data == nullptr) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    const std::filesystem::path file = DirectionNumberFilePath();
    std::vector<std::vector<double>> scrambled, halton, monteCarlo, lattice, baker;
    for (int seed = 0; seed < Seeds; ++seed) {
        scrambled.push_back(
            PrefixErrors(ScrambledSobolPoints(Dimensions, MostPoints, seed, 0, file)));
        halton.push_back(PrefixErrors(ScrambledHaltonPoints(Dimensions, MostPoints, seed, 0)));
        monteCarlo.push_back(PrefixErrors(MonteCarloPoints(seed)));
        lattice.push_back(
            PrefixErrors(LatticePoints(Dimensions, MostPoints, seed, 0, LatticeTransform::None)));
        baker.push_back(
            PrefixErrors(LatticePoints(Dimensions, MostPoints, seed, 0, LatticeTransform::Baker)));
    }
    const std::vector<double> scrambledRms = RootMeanSquare(scrambled);
    const std::vector<double> haltonRms = RootMeanSquare(halton);
    const std::vector<double> monteCarloRms = RootMeanSquare(monteCarlo);
    const std::vector<double> latticeRms = RootMeanSquare(lattice);
    const std::vector<double> bakerRms = RootMeanSquare(baker);
    const std::vector<double> sobol = PrefixErrors(SobolPoints(Dimensions, MostPoints, file));

    std::printf("RMSE of the estimate of the integral of prod_j (1 + (x_j - 1/2) / j) over "
                "[0, 1]^5 (= 1),\nover %d seeds; unscrambled Sobol (rnd_Sobol's points) is one "
                "point set, so its error is single.\n\n",
                Seeds);
    std::printf("%8s  %16s  %16s  %16s  %16s  %16s  %16s\n", "n", "scrambled Sobol", "Monte Carlo",
                "Sobol |error|", "scrambled Halton", "lattice", "lattice, baker");
    for (std::size_t k = 0; k < sobol.size(); ++k) {
        const int n = 1 << (FirstPower + k);
        std::printf("%8d  %16.3e  %16.3e  %16.3e  %16.3e  %16.3e  %16.3e\n", n, scrambledRms[k],
                    monteCarloRms[k], std::fabs(sobol[k]), haltonRms[k], latticeRms[k],
                    bakerRms[k]);
        if (data)
            std::fprintf(data, "%d %.6e %.6e %.6e %.6e %.6e %.6e\n", n, scrambledRms[k],
                         monteCarloRms[k], std::fabs(sobol[k]), haltonRms[k], latticeRms[k],
                         bakerRms[k]);
    }
    std::printf("%8s  %16.2f  %16.2f  %16.2f  %16.2f  %16.2f  %16.2f\n", "rate",
                FittedRate(scrambledRms), FittedRate(monteCarloRms), FittedRate(sobol),
                FittedRate(haltonRms), FittedRate(latticeRms), FittedRate(bakerRms));
    std::printf("(rate: least-squares slope of log RMSE on log n; Monte Carlo's theory is "
                "-0.5, scrambled nets on smooth integrands -1.5, shifted lattices with the "
                "baker's transform close to -2)\n");
    if (data)
        std::fclose(data);
    return 0;
}
