#include "ShownResult.h"

#include "Coercion.h"
#include "Functions.h"

#include <algorithm>
#include <cmath>

namespace xlhost {

namespace {

Cell ShownValue(const Cell& cell) {
    // Excel has no infinite or NaN cell values.
    if (cell.kind == Cell::Kind::Number && !std::isfinite(cell.number)) {
        return Cell::Error(xlerrNum);
    }
    return cell;
}

// The sheet of the running Excel: Excel 2003's before 12.0.
struct SheetSize {
    std::size_t rows;
    std::size_t columns;
};
SheetSize SheetOf(const EngineState& state) {
    if (state.MajorVersion() < 12) {
        return {Sheet::Excel4RowCount, Sheet::Excel4ColumnCount};
    }
    return {Sheet::RowCount, Sheet::ColumnCount};
}

Grid WithinTheSheet(const EngineState& state, Grid grid) {
    const SheetSize sheet = SheetOf(state);
    if (grid.rows <= sheet.rows && grid.columns <= sheet.columns) {
        return grid;
    }
    Grid shown(std::min(grid.rows, sheet.rows), std::min(grid.columns, sheet.columns));
    for (std::size_t i = 0; i < shown.rows; ++i) {
        for (std::size_t j = 0; j < shown.columns; ++j) {
            shown.At(i, j) = grid.At(i, j);
        }
    }
    return shown;
}

} // namespace

bool SpillsOverTheEdge(const EngineState& state, long long rows, long long columns) {
    if (state.MajorVersion() < 16) {
        return false;
    }
    const SheetSize sheet = SheetOf(state);
    return static_cast<std::size_t>(rows) > sheet.rows ||
           static_cast<std::size_t>(columns) > sheet.columns;
}

Grid ShownGrid(const EngineState& state, Returned returned) {
    if (returned.kind == Returned::Kind::Null) {
        return Grid::Single(Cell::Error(xlerrNum));
    }
    Value& value = returned.value;
    if (returned.kind == Returned::Kind::Unreadable) {
        return Grid::Single(Cell::Error(xlerrValue));
    }
    // Only a reference needs the sheet; coercing anything else would copy a
    // large array twice for nothing.
    if (value.IsReference() &&
        Coerce(value, std::nullopt, state.sheet, TheSheetId, value) != xlretSuccess) {
        return Grid::Single(Cell::Error(xlerrValue));
    }
    if (value.type != xltypeMulti) {
        return Grid::Single(ShownValue(value.cell));
    }
    if (value.array.cells.empty()) {
        return Grid::Single(Cell::Error(xlerrValue));
    }
    if (SpillsOverTheEdge(state, value.array.rows, value.array.columns)) {
        return Grid::Single(Cell::Error(SpillError));
    }
    for (Cell& cell : value.array.cells) {
        cell = ShownValue(cell);
    }
    return WithinTheSheet(state, std::move(value.array));
}

} // namespace xlhost
