// Calling an add-in's exported worksheet function the way Excel does:
// stdcall, each "B" argument a double passed by value.
#pragma once

#include <cstddef>
#include <vector>

namespace xlhost {

// An exported procedure, untyped until it is called.
using Procedure = void (*)();

// Enough for any function the engine is asked to call; Excel itself allows 255.
constexpr std::size_t MaxNumberArguments = 16;

// Both throw std::invalid_argument for more than MaxNumberArguments arguments.
double CallReturningNumber(Procedure procedure, const std::vector<double>& arguments);
void* CallReturningRecord(Procedure procedure, const std::vector<double>& arguments);

} // namespace xlhost
