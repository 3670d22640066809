// One argument of a worksheet formula as it is typed: a value (a number, a
// text, TRUE or FALSE, an error, or nothing at all when it is omitted) or a
// reference to cells of the sheet. Whole columns (A:C) and whole rows (1:3)
// reach the edge of the sheet that reads them: under Excel 4 records A:A is
// A1:A65536, as in Excel 2003.
#pragma once

#include "Cell.h"
#include "Range.h"

#include <utility>

namespace xlhost {

struct FormulaArgument {
    bool isReference = false;
    Cell value;  // a value: Number, Text, Boolean, Error, or Missing when omitted
    Range range; // a reference, whole columns and rows to the edge of Excel 12's sheet
    bool wholeColumns = false;
    bool wholeRows = false;

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

    // The reference on a sheet of that many rows and columns.
    Range RangeWithin(int rowCount, int columnCount) const {
        Range within = range;
        if (wholeColumns) {
            within.rowLast = rowCount - 1;
        }
        if (wholeRows) {
            within.columnLast = columnCount - 1;
        }
        return within;
    }
};

} // namespace xlhost
