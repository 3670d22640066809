#include "NumberHelpers.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <new>
#include <stdexcept>

namespace {

// The number of primes below 2^31.
constexpr int PrimesBelowTwoToThe31 = 105097565;

// Helper arrays are bounded as on the 32-bit add-in, whose byte sizes are
// 32-bit: larger ones fail there, and here alike.
std::size_t ArrayCount(int count) {
    if (count < 0)
        throw std::invalid_argument("the count must not be negative");
    if (static_cast<std::uint64_t>(count) * sizeof(int) > UINT32_MAX)
        throw std::bad_alloc();
    return static_cast<std::size_t>(count);
}

} // namespace

// An even i has its lowest 0 bit at position 1; an odd i has one more 1 bit
// below it than i / 2 has.
std::vector<int> FirstZeroBitTable(int count) {
    std::vector<int> table(ArrayCount(count));
    for (int i = 0; i < count; ++i)
        table[i] = (i & 1) ? table[i >> 1] + 1 : 1;
    return table;
}

// The factor is divided by b at each step, not formed anew as a power: the
// rounding of every generator built on this sum follows that order.
double RadicalInverse(int b, int k) {
    double factor = 1.0 / b;
    double sum = 0.0;
    while (k > 0) {
        sum = sum + factor * (k % b);
        k /= b;
        factor = factor / b;
    }
    return sum;
}

bool IsPrime(int n) {
    if (n < 2)
        return false;
    if (n % 2 == 0)
        return n == 2;
    for (int divisor = 3; divisor <= n / divisor; divisor += 2) {
        if (n % divisor == 0)
            return false;
    }
    return true;
}

// The first k primes by Eratosthenes' sieve up to Rosser's bound: the k-th
// prime lies below k (ln k + ln ln k) for k >= 6. Trial division of every
// candidate would keep Excel busy for minutes at a few million dimensions.
std::vector<int> FirstPrimes(int k) {
    std::vector<int> primes;
    if (k <= 0)
        return primes;
    if (k > PrimesBelowTwoToThe31)
        throw std::range_error("not that many primes fit in a signed 32-bit integer");
    primes.reserve(ArrayCount(k));
    primes.push_back(2);
    const double bound = k < 6 ? 11.0 : k * (std::log(k) + std::log(std::log(k)));
    const int limit = bound >= INT_MAX ? INT_MAX : static_cast<int>(bound);
    // Entry i stands for the odd number 2i + 1.
    std::vector<bool> composite(limit / 2 + 1, false);
    for (int i = 1; static_cast<int>(primes.size()) < k; ++i) {
        if (composite[i])
            continue;
        const std::int64_t p = 2 * i + 1;
        primes.push_back(static_cast<int>(p));
        for (std::int64_t multiple = p * p; multiple <= limit; multiple += 2 * p)
            composite[static_cast<std::size_t>(multiple / 2)] = true;
    }
    return primes;
}

int NextPrime(int a) {
    if (a <= 2)
        return 2;
    while (!IsPrime(a))
        ++a;
    return a;
}

std::vector<int> BaseDigits(int value, int b, int count) {
    std::vector<int> digits(ArrayCount(count));
    for (int& digit : digits) {
        digit = value % b;
        value /= b;
    }
    return digits;
}

int DigitCount(int value, int b) {
    int count = 0;
    for (; value > 0; value /= b)
        ++count;
    return count;
}

double IntegerPower(double b, int k) {
    double power = 1.0;
    for (double square = b; k > 0; k >>= 1, square *= square) {
        if (k & 1)
            power *= square;
    }
    return power;
}
