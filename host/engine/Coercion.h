// xlCoerce as Excel documents it, on the engine's values.
#pragma once

#include "Sheet.h"
#include "Value.h"

#include <cstdint>
#include <optional>

namespace xlhost {

// Converts `source` to one of the types in the bit mask `target`; no target
// (or xltypeMissing) is Excel's default: a reference becomes its cells'
// value(s), anything else stays as it is. A single-cell reference becomes
// that cell's value (an empty cell: Nil); a larger one an array; an array
// asked for a single value gives its first element. Text that reads as a
// number becomes that number, TRUE becomes 1, empty becomes 0, "" or FALSE;
// numbers become text as Excel's General format writes them. Errors convert
// to nothing but themselves. An integer target truncates toward zero.
// Returns xlretSuccess, or xlretFailed when no conversion applies, a
// reference leaves the sheet (or names a sheet other than `sheetId`) or its
// array would have more than Sheet::MaxArrayCells cells. A reference asked
// for as a reference, or for a single value (its first cell), is not read
// whole, however large.
int Coerce(const Value& source, std::optional<unsigned> target, const Sheet& sheet,
           std::uintptr_t sheetId, Value& result);

} // namespace xlhost
