#pragma once

#include <vector>

// Entry i (i = 0 ... count - 1) is the 1-based position of the lowest 0 bit of
// i: the index of the direction number by which a Gray-code Sobol generator
// steps from point i to point i + 1.
std::vector<int> FirstZeroBitTable(int count);

// The base-b radical inverse of k; 0 for k <= 0.
double RadicalInverse(int b, int k);

bool IsPrime(int n);

// The first k primes in increasing order; none for k <= 0.
std::vector<int> FirstPrimes(int k);

// The smallest prime not below a.
int NextPrime(int a);

// The count lowest base-b digits of value, least significant first.
std::vector<int> BaseDigits(int value, int b, int count);

// The number of base-b digits of value (0 for value 0), with b >= 2.
int DigitCount(int value, int b);

// b to the power k for k >= 0 by square-and-multiply, which is exact for every
// power that fits in the 53-bit significand.
double IntegerPower(double b, int k);
