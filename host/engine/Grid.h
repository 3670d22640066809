// A rectangle of cells: what a worksheet function's result fills.
#pragma once

#include "Cell.h"

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace xlhost {

struct Grid {
    std::size_t rows = 0;
    std::size_t columns = 0;
    std::vector<Cell> cells; // row by row

    Grid() = default;
    // std::bad_alloc when rows x columns cells cannot be counted in a size_t.
    Grid(std::size_t rows, std::size_t columns);
    static Grid Single(Cell cell);

    Cell& At(std::size_t row, std::size_t column);
    const Cell& At(std::size_t row, std::size_t column) const;

    // One row per line ("\n" after every row), cells separated by commas,
    // each cell as Cell::Display.
    std::string Display() const;
    // The same, row after row onto `out`, without the whole text in memory.
    void Print(std::ostream& out) const;

    // A worksheet function's result as the sheet shows it: the same, except
    // that an empty (Nil) or missing cell of a result shows the number 0.
    std::string Shown() const;
    void PrintShown(std::ostream& out) const;
    // A fingerprint of what Shown gives, without formatting a number: the
    // 64-bit FNV-1a hash of the shape and of every shown cell's kind and
    // contents (a number's bits, a text's bytes). Equal grids hash equal.
    std::uint64_t ShownChecksum() const;

private:
    void Write(std::ostream& out, bool asResult) const;
};

} // namespace xlhost
