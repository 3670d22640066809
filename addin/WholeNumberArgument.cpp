#include "WholeNumberArgument.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace tesserine {

namespace {

// The whole part of value when it lies from low to high; otherwise the text
// names shown, which need not be the bounds checked.
double WholePartWithin(double value, double low, double high, const char* name, const char* shown) {
    double whole = std::trunc(value);
    // Written so that NaN fails both comparisons.
    if (!(whole >= low && whole <= high))
        throw std::invalid_argument(std::string(name) + " must be a whole number from " + shown);
    return whole;
}

} // namespace

// Negative counts pass, for the generator to judge with its own text.
int WholeNumberArgument(double value, const char* name) {
    return static_cast<int>(WholePartWithin(value, INT32_MIN, INT32_MAX, name, "0 to 2147483647"));
}

int ColumnCountArgument(double value, const char* name, int widest) {
    const std::string shown = "0 to " + std::to_string(widest);
    return static_cast<int>(WholePartWithin(value, 0, widest, name, shown.c_str()));
}

std::uint32_t UnsignedArgument(double value, const char* name) {
    const double whole = WholePartWithin(value, 0, UINT32_MAX, name, "0 to 4294967295");
    // A fraction is refused, not truncated: seeds 0.1, 0.2 and 0.3 (or RAND())
    // would all be seed 0, and "independent" replicates one and the same.
    if (whole != value)
        throw std::invalid_argument(std::string(name) + " must be a whole number from 0 to " +
                                    "4294967295");
    return static_cast<std::uint32_t>(whole);
}

int ReplicateCountArgument(double value) {
    const int count = WholeNumberArgument(value, "replicates");
    if (count < 0)
        throw std::invalid_argument("replicates must not be negative");
    return count == 0 ? 1 : count;
}

} // namespace tesserine
