#include "Grid.h"

#include <stdexcept>
#include <utility>

namespace xlhost {

Grid::Grid(std::size_t rowCount, std::size_t columnCount)
    : rows(rowCount), columns(columnCount), cells(rowCount * columnCount) {}

Grid Grid::Single(Cell cell) {
    Grid grid(1, 1);
    grid.cells[0] = std::move(cell);
    return grid;
}

Cell& Grid::At(std::size_t row, std::size_t column) {
    if (row >= rows || column >= columns) {
        throw std::out_of_range("cell outside the grid");
    }
    return cells[row * columns + column];
}

const Cell& Grid::At(std::size_t row, std::size_t column) const {
    return const_cast<Grid&>(*this).At(row, column);
}

std::string Grid::Display() const {
    std::string out;
    for (std::size_t row = 0; row < rows; ++row) {
        for (std::size_t column = 0; column < columns; ++column) {
            if (column > 0) {
                out += ',';
            }
            out += At(row, column).Display();
        }
        out += '\n';
    }
    return out;
}

} // namespace xlhost
