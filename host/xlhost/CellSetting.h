// One --set or --set-file of xlhost: values for sheet cells before the
// formulas run. --set 'A2:C3=1,2,3;4,five,TRUE' has one value per cell of the
// range, ',' between the cells of a row and ';' between rows; each a number,
// TRUE, FALSE, an error (#N/A, #VALUE!, ...), a "quoted text" ("" for a
// quote; needed for a text holding ',' or ';' or one that reads as a number),
// any other text as it stands, or nothing for an empty cell.
// --set-file 'A1:B100=cells.csv' reads the values from a CSV file: one line
// per row of the range, ',' between its cells, values as for --set (';' is
// then text like any other).
#pragma once

#include "Grid.h"
#include "Range.h"

#include <string>

namespace xlhost {

struct CellSetting {
    Range range;
    Grid values; // the range's shape

    // Both throw std::invalid_argument saying what is wrong.
    static CellSetting Parse(const std::string& text);
    static CellSetting ReadFile(const std::string& text);
};

} // namespace xlhost
