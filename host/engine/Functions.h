// The function numbers the stand-in Excel implements, on neutral values.
// Record kinds meet them only in Engine.cpp, which reads the arguments and
// writes the result; xlFree, which needs the records themselves, lives there.
#pragma once

#include "EngineState.h"
#include "Value.h"

#include <optional>
#include <string>
#include <vector>

namespace xlhost {

// The one sheet's identifier in xltypeRef records.
constexpr std::uint32_t TheSheetId = 1;

// What one callback produced: its return code and, on success, the value
// for the result record, allocated under `description` if it needs memory.
struct Outcome {
    int code = xlretSuccess;
    std::optional<Value> result;
    std::string description;
};

// `recordKind` is 4 (XLOPER) or 12 (XLOPER12). Unknown function numbers give
// xlretInvXlfn, wrong argument counts xlretInvCount.
Outcome RunFunction(EngineState& state, int function, const std::vector<Value>& args,
                    int recordKind);

} // namespace xlhost
