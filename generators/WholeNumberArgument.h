// Counts arrive from the worksheet as doubles.
#pragma once

#include <cstdint>
#include <functional>

namespace tesserine {

// The six original functions' counts, truncated toward zero (2.9 gives 2,
// -0.5 gives 0). NaN, an infinity or a value whose whole part lies outside
// the signed 32-bit range throws std::invalid_argument naming the argument:
// "d must be a whole number from 0 to 2147483647". Negative values in range
// pass, for the generator to judge.
int WholeNumberArgument(double value, const char* name);

// A count of the functions beyond the six: as WholeNumberArgument, but a
// fraction is refused with the same text, not truncated, since 2.9 replicates
// or 1.5 dimensions is a slip the user should see.
int CountArgument(double value, const char* name);

// A column count: a whole number from 0 to `widest`, the widest array the
// result may be. Otherwise "d must be a whole number from 0 to 16384".
int ColumnCountArgument(double value, const char* name, int widest);

// A seed or a sequence index: a whole number from 0 to 4294967295, not
// truncated, since two fractions would otherwise give the same seed.
// Otherwise "seed must be a whole number from 0 to 4294967295".
std::uint32_t UnsignedArgument(double value, const char* name);

// A count of replicates, a whole number: 0 (an omitted argument) or 1 give
// one. "replicates must not be negative" below 0, and the text of
// CountArgument for a fraction or what is no whole number at all.
int ReplicateCountArgument(double value);

// The randomised functions' trailing three, read in their order: a seed, a
// start and a count of replicates, checked as above; `checkStart`, when
// given, judges the start before the replicates are read.
struct SeedArguments {
    std::uint32_t seed;
    std::uint32_t start;
    int replicates;
};
SeedArguments SeedArgumentsOf(double seed, double start, double replicates,
                              const std::function<void(std::uint32_t)>& checkStart = {});

} // namespace tesserine
