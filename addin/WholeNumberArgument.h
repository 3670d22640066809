// Counts arrive from the worksheet as doubles.
#pragma once

#include <cstdint>

namespace tesserine {

// Truncates toward zero (2.9 gives 2, -0.5 gives 0). NaN, an infinity or a
// value whose whole part lies outside the signed 32-bit range throws
// std::invalid_argument naming the argument: "d must be a whole number from 0
// to 2147483647". Negative values in range pass, for the generator to judge.
int WholeNumberArgument(double value, const char* name);

// A column count, truncated toward zero: 0 to `widest`, the widest array the
// result may be. Otherwise "d must be a whole number from 0 to 16384".
int ColumnCountArgument(double value, const char* name, int widest);

// A seed or a sequence index: a whole number from 0 to 4294967295, not
// truncated, since two fractions would otherwise give the same seed.
// Otherwise "seed must be a whole number from 0 to 4294967295".
std::uint32_t UnsignedArgument(double value, const char* name);

// A count of replicates, truncated toward zero: 0 (an omitted argument) or
// 1 give one. "replicates must not be negative" below 0, and the text of
// WholeNumberArgument for what is no whole number at all.
int ReplicateCountArgument(double value);

} // namespace tesserine
