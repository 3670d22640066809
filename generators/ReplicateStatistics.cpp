#include "ReplicateStatistics.h"

#include <cmath>
#include <stdexcept>
#include <string>

namespace {

double MeanOf(const double* first, std::size_t count) {
    double sum = 0.0;
    for (std::size_t i = 0; i < count; ++i)
        sum += first[i];
    return sum / static_cast<double>(count);
}

} // namespace

// Two passes over the block means: their mean first, then the squares about
// it, which keeps the spread exact when the means agree in many digits.
ReplicateSummary SummariseReplicates(const std::vector<double>& values, int replicates) {
    if (replicates < 2)
        throw std::invalid_argument(
            "replicates must be at least 2: the spread of one block is no error bar");
    if (values.empty())
        throw std::invalid_argument("values holds no numbers");
    const std::size_t blocks = static_cast<std::size_t>(replicates);
    if (values.size() % blocks != 0)
        throw std::invalid_argument("the " + std::to_string(values.size()) +
                                    " values do not split into " + std::to_string(replicates) +
                                    " blocks of equal length");
    const std::size_t length = values.size() / blocks;
    std::vector<double> means(blocks);
    for (std::size_t r = 0; r < blocks; ++r)
        means[r] = MeanOf(values.data() + r * length, length);
    const double mean = MeanOf(means.data(), blocks);
    double squares = 0.0;
    for (double blockMean : means)
        squares += (blockMean - mean) * (blockMean - mean);
    const double variance = squares / static_cast<double>(blocks - 1);
    return {mean, std::sqrt(variance / static_cast<double>(blocks)), replicates};
}
