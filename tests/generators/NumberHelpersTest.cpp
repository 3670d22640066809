#include "NumberHelpers.h"

#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>
#include <vector>

namespace {

using Digits = std::vector<int>;

// Eratosthenes' sieve, an independent list of primes.
std::vector<bool> Sieve(int limit) {
    std::vector<bool> prime(limit + 1, true);
    prime[0] = prime[1] = false;
    for (int p = 2; p * p <= limit; ++p)
        if (prime[p])
            for (int q = p * p; q <= limit; q += p)
                prime[q] = false;
    return prime;
}

TEST(FirstZeroBitTable, GivesThePositionOfTheLowestZeroBit) {
    EXPECT_EQ(FirstZeroBitTable(8), (Digits{1, 2, 1, 3, 1, 2, 1, 4}));
    EXPECT_TRUE(FirstZeroBitTable(0).empty());
    EXPECT_THROW(FirstZeroBitTable(-1), std::invalid_argument);

    const Digits table = FirstZeroBitTable(70000);
    for (int i = 0; i < 70000; ++i) {
        const int below = (1 << (table[i] - 1)) - 1;
        ASSERT_EQ(i & below, below) << i;
        ASSERT_EQ(i & (below + 1), 0) << i;
    }
}

TEST(RadicalInverse, MirrorsTheDigitsAtTheRadixPoint) {
    const struct {
        int b, k;
        double expected;
    } cases[] = {{2, 0, 0.0},     {2, 1, 0.5},      {2, 2, 0.25},    {2, 3, 0.75},
                 {2, 6, 0.375},   {5, -1, 0.0},     {3, 1, 1.0 / 3}, {3, 2, 2.0 / 3},
                 {3, 3, 1.0 / 9}, {10, 123, 0.321}, {7, 0, 0.0},     {2, INT_MAX, 1.0 - 0x1p-31}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(RadicalInverse(c.b, c.k), c.expected) << c.b << ", " << c.k;
}

TEST(IsPrime, AgreesWithASieve) {
    const std::vector<bool> sieve = Sieve(20000);
    for (int n = 0; n <= 20000; ++n)
        ASSERT_EQ(IsPrime(n), sieve[n]) << n;
    for (int n : {-1, -2, -7, INT_MIN})
        EXPECT_FALSE(IsPrime(n)) << n;
    // 46337 is the largest prime whose square fits in 31 bits: the trial
    // division must reach the square root itself.
    EXPECT_FALSE(IsPrime(46337 * 46337));
    EXPECT_TRUE(IsPrime(INT_MAX));
    EXPECT_FALSE(IsPrime(INT_MAX - 1));
}

TEST(FirstPrimes, ListsPrimesInIncreasingOrder) {
    EXPECT_EQ(FirstPrimes(5), (Digits{2, 3, 5, 7, 11}));
    EXPECT_EQ(FirstPrimes(1), (Digits{2}));
    EXPECT_TRUE(FirstPrimes(0).empty());
    EXPECT_TRUE(FirstPrimes(-3).empty());

    const std::vector<bool> sieve = Sieve(10000);
    Digits expected;
    for (int n = 2; n <= 10000; ++n)
        if (sieve[n])
            expected.push_back(n);
    for (int k = 1; k <= 30; ++k)
        EXPECT_EQ(FirstPrimes(k), Digits(expected.begin(), expected.begin() + k)) << k;
    EXPECT_EQ(FirstPrimes(static_cast<int>(expected.size())), expected);
}

// The millionth prime is 15485863; there are 105097565 primes below 2^31. A
// count beyond that is refused at once, not after scanning every candidate.
TEST(FirstPrimes, ReachesLargeCountsAndRefusesImpossibleOnes) {
    EXPECT_EQ(FirstPrimes(1000000).back(), 15485863);
    EXPECT_THROW(FirstPrimes(105097566), std::range_error);
    EXPECT_THROW(FirstPrimes(INT_MAX), std::range_error);
}

TEST(NextPrime, FindsTheSmallestPrimeNotBelow) {
    const struct {
        int a, expected;
    } cases[] = {{1, 2},
                 {4, 5},
                 {7, 7},
                 {24, 29},
                 {-5, 2},
                 {INT_MIN, 2},
                 {2, 2},
                 {3, 3},
                 {2147483630, INT_MAX},
                 {INT_MAX, INT_MAX}};
    for (const auto& c : cases)
        EXPECT_EQ(NextPrime(c.a), c.expected) << c.a;
}

TEST(BaseDigits, ListsDigitsLeastSignificantFirst) {
    EXPECT_EQ(BaseDigits(10, 3, 4), (Digits{1, 0, 1, 0}));
    EXPECT_EQ(BaseDigits(10, 3, 2), (Digits{1, 0}));
    EXPECT_EQ(BaseDigits(0, 5, 3), (Digits{0, 0, 0}));
    Digits allOnes(31, 1);
    allOnes.push_back(0);
    EXPECT_EQ(BaseDigits(INT_MAX, 2, 32), allOnes);
    EXPECT_TRUE(BaseDigits(10, 3, 0).empty());
    EXPECT_THROW(BaseDigits(10, 3, -1), std::invalid_argument);
}

TEST(DigitCount, CountsTheDigitsOfTheValue) {
    const struct {
        int value, b, expected;
    } cases[] = {{0, 2, 0}, {1, 2, 1},   {4, 2, 3},   {1000, 2, 10}, {INT_MAX, 2, 31}, {8, 3, 2},
                 {9, 3, 3}, {242, 3, 5}, {243, 3, 6}, {10, 11, 1},   {11, 11, 2}};
    for (const auto& c : cases)
        EXPECT_EQ(DigitCount(c.value, c.b), c.expected) << c.value << " in base " << c.b;
}

TEST(IntegerPower, IsExactWithinTheSignificand) {
    EXPECT_EQ(IntegerPower(3, 0), 1.0);
    EXPECT_EQ(IntegerPower(2, 25), 33554432.0);
    EXPECT_EQ(IntegerPower(11, 6), 1771561.0);
    EXPECT_EQ(IntegerPower(3, 33), 5559060566555523.0);
    EXPECT_EQ(IntegerPower(16411, 3), 4419825634531.0);
}

} // namespace
