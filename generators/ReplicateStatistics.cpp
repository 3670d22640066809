#include "ReplicateStatistics.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace {

// Neumaier's compensated sum: the error of each addition is carried on, so
// the sum is as accurate as if it were rounded once, whatever the count.
double CompensatedSum(const double* first, std::size_t count, double shift) {
    double sum = 0.0, carried = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double term = first[i] - shift;
        const double next = sum + term;
        carried += std::abs(sum) >= std::abs(term) ? (sum - next) + term : (term - next) + sum;
        sum = next;
    }
    return sum + carried;
}

// The power of two that brings the largest magnitude of the values into
// [1/2, 1): in that frame no difference of two values, no sum of a block of
// them and no square of a spread can overflow, nor can a spread's square
// underflow, whatever the data's own exponent. Scaling by a power of two is
// exact, so for values of a usual size nothing changes, bit for bit.
int ScaleExponent(const std::vector<double>& values) {
    double largest = 0.0;
    for (double value : values)
        largest = std::max(largest, std::abs(value));
    int exponent = 0;
    if (std::isfinite(largest))
        std::frexp(largest, &exponent);
    return exponent;
}

} // namespace

// Values in a sheet sit far from zero (prices near 1e4, notionals near 1e12)
// while their spread is small: summed as they stand, the digits the error bar
// is made of are rounded away. Every value is first taken relative to the
// first one (exact when they lie within a factor of two of each other), the
// sums are compensated, and the spread is taken about the block means' mean
// in that shifted frame, so the result keeps the precision of the spread.
// Near the largest doubles the shift itself would overflow (1e308 - -1e308),
// so all of it happens in the scaled frame, and only the results go back.
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
    const int exponent = ScaleExponent(values);
    std::vector<double> scaled(values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        scaled[i] = std::ldexp(values[i], -exponent);
    const double shift = scaled.front();
    std::vector<double> shiftedMeans(blocks);
    for (std::size_t r = 0; r < blocks; ++r)
        shiftedMeans[r] =
            CompensatedSum(scaled.data() + r * length, length, shift) / static_cast<double>(length);
    const double shiftedMean =
        CompensatedSum(shiftedMeans.data(), blocks, 0.0) / static_cast<double>(blocks);
    double squares = 0.0;
    for (double blockMean : shiftedMeans)
        squares += (blockMean - shiftedMean) * (blockMean - shiftedMean);
    const double variance = squares / static_cast<double>(blocks - 1);
    return {std::ldexp(shift + shiftedMean, exponent),
            std::ldexp(std::sqrt(variance / static_cast<double>(blocks)), exponent), replicates};
}
