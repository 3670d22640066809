#include "SensitivityIndices.h"

#include "ReplicateStatistics.h"
#include "SensitivityDesign.h"
#include "StudentInterval.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

namespace {

// The n outputs of each block of a replicate: the count must split into R
// replicates of d + 2 blocks of n >= 1. A count that does not is most often
// a row short or over, so the text names the nearest count that would.
std::size_t BlockLength(std::size_t count, int d, int replicates) {
    const std::uint64_t blocks = static_cast<std::uint64_t>(replicates) * (d + 2);
    if (count == 0 || count % blocks != 0) {
        const std::uint64_t nearest =
            std::max<std::uint64_t>(1, (count + blocks / 2) / blocks) * blocks;
        throw std::invalid_argument("values must hold replicates x n x (d + 2) numbers, " +
                                    std::to_string(replicates) + " x n x " + std::to_string(d + 2) +
                                    " for some n, such as " + std::to_string(nearest) +
                                    "; it holds " + std::to_string(count));
    }
    return static_cast<std::size_t>(count / blocks);
}

struct ReplicateIndices {
    std::vector<double> firstOrder, total;
};

// One replicate's indices from its outputs, already scaled into (-1, 1).
// Every output is taken relative to the replicate's first one before the
// mean is summed (exact for outputs within a factor of two of each other),
// and every sum is compensated, so that a model whose output sits at 1e9
// with a spread of 1 keeps the digits its indices are made of. The indices
// are ratios, which the scaling leaves as they are.
ReplicateIndices OneReplicate(const double* outputs, std::size_t n, int d, int replicate) {
    const double* fA = outputs;
    const double* fB = outputs + n;
    const double reference = fA[0];
    const double offset =
        (CompensatedSum(fA, n, reference) + CompensatedSum(fB, n, reference)) / (2.0 * n);
    std::vector<double> centredB(n), terms(2 * n);
    for (std::size_t k = 0; k < n; ++k) {
        const double a = (fA[k] - reference) - offset;
        centredB[k] = (fB[k] - reference) - offset;
        terms[k] = a * a;
        terms[n + k] = centredB[k] * centredB[k];
    }
    const double variance = CompensatedSum(terms.data(), 2 * n, 0.0) / (2.0 * n);
    if (!(variance > 0.0))
        throw std::invalid_argument(
            "the outputs on A and B of replicate " + std::to_string(replicate + 1) +
            " are all equal: an output that does not vary has no sensitivity indices");
    ReplicateIndices indices{std::vector<double>(d), std::vector<double>(d)};
    std::vector<double> squares(n);
    for (int i = 0; i < d; ++i) {
        const double* fAB = outputs + (2 + i) * n;
        for (std::size_t k = 0; k < n; ++k) {
            const double change = fAB[k] - fA[k];
            terms[k] = centredB[k] * change;
            squares[k] = change * change;
        }
        indices.firstOrder[i] = CompensatedSum(terms.data(), n, 0.0) / n / variance;
        indices.total[i] = CompensatedSum(squares.data(), n, 0.0) / n / (2.0 * variance);
    }
    return indices;
}

} // namespace

SensitivityEstimate EstimateSensitivityIndices(const std::vector<double>& values, int d,
                                               int replicates) {
    if (d < 1)
        throw std::invalid_argument("d must be at least 1");
    if (replicates < 1)
        throw std::invalid_argument("replicates must be at least 1");
    const std::size_t n = BlockLength(values.size(), d, replicates);
    const int exponent = ScaleExponent(values);
    std::vector<double> scaled(values.size());
    for (std::size_t k = 0; k < values.size(); ++k)
        scaled[k] = std::ldexp(values[k], -exponent);

    // By input, one estimate per replicate.
    std::vector<std::vector<double>> firstOrder(d, std::vector<double>(replicates)),
        total(d, std::vector<double>(replicates));
    const std::size_t perReplicate = n * (d + 2);
    for (int r = 0; r < replicates; ++r) {
        const ReplicateIndices one = OneReplicate(scaled.data() + r * perReplicate, n, d, r);
        for (int i = 0; i < d; ++i) {
            firstOrder[i][r] = one.firstOrder[i];
            total[i][r] = one.total[i];
        }
    }
    SensitivityEstimate estimate;
    const auto summarise = [&](const std::vector<double>& estimates, std::vector<double>& index,
                               std::vector<double>& error) {
        if (replicates == 1) {
            index.push_back(estimates[0]);
            error.push_back(std::numeric_limits<double>::quiet_NaN());
            return;
        }
        const ReplicateSummary summary = SummariseReplicates(estimates, replicates);
        index.push_back(summary.mean);
        error.push_back(summary.standardError);
    };
    for (int i = 0; i < d; ++i) {
        summarise(firstOrder[i], estimate.firstOrder, estimate.firstOrderError);
        summarise(total[i], estimate.total, estimate.totalError);
    }
    return estimate;
}

// NaN fails every comparison.
int SensitivityIndexInputCount(double d) {
    if (!(d >= 1 && d <= MostSensitivityInputs && d == std::trunc(d)))
        throw std::invalid_argument("d must be a whole number from 1 to " +
                                    std::to_string(MostSensitivityInputs));
    return static_cast<int>(d);
}

DoubleMatrix SensitivityIndexTable(const std::vector<double>& values, int d, int replicates,
                                   std::optional<double> alpha) {
    const SensitivityEstimate estimate = EstimateSensitivityIndices(values, d, replicates);
    const auto halfWidth = [&](double standardError) {
        return replicates < 2 ? std::numeric_limits<double>::quiet_NaN()
                              : StudentHalfWidth(standardError, replicates, *alpha);
    };
    DoubleMatrix table(d, alpha ? 6 : 4);
    for (int i = 0; i < d; ++i) {
        table(i, 0) = estimate.firstOrder[i];
        table(i, 1) = estimate.firstOrderError[i];
        table(i, 2) = estimate.total[i];
        table(i, 3) = estimate.totalError[i];
        if (alpha) {
            table(i, 4) = halfWidth(estimate.firstOrderError[i]);
            table(i, 5) = halfWidth(estimate.totalError[i]);
        }
    }
    return table;
}
