// An Excel value between a record and the engine: what a callback argument
// reads into and what a result record is written from.
#pragma once

#include "Cell.h"
#include "Grid.h"
#include "Range.h"
#include "xlw/ExcelApi.h"

#include <cstdint>
#include <vector>

namespace xlhost {

struct Value {
    // One xltype code, without the memory bits: Num, Str, Bool, Err, Int,
    // Nil, Missing, Multi, SRef or Ref.
    unsigned type = xltypeNil;
    Cell cell;                // the scalar types; an Int as a whole Number
    Grid array;               // Multi
    std::vector<Range> areas; // Ref (several areas possible) and SRef (one)
    IDSHEET sheetId = 0;

    static Value Scalar(const Cell& cell); // type from the cell's kind
    static Value Integer(int value);
    static Value Array(Grid grid);
    bool IsReference() const { return type == xltypeRef || type == xltypeSRef; }
    // As the call log shows an argument.
    Cell AsCell() const;
};

} // namespace xlhost
