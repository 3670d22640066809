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

// The one sheet's identifier in xltypeRef records. Sheet identifiers are
// pointer-sized; on Win64 the stand-in's needs all 64 bits, so a framework
// that cuts one to 32 bits points its references at another sheet.
#if defined(_WIN64)
constexpr IDSHEET TheSheetId = 0x00007FF600000001;
#else
constexpr IDSHEET TheSheetId = 1;
#endif

// What one callback produced: its return code and, on success, the value
// for the result record, allocated under `description` if it needs memory.
struct Outcome {
    int code = xlretSuccess;
    std::optional<Value> result;
    std::string description;
};

// The newest accepted, not withdrawn registration with that register id (a
// Number) or function text (a Text, in any letter case); null for none.
const Registration* FindRegistration(const EngineState& state, const Cell& nameOrId);

// `recordKind` is 4 (XLOPER) or 12 (XLOPER12). Unknown function numbers give
// xlretInvXlfn, wrong argument counts xlretInvCount.
Outcome RunFunction(EngineState& state, int function, const std::vector<Value>& args,
                    int recordKind);

} // namespace xlhost
