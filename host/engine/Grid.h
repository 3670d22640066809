// A rectangle of cells: what a worksheet function's result fills.
#pragma once

#include "Cell.h"

#include <cstddef>
#include <string>
#include <vector>

namespace xlhost {

struct Grid {
    std::size_t rows = 0;
    std::size_t columns = 0;
    std::vector<Cell> cells; // row by row

    Grid() = default;
    Grid(std::size_t rows, std::size_t columns);
    static Grid Single(Cell cell);

    Cell& At(std::size_t row, std::size_t column);
    const Cell& At(std::size_t row, std::size_t column) const;

    // One row per line ("\n" after every row), cells separated by commas,
    // each cell as Cell::Display.
    std::string Display() const;
};

} // namespace xlhost
