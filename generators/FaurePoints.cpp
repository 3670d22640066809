#include "FaurePoints.h"

#include "GeneratorArguments.h"
#include "NumberHelpers.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

using Digit = std::uint32_t;

// The upper-triangular Pascal matrix modulo b, row-major: entry (p, q) is
// binom(q, p) mod b.
std::vector<Digit> PascalMatrix(int size, Digit b) {
    std::vector<Digit> pascal(static_cast<std::size_t>(size) * size, 0);
    for (int q = 0; q < size; ++q) {
        pascal[q] = 1;
        for (int p = 1; p <= q; ++p) {
            const Digit above = pascal[(p - 1) * size + (q - 1)] + pascal[p * size + (q - 1)];
            pascal[p * size + q] = above % b;
        }
    }
    return pascal;
}

std::vector<Digit> MultiplyModulo(const std::vector<Digit>& left, const std::vector<Digit>& right,
                                  int size, Digit b) {
    std::vector<Digit> product(left.size(), 0);
    for (int p = 0; p < size; ++p) {
        for (int q = p; q < size; ++q) {
            std::uint64_t sum = 0;
            for (int r = p; r <= q; ++r)
                sum += std::uint64_t{left[p * size + r]} * right[r * size + q] % b;
            product[p * size + q] = static_cast<Digit>(sum % b);
        }
    }
    return product;
}

// Counting the index up by one turns its digits 0 ... c - 1 from b - 1 to 0
// and adds 1 to digit c: modulo b, 1 is added to each of digits 0 ... c. So a
// dimension's digits, the index's digits times a fixed matrix G modulo b,
// change by the sums of G's columns 0 ... c. This table holds those sums,
// entry ((j * size) + c) * size + p for dimension j, carry c and digit p <= c.
std::vector<Digit> DigitSteps(int d, int size, Digit b) {
    const std::vector<Digit> pascal = PascalMatrix(size, b);
    std::vector<Digit> power(pascal.size(), 0);
    for (int p = 0; p < size; ++p)
        power[p * size + p] = 1;

    std::vector<Digit> steps(static_cast<std::size_t>(d) * size * size, 0);
    for (int j = 0; j < d; ++j) {
        for (int c = 0; c < size; ++c) {
            Digit* step = &steps[(static_cast<std::size_t>(j) * size + c) * size];
            for (int p = 0; p <= c; ++p) {
                std::uint64_t sum = 0;
                for (int q = p; q <= c; ++q)
                    sum += power[p * size + q];
                step[p] = static_cast<Digit>(sum % b);
            }
        }
        power = MultiplyModulo(pascal, power, size, b);
    }
    return steps;
}

// Entry p * b + y is y / b^(p + 1), the term that digit y at position p adds.
std::vector<double> DigitTerms(int size, Digit b) {
    std::vector<double> terms(static_cast<std::size_t>(size) * b);
    for (int p = 0; p < size; ++p) {
        const double power = IntegerPower(b, p + 1);
        for (Digit y = 0; y < b; ++y)
            terms[p * static_cast<std::size_t>(b) + y] = y / power;
    }
    return terms;
}

} // namespace

// Each coordinate is the sum of its digit terms from position 0 upward, as
// the direct transform forms it; only the digits are found incrementally.
DoubleMatrix FaurePoints(int d, int n) {
    RequireValidCounts(d, n);
    DoubleMatrix points = DoubleMatrix::ForOverwrite(n, d);
    if (n == 0 || d == 0)
        return points;

    const Digit b = static_cast<Digit>(NextPrime(d));
    const int size = DigitCount(n, static_cast<int>(b));
    const std::vector<Digit> steps = DigitSteps(d, size, b);
    const std::vector<double> terms = DigitTerms(size, b);
    std::vector<Digit> index(size, 0);
    std::vector<Digit> digits(static_cast<std::size_t>(d) * size, 0);
    int usedDigits = 0;
    for (int i = 0; i < n; ++i) {
        int carry = 0;
        while (index[carry] == b - 1)
            index[carry++] = 0;
        ++index[carry];
        if (carry >= usedDigits)
            usedDigits = carry + 1;

        double* row = points[i];
        for (int j = 0; j < d; ++j) {
            Digit* y = &digits[static_cast<std::size_t>(j) * size];
            const Digit* step = &steps[(static_cast<std::size_t>(j) * size + carry) * size];
            for (int p = 0; p <= carry; ++p) {
                const Digit sum = y[p] + step[p];
                y[p] = sum >= b ? sum - b : sum;
            }
            double coordinate = 0.0;
            for (int p = 0; p < usedDigits; ++p)
                coordinate += terms[p * static_cast<std::size_t>(b) + y[p]];
            row[j] = coordinate;
        }
    }
    return points;
}
