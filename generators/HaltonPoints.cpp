#include "HaltonPoints.h"

#include "GeneratorArguments.h"
#include "NumberHelpers.h"

#include <cstddef>
#include <new>
#include <vector>

namespace {

// The base-b digits of the point index, counted up one by one, with the
// factors 1/b, 1/b/b, ... that RadicalInverse forms: the same sum in the same
// order, without a division per digit.
class RadicalInverseCounter {
public:
    RadicalInverseCounter(int base, int maxIndex)
        : base(base), digits(DigitCount(maxIndex, base), 0), factors(digits.size()) {
        double factor = 1.0 / base;
        for (double& f : factors) {
            f = factor;
            factor = factor / base;
        }
    }

    double Next() {
        std::size_t p = 0;
        while (++digits[p] == base)
            digits[p++] = 0;
        if (p >= usedDigits)
            usedDigits = p + 1;
        double sum = 0.0;
        for (std::size_t q = 0; q < usedDigits; ++q)
            sum = sum + factors[q] * digits[q];
        return sum;
    }

private:
    int base;
    std::size_t usedDigits = 0;
    std::vector<int> digits;
    std::vector<double> factors;
};

} // namespace

DoubleMatrix HaltonPoints(int d, int n) {
    RequireValidCounts(d, n);
    DoubleMatrix points = DoubleMatrix::ForOverwrite(n, d);
    if (n == 0 || d == 0)
        return points;

    std::vector<RadicalInverseCounter> counters;
    // More counters than a 32-bit process can index is an allocation failure,
    // not the library's length error, and found before any prime is formed.
    if (static_cast<std::size_t>(d) > counters.max_size())
        throw std::bad_alloc();
    counters.reserve(d);
    for (int base : FirstPrimes(d))
        counters.emplace_back(base, n);
    for (int i = 0; i < n; ++i) {
        double* row = points[i];
        for (int j = 0; j < d; ++j)
            row[j] = counters[j].Next();
    }
    return points;
}
