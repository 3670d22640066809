#include "Sheet.h"

#include <stdexcept>

namespace xlhost {

bool Sheet::Contains(const Range& range) {
    return range.rowFirst >= 0 && range.rowFirst <= range.rowLast && range.rowLast < RowCount &&
           range.columnFirst >= 0 && range.columnFirst <= range.columnLast &&
           range.columnLast < ColumnCount;
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

Grid Sheet::Read(const Range& range) const {
    Grid grid(range.Rows(), range.Columns());
    for (int row = 0; row < range.Rows(); ++row) {
        for (int column = 0; column < range.Columns(); ++column) {
            grid.At(row, column) = Get(range.rowFirst + row, range.columnFirst + column);
        }
    }
    return grid;
}

} // namespace xlhost
