// What a worksheet function hands back, read the same way whether Excel's
// own process called it or a cluster node did (host/xlnode).
#pragma once

#include "Value.h"
#include "WorksheetCall.h"
#include "xlw/ExcelApi.h"

#include <string>

namespace xlhost {

struct Returned {
    // Null: a null record or pointer, which a sheet shows as #NUM!.
    // Unreadable: a record of unknown type bits, shown as #VALUE!.
    enum class Kind { Value, Null, Unreadable };
    Kind kind = Kind::Value;
    Value value;

    static Returned Of(const XLOPER* record);
    static Returned Of(const XLOPER12* record);
};

// Calls a procedure whose result type is one of the scalar codes (B, J, A,
// L, C, C%, D, D%) and reads its result; the pointer types' memory stays the
// add-in's.
Returned CallForScalar(const std::string& code, Procedure procedure, const CallFrame& frame);

// Hands a record marked xlbitDLLFree to the module's `autoFree` export
// (xlAutoFree or xlAutoFree12). False when the module exports none, and
// Excel can only leak the record.
bool HandBack(void* module, XLOPER* record, const char* autoFree);
bool HandBack(void* module, XLOPER12* record, const char* autoFree);

} // namespace xlhost
