#include "WholeNumberArgument.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace tesserine {

namespace {

enum class Fraction { Truncated, Refused };

// The whole part of value when it lies from low to high (and, where fractions
// are refused, is the value itself); otherwise the text names shown, which
// need not be the bounds checked.
double WholePartWithin(double value, double low, double high, Fraction fraction, const char* name,
                       const char* shown) {
    double whole = std::trunc(value);
    // Written so that NaN fails both comparisons.
    if (!(whole >= low && whole <= high) || (fraction == Fraction::Refused && whole != value))
        throw std::invalid_argument(std::string(name) + " must be a whole number from " + shown);
    return whole;
}

} // namespace

// Negative counts pass, for the generator to judge with its own text.
int WholeNumberArgument(double value, const char* name) {
    return static_cast<int>(
        WholePartWithin(value, INT32_MIN, INT32_MAX, Fraction::Truncated, name, "0 to 2147483647"));
}

int CountArgument(double value, const char* name) {
    return static_cast<int>(
        WholePartWithin(value, INT32_MIN, INT32_MAX, Fraction::Refused, name, "0 to 2147483647"));
}

int ColumnCountArgument(double value, const char* name, int widest) {
    const std::string shown = "0 to " + std::to_string(widest);
    return static_cast<int>(
        WholePartWithin(value, 0, widest, Fraction::Refused, name, shown.c_str()));
}

// A fraction is refused, not truncated: seeds 0.1, 0.2 and 0.3 (or RAND())
// would all be seed 0, and "independent" replicates one and the same.
std::uint32_t UnsignedArgument(double value, const char* name) {
    return static_cast<std::uint32_t>(
        WholePartWithin(value, 0, UINT32_MAX, Fraction::Refused, name, "0 to 4294967295"));
}

int ReplicateCountArgument(double value) {
    const int count = CountArgument(value, "replicates");
    if (count < 0)
        throw std::invalid_argument("replicates must not be negative");
    return count == 0 ? 1 : count;
}

SeedArguments SeedArgumentsOf(double seed, double start, double replicates,
                              const std::function<void(std::uint32_t)>& checkStart) {
    const std::uint32_t seedBits = UnsignedArgument(seed, "seed");
    const std::uint32_t first = UnsignedArgument(start, "start");
    if (checkStart)
        checkStart(first);
    return {seedBits, first, ReplicateCountArgument(replicates)};
}

} // namespace tesserine
