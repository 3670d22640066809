// One argument of a worksheet formula as it is typed: a value (a number, a
// text, TRUE or FALSE, an error, or nothing at all when it is omitted) or a
// reference to cells of the sheet.
#pragma once

#include "Cell.h"
#include "Range.h"

#include <utility>

namespace xlhost {

struct FormulaArgument {
    bool isReference = false;
    Cell value;  // a value: Number, Text, Boolean, Error, or Missing when omitted
    Range range; // a reference

    static FormulaArgument Literal(Cell cell) {
        FormulaArgument argument;
        argument.value = std::move(cell);
        return argument;
    }
    static FormulaArgument Omitted() { return Literal(Cell::Missing()); }
    static FormulaArgument Reference(const Range& cells) {
        FormulaArgument argument;
        argument.isReference = true;
        argument.range = cells;
        return argument;
    }
};

} // namespace xlhost
