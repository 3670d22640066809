// Does the 95% interval of rnd_ReplicateStats hold what it claims? Over
// 1000 sheets of independent seeds (sheet s takes seeds s R + 1 ... s R + R,
// disjoint from every other sheet's) each configuration counts the sheets
// whose Student-t interval holds the exact or a high-precision value, for the
// plain row and for the row with a control, the same payoffs in both. Prints
// each share with its binomial standard error, and the median standard error
// with and without the control. The payoffs are the README's: the call
// (control: the discounted terminal price, of mean the spot), the arithmetic
// basket call on correlated paths (control: the geometric basket call, priced
// in closed form), and the smooth product of the RMSE figure (control: its
// linear part, of mean 0).
#include "ControlVariates.h"
#include "CorrelatedPaths.h"
#include "CorrelationFactor.h"
#include "GeometricBasket.h"
#include "ReplicateStatistics.h"
#include "ScrambledSobol.h"
#include "StudentInterval.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int Sheets = 1000;
constexpr double Alpha = 0.05;

// One block of n paths: each path's payoff and its control.
struct Block {
    std::vector<double> payoffs, controls;
};
using Payoffs = std::function<Block(int n, std::uint32_t seed)>;

struct Problem {
    const char* name;
    const char* control;
    double reference;
    double controlMean;
    Payoffs block;
};

struct Estimate {
    double value, standardError, halfWidth;
};

struct Sheet {
    Estimate plain, controlled;
};

// A column of R blocks of n payoffs and the column of their controls, as a
// sheet holds them; with `meansOnly` the R block means of each, blocks of
// one, which give the same regression in less memory.
Sheet OneSheet(const Problem& problem, int n, int replicates, std::uint32_t firstSeed,
               bool meansOnly = false) {
    const int length = meansOnly ? 1 : n;
    std::vector<double> values;
    DoubleMatrix controls(static_cast<unsigned long>(length) * replicates, 1);
    for (int r = 0; r < replicates; ++r) {
        const Block block = problem.block(n, firstSeed + r);
        if (meansOnly) {
            double payoff = 0, control = 0;
            for (int i = 0; i < n; ++i) {
                payoff += block.payoffs[i] / n;
                control += block.controls[i] / n;
            }
            values.push_back(payoff);
            controls(r, 0) = control;
            continue;
        }
        values.insert(values.end(), block.payoffs.begin(), block.payoffs.end());
        for (int i = 0; i < n; ++i)
            controls(static_cast<unsigned long>(r) * n + i, 0) = block.controls[i];
    }
    const ReplicateSummary plain = SummariseReplicates(values, replicates);
    const ControlVariateSummary fitted =
        SummariseWithControls(values, controls, {problem.controlMean}, replicates);
    return {
        {plain.mean, plain.standardError, StudentHalfWidth(plain.standardError, replicates, Alpha)},
        {fitted.estimate, fitted.standardError,
         StudentHalfWidthWithDegrees(fitted.standardError, fitted.degreesOfFreedom, Alpha)}};
}

double Median(std::vector<double> x) {
    std::sort(x.begin(), x.end());
    return (x[(x.size() - 1) / 2] + x[x.size() / 2]) / 2;
}

struct Coverage {
    double share, standardError, medianError;
};

Coverage CoverageOf(const std::vector<Estimate>& estimates, double reference) {
    int held = 0;
    std::vector<double> errors;
    for (const Estimate& e : estimates) {
        held += std::abs(e.value - reference) <= e.halfWidth;
        errors.push_back(e.standardError);
    }
    const double share = static_cast<double>(held) / estimates.size();
    return {share, std::sqrt(share * (1 - share) / estimates.size()), Median(errors)};
}

// The README's call: spot 100, strike 100, rate 5%, volatility 20%, one year.
Problem Call() {
    const double spot = 100, strike = 100, rate = 0.05, volatility = 0.2;
    const double discount = std::exp(-rate);
    return {"call", "discounted S(T)",
            BlackCall(discount, spot * std::exp(rate), strike, volatility * volatility), spot,
            [=](int n, std::uint32_t seed) {
                const DoubleMatrix z = ScrambledNormalVariates(1, n, seed, 0);
                Block block;
                for (int i = 0; i < n; ++i) {
                    const double s =
                        spot * std::exp(rate - volatility * volatility / 2 + volatility * z(i, 0));
                    block.payoffs.push_back(discount * std::max(s - strike, 0.0));
                    block.controls.push_back(discount * s);
                }
                return block;
            }};
}

DoubleMatrix BasketCorrelation() {
    DoubleMatrix correlation(3, 3);
    const double rows[3][3] = {{1, 0.5, 0.3}, {0.5, 1, 0.4}, {0.3, 0.4, 1}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            correlation(i, j) = rows[i][j];
    return correlation;
}

// The README's basket: three assets, spot 100 each, weights 1/3,
// volatilities 0.2, 0.25, 0.3, correlations 0.5, 0.3, 0.4, rate 3%, one year,
// strike 100; paths from rnd_CorrelatedPaths' construction with "pca".
Payoffs BasketPayoffs() {
    const DoubleMatrix correlation = BasketCorrelation();
    const DoubleMatrix factor = CorrelationFactor(correlation, CheckedCorrelation(correlation),
                                                  FactorMethod::PrincipalComponents);
    return [factor](int n, std::uint32_t seed) {
        const double volatilities[] = {0.2, 0.25, 0.3}, rate = 0.03, strike = 100;
        const DoubleMatrix w = CorrelatedPaths(1, n, 1.0, factor, seed, 0);
        Block block;
        for (int i = 0; i < n; ++i) {
            double arithmetic = 0, logGeometric = 0;
            for (int a = 0; a < 3; ++a) {
                const double v = volatilities[a];
                const double logS = std::log(100.0) + rate - v * v / 2 + v * w(i, a);
                arithmetic += std::exp(logS) / 3;
                logGeometric += logS / 3;
            }
            block.payoffs.push_back(std::exp(-rate) * std::max(arithmetic - strike, 0.0));
            block.controls.push_back(std::exp(-rate) *
                                     std::max(std::exp(logGeometric) - strike, 0.0));
        }
        return block;
    };
}

double GeometricBasketPrice() {
    const DoubleMatrix correlation = BasketCorrelation();
    const LogNormalMoments g = GeometricAverage({100, 100, 100}, {1.0 / 3, 1.0 / 3, 1.0 / 3},
                                                {0.2, 0.25, 0.3}, correlation, 0.03, 1.0);
    return BlackCall(std::exp(-0.03), g.mean, 100, g.logVariance);
}

// prod_j (1 + (x_j - 1/2) / j) over [0, 1]^5, whose integral is 1, on
// scrambled Sobol points.
Problem Product() {
    return {"smooth product", "its linear part", 1.0, 0.0, [](int n, std::uint32_t seed) {
                const DoubleMatrix x = ScrambledSobolPoints(5, n, seed, 0);
                Block block;
                for (int i = 0; i < n; ++i) {
                    double product = 1, linear = 0;
                    for (int j = 0; j < 5; ++j) {
                        product *= 1 + (x(i, j) - 0.5) / (j + 1);
                        linear += (x(i, j) - 0.5) / (j + 1);
                    }
                    block.payoffs.push_back(product);
                    block.controls.push_back(linear);
                }
                return block;
            }};
}

struct Studied {
    Coverage plain, controlled;
};

Studied Study(const Problem& problem, int n, int replicates) {
    std::vector<Estimate> plain, controlled;
    for (int s = 0; s < Sheets; ++s) {
        const Sheet sheet =
            OneSheet(problem, n, replicates, 1 + static_cast<std::uint32_t>(s * replicates));
        plain.push_back(sheet.plain);
        controlled.push_back(sheet.controlled);
    }
    const Coverage p = CoverageOf(plain, problem.reference);
    const Coverage c = CoverageOf(controlled, problem.reference);
    std::printf("%-15s %5d %3d   %5.3f +- %5.3f  %5.3f +- %5.3f   %10.3g  %10.3g  %6.2f\n",
                problem.name, n, replicates, p.share, p.standardError, c.share, c.standardError,
                p.medianError, c.medianError, c.medianError / p.medianError);
    return {p, c};
}

const char* Verdict(bool met) {
    return met ? "met" : "missed";
}

} // namespace

int main() {
    const auto started = std::chrono::steady_clock::now();
    const double geometric = GeometricBasketPrice();
    // The basket's reference: 64 replicates of 2^18 paths with the control,
    // on seeds far from the sheets'.
    const Payoffs basketPayoffs = BasketPayoffs();
    Problem basket{"basket", "geometric call", 0.0, geometric, basketPayoffs};
    const Sheet reference = OneSheet(basket, 1 << 18, 64, 3000000000u, true);
    basket.reference = reference.controlled.value;
    const Problem call = Call();
    std::printf("Coverage of the 95%% Student-t interval over %d sheets of disjoint seeds\n",
                Sheets);
    std::printf("References: call %.6f (Black-Scholes); basket %.6f +- %.1e (64 x 2^18 paths "
                "with the control; plain %.6f +- %.1e); geometric basket %.6f (closed form); "
                "product 1\n",
                call.reference, basket.reference, reference.controlled.standardError,
                reference.plain.value, reference.plain.standardError, geometric);
    std::printf("%-15s %5s %3s   %-14s  %-14s   %10s  %10s  %6s\n", "payoff", "n", "R",
                "plain holds", "control holds", "median se", "with ctrl", "ratio");
    Study(call, 1024, 16);
    const Studied callAdvised = Study(call, 256, 64);
    const Studied readme = Study(basket, 1024, 16);
    const Studied basketAdvised = Study(basket, 256, 64);
    Study(basket, 4096, 16);
    Study(Product(), 1024, 16);
    std::printf("(share +- its binomial standard error; se: the standard error of a sheet's "
                "estimate)\n");
    const double ratio = readme.controlled.medianError / readme.plain.medianError;
    std::printf("Target: the README's basket (1024 x 16) with the control, median standard error "
                "at most half the plain one: %.2f, %s\n",
                ratio, Verdict(ratio <= 0.5));
    const double advised = std::min(callAdvised.controlled.share, basketAdvised.controlled.share);
    std::printf("Target: the kinked payoffs with 64 replicates of 256 and a control hold at least "
                "0.94: call %.3f, basket %.3f, %s\n",
                callAdvised.controlled.share, basketAdvised.controlled.share,
                Verdict(advised >= 0.94));
    std::printf("took %.0f s\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    return 0;
}
