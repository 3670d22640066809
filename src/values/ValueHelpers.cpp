#include "ValueHelpers.h"

#include "DoubleMatrix.h"
#include "xlw/CellMatrix.h"
#include "xlw/XlfExcel.h"
#include "xlw/XlfRangeRef.h"

#include <cmath>
#include <iostream>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>

namespace xlw {

char* TempBytes(std::size_t bytes) {
    if (bytes > std::numeric_limits<unsigned int>::max())
        throw std::bad_alloc();
    return XlfExcel::Get().TempAlloc(static_cast<unsigned int>(bytes));
}

std::size_t ArrayBytes(std::size_t rows, std::size_t columns, std::size_t recordSize) {
    constexpr std::size_t limit = std::numeric_limits<unsigned int>::max();
    if (columns != 0 && rows > limit / recordSize / columns)
        throw std::bad_alloc();
    return rows * columns * recordSize;
}

std::size_t LengthWithinLimit(std::size_t length, std::size_t limit, const char* position,
                              const char* message) {
    if (length <= limit)
        return length;
    std::cerr << position << message << std::endl;
    return limit;
}

void RequireArrayCells(std::size_t rows, std::size_t columns, std::size_t recordSize) {
    const std::size_t maxCells = std::numeric_limits<unsigned int>::max() / recordSize;
    if (columns != 0 && rows > maxCells / columns)
        throw std::runtime_error("an array holds at most " + std::to_string(maxCells) + " cells; " +
                                 std::to_string(rows) + " x " + std::to_string(columns) +
                                 " were asked for");
}

void RequireArrayColumns(std::size_t columns, std::size_t maxColumns) {
    if (columns > maxColumns)
        throw std::runtime_error("an array holds at most " + std::to_string(maxColumns) +
                                 " columns; " + std::to_string(columns) + " were asked for");
}

bool FitsReadOrder(VectorReadOrder order, std::size_t rows, std::size_t columns) {
    return order != OneDimensional || rows == 1 || columns == 1;
}

std::size_t ReadOrderIndex(VectorReadOrder order, std::size_t row, std::size_t column,
                           std::size_t rows, std::size_t columns) {
    return order == RowMajor ? row * columns + column : column * rows + row;
}

short LowSixteenBits(double number) {
    // An infinity's remainder is NaN, whose cast to an integer is undefined.
    if (!std::isfinite(number))
        return 0;
    // fmod is exact, so even numbers beyond any integer type keep their low bits.
    double low = std::fmod(std::trunc(number), 65536.0);
    return static_cast<short>(static_cast<std::uint16_t>(static_cast<std::int32_t>(low)));
}

void RequireReadableRange(const XlfRangeRef& range) {
    const std::int64_t rows = range.RowCount();
    const std::int64_t columns = range.ColumnCount();
    const std::string shape =
        std::to_string(rows) + " rows and " + std::to_string(columns) + " columns";
    if (rows < 0 || columns < 0)
        throw std::runtime_error("the range of " + shape + " ends before it begins");
    if (static_cast<std::uint64_t>(rows) * static_cast<std::uint64_t>(columns) > MaxRangeCells)
        throw std::runtime_error("the range of " + shape +
                                 " is too large to read: it has more than " +
                                 std::to_string(MaxRangeCells) + " cells");
}

int ReadRangeAsDoubles(const XlfRangeRef& range, VectorReadOrder order, std::vector<double>& out,
                       const DoubleCellReader& readCell) {
    RequireReadableRange(range);
    std::size_t rows = static_cast<std::size_t>(range.RowCount());
    std::size_t columns = static_cast<std::size_t>(range.ColumnCount());
    if (!FitsReadOrder(order, rows, columns))
        return xlretFailed;
    out.resize(rows * columns);
    for (std::size_t i = 0; i < rows; ++i)
        for (std::size_t j = 0; j < columns; ++j) {
            double& target = out[ReadOrderIndex(order, i, j, rows, columns)];
            int code = readCell(static_cast<std::int32_t>(i), static_cast<std::int32_t>(j), target);
            if (code != xlretSuccess)
                return code;
        }
    return xlretSuccess;
}

int ReadRangeAsCells(const XlfRangeRef& range, CellMatrix& out, const CellReader& readCell) {
    RequireReadableRange(range);
    out = CellMatrix(static_cast<unsigned long>(range.RowCount()),
                     static_cast<unsigned long>(range.ColumnCount()));
    for (std::int32_t i = 0; i < range.RowCount(); ++i)
        for (std::int32_t j = 0; j < range.ColumnCount(); ++j) {
            int code = readCell(i, j, out(i, j));
            if (code != xlretSuccess)
                return code;
        }
    return xlretSuccess;
}

int ReadCellsAsNumbers(const CellMatrix& cells, DoubleMatrix& out) {
    out = DoubleMatrix(cells.RowCount(), cells.ColumnCount());
    for (unsigned long i = 0; i < cells.RowCount(); ++i)
        for (unsigned long j = 0; j < cells.ColumnCount(); ++j) {
            if (!cells(i, j).IsNumberCell())
                return xlretFailed;
            out(i, j) = cells(i, j).GetNumber();
        }
    return xlretSuccess;
}

} // namespace xlw
