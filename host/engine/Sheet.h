// The one worksheet of the stand-in Excel: cells that references point at.
#pragma once

#include "Cell.h"
#include "Grid.h"
#include "Range.h"

#include <map>
#include <utility>

namespace xlhost {

class Sheet {
public:
    // Excel 12's sheet size.
    static constexpr int RowCount = 1048576;
    static constexpr int ColumnCount = 16384;

    static bool Contains(const Range& range);

    // Throws std::out_of_range outside the sheet.
    void Set(int row, int column, const Cell& value);
    Cell Get(int row, int column) const; // Nil for a cell never set
    Grid Read(const Range& range) const;
    void Clear() { cells_.clear(); }

private:
    std::map<std::pair<int, int>, Cell> cells_;
};

} // namespace xlhost
