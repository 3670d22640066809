// Reading and writing Excel's two record kinds. Both kinds go through the
// same code; RecordTraits holds what differs (string width and limit,
// integer width, array limits, reference block layout).
#pragma once

#include "Ledger.h"
#include "Value.h"

#include <string>

namespace xlhost {

// False for a record the engine cannot read: unknown type bits, a null
// string, array or reference block, an empty reference block.
bool ReadValue(const XLOPER& record, Value& value);
bool ReadValue(const XLOPER12& record, Value& value);

// Strings, arrays and reference blocks come from the ledger under
// `description`. False, with the record untouched and nothing allocated,
// for a value the record kind cannot hold (an integer or array too large).
// Text longer than the kind allows is cut, as Excel cuts it.
bool WriteValue(XLOPER& record, const Value& value, Ledger& ledger, const std::string& description);
bool WriteValue(XLOPER12& record, const Value& value, Ledger& ledger,
                const std::string& description);

// The record's type word without Excel's two memory bits.
unsigned TypeOf(const XLOPER& record);
unsigned TypeOf(const XLOPER12& record);

} // namespace xlhost
