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

constexpr std::uint64_t FnvOffsetBasis = 0xcbf29ce484222325u;
constexpr std::uint64_t FnvPrime = 0x100000001b3u;

class Fnv1a {
public:
    void Add(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            hash_ = (hash_ ^ bytes[i]) * FnvPrime;
        }
    }
    template <class Word> void AddWord(Word word) { Add(&word, sizeof word); }
    std::uint64_t Value() const { return hash_; }

private:
    std::uint64_t hash_ = FnvOffsetBasis;
};

bool IsEmpty(const Cell& cell) {
    return cell.kind == Cell::Kind::Nil || cell.kind == Cell::Kind::Missing;
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

std::uint64_t Grid::ShownChecksum() const {
    Fnv1a hash;
    hash.AddWord(static_cast<std::uint64_t>(rows));
    hash.AddWord(static_cast<std::uint64_t>(columns));
    for (const Cell& cell : cells) {
        // An empty cell of a result shows the number 0.
        const Cell::Kind kind = IsEmpty(cell) ? Cell::Kind::Number : cell.kind;
        hash.AddWord(static_cast<std::uint8_t>(kind));
        switch (kind) {
        case Cell::Kind::Number:
            hash.AddWord(IsEmpty(cell) ? 0.0 : cell.number);
            break;
        case Cell::Kind::Text:
            hash.Add(cell.text.data(), cell.text.size());
            hash.AddWord(std::uint8_t{0});
            break;
        case Cell::Kind::Boolean:
            hash.AddWord(static_cast<std::uint8_t>(cell.boolean));
            break;
        case Cell::Kind::Error:
            hash.AddWord(static_cast<std::int32_t>(cell.error));
            break;
        default:
            break;
        }
    }
    return hash.Value();
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
            line += asResult && IsEmpty(cell) ? "0" : cell.Display();
        }
        line += '\n';
        out << line;
    }
}

} // namespace xlhost
