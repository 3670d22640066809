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
    // Excel 4's, the most an XLOPER reference can name.
    static constexpr int Excel4RowCount = 65536;
    static constexpr int Excel4ColumnCount = 256;
    // The most cells the stand-in reads into one array (4 194 304: a 128 MiB
    // array of XLOPER12 records). Excel fails when it cannot allocate an
    // array; the stand-in fails at this bound instead, at once and whatever
    // the machine's memory, so a test of a huge range is fast and safe.
    static constexpr long long MaxArrayCells = 1LL << 22;

    static bool Contains(const Range& range);
    static bool WithinExcel4(const Range& range);

    // Throws std::out_of_range outside the sheet.
    void Set(int row, int column, const Cell& value);
    Cell Get(int row, int column) const; // Nil for a cell never set
    // The cells of the range, row by row; false, with `grid` untouched, for
    // more than MaxArrayCells. Only the cells set are visited, not every cell.
    bool Read(const Range& range, Grid& grid) const;
    void Clear() { cells_.clear(); }

private:
    std::map<std::pair<int, int>, Cell> cells_;
};

} // namespace xlhost
