#include "Sheet.h"

#include <stdexcept>

namespace xlhost {

bool Sheet::Contains(const Range& range) {
    return range.rowFirst >= 0 && range.rowFirst <= range.rowLast && range.rowLast < RowCount &&
           range.columnFirst >= 0 && range.columnFirst <= range.columnLast &&
           range.columnLast < ColumnCount;
}

bool Sheet::WithinExcel4(const Range& range) {
    return Contains(range) && range.rowLast < Excel4RowCount &&
           range.columnLast < Excel4ColumnCount;
}

void Sheet::Set(int row, int column, const Cell& value) {
    if (!Contains(Range{row, row, column, column})) {
        throw std::out_of_range("cell outside the sheet");
    }
    if (value.kind == Cell::Kind::Nil) {
        cells_.erase({row, column});
    } else {
        cells_[{row, column}] = value;
    }
}

Cell Sheet::Get(int row, int column) const {
    const auto found = cells_.find({row, column});
    return found == cells_.end() ? Cell::Nil() : found->second;
}

bool Sheet::Read(const Range& range, Grid& grid) const {
    if (range.CellCount() > MaxArrayCells) {
        return false;
    }
    grid = Grid(range.Rows(), range.Columns());
    const auto first = cells_.lower_bound({range.rowFirst, range.columnFirst});
    const auto end = cells_.upper_bound({range.rowLast, range.columnLast});
    for (auto cell = first; cell != end; ++cell) {
        const int column = cell->first.second;
        if (column >= range.columnFirst && column <= range.columnLast) {
            grid.At(cell->first.first - range.rowFirst, column - range.columnFirst) = cell->second;
        }
    }
    return true;
}

} // namespace xlhost
