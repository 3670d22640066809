#include "Grid.h"

#include <limits>
#include <new>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace xlhost {

namespace {

std::size_t CellCount(std::size_t rows, std::size_t columns) {
    if (columns != 0 && rows > std::numeric_limits<std::size_t>::max() / columns) {
        throw std::bad_alloc();
    }
    return rows * columns;
}

} // namespace

Grid::Grid(std::size_t rowCount, std::size_t columnCount)
    : rows(rowCount), columns(columnCount), cells(CellCount(rowCount, columnCount)) {}

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
    std::ostringstream out;
    Print(out);
    return out.str();
}

void Grid::Print(std::ostream& out) const {
    Write(out, false);
}

std::string Grid::Shown() const {
    std::ostringstream out;
    PrintShown(out);
    return out.str();
}

void Grid::PrintShown(std::ostream& out) const {
    Write(out, true);
}

void Grid::Write(std::ostream& out, bool asResult) const {
    std::string line;
    for (std::size_t row = 0; row < rows; ++row) {
        line.clear();
        for (std::size_t column = 0; column < columns; ++column) {
            if (column > 0) {
                line += ',';
            }
            const Cell& cell = At(row, column);
            const bool empty = cell.kind == Cell::Kind::Nil || cell.kind == Cell::Kind::Missing;
            line += asResult && empty ? "0" : cell.Display();
        }
        line += '\n';
        out << line;
    }
}

} // namespace xlhost
